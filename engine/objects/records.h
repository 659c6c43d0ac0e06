// The record tree of every 3D object: an ObjectRecord owns a tree of FrameRecords, a frame may carry
// meshes, a mesh its texture stages, material, subsets and bones, and the object a chain of animation
// sets, each a chain of tracks. Ownership runs strictly downwards and is held by unique_ptr and
// vector members, so destroying an object frees its whole tree; frame and animation chains are torn
// down iteratively, so a long chain read from a model file cannot exhaust the stack.
//
// The defaults below are those every builder (object commands and model converters) starts from.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/d3dx/math_types.h"
#include "platform/gfx/types.h"

namespace platform::gfx {
// Device objects a record may hold; they stay null until the device layer places meshes.
class Device;
class Texture;
class VertexBuffer;
class IndexBuffer;
class VertexDeclaration;
class VertexShader;
class PixelShader;
}  // namespace platform::gfx

class EffectObject;  // a mesh's shader effect
struct VertexBufferPool;
struct IndexBufferPool;
struct FrameRecord;
struct MeshRecord;

using platform::d3dx::Quaternion;
using platform::gfx::Matrix;
using platform::gfx::Vector3;

constexpr int kRecordNameLength = 256;  // characters with the terminator
// Index widths: 16-bit everywhere, except that a model reader may keep 32-bit indices on a mesh of
// more than 65,535 vertices until ExpandMeshIndices turns it into plain vertices.
constexpr int32_t kMaxMeshIndices = 65535;

// Copies at most 255 characters of src (null gives an empty name) and terminates.
void CopyRecordName(char (&dst)[kRecordNameLength], const char* src);

struct MeshMaterial {
  platform::gfx::ColorValue diffuse{1, 1, 1, 1};
  platform::gfx::ColorValue ambient{1, 1, 1, 1};
  platform::gfx::ColorValue specular{0, 0, 0, 0};
  platform::gfx::ColorValue emissive{0, 0, 0, 0};
  float power = 0.0f;

  static MeshMaterial Zero();
};
static_assert(sizeof(MeshMaterial) == 68, "the native model format stores 17 floats");

// Bounds and collision settings of an object or a mesh.
struct BoundsBlock {
  Vector3 boxMin{0, 0, 0};
  Vector3 boxMax{0, 0, 0};
  Vector3 centre{0, 0, 0};
  float radius = 0.0f;
  float scaledRadius = 0.0f;  // radius x the largest scale factor
  float shadowRebuild = 0.0f;  // -1.0 marks a shadow mesh whose volume must be rebuilt
  float cullRadius = 0.0f;
  uint8_t collisionOn = 1;
  uint8_t movedThisFrame = 0;
  uint8_t worldCentreCurrent = 0;
  uint8_t spareByte = 0;
  Vector3 worldCentre{0, 0, 0};  // the box centre in world orientation, an offset from the position
  uint32_t collisionType = 2;    // 1 spheres, 2 boxes, 3 polygons
  uint8_t axisAlignedBoxTest = 0;
  uint8_t boxModuleTest = 0;
  uint8_t spareBytes[2] = {0, 0};
  uint32_t spareWord = 0;
  uint32_t autoCollisionMode = 0;
  uint32_t modelWord = 0;     // carried by the native model format for meshes
  uint32_t slideResponse = 1;  // the last word: slide on the axis-aligned route when 1

  // A mesh's block starts all zero.
  static BoundsBlock Zero();
};

