// Reading a KVO image into a new record tree. Each record reader reads blocks until its end block,
// reading a block it knows by the layout of its code and skipping any other by its size. Every field,
// array and skip is checked against what remains of the image first, and arrays are allocated only
// once their bytes are known to be there, so a damaged image fails cleanly and cannot make the reader
// allocate more than the image could describe. Frame trees and track chains are read with explicit
// stacks, so their nesting depth never becomes depth of recursion.
#include <bit>
#include <cstring>
#include <new>
#include <strings.h>

#include "engine/formats/kvo_format.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_storage.h"
#include "platform/fs/path.h"

namespace {

constexpr uint32_t kEndBlockBytes = 8;  // the least a record in a list takes

struct BlockHeader {
  uint32_t code = 0;
  uint32_t size = 0;
};

class KvoReader {
 public:
  KvoReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  size_t Remaining() const { return size_t(end_ - p_); }

  bool ReadBytes(void* out, size_t n) {
    if (n > Remaining()) return false;
    if (n) std::memcpy(out, p_, n);
    p_ += n;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return false;
    p_ += n;
    return true;
  }
  bool ReadU32Field(uint32_t* value) { return ReadBytes(value, 4); }
  bool ReadI32Field(int32_t* value) {
    uint32_t v;
    if (!ReadU32Field(&v) || v > uint32_t(INT32_MAX)) return false;
    *value = int32_t(v);
    return true;
  }
  // Any non-zero byte reads as 1.
  bool ReadByteField(uint8_t* value) {
    uint8_t v;
    if (!ReadBytes(&v, 1)) return false;
    *value = v ? 1 : 0;
    return true;
  }
  bool ReadFloatBits(float* value) {
    uint32_t v;
    if (!ReadU32Field(&v)) return false;
    *value = std::bit_cast<float>(v);
    return true;
  }
  bool ReadBlockHeader(BlockHeader* h) { return ReadU32Field(&h->code) && ReadU32Field(&h->size); }
  // Length 0 leaves the name as it is; a longer name than the field holds keeps its first 255
  // characters and the cursor moves past all of it.
  bool ReadStringField(char (&name)[kRecordNameLength]) {
    uint32_t n;
    if (!ReadU32Field(&n) || n > Remaining()) return false;
    if (n > 0) {
      const size_t kept = n < kRecordNameLength - 1 ? n : kRecordNameLength - 1;
      std::memcpy(name, p_, kept);
      name[kept] = '\0';
    }
    p_ += n;
    return true;
  }
  template <typename T>
  bool ReadValue(T* value) {
    return ReadBytes(value, sizeof(T));
  }
  // count elements of the array's type, allocated only once their bytes are known to be there.
  // Byte arrays (vertex data) are copied straight from the image, never cleared first.
  template <typename T>
  bool ReadArray(std::vector<T>* array, uint64_t count) {
    if (count > Remaining() / sizeof(T)) return false;
    try {
      if constexpr (sizeof(T) == 1) {
        array->assign(p_, p_ + count);
        p_ += count;
        return true;
      } else {
        array->resize(size_t(count));
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
    return ReadBytes(array->data(), size_t(count) * sizeof(T));
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

bool ReadMesh(KvoReader& r, std::unique_ptr<MeshRecord>* slot, int nesting);

// One frame record (the end block alone gives no frame) into *slot. The records of block 104
// (child) and 105 (sibling) nest inside the frame's own blocks; the frames being read wait on a stack
// until their nested records end.
bool ReadFrame(KvoReader& r, std::unique_ptr<FrameRecord>* slot, FrameRecord* parent, int nesting) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h)) return false;
  if (h.code == kKvoEnd) return true;
  slot->reset(new FrameRecord);
  (*slot)->parent = parent;
  std::vector<FrameRecord*> open{slot->get()};
  while (true) {
    FrameRecord* f = open.back();
    bool ok = true;
    switch (h.code) {
      case kKvoEnd:
        open.pop_back();
        if (open.empty()) return true;
        break;
      case kKvoFrameName: ok = r.ReadStringField(f->name); break;
      case kKvoFrameMatrix: ok = r.ReadValue(&f->localMatrix); break;
      case kKvoFrameMesh: ok = ReadMesh(r, &f->mesh, nesting); break;
      case kKvoFrameChild:
      case kKvoFrameSibling: {
        const bool child = h.code == kKvoFrameChild;
        std::unique_ptr<FrameRecord>& next = child ? f->child : f->sibling;
        if (!r.ReadBlockHeader(&h)) return false;
        next.reset();
        if (h.code == kKvoEnd) break;
        next.reset(new FrameRecord);
        next->parent = child ? f : f->parent;
        open.push_back(next.get());
        continue;  // h is the new frame's first block
      }
      case kKvoFrameOffset: ok = r.ReadValue(&f->offsetTranslation); break;
      case kKvoFrameRotation: ok = r.ReadValue(&f->rotation); break;
      case kKvoFrameScale: ok = r.ReadValue(&f->scale); break;
      default: ok = r.Skip(h.size); break;
    }
    if (!ok || !r.ReadBlockHeader(&h)) return false;
  }
}

// Runs readBlock for every block of one record, from the header already read up to its end block.
template <typename ReadBlock>
bool ReadRecordBlocks(KvoReader& r, BlockHeader h, ReadBlock readBlock) {
  while (h.code != kKvoEnd) {
    if (!readBlock(h) || !r.ReadBlockHeader(&h)) return false;
  }
  return true;
}

bool ReadTextureStage(KvoReader& r, const BlockHeader& h, TextureStage* s) {
  uint32_t* settings[11] = {&s->colorOp,   &s->colorArg1, &s->colorArg2,    &s->addressU,      &s->addressV,     &s->magFilter,
                            &s->minFilter, &s->mipFilter, &s->texCoordMode, &s->spareWords[0], &s->spareWords[1]};
  if (h.code == kKvoStageName) return r.ReadStringField(s->fileName);
  if (h.code == kKvoStageNumber) return r.ReadU32Field(&s->stage);
  if (h.code >= kKvoStageFirstSetting && h.code <= kKvoStageLastSetting)
    return r.ReadU32Field(settings[h.code - kKvoStageFirstSetting]);
  return r.Skip(h.size);
}

bool ReadMaterialSubset(KvoReader& r, const BlockHeader& h, MaterialSubset* s) {
  switch (h.code) {
    case kKvoSubsetName: return r.ReadStringField(s->name);
    case kKvoSubsetMaterial: return r.ReadValue(&s->material);
    case kKvoSubsetFirstIndex: return r.ReadU32Field(&s->firstIndex);
    case kKvoSubsetIndexCount: return r.ReadU32Field(&s->indexCount);
    case kKvoSubsetTriangleCount: return r.ReadU32Field(&s->triangleCount);
    default: return r.Skip(h.size);
  }
}

bool ReadBone(KvoReader& r, const BlockHeader& h, BoneRecord* b, uint32_t* influences) {
  switch (h.code) {
    case kKvoBoneName: return r.ReadStringField(b->name);
    case kKvoBoneInfluenceCount: return r.ReadU32Field(influences);
    case kKvoBoneVertexIndices: return r.ReadArray(&b->vertexIndices, *influences);
    case kKvoBoneWeights: return r.ReadArray(&b->weights, *influences);
    case kKvoBoneOffsetMatrix: return r.ReadValue(&b->offsetMatrix);
    default: return r.Skip(h.size);
  }
}

// A list of `count` records, each closed by its end block, then the list's own end block. A list that
// holds more or fewer records than its count block said is damaged.
template <typename T, typename ReadBlock>
bool ReadList(KvoReader& r, uint32_t count, std::vector<T>* records, ReadBlock readBlock) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h) || count > r.Remaining() / kEndBlockBytes) return false;
  std::vector<T> list;
  try {
    list.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (T& record : list) {
    if (h.code == kKvoEnd) return false;
    if (!ReadRecordBlocks(r, h, [&](const BlockHeader& b) { return readBlock(b, &record); })) return false;
    if (!r.ReadBlockHeader(&h)) return false;
  }
  if (h.code != kKvoEnd) return false;
  *records = std::move(list);
  return true;
}

