// Shader effects of meshes: an effect file compiled by the platform into an effect object, with a
// technique chosen at load time and its parameters bound by name to engine values (matrices, light,
// camera, time, bone palette) that Begin uploads before every draw.
//
// The renderer calls Begin (the pass count; 0 without a compiled effect), applies each pass through
// the effect interface, and calls End. A mesh owns its effect (deleted with the mesh) unless the effect
// came from the shared effect table. An effect none of whose techniques the device runs is not
// loaded, and the mesh keeps drawing through the fixed pipeline.
#pragma once
#include <cstdint>
#include <string>

#include "engine/objects/records.h"
#include "platform/d3dx/effects/effect.h"

// Semantic handle slots of an effect.
enum EffectSlot : int {
  kSlotWorld, kSlotView, kSlotProjection, kSlotWorldView, kSlotViewProjection, kSlotWorldViewProjection,
  kSlotWorldInverse, kSlotViewInverse, kSlotWorldViewInverse, kSlotWorldTranspose, kSlotViewTranspose,
  kSlotProjectionTranspose, kSlotWorldViewTranspose, kSlotViewProjectionTranspose,
  kSlotWorldViewProjectionTranspose, kSlotWorldInverseTranspose, kSlotViewInverseTranspose,
  kSlotWorldViewInverseTranspose, kSlotLightDirection, kSlotLightDirectionObject, kSlotLightPosition,
  kSlotCameraPosition, kSlotEyePosition, kSlotAlphaOverride, kSlotTime, kSlotSinTime, kSlotMeshRadius,
  kSlotBonePalette,
  kEffectSlotCount
};
static_assert(kEffectSlotCount == 28);

constexpr uint32_t kMaxEffectTextureParameters = 8;
constexpr uint32_t kMaxPaletteBones = 256;

class EffectObject {
 public:
  EffectObject() = default;
  // Frees the effect mesh, releases the effect interface and drops the X-file name.
  virtual ~EffectObject();
  EffectObject(const EffectObject&) = delete;
  EffectObject& operator=(const EffectObject&) = delete;

  // Finds and compiles the effect file: from the name's own folder, then the engine's temporary
  // folder, then its "media" folder, last from a rewritten copy of the source. Then binds the
  // parameters and selects the first valid technique. The current folder is the same afterwards.
  virtual bool Load(const char* fileName, uint8_t loadXFileMesh, uint8_t loadTextures);
  // Gives the mesh the geometry of the effect's own mesh, when the effect names one. Always true.
  virtual bool ConvertMesh(MeshRecord* mesh);
  // Adds the vertex elements the effect's vertex shaders read (normal, colour, tangent and binormal,
  // bone weights and numbers) to the mesh.
  virtual void GenerateTangents(MeshRecord* mesh);
  // Binds the mesh's stage textures, begins the effect and uploads the per-draw constants; the pass
  // count, 0 without an effect interface. The world matrix is taken from the device, not from here.
  virtual uint32_t Begin(MeshRecord* mesh, Matrix world);
  virtual void End();

  // Binds a parameter handle to the slot of a semantic name (case-insensitive). True for a known
  // name ("xfile" included) whose slot is bound afterwards.
  bool MatchSemantic(const char* name, platform::d3dx::EffectHandle handle);
  // Reads every parameter once after a compile: semantics, annotations, textures, the "XFile" mesh and
  // the vertex inputs of the shaders. False only without an effect interface.
  bool ParseParameters(uint8_t loadXFileMesh, uint8_t loadTextures);
  // Computes and uploads the bound per-draw constants.
  void ApplyConstants(MeshRecord* mesh);

  platform::d3dx::Effect* effect = nullptr;  // one reference
  char fileName[kRecordNameLength] = {};
  platform::d3dx::EffectDesc description{};
  uint32_t inUse = 0;  // set by SetMeshEffect
  platform::d3dx::EffectHandle slots[kEffectSlotCount] = {};
  uint32_t boundSlots = 0;  // bit n: slot n has a handle (kept by MatchSemantic)
  std::string xFileName;
  uint32_t generateNormals = 0;
  uint32_t readsNormal = 0, readsColor = 0, readsTangent = 0, readsBinormal = 0;
  uint32_t hasBonePalette = 0;
  uint8_t loadTextures = 0;
  uint32_t textureParameterCount = 0;
  uint32_t textureParameters[kMaxEffectTextureParameters] = {};  // parameter indices, in parameter order
  MeshRecord* effectMesh = nullptr;  // owned
};

// The kind BindEffectByName makes for a mesh.
class MeshEffect : public EffectObject {
 public:
  ~MeshEffect() override = default;
};

// Rewrites effect source for older compilers: after each vertex-shader version token ("vs." and
// three more characters) of a source without any "dcl_", declarations of position, normal, colour and
// texture coordinates are added; every "target[" becomes the start of a comment. The rewritten text is
// written to `destination` as a new file. False when the source cannot be read or the destination
// cannot be made (it must not exist).
bool PatchShaderDeclarations(const char* source, const char* destination);
