// The engine's native model image: every model reaches the 3D objects in this form. A tree of tagged
// blocks (u32 code, u32 size, payload), little-endian, no padding:
//   string field "MAGICKVO" (u32 8 and the characters), u32 version 1, two reserved u32 0,
//   block 1 root frame record, block 2 first animation set record, block 406 attached data, end block.
// A record is its blocks closed by an end block (code 0, size 0); an absent record is the end block
// alone. Nested records sit in their parent's block payload; a reader skips codes it does not know by
// their size. Codes 117-119 (size = index count x 2, payload one u32) and 120 (size 4, payload 520
// bytes) carry sizes that do not match their payload and are read by their code, as stored images
// have them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/objects/records.h"

enum KVOBlockCode : uint32_t {
  kKvoEnd = 0,
  kKvoRootFrame = 1,
  kKvoAnimationSet = 2,
  // Frame record.
  kKvoFrameName = 101,
  kKvoFrameMatrix = 102,
  kKvoFrameMesh = 103,
  kKvoFrameChild = 104,
  kKvoFrameSibling = 105,
  kKvoFrameOffset = 106,
  kKvoFrameRotation = 107,
  kKvoFrameScale = 108,
  // Mesh record.
  kKvoMeshFvf = 111,
  kKvoMeshVertexSize = 112,
  kKvoMeshVertexCount = 113,
  kKvoMeshIndexCount = 114,
  kKvoMeshVertices = 115,
  kKvoMeshIndices = 116,
  kKvoMeshPrimitiveType = 117,
  kKvoMeshDrawVertexCount = 118,
  kKvoMeshDrawPrimitiveCount = 119,
  kKvoMeshDeclaration = 120,
  kKvoMeshBoneCount = 121,
  kKvoMeshBones = 122,
  kKvoMeshSubsetTextures = 123,
  kKvoMeshSubsetCount = 124,
  kKvoMeshOwnMaterial = 125,
  kKvoMeshMaterial = 126,
  kKvoMeshStageCount = 127,
  kKvoMeshStages = 128,
  kKvoMeshWireframe = 129,
  kKvoMeshLighting = 130,
  kKvoMeshCulling = 131,
  kKvoMeshFog = 132,
  kKvoMeshAmbient = 133,
  kKvoMeshTransparency = 134,
  kKvoMeshTranslucent = 135,
  kKvoMeshTranslucentMode = 136,
  kKvoMeshRendererFlag = 137,
  kKvoMeshAttachedFrames = 138,  // the frame records follow the block, outside its size
  kKvoMeshSubsets = 139,
  kKvoMeshVisible = 140,
  // Texture stage record: the name, the stage number, then the eleven settings in record order.
  kKvoStageName = 141,
  kKvoStageNumber = 142,
  kKvoStageFirstSetting = 143,
  kKvoStageLastSetting = 153,
  // Mesh record, continued.
  kKvoMeshEffectName = 154,
  kKvoMeshCarriedWord = 155,
  kKvoMeshDepthBiasOn = 156,
  kKvoMeshSlopeScaleDepthBias = 157,
  kKvoMeshDepthBias = 158,
  kKvoMeshZRead = 159,
  kKvoMeshZWrite = 160,
  // Material subset record.
  kKvoSubsetName = 161,
  kKvoSubsetMaterial = 162,
  kKvoSubsetFirstIndex = 163,
  kKvoSubsetIndexCount = 164,
  kKvoSubsetTriangleCount = 165,
  kKvoMeshAlphaRef = 166,
  // Animation set record.
  kKvoSetName = 201,
  kKvoSetLength = 202,
  kKvoSetFirstTrack = 203,
  // Animation track record.
  kKvoTrackName = 211,
  kKvoTrackPositionKeyCount = 212,
  kKvoTrackPositionKeys = 213,
  kKvoTrackRotationKeyCount = 214,
  kKvoTrackRotationKeys = 215,
  kKvoTrackScaleKeyCount = 216,
  kKvoTrackScaleKeys = 217,
  kKvoTrackMatrixKeyCount = 218,
  kKvoTrackMatrixKeys = 219,
  kKvoTrackNext = 220,
  // Bone record.
  kKvoBoneName = 301,
  kKvoBoneInfluenceCount = 302,
  kKvoBoneVertexIndices = 303,
  kKvoBoneWeights = 304,
  kKvoBoneOffsetMatrix = 305,
  // Baked track (key mode 0): value list and matrix table.
  kKvoTrackKeyMode = 400,
  kKvoTrackValues = 401,
  kKvoTrackValueCount = 402,
  kKvoTrackTableRows = 403,
  kKvoTrackTableColumns = 404,
  kKvoTrackMatrixTable = 405,
  kKvoAttachedData = 406,
};

constexpr uint32_t kKvoVersion = 1;
constexpr uint32_t kKvoDeclarationBytes = 520;  // 65 vertex elements of 8 bytes
// Mesh -> attached frame -> mesh nesting the writer and the reader accept; a mesh's own animation
// frames are the only meshes below it in practice.
constexpr int kKvoMaxAttachedNesting = 8;

// Writes the object's tree (the first animation set only) as a new image of exactly its length.
// False for a null object or a tree whose arrays disagree with their counts (the image could not be
// read back), and for an image past 4 GiB.
bool SaveModelToMemory(const ObjectRecord* object, std::vector<uint8_t>* image);

// Allocates as std::allocator does, but a vector growing with it leaves its new elements unset: an
// image is sized once and then written whole, so clearing it first would only cost a pass over it.
template <typename T>
struct UnsetOnGrowthAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnsetOnGrowthAllocator<U>;
  };
  UnsetOnGrowthAllocator() = default;
  template <typename U>
  UnsetOnGrowthAllocator(const UnsetOnGrowthAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using KvoImage = std::vector<uint8_t, UnsetOnGrowthAllocator<uint8_t>>;

// Writes a mesh's vertex bytes (vertexCount x vertexSize) at `out`, inside the image.
using KvoVertexFill = std::function<void(const MeshRecord& mesh, uint8_t* out)>;

// The same image in a buffer that is not cleared before it is written. With `fill`, a mesh that holds
// no vertex bytes while its vertex count is above 0 has them made by `fill` straight into the image,
// for a converter that would otherwise build every vertex array only to have it copied here.
bool SaveModelToMemory(const ObjectRecord* object, KvoImage* image, const KvoVertexFill& fill = {});

// Reads an image into a new tree (frame and mesh lists built, parent links set). Every length, count
// and string is checked against what remains of the image, and every mesh read is checked against its
// own storage (no index, bone influence or subset outside it). False, with *object left null and
// nothing kept, for a wrong magic or a damaged image.
bool LoadModelFromMemory(const void* image, size_t size, std::unique_ptr<ObjectRecord>* object);

// The whole file (through the path resolver) in a new buffer; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* buffer);
