// The tree world's records and state. Internal to the module and its tests.
//
// Every table is a vector whose size is its count; references between tables (a face's vertices, a
// leaf's faces, a group's face numbers, an index into a patch) are checked where they are read, so a
// table that disagrees with another is skipped rather than read past its end.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/world/device_ref.h"
#include "engine/world/growable_array.h"
#include "engine/world/tree_world.h"
#include "platform/gfx/types.h"

#include "platform/gfx/resources.h"

namespace platform::gfx { class Device; }

constexpr float kWorldToEngine = 0.029f;
constexpr float kEngineToWorld = 34.48276f;
constexpr uint32_t kWorldVertexFvf = 0x252;  // position, normal, diffuse colour, two coordinate pairs
constexpr uint32_t kWorldVertexStride = 44;
constexpr int32_t kMaxWorldFaces = 65536;
constexpr int32_t kMaxWorldPatches = 65536;
constexpr int32_t kMaxStageFrames = 32;
constexpr int kWorldCollisionSlots = 25;
constexpr int32_t kTextureArrayStep = 10;
constexpr int32_t kEntryArrayStep = 100;

enum WorldFaceType : int32_t { kWorldPolygon = 1, kWorldPatch = 2, kWorldMesh = 3 };

struct WorldPlane {
  float nx, ny, nz, distance;
};

struct WorldNode {
  int32_t plane;
  int32_t front, back;  // a negative child c names leaf -(c + 1)
  int32_t boxMin[3], boxMax[3];
};

struct WorldLeaf {
  int32_t cluster;  // negative: outside every cluster
  int32_t area;
  int32_t boxMin[3], boxMax[3];
  int32_t firstLeafFace, leafFaceCount;
  int32_t firstLeafBrush, leafBrushCount;
};

struct WorldFace {
  int32_t type;  // WorldFaceType; other values are neither drawn nor collided
  int32_t firstVertex, vertexCount;         // into the drawing vertices
  int32_t firstMeshIndex, meshIndexCount;  // into the mesh indices
  int32_t texture = -1, stageSet = -1, lightmap = -1, patch = -1;
  int32_t further[7] = {};
};

// The source form of a face, words as a world file keeps them.
struct WorldSourceFace {
  int32_t unread0[2];
  int32_t type;
  int32_t firstVertex;  // into the source vertices
  int32_t unread1[11];
  float patchBoxMin[3], patchBoxMax[3];  // world units
  float normal[3];
  int32_t unread2[2];
};
static_assert(offsetof(WorldSourceFace, patchBoxMin) == 15 * 4 && offsetof(WorldSourceFace, normal) == 21 * 4);

// The drawing vertex, engine units.
struct WorldVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t color;
  float u, v;
  float lu, lv;
};
static_assert(sizeof(WorldVertex) == kWorldVertexStride);

// World units.
struct WorldSourceVertex {
  float x, y, z;
  float u, v;
  float lu, lv;
  float nx, ny, nz;
  uint32_t color;
};
static_assert(sizeof(WorldSourceVertex) == 44);

struct WorldPatch {
  std::vector<WorldVertex> vertices;
  std::vector<uint16_t> indices;
};

struct WorldFaceGroup {
  int32_t stageCode;  // >= 0 a texture, -1 none, <= -2 stage set -(code) - 2
  std::vector<int32_t> faces;
};

struct TexCoordMod {
  float rotationRate;  // degrees per second
  float scaleU, scaleV;
  float scrollU, scrollV;  // per second
};

struct WorldStageFrame {
  std::string name;     // "$lightmap", "$whiteimage" or a texture's name
  int32_t texture = -1;  // a world texture number; -1 for a named special texture
};

struct WorldStage {
  float animationRate = 0.0f;
  std::vector<WorldStageFrame> frames;  // at most kMaxStageFrames
  int32_t sourceBlend = 2, destBlend = 1;  // BLEND_ONE, BLEND_ZERO
  int32_t depthFunc = 4, depthWrite = 1;   // CMP_LESSEQUAL
  int32_t spare = 0;
  uint8_t texCoordSource = 0;  // 1 lightmap coordinates, 2 environment, other texture coordinates
  std::vector<TexCoordMod> mods;
  int32_t alphaTest = 0;
  uint8_t alphaRef = 0;
  int32_t alphaFunc = 8;  // CMP_ALWAYS
};

struct WorldStageSet {
  std::string name;
  std::string blocks[2];
  std::vector<WorldStage> stages;
  int32_t skipDrawing = 0;
  int32_t collisionA = 0, collisionB = 0;  // A set and B clear: polygons let spheres pass
  int32_t cullMode = 1;                    // CULL_NONE
  int32_t spare = 0;
};

struct WorldTextureEntry {
  std::string name;
  DeviceRef<platform::gfx::Texture> texture;
};
struct WorldLightmapEntry {
  std::vector<uint8_t> data;
  DeviceRef<platform::gfx::Texture> texture;
};
struct WorldEntry {
  std::vector<uint8_t> blocks[3];
};