bool ReadAttachedFrames(KvoReader& r, MeshRecord* m, int nesting) {
  uint32_t n;
  if (!r.ReadU32Field(&n) || n > r.Remaining() / kEndBlockBytes) return false;
  if (n > 0 && nesting >= kKvoMaxAttachedNesting) return false;
  m->attachedFrames.clear();
  m->attachedFrames.resize(n);
  for (auto& frame : m->attachedFrames)
    if (!ReadFrame(r, &frame, nullptr, nesting + 1)) return false;
  return true;
}

bool ReadMeshBlock(KvoReader& r, const BlockHeader& h, MeshRecord* m, uint32_t counts[3], int nesting) {
  uint32_t& boneCount = counts[0];
  uint32_t& stageCount = counts[1];
  uint32_t& subsetCount = counts[2];
  switch (h.code) {
    case kKvoMeshFvf: return r.ReadU32Field(&m->fvf);
    case kKvoMeshVertexSize: return r.ReadU32Field(&m->vertexSize);
    case kKvoMeshVertexCount: return r.ReadI32Field(&m->vertexCount);
    case kKvoMeshIndexCount: return r.ReadI32Field(&m->indexCount);
    case kKvoMeshVertices: return r.ReadArray(&m->vertices, uint64_t(m->vertexCount) * m->vertexSize);
    case kKvoMeshIndices:
      if (m->indexCount == 0) return r.Skip(h.size);
      return r.ReadArray(&m->indices, uint64_t(m->indexCount));
    case kKvoMeshPrimitiveType: return r.ReadU32Field(&m->primitiveType);
    case kKvoMeshDrawVertexCount: return r.ReadI32Field(&m->drawVertexCount);
    case kKvoMeshDrawPrimitiveCount: return r.ReadI32Field(&m->drawPrimitiveCount);
    case kKvoMeshDeclaration: return r.ReadBytes(m->declaration, kKvoDeclarationBytes);
    case kKvoMeshBoneCount: return r.ReadU32Field(&boneCount);
    case kKvoMeshBones: {
      // Each bone's influence count block comes before the arrays it sizes.
      const BoneRecord* current = nullptr;
      uint32_t influences = 0;
      return ReadList(r, boneCount, &m->bones, [&](const BlockHeader& b, BoneRecord* bone) {
        if (bone != current) current = bone, influences = 0;
        return ReadBone(r, b, bone, &influences);
      });
    }
    case kKvoMeshSubsetTextures: return r.ReadByteField(&m->subsetTextures);
    case kKvoMeshSubsetCount: return r.ReadU32Field(&subsetCount);
    case kKvoMeshOwnMaterial: return r.ReadByteField(&m->ownMaterial);
    case kKvoMeshMaterial: return r.ReadValue(&m->material);
    case kKvoMeshStageCount: return r.ReadU32Field(&stageCount);
    case kKvoMeshStages:
      return ReadList(r, stageCount, &m->stages,
                      [&](const BlockHeader& b, TextureStage* s) { return ReadTextureStage(r, b, s); });
    case kKvoMeshWireframe: return r.ReadByteField(&m->wireframe);
    case kKvoMeshLighting: return r.ReadByteField(&m->lighting);
    case kKvoMeshCulling: return r.ReadByteField(&m->culling);
    case kKvoMeshFog: return r.ReadByteField(&m->fog);
    case kKvoMeshAmbient: return r.ReadByteField(&m->ambient);
    case kKvoMeshTransparency: return r.ReadByteField(&m->transparency);
    case kKvoMeshTranslucent: return r.ReadByteField(&m->translucent);
    case kKvoMeshTranslucentMode: return r.ReadU32Field(&m->translucentMode);
    case kKvoMeshRendererFlag: return r.ReadByteField(&m->rendererFlag);
    case kKvoMeshAttachedFrames: return ReadAttachedFrames(r, m, nesting);
    case kKvoMeshSubsets:
      return ReadList(r, subsetCount, &m->subsets,
                      [&](const BlockHeader& b, MaterialSubset* s) { return ReadMaterialSubset(r, b, s); });
    case kKvoMeshVisible: return r.ReadByteField(&m->drawn);
    case kKvoMeshEffectName:
      m->hasEffect = 1;
      return r.ReadStringField(m->effectFileName);
    case kKvoMeshCarriedWord: return r.ReadU32Field(&m->carriedWord);
    case kKvoMeshDepthBiasOn: return r.ReadByteField(&m->depthBiasOn);
    case kKvoMeshSlopeScaleDepthBias: return r.ReadFloatBits(&m->slopeScaleDepthBias);
    case kKvoMeshDepthBias: return r.ReadFloatBits(&m->depthBias);
    case kKvoMeshZRead: return r.ReadByteField(&m->zEnable);
    case kKvoMeshZWrite: return r.ReadByteField(&m->zWrite);
    case kKvoMeshAlphaRef: return r.ReadU32Field(&m->alphaRef);
    default: return r.Skip(h.size);  // stage and subset codes met directly in a mesh included
  }
}

