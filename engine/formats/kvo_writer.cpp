// Writing a record tree as a KVO image. The same walk runs twice: once without a buffer to measure
// the image, once copying into a buffer of exactly that length, so the image is allocated once and
// never grown, and each field is one copy to a known place. Frame trees and track chains are walked
// with explicit stacks: a model with thousands of sibling frames nests them that deep in the image.
#include <bit>
#include <cstring>
#include <new>

#include "engine/formats/kvo_format.h"

static_assert(std::endian::native == std::endian::little, "images are little-endian, written as held");
static_assert(sizeof(platform::gfx::VertexElement) * platform::gfx::kMaxDeclLength == kKvoDeclarationBytes);

namespace {

class KvoWriter {
 public:
  // `out` is null while measuring; else `capacity` bytes long, the measured length. `fill` may be null.
  KvoWriter(uint8_t* out, uint64_t capacity, const KvoVertexFill* fill) : out_(out), capacity_(capacity), fill_(fill) {}

  uint64_t Size() const { return size_; }
  const KvoVertexFill* Fill() const { return fill_; }

  // The next n bytes of the image, for the caller to write; null while measuring. The second walk
  // writes what the first measured; the test only guards against that changing.
  uint8_t* Claim(size_t n) {
    uint8_t* at = out_ && n && size_ + n <= capacity_ ? out_ + size_ : nullptr;
    size_ += n;
    return at;
  }
  void WriteBytes(const void* data, size_t n) {
    if (uint8_t* at = Claim(n)) std::memcpy(at, data, n);
  }
  void WriteU32Field(uint32_t value) { WriteBytes(&value, 4); }
  void WriteByteField(uint8_t value) { WriteBytes(&value, 1); }
  void WriteBlockHeader(uint32_t code, uint32_t size) {
    WriteU32Field(code);
    WriteU32Field(size);
  }
  void WriteStringField(const char* text, size_t maxLength) {
    const size_t n = strnlen(text, maxLength);
    WriteU32Field(uint32_t(n));
    WriteBytes(text, n);
  }
  void WriteEndBlock() { WriteBlockHeader(kKvoEnd, 0); }

  // Fixed-size blocks.
  void U32Block(uint32_t code, uint32_t value) {
    WriteBlockHeader(code, 4);
    WriteU32Field(value);
  }
  void ByteBlock(uint32_t code, uint8_t value) {
    WriteBlockHeader(code, 1);
    WriteByteField(value);
  }
  void FloatBitsBlock(uint32_t code, float value) { U32Block(code, std::bit_cast<uint32_t>(value)); }
  void BytesBlock(uint32_t code, const void* data, size_t n) {
    WriteBlockHeader(code, uint32_t(n));
    WriteBytes(data, n);
  }
  template <typename T>
  void ValueBlock(uint32_t code, const T& value) {
    BytesBlock(code, &value, sizeof value);
  }
  void NameBlock(uint32_t code, const char (&name)[kRecordNameLength]) {
    const uint64_t mark = OpenBlock(code);
    WriteStringField(name, kRecordNameLength - 1);
    CloseBlock(mark);
  }

  // A block whose size is known only after its payload: the header goes out with size 0 and the size
  // is patched in once the payload is written. Returns where the size field lies.
  uint64_t OpenBlock(uint32_t code) {
    WriteBlockHeader(code, 0);
    return size_ - 4;
  }
  void CloseBlock(uint64_t mark) {
    const uint32_t length = uint32_t(size_ - mark - 4);
    if (out_ && mark + 4 <= capacity_) std::memcpy(out_ + mark, &length, 4);
  }

