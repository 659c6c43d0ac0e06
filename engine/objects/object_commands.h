// The object commands of the game: loading and making numbered objects, the look of all meshes of an
// object, animation and collision switches, ray distance, meshes from objects, vertex access to one
// frame's mesh, size and screen queries and a screen pick. Every command begins with its number check
// (object_table.h) and does nothing more when it fails; a flag argument counts as on only when it
// equals 1.
#pragma once
#include <cstdint>
#include <string>

#include "engine/objects/records.h"

// --- loading and making objects
// The file through the core's media-path and decrypt callbacks, then CreateObjectFromModel with
// texture mode 0; the mesh count, 0 on failure.
int32_t LoadObject(const char* fileName, int32_t object);
// LoadModelFile into the slot, set-up, textures from the model's folder (the temporary folder for
// ".mdl" models) and effects by name; the mesh count, 0 on failure.
int32_t CreateObjectFromModel(const char* fileName, int32_t object, int32_t textureMode);
// Where a model's textures are looked for: the folder part of its name up to and including its last
// '\' or '/'; for ".mdl" models (any letter case), whose skins the converter writes out, the engine's
// temporary folder.
std::string ModelTextureFolder(const std::string& fileName);
void CreateObjectFromMeshCommand(int32_t object, int32_t mesh, int32_t image);
void CreateBoxObject(int32_t object, float sizeX, float sizeY, float sizeZ);
void CreateTriangleObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                          float y3, float z3);
void DeleteObject(int32_t object);
// One mesh of every mesh of the object, under a mesh number.
void CreateMeshFromObject(int32_t mesh, int32_t object);

// --- the look of every mesh
void SetObjectWireframe(int32_t object, int32_t flag);
// Mode 0 opaque, 1 transparent, 2 and 3 sorted transparent, 4 alpha-tested at 207.
void SetObjectTransparency(int32_t object, int32_t mode);
void SetObjectLighting(int32_t object, int32_t flag);
void SetObjectFogging(int32_t object, int32_t flag);
void SetObjectCulling(int32_t object, int32_t flag);
void SetObjectColor(int32_t object, uint32_t color);
void SetObjectTranslucent(int32_t object);
void ClearObjectTranslucent(int32_t object);
void SetObjectBrightness(int32_t object, float percent);
void DisableObjectZWrite(int32_t object);
void SetObjectTexture(int32_t object, int32_t image);
void ScrollObjectTexture(int32_t object, float u, float v);
// The image on stage 1 of every mesh, modulating, with sphere-mapped coordinates.
void SetObjectSecondTexture(int32_t object, int32_t image);

// --- state
void PlayObjectAnimation(int32_t object);
void LoopObjectAnimation(int32_t object);
void HideObject(int32_t object);
void ShowObject(int32_t object);
// The current camera's orientation.
void AlignObjectWithCamera(int32_t object);
void SetObjectCollisionOn(int32_t object);
void SetObjectCollisionOff(int32_t object);
void SetObjectCollisionToBoxes(int32_t object);
void SetObjectCollisionToPolygons(int32_t object);

// --- placing (workers in object_transform.h)
void PositionObject(int32_t object, float x, float y, float z);
void ScaleObject(int32_t object, float x, float y, float z);  // percent
void RotateObject(int32_t object, float x, float y, float z);  // degrees
void MoveObject(int32_t object, float step);
void PointObject(int32_t object, float x, float y, float z);
void SetObjectAngleX(int32_t object, float degrees);
void SetObjectAngleY(int32_t object, float degrees);
void RollObject(int32_t object, float degrees);
float GetObjectX(int32_t object);
float GetObjectY(int32_t object);
float GetObjectZ(int32_t object);
float GetObjectXAngle(int32_t object);
float GetObjectYAngle(int32_t object);
float GetObjectZAngle(int32_t object);

// --- queries
// Distance from the first point to where the segment first meets the object; 0 when it does not
// meet it within the segment.
float RayIntersectObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2);
// Box extent times scale on each axis.
float GetObjectSizeX(int32_t object);
float GetObjectSizeY(int32_t object);
float GetObjectSizeZ(int32_t object);
// Where the object's position projects on the current camera's view, and whether it is on screen.
int32_t GetObjectScreenX(int32_t object);
int32_t GetObjectScreenY(int32_t object);
int32_t IsObjectOnScreen(int32_t object);
// With another object's number 1 on a hit, with 0 the number of the last object hit; 0 otherwise.
int32_t TestObjectCollision(int32_t object, int32_t other);
// Keeps the world vector from the current camera through the screen point, scaled by the distance.
void PickScreenCommand(int32_t x, int32_t y, float distance);
float GetPickVectorX();
float GetPickVectorZ();

// --- vertex access to one frame's mesh
void LockFrameVertexData(int32_t object, int32_t frame);
// Ends the lock: the mesh's changed vertices are written to the device again.
void UnlockFrameVertexData();
void EndVertexDataLock();
void SetLockedVertexPosition(int32_t vertex, float x, float y, float z);
// 0 when nothing is locked or the vertex is not in the mesh.
float GetLockedVertexX(int32_t vertex);
float GetLockedVertexY(int32_t vertex);
float GetLockedVertexZ(int32_t vertex);

// --- workers the makers share
// SetMeshTexture (stage -1, image) on every mesh, then the object drops its stencil effects and is
// placed again when a mesh's layout changed.
bool TextureObjectMeshes(int32_t object, int32_t image);

// --- for the object table
// Drops every reference the commands keep to the record (the vertex lock), before it is destroyed.
void ForgetObjectInCommands(const ObjectRecord* record);
