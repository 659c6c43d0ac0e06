// Helpers for the model format tests: converting X text in memory, building record trees that use
// every field the KVO image carries, and finding blocks in an image.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/x_converter.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_storage.h"

namespace formats_test {

inline std::string XText(std::string_view body) { return "xof 0303txt 0032\n" + std::string(body); }

// X text converted to an image and read back, as the loader does; null when any step fails.
inline std::unique_ptr<ObjectRecord> ConvertX(std::string_view text) {
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  std::unique_ptr<ObjectRecord> object;
  if (ConvertXModelFromMemory(text.data(), text.size(), &image, &size)) LoadModelFromMemory(image, size, &object);
  FreeXModel(image);
  return object;
}

inline std::vector<uint8_t> Save(const ObjectRecord& object) {
  std::vector<uint8_t> image;
  EXPECT_TRUE(SaveModelToMemory(&object, &image));
  return image;
}

inline std::unique_ptr<ObjectRecord> Load(const std::vector<uint8_t>& image) {
  std::unique_ptr<ObjectRecord> object;
  LoadModelFromMemory(image.data(), image.size(), &object);
  return object;
}

inline uint32_t U32At(const std::vector<uint8_t>& image, size_t offset) {
  uint32_t v;
  std::memcpy(&v, image.data() + offset, 4);
  return v;
}

// Where the header (code, size) first stands at or after `from`; npos when nowhere.
inline size_t FindBlock(const std::vector<uint8_t>& image, uint32_t code, uint32_t size, size_t from = 0) {
  for (size_t i = from; i + 8 <= image.size(); ++i)
    if (U32At(image, i) == code && U32At(image, i + 4) == size) return i;
  return std::string::npos;
}

// Inserts bytes into an image at an offset.
inline std::vector<uint8_t> Insert(std::vector<uint8_t> image, size_t at, const std::vector<uint8_t>& bytes) {
  image.insert(image.begin() + at, bytes.begin(), bytes.end());
  return image;
}

// A block header and payload as bytes.
inline std::vector<uint8_t> Block(uint32_t code, std::string_view payload) {
  std::vector<uint8_t> b(8 + payload.size());
  const uint32_t size = uint32_t(payload.size());
  std::memcpy(b.data(), &code, 4);
  std::memcpy(b.data() + 4, &size, 4);
  std::memcpy(b.data() + 8, payload.data(), payload.size());
  return b;
}

inline Matrix Numbered(float start) {
  Matrix m;
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = start + float(i);
  return m;
}

// A mesh with a non-default value in every field the image carries.
inline std::unique_ptr<MeshRecord> FullMesh(uint32_t fvf, float seed) {
  auto mesh = std::make_unique<MeshRecord>();
  EXPECT_TRUE(SetupMeshStorage(mesh.get(), fvf, 4, 6));
  for (size_t i = 0; i < mesh->vertices.size(); ++i) mesh->vertices[i] = uint8_t(i * 7 + int(seed));
  mesh->indices = {0, 1, 2, 2, 3, 0};
  mesh->drawVertexCount = 4;
  mesh->drawPrimitiveCount = 2;
  mesh->bones.resize(2);
  CopyRecordName(mesh->bones[0].name, "BoneA");
  mesh->bones[0].vertexIndices = {0, 3};
  mesh->bones[0].weights = {0.25f, 0.75f};
  mesh->bones[0].offsetMatrix = Numbered(seed);
  CopyRecordName(mesh->bones[1].name, "BoneB");
  mesh->stages.resize(2);
  for (uint32_t i = 0; i < 2; ++i) {
    TextureStage& s = mesh->stages[i];
    CopyRecordName(s.fileName, i ? "second.png" : "first.png");
    s.stage = i + 1;
    s.colorOp = 4, s.colorArg1 = 2, s.colorArg2 = 3, s.addressU = 3, s.addressV = 4, s.magFilter = 1;
    s.minFilter = 3, s.mipFilter = 0, s.texCoordMode = 1, s.spareWords[0] = 5, s.spareWords[1] = 6;
  }
  mesh->subsets.resize(2);
  CopyRecordName(mesh->subsets[0].name, "first.png");
  mesh->subsets[0].material.diffuse = {0.5f, 0.25f, 0.125f, 1};
  mesh->subsets[0].indexCount = 3;
  mesh->subsets[0].triangleCount = 1;
  CopyRecordName(mesh->subsets[1].name, "second.png");
  mesh->subsets[1].firstIndex = 3;
  mesh->subsets[1].indexCount = 3;
  mesh->subsets[1].triangleCount = 1;
  mesh->subsetTextures = 1;
  mesh->ownMaterial = 1;
  mesh->material.power = seed;
  mesh->material.emissive = {0.1f, 0.2f, 0.3f, 0.4f};
  mesh->wireframe = 1, mesh->lighting = 0, mesh->culling = 0, mesh->fog = 0, mesh->ambient = 0;
  mesh->transparency = 1, mesh->translucent = 1, mesh->translucentMode = 3, mesh->drawn = 0;
  mesh->rendererFlag = 1, mesh->carriedWord = 77, mesh->depthBiasOn = 1;
  mesh->slopeScaleDepthBias = 1.5f, mesh->depthBias = -0.25f, mesh->zEnable = 0, mesh->zWrite = 0;
  mesh->alphaRef = 128;
  mesh->hasEffect = 1;
  CopyRecordName(mesh->effectFileName, "shine.fx");
  return mesh;
}

inline std::unique_ptr<FrameRecord> NamedFrame(const char* name) {
  auto frame = std::make_unique<FrameRecord>();
  CopyRecordName(frame->name, name);
  return frame;
}

// A tree with every kind of block: frames with children and siblings, a mesh per FVF kind (one by
// declaration), attached frames, bones, stages, subsets, an effect, keys of every kind, a baked track,
// a second set (not carried) and attached data.
inline std::unique_ptr<ObjectRecord> FullTree() {
  auto object = std::make_unique<ObjectRecord>();
  object->root = NamedFrame("root");
  FrameRecord* root = object->root.get();
  root->localMatrix = Numbered(1);
  root->offsetTranslation = {1, 2, 3};
  root->rotation = {10, 20, 30};
  root->scale = {2, 2, 2};

  root->child = NamedFrame("arm");
  FrameRecord* arm = root->child.get();
  arm->mesh = FullMesh(0x152, 3);
  for (int i = 0; i < 2; ++i) {
    auto attached = NamedFrame(i ? "pose1" : "pose0");
    attached->mesh = FullMesh(0x112, float(10 + i));
    arm->mesh->attachedFrames.push_back(std::move(attached));
  }
  arm->sibling = NamedFrame("leg");  // no mesh
  arm->sibling->child = NamedFrame("foot");
  auto declared = std::make_unique<MeshRecord>();
  const platform::gfx::VertexElement declaration[] = {
      {0, 0, platform::gfx::DECLTYPE_FLOAT3, 0, platform::gfx::DECLUSAGE_POSITION, 0},
      {0, 12, platform::gfx::DECLTYPE_FLOAT3, 0, platform::gfx::DECLUSAGE_NORMAL, 0},
      platform::gfx::kDeclEnd};
  EXPECT_TRUE(SetupMeshStorageDecl(declared.get(), declaration, 24, 3, 0));
  declared->drawVertexCount = 3;
  declared->drawPrimitiveCount = 1;
  arm->sibling->child->mesh = std::move(declared);

  auto set = std::make_unique<AnimationSet>();
  CopyRecordName(set->name, "walk");
  set->length = 30;
  set->firstTrack = std::make_unique<AnimationRecord>();
  AnimationRecord* keyed = set->firstTrack.get();
  CopyRecordName(keyed->name, "arm");
  keyed->positionKeys = {{0, {1, 2, 3}, {0, 0, 0}}, {30, {4, 5, 6}, {0.1f, 0.1f, 0.1f}}};
  keyed->rotationKeys = {{0, {0, 0, 0, 1}}, {15, {0.5f, 0, 0, 0.5f}}};
  keyed->scaleKeys = {{5, {1, 1, 1}, {0, 0, 0}}};
  keyed->matrixKeys = {{0, Numbered(2), Numbered(3)}};
  keyed->next = std::make_unique<AnimationRecord>();
  AnimationRecord* baked = keyed->next.get();
  CopyRecordName(baked->name, "leg");
  baked->keyMode = 0;
  baked->values = {0, 1, 1, 0};
  baked->tableColumns = 2;
  baked->matrixTable = {{Numbered(4), Numbered(5)}, {Numbered(6), Numbered(7)}, {Numbered(8), Numbered(9)}};
  object->firstSet = std::move(set);
  object->firstSet->next = std::make_unique<AnimationSet>();
  CopyRecordName(object->firstSet->next->name, "not carried");
  object->workBlock = {9, 8, 7, 6, 5};
  return object;
}

}  // namespace formats_test