 private:
  uint8_t* out_;
  uint64_t capacity_;
  const KvoVertexFill* fill_;
  uint64_t size_ = 0;
};

bool WriteFrame(KvoWriter& w, const FrameRecord* frame, int nesting);

// Whether the mesh's vertex bytes are made by the vertex fill rather than held by the mesh.
bool FilledVertices(const KvoWriter& w, const MeshRecord& m) {
  return w.Fill() && *w.Fill() && m.vertices.empty() && m.vertexCount > 0 && m.vertexSize > 0;
}

// The arrays the image carries must be as long as their counts say, or the reader would read a
// different tree (or the writer read past them).
bool MeshWritable(const KvoWriter& w, const MeshRecord& m) {
  if (m.vertexCount < 0 || m.indexCount < 0 || !m.wideIndices.empty()) return false;
  if (FilledVertices(w, m)) {
    if (uint64_t(m.vertexCount) * m.vertexSize > UINT32_MAX) return false;
  } else if (m.vertices.size() != uint64_t(m.vertexCount) * m.vertexSize) {
    return false;
  }
  if (m.indices.size() != size_t(m.indexCount)) return false;
  for (const BoneRecord& b : m.bones)
    if (b.vertexIndices.size() != b.weights.size()) return false;
  return true;
}

void WriteTextureStage(KvoWriter& w, const TextureStage& s) {
  w.NameBlock(kKvoStageName, s.fileName);
  w.U32Block(kKvoStageNumber, s.stage);
  const uint32_t settings[11] = {s.colorOp,   s.colorArg1, s.colorArg2, s.addressU,     s.addressV,     s.magFilter,
                                 s.minFilter, s.mipFilter, s.texCoordMode, s.spareWords[0], s.spareWords[1]};
  for (uint32_t i = 0; i < 11; ++i) w.U32Block(kKvoStageFirstSetting + i, settings[i]);
  w.WriteEndBlock();
}

void WriteMaterialSubset(KvoWriter& w, const MaterialSubset& s) {
  w.NameBlock(kKvoSubsetName, s.name);
  w.ValueBlock(kKvoSubsetMaterial, s.material);
  w.U32Block(kKvoSubsetFirstIndex, s.firstIndex);
  w.U32Block(kKvoSubsetIndexCount, s.indexCount);
  w.U32Block(kKvoSubsetTriangleCount, s.triangleCount);
  w.WriteEndBlock();
}

void WriteBone(KvoWriter& w, const BoneRecord& b) {
  const uint32_t n = b.InfluenceCount();
  w.NameBlock(kKvoBoneName, b.name);
  w.U32Block(kKvoBoneInfluenceCount, n);
  if (n > 0) {
    w.BytesBlock(kKvoBoneVertexIndices, b.vertexIndices.data(), size_t(n) * 4);
    w.BytesBlock(kKvoBoneWeights, b.weights.data(), size_t(n) * 4);
  }
  w.ValueBlock(kKvoBoneOffsetMatrix, b.offsetMatrix);
  w.WriteEndBlock();
}

// A list block: each record closed by its own end block, then one more end block.
template <typename T, typename WriteOne>
void WriteList(KvoWriter& w, uint32_t code, const std::vector<T>& records, WriteOne writeOne) {
  const uint64_t mark = w.OpenBlock(code);
  for (const T& r : records) writeOne(w, r);
  w.WriteEndBlock();
  w.CloseBlock(mark);
}

bool WriteMesh(KvoWriter& w, const MeshRecord* mesh, int nesting) {
  if (!mesh) {
    w.WriteEndBlock();
    return true;
  }
  const MeshRecord& m = *mesh;
  if (!MeshWritable(w, m) || nesting > kKvoMaxAttachedNesting) return false;
  const uint32_t indexBytes = uint32_t(m.indexCount) * 2;
  w.U32Block(kKvoMeshFvf, m.fvf);
  w.U32Block(kKvoMeshVertexSize, m.vertexSize);
  w.U32Block(kKvoMeshVertexCount, uint32_t(m.vertexCount));
  w.U32Block(kKvoMeshIndexCount, uint32_t(m.indexCount));
  if (m.fvf == 0) {
    w.WriteBlockHeader(kKvoMeshDeclaration, 4);  // stored images give this block size 4
    w.WriteBytes(m.declaration, kKvoDeclarationBytes);
  }
  w.U32Block(kKvoMeshAttachedFrames, uint32_t(m.attachedFrames.size()));
  for (const auto& frame : m.attachedFrames)
    if (!WriteFrame(w, frame.get(), nesting + 1)) return false;
  if (FilledVertices(w, m)) {
    const size_t bytes = size_t(m.vertexCount) * m.vertexSize;
    w.WriteBlockHeader(kKvoMeshVertices, uint32_t(bytes));
    if (uint8_t* out = w.Claim(bytes)) (*w.Fill())(m, out);
  } else {
    w.BytesBlock(kKvoMeshVertices, m.vertices.data(), m.vertices.size());
  }
  if (m.indexCount > 0) w.BytesBlock(kKvoMeshIndices, m.indices.data(), indexBytes);
  // Stored images give these three the index array's size; the payload is one u32 each.
  w.WriteBlockHeader(kKvoMeshPrimitiveType, indexBytes);
  w.WriteU32Field(m.primitiveType);
  w.WriteBlockHeader(kKvoMeshDrawVertexCount, indexBytes);
  w.WriteU32Field(uint32_t(m.drawVertexCount));
  w.WriteBlockHeader(kKvoMeshDrawPrimitiveCount, indexBytes);
  w.WriteU32Field(uint32_t(m.drawPrimitiveCount));
  w.U32Block(kKvoMeshBoneCount, uint32_t(m.bones.size()));
  WriteList(w, kKvoMeshBones, m.bones, WriteBone);
  w.ByteBlock(kKvoMeshOwnMaterial, m.ownMaterial);
  w.ValueBlock(kKvoMeshMaterial, m.material);
  w.U32Block(kKvoMeshStageCount, uint32_t(m.stages.size()));
  WriteList(w, kKvoMeshStages, m.stages, WriteTextureStage);
  w.ByteBlock(kKvoMeshSubsetTextures, m.subsetTextures);
  w.U32Block(kKvoMeshSubsetCount, uint32_t(m.subsets.size()));
  WriteList(w, kKvoMeshSubsets, m.subsets, WriteMaterialSubset);
  w.ByteBlock(kKvoMeshWireframe, m.wireframe);
  w.ByteBlock(kKvoMeshLighting, m.lighting);
  w.ByteBlock(kKvoMeshCulling, m.culling);
  w.ByteBlock(kKvoMeshFog, m.fog);
  w.ByteBlock(kKvoMeshAmbient, m.ambient);
  w.ByteBlock(kKvoMeshTransparency, m.transparency);
  w.ByteBlock(kKvoMeshTranslucent, m.translucent);
  w.U32Block(kKvoMeshTranslucentMode, m.translucentMode);
  w.ByteBlock(kKvoMeshVisible, m.drawn);
  w.ByteBlock(kKvoMeshRendererFlag, m.rendererFlag);
  if (m.hasEffect) w.NameBlock(kKvoMeshEffectName, m.effectFileName);
  w.U32Block(kKvoMeshCarriedWord, m.carriedWord);
  w.ByteBlock(kKvoMeshDepthBiasOn, m.depthBiasOn);
  w.FloatBitsBlock(kKvoMeshSlopeScaleDepthBias, m.slopeScaleDepthBias);
  w.FloatBitsBlock(kKvoMeshDepthBias, m.depthBias);
  w.ByteBlock(kKvoMeshZRead, m.zEnable);
  w.ByteBlock(kKvoMeshZWrite, m.zWrite);
  w.U32Block(kKvoMeshAlphaRef, m.alphaRef);
  w.WriteEndBlock();
  return true;
}

// One frame record (the end block alone for no frame). Its child and sibling records nest inside
// blocks 104 and 105, so each open frame remembers how far it got.
bool WriteFrame(KvoWriter& w, const FrameRecord* frame, int nesting) {
  if (!frame) {
    w.WriteEndBlock();
    return true;
  }
  enum Stage { kHead, kAfterChild, kAfterSibling };
  struct Open {
    const FrameRecord* frame;
    Stage stage;
    uint64_t mark;
  };
  std::vector<Open> open{{frame, kHead, 0}};
  while (!open.empty()) {
    const FrameRecord* f = open.back().frame;
    switch (open.back().stage) {
      case kHead: {
        w.NameBlock(kKvoFrameName, f->name);
        w.ValueBlock(kKvoFrameMatrix, f->localMatrix);
        const uint64_t mesh = w.OpenBlock(kKvoFrameMesh);
        if (!WriteMesh(w, f->mesh.get(), nesting)) return false;
        w.CloseBlock(mesh);
        open.back() = {f, kAfterChild, w.OpenBlock(kKvoFrameChild)};
        if (f->child) open.push_back({f->child.get(), kHead, 0});
        else w.WriteEndBlock();
        break;
      }
      case kAfterChild:
        w.CloseBlock(open.back().mark);
        open.back() = {f, kAfterSibling, w.OpenBlock(kKvoFrameSibling)};
        if (f->sibling) open.push_back({f->sibling.get(), kHead, 0});
        else w.WriteEndBlock();
        break;
      case kAfterSibling:
        w.CloseBlock(open.back().mark);
        w.ValueBlock(kKvoFrameOffset, f->offsetTranslation);
        w.ValueBlock(kKvoFrameRotation, f->rotation);
        w.ValueBlock(kKvoFrameScale, f->scale);
        w.WriteEndBlock();
        open.pop_back();
        break;
    }
  }
  return true;
}

bool WriteMatrixTable(KvoWriter& w, const AnimationRecord& t) {
  for (const auto& row : t.matrixTable)
    if (row.size() != t.tableColumns) return false;
  const uint64_t mark = w.OpenBlock(kKvoTrackMatrixTable);
  for (const auto& row : t.matrixTable) w.WriteBytes(row.data(), row.size() * sizeof(Matrix));
  w.CloseBlock(mark);
  return true;
}

// A chain of tracks: each next track nests in block 220, the last block before its owner's end.
bool WriteAnimation(KvoWriter& w, const AnimationRecord* first) {
  std::vector<uint64_t> nextMarks;
  for (const AnimationRecord* t = first; t; t = t->next.get()) {
    w.NameBlock(kKvoTrackName, t->name);
    const auto keys = [&](uint32_t countCode, const auto& array) {
      w.U32Block(countCode, uint32_t(array.size()));
      if (!array.empty()) w.BytesBlock(countCode + 1, array.data(), array.size() * sizeof(array[0]));
    };
    keys(kKvoTrackPositionKeyCount, t->positionKeys);
    keys(kKvoTrackRotationKeyCount, t->rotationKeys);
    keys(kKvoTrackScaleKeyCount, t->scaleKeys);
    keys(kKvoTrackMatrixKeyCount, t->matrixKeys);
    if (t->keyMode == 0) {
      w.U32Block(kKvoTrackKeyMode, t->keyMode);
      w.U32Block(kKvoTrackValueCount, uint32_t(t->values.size()));
      w.BytesBlock(kKvoTrackValues, t->values.data(), t->values.size() * 4);
      w.U32Block(kKvoTrackTableRows, uint32_t(t->matrixTable.size()));
      w.U32Block(kKvoTrackTableColumns, t->tableColumns);
      if (!WriteMatrixTable(w, *t)) return false;
    }
    if (t->next) nextMarks.push_back(w.OpenBlock(kKvoTrackNext));
  }
  w.WriteEndBlock();
  for (auto mark = nextMarks.rbegin(); mark != nextMarks.rend(); ++mark) {
    w.CloseBlock(*mark);
    w.WriteEndBlock();
  }
  return true;
}

bool WriteAnimationSet(KvoWriter& w, const AnimationSet* set) {
  if (!set) {
    w.WriteEndBlock();
    return true;
  }
  w.NameBlock(kKvoSetName, set->name);
  w.U32Block(kKvoSetLength, set->length);
  if (set->firstTrack) {
    const uint64_t mark = w.OpenBlock(kKvoSetFirstTrack);
    if (!WriteAnimation(w, set->firstTrack.get())) return false;
    w.CloseBlock(mark);
  }
  w.WriteEndBlock();
  return true;
}

bool WriteModel(KvoWriter& w, const ObjectRecord& object) {
  w.WriteStringField("MAGICKVO", 8);
  w.WriteU32Field(kKvoVersion);
  w.WriteU32Field(0);
  w.WriteU32Field(0);
  uint64_t mark = w.OpenBlock(kKvoRootFrame);
  if (!WriteFrame(w, object.root.get(), 0)) return false;
  w.CloseBlock(mark);
  mark = w.OpenBlock(kKvoAnimationSet);
  if (!WriteAnimationSet(w, object.firstSet.get())) return false;
  w.CloseBlock(mark);
  mark = w.OpenBlock(kKvoAttachedData);
  w.WriteU32Field(uint32_t(object.workBlock.size()));
  w.WriteBytes(object.workBlock.data(), object.workBlock.size());
  w.CloseBlock(mark);
  w.WriteEndBlock();
  return true;
}

// Measures the image, sizes the buffer to it once and writes it.
template <typename Buffer>
bool SaveImage(const ObjectRecord* object, Buffer* image, const KvoVertexFill* vertexFill) {
  if (!object || !image) return false;
  KvoWriter measure(nullptr, 0, vertexFill);
  // Sizes are u32 fields; an image past that could not say its own lengths.
  if (!WriteModel(measure, *object) || measure.Size() > UINT32_MAX) return false;
  try {
    image->clear();  // storage the vector already has is reused, and nothing old is copied
    image->resize(size_t(measure.Size()));
  } catch (const std::bad_alloc&) {
    image->clear();
    return false;
  }
  KvoWriter fill(image->data(), image->size(), vertexFill);
  WriteModel(fill, *object);
  if (fill.Size() == measure.Size()) return true;
  image->clear();
  return false;
}

}  // namespace

bool SaveModelToMemory(const ObjectRecord* object, std::vector<uint8_t>* image) {
  return SaveImage(object, image, nullptr);
}

bool SaveModelToMemory(const ObjectRecord* object, KvoImage* image, const KvoVertexFill& fill) {
  return SaveImage(object, image, &fill);
}