bool ReadMesh(KvoReader& r, std::unique_ptr<MeshRecord>* slot, int nesting) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h)) return false;
  slot->reset();
  if (h.code == kKvoEnd) return true;
  auto mesh = std::make_unique<MeshRecord>();
  uint32_t counts[3] = {0, 0, 0};
  if (!ReadRecordBlocks(r, h, [&](const BlockHeader& b) { return ReadMeshBlock(r, b, mesh.get(), counts, nesting); }))
    return false;
  // The renderer and the object commands trust a mesh's storage: what the image says must hold.
  if (mesh->indexCount > kMaxMeshIndices || !ValidateMeshRecord(*mesh)) return false;
  *slot = std::move(mesh);
  return true;
}

bool ReadTrackBlock(KvoReader& r, const BlockHeader& h, AnimationRecord* t, uint32_t counts[6]) {
  uint32_t& positions = counts[0];
  uint32_t& rotations = counts[1];
  uint32_t& scales = counts[2];
  uint32_t& matrices = counts[3];
  uint32_t& values = counts[4];
  uint32_t& rows = counts[5];
  switch (h.code) {
    case kKvoTrackName: return r.ReadStringField(t->name);
    case kKvoTrackPositionKeyCount: return r.ReadU32Field(&positions);
    case kKvoTrackPositionKeys: return r.ReadArray(&t->positionKeys, positions);
    case kKvoTrackRotationKeyCount: return r.ReadU32Field(&rotations);
    case kKvoTrackRotationKeys: return r.ReadArray(&t->rotationKeys, rotations);
    case kKvoTrackScaleKeyCount: return r.ReadU32Field(&scales);
    case kKvoTrackScaleKeys: return r.ReadArray(&t->scaleKeys, scales);
    case kKvoTrackMatrixKeyCount: return r.ReadU32Field(&matrices);
    case kKvoTrackMatrixKeys: return r.ReadArray(&t->matrixKeys, matrices);
    case kKvoTrackKeyMode: return r.ReadU32Field(&t->keyMode);
    case kKvoTrackValueCount: return r.ReadU32Field(&values);
    case kKvoTrackValues: return r.ReadArray(&t->values, values);
    case kKvoTrackTableRows: return r.ReadU32Field(&rows);
    case kKvoTrackTableColumns: return r.ReadU32Field(&t->tableColumns);
    case kKvoTrackMatrixTable: {
      // Rows are whole animation frames; a table of empty rows still costs memory per row.
      const uint64_t total = uint64_t(rows) * t->tableColumns;
      if (rows > kMaxAnimationLength || total > r.Remaining() / sizeof(Matrix)) return false;
      t->matrixTable.assign(rows, {});
      for (auto& row : t->matrixTable)
        if (!r.ReadArray(&row, t->tableColumns)) return false;
      return true;
    }
    default: return r.Skip(h.size);
  }
}