// Placement of an object.
struct PositionBlock {
  PositionBlock();
  Vector3 position{0, 0, 0};
  Vector3 angles{0, 0, 0};  // degrees
  Vector3 scale{1, 1, 1};
  Vector3 look{0, 0, 1};
  Vector3 up{0, 1, 0};
  Vector3 right{1, 0, 0};
  Vector3 previousPosition{0, 0, 0};
  Vector3 previousAngles{0, 0, 0};
  uint8_t freeFlight = 0;     // the rotation comes from freeFlightMatrix instead of the angles
  uint8_t extraRotation = 0;  // extraRotationMatrix is applied before the rotation
  uint8_t glued = 0;
  uint8_t matrixFixed = 0;    // the world matrix is never rebuilt
  uint32_t glueTarget = 0;    // object number, 0 = none
  uint32_t glueFrame = 0;     // frame index in the target
  uint32_t rotationOrder = 0;  // 0: X, Y, Z; 1: Z, Y, X
  float cameraDistance = 0.0f;
  Matrix translationMatrix{};
  Matrix rotationMatrix{};
  Matrix rotationXMatrix{};
  Matrix rotationYMatrix{};
  Matrix rotationZMatrix{};
  Matrix scaleMatrix{};
  Matrix scaleRotationMatrix{};  // scale x rotation, or the glued world matrix without translation
  Matrix worldMatrix;            // identity
  Matrix freeFlightMatrix;       // identity
  Matrix extraRotationMatrix{};
};

struct TextureStage {
  TextureStage() = default;
  ~TextureStage();
  TextureStage(TextureStage&& other) noexcept;
  TextureStage& operator=(TextureStage&& other) noexcept;
  TextureStage(const TextureStage&) = delete;
  TextureStage& operator=(const TextureStage&) = delete;

  char fileName[kRecordNameLength] = {};
  int32_t image = 0;                               // image-module number, 0 = none
  platform::gfx::Texture* imageTexture = nullptr;   // the image module's, not owned
  platform::gfx::Texture* deviceTexture = nullptr;  // owned: released with the stage
  uint32_t stage = 0;
  uint32_t colorOp = 2;  // select argument 1
  uint32_t colorArg1 = 0;
  uint32_t colorArg2 = 0;
  uint32_t addressU = 1;
  uint32_t addressV = 1;
  uint32_t magFilter = 2;
  uint32_t minFilter = 2;
  uint32_t mipFilter = 2;
  uint32_t texCoordMode = 0;  // the set index, or a generated-coordinate mode
  uint32_t spareWords[2] = {0, 0};
};

// A run of a mesh's indices drawn with one material.
struct MaterialSubset {
  char name[kRecordNameLength] = {};  // also the texture file name
  platform::gfx::Texture* texture = nullptr;  // not owned
  MeshMaterial material = MeshMaterial::Zero();
  uint32_t firstIndex = 0;
  uint32_t indexCount = 0;
  uint32_t triangleCount = 0;
};

// The mesh's place in the object manager's buffers.
struct DrawBufferInfo {
  uint32_t primitiveType = 0;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  uint32_t firstVertex = 0;
  uint32_t vertexCount = 0;
  uint32_t primitiveCount = 0;
  uint32_t stride = 0;
  platform::gfx::IndexBuffer* indexBuffer = nullptr;
  uint32_t startIndex = 0;
  uint32_t baseVertex = 0;
  VertexBufferPool* vertexPool = nullptr;
  IndexBufferPool* indexPool = nullptr;
};

// One bone of a skinned mesh; vertexIndices and weights have one entry per influence.
struct BoneRecord {
  char name[kRecordNameLength] = {};  // the frame that drives the bone
  std::vector<uint32_t> vertexIndices;
  std::vector<float> weights;
  Matrix offsetMatrix{};
  uint32_t InfluenceCount() const { return static_cast<uint32_t>(vertexIndices.size()); }
};

struct MeshRecord {
  MeshRecord();
  ~MeshRecord();
  MeshRecord(const MeshRecord&) = delete;
  MeshRecord& operator=(const MeshRecord&) = delete;

