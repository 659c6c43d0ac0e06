// How a mesh looks: its texture stages, material, render flag bytes, vertex colours and texture
// coordinates, textures found by file name through the image module, and its shader effect. Every
// operation takes a mesh that may be null (nothing happens then).
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

// Stage indices a mesh accepts; a stage beyond them is refused rather than grown.
constexpr int32_t kMaxTextureLayers = 16;

// --- texture stages and material
// At least n + 1 stages; the old ones keep their places and textures. False when n is refused.
bool GrowTextureLayers(MeshRecord* mesh, int32_t n);
// Stage 0 back to untextured diffuse (its own texture released), the effect detached.
void ResetMeshStages(MeshRecord* mesh);
// The image on a stage, modulating when it has a texture; stage -1 first resets the stages and uses 0.
void SetMeshTexture(MeshRecord* mesh, int32_t stage, int32_t image);
void SetMeshStageImage(MeshRecord* mesh, int32_t stage, int32_t image);
// A stage with the given colour operation and texture-coordinate mode over the current colour.
void SetMeshTextureStage(MeshRecord* mesh, int32_t stage, uint32_t colorOp, uint32_t texCoordMode, int32_t image);
// Untextured, drawn with its own material of the colour (0xAARRGGBB).
void SetMeshColor(MeshRecord* mesh, uint32_t color);
// Diffuse and ambient 1.0, specular and emissive 0, power 10.
void SetDefaultMaterial(MeshMaterial* material);
// Without vertex colours the material's diffuse and ambient take the brightness; with them every
// vertex becomes the grey of brightness x 255 (taken modulo 256).
void SetMeshBrightness(MeshRecord* mesh, float brightness);
// Adds (du, dv) to texture set 0 of every vertex of a layout with a texture set.
void ScrollMeshTexture(MeshRecord* mesh, float du, float dv);

// --- vertex access (a vertex outside the mesh is not touched and reads 0)
void SetMeshVertexPosition(MeshRecord* mesh, int32_t index, float x, float y, float z);
float GetMeshVertexX(const MeshRecord* mesh, int32_t index);
float GetMeshVertexY(const MeshRecord* mesh, int32_t index);
float GetMeshVertexZ(const MeshRecord* mesh, int32_t index);

// --- render flags (the value is stored as given)
void SetMeshWireframe(MeshRecord* mesh, uint8_t on);
void SetMeshTransparency(MeshRecord* mesh, uint8_t on);
void SetMeshAlphaRef(MeshRecord* mesh, uint32_t reference);
void SetMeshCulling(MeshRecord* mesh, uint8_t on);
void SetMeshZWrite(MeshRecord* mesh, uint8_t on);
void SetMeshLighting(MeshRecord* mesh, uint8_t on);
void SetMeshFog(MeshRecord* mesh, uint8_t on);
// The blend mode is kept when -1.
void SetMeshTranslucent(MeshRecord* mesh, uint8_t on, int32_t blendMode);

// --- textures by file name
// The image of a texture named in a model: folder + bare name, folder + bare name as ".dds" (names of
// 5 characters or more), the name as given (only when it starts at no root or drive and holds no ".."
// part), the bare name. 0 when none loads.
int32_t LoadMeshTexture(const char* name, const char* folder, int32_t loadMode);
int32_t LoadMeshTextureDefault(const char* name, const char* folder);
// Finds the textures of every stage (or, for a mesh drawn subset by subset, of every subset).
// Material mode 2 leaves the material and colour operations alone; a prefix restricts the load mode to
// the stages whose file names begin with it (other stages load with mode 0).
void ApplyMeshTextures(MeshRecord* mesh, const char* folder, int32_t materialMode, int32_t loadMode,
                       const char* prefix);
void ApplyMeshTexturesAll(MeshRecord* mesh, const char* folder, int32_t materialMode, int32_t loadMode);
void ApplyMeshTexturesDefault(MeshRecord* mesh, const char* folder, int32_t materialMode);
// Deletes the images the texture lookup made for the mesh.
void ReleaseMeshTextures(MeshRecord* mesh);

// --- shader effects
// Detaches any effect, then readies the stages for one; false when the device runs no vertex shaders.
bool PrepareMeshForEffect(MeshRecord* mesh, int32_t stageCount);
// The effect on the mesh; false (the effect not kept) for a null effect or a device without vertex
// shaders.
bool AttachEffectToMesh(MeshRecord* mesh, int32_t stageCount, EffectObject* effect);
// Null detaches (true). Otherwise attaches, converts the mesh for the effect and makes its tangents.
// False when the mesh does not take the effect: it then does not hold it (the caller still owns it).
bool SetMeshEffect(MeshRecord* mesh, EffectObject* effect);
// An own effect is deleted with its device objects and the layout goes back to the saved one; a shared
// one is only forgotten. The effect name is emptied either way.
void DetachMeshEffect(MeshRecord* mesh);

// Every mesh of every object and every free-standing mesh lets go of the texture (the image module
// is about to release it).
void ForgetReleasedTexture(platform::gfx::Texture* texture);