// A chain of track records into *slot: each next track nests in block 220 of the one before.
bool ReadAnimation(KvoReader& r, std::unique_ptr<AnimationRecord>* slot) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h)) return false;
  if (h.code == kKvoEnd) return true;
  slot->reset(new AnimationRecord);
  struct Open {
    AnimationRecord* track;
    uint32_t counts[6];
  };
  std::vector<Open> open{{slot->get(), {}}};
  while (true) {
    Open& top = open.back();
    if (h.code == kKvoEnd) {
      open.pop_back();
      if (open.empty()) return true;
    } else if (h.code == kKvoTrackNext) {
      if (!r.ReadBlockHeader(&h)) return false;
      top.track->next.reset();
      if (h.code != kKvoEnd) {
        top.track->next.reset(new AnimationRecord);
        open.push_back({top.track->next.get(), {}});
        continue;  // h is the new track's first block
      }
    } else if (!ReadTrackBlock(r, h, top.track, top.counts)) {
      return false;
    }
    if (!r.ReadBlockHeader(&h)) return false;
  }
}

bool ReadAnimationSet(KvoReader& r, std::unique_ptr<AnimationSet>* slot) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h)) return false;
  if (h.code == kKvoEnd) return true;
  slot->reset(new AnimationSet);
  AnimationSet* set = slot->get();
  return ReadRecordBlocks(r, h, [&](const BlockHeader& b) {
    switch (b.code) {
      case kKvoSetName: return r.ReadStringField(set->name);
      case kKvoSetLength: return r.ReadU32Field(&set->length);
      case kKvoSetFirstTrack: return ReadAnimation(r, &set->firstTrack);
      default: return r.Skip(b.size);
    }
  });
}