  // 1. Layout.
  uint32_t savedFvf = 0;  // the code before an effect changed the layout
  uint32_t fvf = 0;       // 0: the declaration describes the vertex
  uint32_t vertexSize = 0;
  uint32_t drawWord = 0;  // tested by the mesh draw together with `drawn`
  // 2. Storage. vertices hold vertexCount x vertexSize bytes and indices (or wideIndices) indexCount
  // entries; the storage functions keep that so, and ValidateMeshRecord checks it.
  std::vector<uint8_t> backupVertices;  // untouched copy for skinning and animation
  std::vector<uint8_t> vertices;
  std::vector<uint16_t> indices;
  std::vector<uint32_t> wideIndices;  // only on a model reader's mesh of more than 65,535 vertices
  int32_t vertexCount = 0;
  int32_t indexCount = 0;
  uint32_t primitiveType = platform::gfx::PT_TRIANGLELIST;
  int32_t drawVertexCount = 0;
  int32_t drawPrimitiveCount = 0;
  // 3.
  std::unique_ptr<DrawBufferInfo> bufferPlace;
  // 4. Effect state.
  uint8_t hasEffect = 0;
  uint8_t effectAttached = 0;
  uint8_t effectShared = 0;   // the effect belongs to the shared table
  uint8_t boneStreams = 0;    // bone weights and numbers travel in texture sets 1 and 2
  // 5.
  platform::gfx::VertexElement declaration[platform::gfx::kMaxDeclLength];
  // 6. Device objects (released through the record links) and the effect.
  platform::gfx::VertexDeclaration* deviceDeclaration = nullptr;
  platform::gfx::VertexDeclaration* effectDeclaration = nullptr;
  platform::gfx::VertexShader* vertexShader = nullptr;
  platform::gfx::PixelShader* pixelShader = nullptr;
  EffectObject* effect = nullptr;  // deleted with the mesh unless effectShared
  char effectFileName[kRecordNameLength] = {};
  // 7. Bones; boneFrames and boneMatrices get one entry per bone when linked (null when no frame matches).
  std::vector<BoneRecord> bones;
  std::vector<FrameRecord*> boneFrames;
  std::vector<const Matrix*> boneMatrices;
  // 8.
  uint8_t ownMaterial = 0;  // draw with `material` rather than per-subset materials
  uint8_t textureFactorAlpha = 0;
  uint8_t subsetTextures = 0;  // draw subset by subset; the subsets name the textures
  uint8_t spareByte8 = 0;
  // 9.
  uint32_t textureFactor = 0;
  std::vector<TextureStage> stages;
  std::vector<MaterialSubset> subsets;
  std::vector<MeshMaterial> materials;  // one per model material, used while grouping subsets
  // 10.
  MeshMaterial material;
  // 11.
  std::vector<uint32_t> triangleMaterials;  // one per triangle, used while grouping subsets
  uint8_t readdMark = 0;
  uint8_t verticesChanged = 0;
  uint8_t placedAlone = 0;  // its vertices were rewritten in its place once: it shares no place
  uint8_t layoutChanged = 0;
  uint8_t spareByte11 = 0;
  // 12. Render flags.
  uint8_t wireframe = 0;
  uint8_t lighting = 1;
  uint8_t culling = 1;
  uint8_t fog = 1;
  uint8_t ambient = 1;
  uint8_t transparency = 0;
  uint32_t alphaRef = 0;
  uint8_t translucent = 0;
  uint8_t drawn = 1;
  uint8_t zEnable = 1;
  uint8_t zWrite = 1;
  uint32_t translucentMode = 2;
  uint8_t depthBiasOn = 0;
  float slopeScaleDepthBias = 0.0f;  // the native model format stores the float's bits
  float depthBias = 0.0f;
  uint8_t rendererFlag = 0;  // read by the object draw; carried by the native model format
  float mipLodBias = 0.0f;
  uint32_t carriedWord = 0;  // carried unchanged by the native model format
  // 13. Extra frame trees stored after the mesh (one complete frame per animation frame).
  std::vector<std::unique_ptr<FrameRecord>> attachedFrames;
  uint32_t attachedFrameCursor = 0;  // the whole frame last shown
  uint8_t ownTransform = 0;
  // 14.
  BoundsBlock bounds = BoundsBlock::Zero();
};

