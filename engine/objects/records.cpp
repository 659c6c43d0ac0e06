#include "engine/objects/records.h"

#include <cstring>
#include <new>

#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"

using platform::d3dx::MatrixIdentity;

void CopyRecordName(char (&dst)[kRecordNameLength], const char* src) {
  size_t length = 0;
  if (src)
    while (length < kRecordNameLength - 1 && src[length]) ++length;
  if (length) std::memcpy(dst, src, length);
  dst[length] = '\0';
}

MeshMaterial MeshMaterial::Zero() {
  MeshMaterial m;
  m.diffuse = m.ambient = {0, 0, 0, 0};
  return m;
}

BoundsBlock BoundsBlock::Zero() {
  BoundsBlock b;
  b.collisionOn = 0;
  b.collisionType = 0;
  b.slideResponse = 0;
  return b;
}

PositionBlock::PositionBlock() : worldMatrix(MatrixIdentity()), freeFlightMatrix(MatrixIdentity()) {}

TextureStage::~TextureStage() { ReleaseRecordTexture(deviceTexture); }

TextureStage::TextureStage(TextureStage&& other) noexcept { *this = std::move(other); }

// Moves every field; the device texture's ownership goes with it.
TextureStage& TextureStage::operator=(TextureStage&& other) noexcept {
  if (this == &other) return *this;
  ReleaseRecordTexture(deviceTexture);
  std::memcpy(fileName, other.fileName, sizeof fileName);
  image = other.image;
  imageTexture = other.imageTexture;
  deviceTexture = other.deviceTexture;
  other.deviceTexture = nullptr;
  stage = other.stage;
  colorOp = other.colorOp;
  colorArg1 = other.colorArg1;
  colorArg2 = other.colorArg2;
  addressU = other.addressU;
  addressV = other.addressV;
  magFilter = other.magFilter;
  minFilter = other.minFilter;
  mipFilter = other.mipFilter;
  texCoordMode = other.texCoordMode;
  spareWords[0] = other.spareWords[0];
  spareWords[1] = other.spareWords[1];
  return *this;
}

MeshRecord::MeshRecord() {
  for (auto& element : declaration) element = platform::gfx::kDeclEnd;
}

MeshRecord::~MeshRecord() {
  if (effect && !effectShared) DeleteRecordEffect(effect);
  ReleaseRecordDeclaration(deviceDeclaration);
  ReleaseRecordDeclaration(effectDeclaration);
}

FrameRecord::FrameRecord()
    : localMatrix(MatrixIdentity()),
      animatedMatrix(MatrixIdentity()),
      combinedMatrix(MatrixIdentity()),
      worldMatrix(MatrixIdentity()),
      spareMatrix(MatrixIdentity()),
      offsetMatrix(MatrixIdentity()) {}

// Children and siblings are moved onto a work list before their owner goes, so every node is
// destroyed with empty links and the depth of the tree never becomes depth of recursion.
FrameRecord::~FrameRecord() {
  std::vector<std::unique_ptr<FrameRecord>> pending;
  if (child) pending.push_back(std::move(child));
  if (sibling) pending.push_back(std::move(sibling));
  while (!pending.empty()) {
    std::unique_ptr<FrameRecord> frame = std::move(pending.back());
    pending.pop_back();
    if (frame->child) pending.push_back(std::move(frame->child));
    if (frame->sibling) pending.push_back(std::move(frame->sibling));
  }
}

AnimationRecord::~AnimationRecord() {
  std::unique_ptr<AnimationRecord> rest = std::move(next);
  while (rest) rest = std::move(rest->next);
}

AnimationSet::~AnimationSet() {
  std::unique_ptr<AnimationSet> rest = std::move(next);
  while (rest) rest = std::move(rest->next);
}

ObjectRecord::ObjectRecord() = default;
ObjectRecord::~ObjectRecord() = default;

bool CreateObjectRecord(std::unique_ptr<ObjectRecord>* slot, const char* name) {
  if (!slot) return false;
  auto object = std::unique_ptr<ObjectRecord>(new (std::nothrow) ObjectRecord);
  if (!object) return false;
  object->root.reset(new (std::nothrow) FrameRecord);
  if (!object->root) return false;
  object->root->mesh.reset(new (std::nothrow) MeshRecord);
  if (!object->root->mesh) return false;
  // Names that do not fit (256 characters or more) leave the root frame unnamed.
  if (name && std::strlen(name) < kRecordNameLength) CopyRecordName(object->root->name, name);
  *slot = std::move(object);
  return true;
}

bool DeleteObjectRecordTree(std::unique_ptr<ObjectRecord>* slot) {
  if (slot) slot->reset();
  return true;
}

bool DeleteMeshRecord(MeshRecord* mesh) {
  delete mesh;
  return true;
}