// The blocks after the animation set, up to the image's end block.
bool ReadCustomData(KvoReader& r, ObjectRecord* object) {
  BlockHeader h;
  if (!r.ReadBlockHeader(&h)) return false;
  return ReadRecordBlocks(r, h, [&](const BlockHeader& b) {
    if (b.code != kKvoAttachedData) return r.Skip(b.size);
    uint32_t n;
    return r.ReadU32Field(&n) && r.ReadArray(&object->workBlock, n);
  });
}

bool ReadModel(KvoReader& r, std::unique_ptr<ObjectRecord>* out) {
  uint32_t length;
  char magic[8];
  if (!r.ReadU32Field(&length) || length != 8 || !r.ReadBytes(magic, 8) || strncasecmp(magic, "MAGICKVO", 8) != 0)
    return false;
  uint32_t version, reserved[2];
  if (!r.ReadU32Field(&version) || !r.ReadU32Field(&reserved[0]) || !r.ReadU32Field(&reserved[1])) return false;
  auto object = std::make_unique<ObjectRecord>();
  BlockHeader h;
  // The top-level blocks come in a fixed order; their codes and sizes are not needed to read them.
  if (!r.ReadBlockHeader(&h) || !ReadFrame(r, &object->root, nullptr, 0)) return false;
  if (!r.ReadBlockHeader(&h) || !ReadAnimationSet(r, &object->firstSet)) return false;
  if (!ReadCustomData(r, object.get())) return false;
  BuildObjectMeshList(object.get());
  *out = std::move(object);
  return true;
}

}  // namespace

bool LoadModelFromMemory(const void* image, size_t size, std::unique_ptr<ObjectRecord>* object) {
  if (!object) return false;
  object->reset();
  if (!image) return false;
  KvoReader reader(static_cast<const uint8_t*>(image), size);
  try {
    return ReadModel(reader, object);
  } catch (const std::bad_alloc&) {
    object->reset();
    return false;
  }
}

// Models run to megabytes: the file layer reads one with a single allocation of its size and a single
// read, rather than growing a buffer and copying it over as it fills.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* buffer) {
  if (!path || !buffer) return false;
  try {
    return platform::fs::ReadWholeFile(path, *buffer);
  } catch (const std::bad_alloc&) {
    buffer->clear();
    return false;
  }
}