struct FrameRecord {
  FrameRecord();
  ~FrameRecord();
  FrameRecord(const FrameRecord&) = delete;
  FrameRecord& operator=(const FrameRecord&) = delete;

  char name[kRecordNameLength] = {};
  uint32_t index = 0;  // place in the object's frame list
  FrameRecord* parent = nullptr;
  std::unique_ptr<FrameRecord> child;
  std::unique_ptr<FrameRecord> sibling;
  Matrix localMatrix;     // relative to the parent
  Matrix animatedMatrix;  // offset x local, then the animation keys
  Matrix combinedMatrix;  // animated x the parent's combined matrix
  Matrix worldMatrix;     // combined x the object's world matrix
  uint32_t spareWord = 0;
  Matrix spareMatrix;
  Matrix offsetMatrix;  // from offsetTranslation, scale and rotation
  Vector3 offsetTranslation{0, 0, 0};
  Vector3 scale{1, 1, 1};
  Vector3 rotation{0, 0, 0};  // degrees
  uint8_t worldMatrixValid = 0;
  std::unique_ptr<MeshRecord> mesh;
  std::unique_ptr<MeshRecord> shadowMesh;
  std::unique_ptr<MeshRecord> boundBoxMesh;
  std::unique_ptr<MeshRecord> boundSphereMesh;
};

struct PositionKey {
  uint32_t frame;
  Vector3 value;
  Vector3 slope;  // change per frame up to the next key
};
using ScaleKey = PositionKey;
struct RotationKey {
  uint32_t frame;
  Quaternion rotation;
};
struct MatrixKey {
  uint32_t frame;
  Matrix matrix;
  Matrix delta;  // change per frame up to the next key
};
static_assert(sizeof(PositionKey) == 28 && sizeof(RotationKey) == 20 && sizeof(MatrixKey) == 132,
              "keys are stored byte for byte by the native model format");

// The animation track of one frame.
struct AnimationRecord {
  AnimationRecord() = default;
  ~AnimationRecord();
  AnimationRecord(const AnimationRecord&) = delete;
  AnimationRecord& operator=(const AnimationRecord&) = delete;

  char name[kRecordNameLength] = {};  // the frame it drives
  FrameRecord* drivenFrame = nullptr;  // resolved by name
  AnimationRecord* matrixKeySource = nullptr;  // another track whose matrix keys are used, not owned
  uint32_t linear = 1;  // 1 linear position keys, else spline
  std::vector<PositionKey> positionKeys;
  std::vector<RotationKey> rotationKeys;
  std::vector<ScaleKey> scaleKeys;
  std::vector<MatrixKey> matrixKeys;
  uint32_t matrixKeyCursor = 0;  // where the last matrix-key search ended
  uint32_t spareWords[3] = {0, 0, 0};
  // 1: keys; 0: a baked table of matrices (the native model format's interpolation flag).
  uint32_t keyMode = 1;
  std::vector<uint32_t> values;  // per vertex: the table column of its matrix
  std::vector<std::vector<Matrix>> matrixTable;  // rows by whole frame, each tableColumns matrices
  uint32_t tableColumns = 0;
  uint32_t spareWord = 0;
  std::unique_ptr<AnimationRecord> next;
};

struct AnimationSet {
  AnimationSet() = default;
  ~AnimationSet();
  AnimationSet(const AnimationSet&) = delete;
  AnimationSet& operator=(const AnimationSet&) = delete;

  char name[kRecordNameLength] = {};
  std::unique_ptr<AnimationRecord> firstTrack;
  uint32_t length = 0;  // frames
  std::unique_ptr<AnimationSet> next;
  // Bounds per whole frame.
  std::vector<Vector3> frameBoxMin;
  std::vector<Vector3> frameBoxMax;
  std::vector<Vector3> frameCentre;
  std::vector<float> frameRadius;
};