struct WorldCollisionSlot {
  platform::gfx::Vector3 oldPosition{0, 0, 0};
  platform::gfx::Vector3 newPosition{0, 0, 0};
  float radius = 1.0f;  // -1: the ellipsoid radii
  int32_t kind = 0;     // 1 camera, other values object
  int32_t number = 0;
  platform::gfx::Vector3 radii{1, 1, 1};
  int32_t response = 0;  // 0 slide to the end point, 1 back to the old position, other values leave
  uint8_t hit = 0;
  platform::gfx::Vector3 delta{0, 0, 0};
  float heightOffset = 0.0f;
  float traceTolerance = 0.003f;
  uint8_t initialised = 0;
};

// One triangle of the sweep, engine units.
struct CollisionTriangle {
  platform::gfx::Vector3 corners[3];
  platform::gfx::Vector3 normal;
};

struct TreeWorld {
  int32_t worldCount = 0;    // above 0 while a world is present
  uint8_t renderSwitch = 0;  // bit 2 draws the faces
  int32_t camera = 0;

  std::vector<WorldVertex> vertices;
  std::vector<uint16_t> meshIndices;
  std::vector<WorldPatch> patches;  // at most kMaxWorldPatches
  std::vector<WorldFace> faces;     // at most kMaxWorldFaces
  std::vector<WorldSourceFace> sourceFaces;  // one per face
  std::vector<WorldSourceVertex> sourceVertices;
  std::vector<uint32_t> visibleFaces;  // one flag per face, rebuilt every camera pass
  std::vector<WorldFaceGroup> groups;
  std::vector<WorldPlane> planes;
  std::vector<WorldNode> nodes;
  std::vector<WorldLeaf> leaves;
  std::vector<int32_t> leafFaces;
  bool visibilityPresent = false;
  int32_t clusterCount = 0, bytesPerRow = 0;
  std::vector<uint8_t> visibility;
  std::vector<uint8_t> furtherTables[5];  // kept for a loader; read by nothing else
  std::vector<WorldStageSet> stageSets;
  GrowableArray<WorldTextureEntry> textures;
  GrowableArray<WorldLightmapEntry> lightmaps;
  std::vector<std::vector<uint8_t>> blocks;
  GrowableArray<WorldEntry> entries;
  std::vector<uint8_t> furtherBlock;
  std::array<std::unique_ptr<uint8_t[]>, 1024> pointerTables[2];  // nothing fills them

  WorldCollisionSlot slots[kWorldCollisionSlots];
  uint8_t slotActive[kWorldCollisionSlots] = {};
  std::vector<uint32_t> candidateFaces;  // one flag per face, for the sweep under way
  int32_t recursionLimit = 5, recursionDepth = 0;
  int32_t hitResult = 0;

  float cullPlane[4] = {};  // normal and constant in engine units
  bool texCoordsModified = false;
  std::vector<float> savedU, savedV;  // a patch's coordinates while a stage changes them

  CoreData* core = nullptr;
  platform::gfx::Device* device = nullptr;
  platform::gfx::Device* (*getDevice)() = nullptr;
  void (*positionCamera)(int32_t, float, float, float) = nullptr;
  float (*getCameraX)(int32_t) = nullptr;
  float (*getCameraY)(int32_t) = nullptr;
  float (*getCameraZ)(int32_t) = nullptr;
  void (*positionObject)(int32_t, float, float, float) = nullptr;
  float (*getObjectX)(int32_t) = nullptr;
  float (*getObjectY)(int32_t) = nullptr;
  float (*getObjectZ)(int32_t) = nullptr;
  uint32_t (*clock)() = nullptr;  // milliseconds
};

// The one world, kept for the whole run: its device textures go back through the destructor entry,
// never during static destruction.
TreeWorld& World();

// Releases everything the world holds (the destructor entry).
void ReleaseWorld();
// Frees the two pointer tables (process exit).
void FreeWorldPointerTables();
bool ResizeWorldEntryArray(int32_t n);
// The leaf holding the world-unit point: -1 when the world has no tree or the walk leaves the tables.
int32_t FindWorldLeaf(const platform::gfx::Vector3& point);

// --- checked lookups
// The face's drawing vertices (count in *count), null when its range is outside the array.
const WorldVertex* FaceVertices(const WorldFace& face, int32_t* count);
WorldVertex* FaceVertices(WorldFace& face, int32_t* count);
// The face's mesh indices when every one of them names one of its vertices, else null.
const uint16_t* FaceMeshIndices(const WorldFace& face, int32_t vertexCount, int32_t* count);
// The face's patch when the face names one whose indices all name its vertices, else null.
WorldPatch* FacePatch(const WorldFace& face);
const WorldStageSet* FaceStageSet(const WorldFace& face);
// The leaf's face numbers (count in *count), null when its range is outside the leaf-face table.
const int32_t* LeafFaceNumbers(const WorldLeaf& leaf, int32_t* count);
bool ValidFace(int32_t face);
platform::gfx::Texture* WorldTexture(int32_t texture);
platform::gfx::Texture* WorldLightmap(int32_t lightmap);
// Cluster `to` seen from cluster `from` by the visibility rows (false outside them).
bool ClusterVisible(int32_t from, int32_t to);