struct ObjectRecord;
using ObjectDeleteCallback = void (*)(uint32_t object, uint32_t value);

struct ObjectRecord {
  ObjectRecord();
  ~ObjectRecord();
  ObjectRecord(const ObjectRecord&) = delete;
  ObjectRecord& operator=(const ObjectRecord&) = delete;

  // 1-3. Lists of the tree in walk order (not owned; rebuilt by BuildObjectMeshList).
  std::vector<MeshRecord*> meshList;
  std::vector<FrameRecord*> frameList;
  std::unique_ptr<FrameRecord> root;
  std::unique_ptr<AnimationSet> firstSet;
  // 4-5.
  BoundsBlock bounds;
  PositionBlock placement;
  // Renderer bookkeeping, not stored by the model formats. placementChanged: position, angles,
  // scale, rotation source or glue changed since the world matrix was built (set through
  // MarkObjectPlaced); worldChanged: the world matrix was rebuilt since the renderer took it;
  // framesChanged: the frame tree or its matrices changed since they were last combined.
  uint8_t placementChanged = 1;
  uint8_t worldChanged = 1;
  uint8_t framesChanged = 1;
  // 6.
  uint8_t visible = 1;
  uint8_t areaVisible = 1;
  uint8_t noMeshes = 0;
  uint8_t collisionTouched = 0;
  uint8_t currentPoseBounds = 0;  // bounds from the current animation pose only
  // 7.
  uint8_t sortFlag = 0;
  uint8_t transparent = 0;
  uint8_t sortedTransparent = 0;
  uint8_t screenLocked = 0;
  uint8_t screenLocked2 = 0;
  uint8_t spareByte7 = 0;
  uint8_t reflects = 0;
  uint8_t drawByteA = 0;
  uint8_t drawByteB = 0;
  uint8_t excludedFromMainPass = 0;
  uint8_t separateBuffers = 1;
  uint8_t refreshBuffers = 0;
  uint8_t castsShadow = 0;
  // 8.
  uint32_t spareWord8 = 0;
  uint8_t drawByteC = 0;
  uint8_t excluded = 0;
  uint8_t neverCulled = 0;
  float drawFloat = 0.0f;
  int32_t partitionArea = -1;
  // 9. Animation state.
  uint8_t playing = 0;
  uint8_t looping = 0;
  uint8_t animationChanged = 0;  // forces one vertex update
  float frame = 0.0f;
  float previousFrame = 0.0f;
  float speed = 1.0f;
  float startFrame = 0.0f;
  float endFrame = 0.0f;
  float frameCount = 0.0f;
  uint8_t blending = 0;
  float blendStartFrame = 0.0f;
  float blendTargetFrame = 0.0f;
  float previousBlendFactor = 0.0f;
  float blendFactor = 0.0f;
  float blendSpeed = 1.0f;
  // 10.
  ObjectRecord* instanceSource = nullptr;  // draws and measures through that object; not owned
  // Per-frame visibility bytes (frames whose byte is 0 are skipped); the native model format carries
  // it as the attached data block.
  std::vector<uint8_t> workBlock;
  uint8_t tangentsGenerated = 0;
  uint32_t drawWord = 0;
  // 11-12.
  std::vector<std::pair<ObjectDeleteCallback, uint32_t>> deleteCallbacks;
  std::vector<uint32_t> pairList;
};

// A new object with a root frame carrying one mesh; a name of 1 to 255 characters names the root frame.
// False (slot untouched) only when the records cannot be made.
bool CreateObjectRecord(std::unique_ptr<ObjectRecord>* slot, const char* name);
// Destroys the object in the slot and clears it; true also for an empty slot.
bool DeleteObjectRecordTree(std::unique_ptr<ObjectRecord>* slot);
// Destroys a free-standing mesh; null is accepted. Always true.
bool DeleteMeshRecord(MeshRecord* mesh);
