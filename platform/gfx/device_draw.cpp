// Vertex input and draw calls.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gfx/buffers.h"
#include "platform/gfx/device_impl.h"

namespace platform::gfx {
namespace {

bool ValidType(uint32_t type) { return type >= PT_POINTLIST && type <= PT_TRIANGLEFAN; }

GLenum Mode(uint32_t type) {
  switch (type) {
    case PT_POINTLIST: return GL_POINTS;
    case PT_LINELIST: return GL_LINES;
    case PT_LINESTRIP: return GL_LINE_STRIP;
    case PT_TRIANGLELIST: return GL_TRIANGLES;
    case PT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case PT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
  }
}

// Vertices (or indices) that `count` primitives of `type` take; 0 for an unknown type.
uint32_t ElementCount(uint32_t type, uint32_t count) {
  switch (type) {
    case PT_POINTLIST: return count;
    case PT_LINELIST: return count * 2;
    case PT_LINESTRIP: return count + 1;
    case PT_TRIANGLELIST: return count * 3;
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN: return count + 2;
    default: return 0;
  }
}

VertexBufferImpl* VbImpl(VertexBuffer* b) { return static_cast<VertexBufferImpl*>(b); }
IndexBufferImpl* IbImpl(IndexBuffer* b) { return static_cast<IndexBufferImpl*>(b); }

// Attribute slots of the bound-input cache.
enum Slot { kPosition, kNormal, kDiffuse, kSpecular, kTexCoord0 };

}  // namespace

const VertexLayout& DeviceImpl::CurrentLayout() {
  if (layoutDirty_) {
    layout_ = state_.declaration ? static_cast<VertexDeclarationImpl*>(state_.declaration)->layout()
                                 : LayoutFromFvf(state_.fvf);
    layoutDirty_ = false;
    ++layoutVersion_;
    stageDirty_ |= 0xFF;  // texture coordinate sizes feed the texture matrices
  }
  return layout_;
}

void DeviceImpl::ToGlSources(const StreamSource* sources, bool single, StreamSource* gl, int32_t* shift) const {
  *shift = 0;
  for (int i = 0; i < kMaxStreams; ++i) {
    gl[i] = sources[i];
    if (!gl[i].buffer) continue;
    gl[i].offset += gl[i].glOffset;
    gl[i].glOffset = 0;
    gl[i].cpu = nullptr;
  }
  if (single && info_.baseVertex && gl[0].buffer && gl[0].stride) {
    *shift = int32_t(gl[0].offset / gl[0].stride);
    gl[0].offset %= gl[0].stride;
  }
}

bool DeviceImpl::BindVertexInput(const VertexLayout& layout, const StreamSource* sources, uint32_t first,
                                 uint32_t count, int32_t* shift) {
  bool single = layout.streamMask == 1 && !layout.pretransformed;
  StreamSource gl[kMaxStreams];
  ToGlSources(sources, single, gl, shift);
  // Most draws repeat the previous one's input (a mesh drawn again under another transform, or the
  // next mesh of a shared GL buffer).
  if (single && bound_.layoutVersion == layoutVersion_ && bound_.source.cpu == gl[0].cpu &&
      bound_.source.buffer == gl[0].buffer && bound_.source.offset == gl[0].offset &&
      bound_.source.stride == gl[0].stride && std::memcmp(bound_.units, unitTexSet_, sizeof unitTexSet_) == 0)
    return true;
  auto pointerOf = [&](const VertexAttribute& a, GLuint* buffer, uint32_t* stride) -> const void* {
    const StreamSource& src = gl[a.stream];
    *buffer = src.buffer;
    *stride = src.stride;
    size_t offset = size_t(src.offset) + a.offset;
    return src.buffer ? reinterpret_cast<const void*>(offset) : static_cast<const void*>(src.cpu + offset);
  };
  auto changed = [&](int slot, const void* p, GLuint buffer, uint32_t stride) {
    if (bound_.pointers[slot] == p && bound_.buffers[slot] == buffer && bound_.strides[slot] == stride) return false;
    bound_.pointers[slot] = p;
    bound_.buffers[slot] = buffer;
    bound_.strides[slot] = stride;
    return true;
  };
  auto absent = [&](int slot) {
    bool was = bound_.pointers[slot] != nullptr || bound_.buffers[slot] != 0;
    bound_.pointers[slot] = nullptr;
    bound_.buffers[slot] = 0;
    bound_.strides[slot] = 0;
    return was;
  };

  // Position. Pre-transformed positions are converted to clip space here: x, y in pixels with the
  // pixel centres on integers, relative to the viewport; z clamped into 0..1 (screen-space geometry
  // is never clipped by depth: 2D boxes are drawn at z = 10); w = 1 / rhw.
  GLuint buffer;
  uint32_t stride;
  if (layout.pretransformed) {
    const StreamSource& src = sources[layout.position.stream];
    const uint8_t* base = src.buffer ? nullptr : src.cpu;
    if (src.buffer) base = src.cpu;  // the CPU copy of a vertex buffer holds the same data
    if (!base) return false;
    scratch_.resize(size_t(first + count) * 4);
    const Viewport& v = state_.viewport;
    float sx = 2.0f / float(v.width), sy = 2.0f / float(v.height);
    for (uint32_t i = first; i < first + count; ++i) {
      float p[4];
      std::memcpy(p, base + size_t(src.offset) + size_t(i) * src.stride + layout.position.offset, sizeof p);
      float w = p[3] != 0.0f ? 1.0f / p[3] : 1.0f;
      float* out = &scratch_[size_t(i) * 4];
      out[0] = ((p[0] + 0.5f - float(v.x)) * sx - 1.0f) * w;
      out[1] = ((p[1] + 0.5f - float(v.y)) * sy - 1.0f) * w;
      out[2] = (std::clamp(p[2], 0.0f, 1.0f) * 2.0f - 1.0f) * w;
      out[3] = w;
    }
    gl_.ClientArray(GL_VERTEX_ARRAY, true);
    changed(kPosition, nullptr, 0, 0);
    gl_.BindArrayBuffer(0);
    glVertexPointer(4, GL_FLOAT, 16, scratch_.data());
    bound_.pointers[kPosition] = nullptr;  // scratch moves: always sent again
  } else {
    const void* p = pointerOf(layout.position, &buffer, &stride);
    gl_.ClientArray(GL_VERTEX_ARRAY, true);
    if (changed(kPosition, p, buffer, stride)) {
      gl_.BindArrayBuffer(buffer);
      glVertexPointer(layout.position.size, layout.position.type, GLsizei(stride), p);
    }
  }

  if (layout.normal.present()) {
    const void* p = pointerOf(layout.normal, &buffer, &stride);
    gl_.ClientArray(GL_NORMAL_ARRAY, true);
    if (changed(kNormal, p, buffer, stride)) {
      gl_.BindArrayBuffer(buffer);
      glNormalPointer(layout.normal.type, GLsizei(stride), p);
    }
  } else if (absent(kNormal)) {
    gl_.ClientArray(GL_NORMAL_ARRAY, false);
    glNormal3f(0.0f, 0.0f, 0.0f);
  }

  if (layout.diffuse.present()) {
    const void* p = pointerOf(layout.diffuse, &buffer, &stride);
    gl_.ClientArray(GL_COLOR_ARRAY, true);
    if (changed(kDiffuse, p, buffer, stride)) {
      gl_.BindArrayBuffer(buffer);
      glColorPointer(layout.diffuse.size, layout.diffuse.type, GLsizei(stride), p);
    }
  } else if (absent(kDiffuse) || bound_.texcoordSets == ~0u) {
    gl_.ClientArray(GL_COLOR_ARRAY, false);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);  // vertices without a colour are white
  }

  if (layout.specular.present()) {
    const void* p = pointerOf(layout.specular, &buffer, &stride);
    gl_.ClientArray(GL_SECONDARY_COLOR_ARRAY, true);
    if (changed(kSpecular, p, buffer, stride)) {
      gl_.BindArrayBuffer(buffer);
      glSecondaryColorPointer(layout.specular.size == 4 ? 3 : layout.specular.size, layout.specular.type,
                              GLsizei(stride), p);
    }
  } else if (absent(kSpecular) || bound_.texcoordSets == ~0u) {
    gl_.ClientArray(GL_SECONDARY_COLOR_ARRAY, false);
    glSecondaryColor3f(0.0f, 0.0f, 0.0f);
  }

  uint32_t sets = 0;
  for (int unit = 0; unit < kMaxTextureStages; ++unit) {
    int set = unitTexSet_[unit];
    const VertexAttribute* a = set >= 0 && layout.texcoord[set].present() ? &layout.texcoord[set] : nullptr;
    sets |= uint32_t(a ? set + 1 : 0) << (unit * 4);
    if (a) {
      const void* p = pointerOf(*a, &buffer, &stride);
      gl_.TexCoordArray(unit, true);
      if (changed(kTexCoord0 + unit, p, buffer, stride)) {
        gl_.BindArrayBuffer(buffer);
        gl_.ClientActiveTexture(unit);
        glTexCoordPointer(a->size, a->type, GLsizei(stride), p);
      }
    } else {
      absent(kTexCoord0 + unit);
      gl_.TexCoordArray(unit, false);
    }
  }
  bound_.texcoordSets = sets;
  bound_.layoutVersion = single ? layoutVersion_ : ~0u;
  bound_.source = gl[0];
  std::memcpy(bound_.units, unitTexSet_, sizeof unitTexSet_);
  return true;
}

Result DeviceImpl::DrawCommon(uint32_t type, uint32_t primitiveCount, const StreamSource* sources,
                              uint32_t firstVertex, uint32_t vertexCount, const void* indices, GLuint indexBuffer,
                              size_t indexOffset, uint32_t indexSize, int32_t baseVertex) {
  if (!ValidType(type)) return kInvalidCall;
  GLenum mode = Mode(type);
  uint32_t elements = ElementCount(type, primitiveCount);
  if (primitiveCount == 0) return kOk;
  const VertexLayout& layout = CurrentLayout();
  // Without base-vertex draws the base vertex moves the vertex arrays instead, and the index values
  // reach the same vertices from there.
  StreamSource moved[kMaxStreams];
  if (baseVertex && !info_.baseVertex) {
    for (int i = 0; i < kMaxStreams; ++i) {
      moved[i] = sources[i];
      if (!moved[i].cpu && !moved[i].buffer) continue;
      int64_t offset = int64_t(moved[i].offset) + int64_t(baseVertex) * moved[i].stride;
      if (offset < 0 || offset > int64_t(UINT32_MAX)) return kInvalidCall;
      moved[i].offset = uint32_t(offset);
    }
    sources = moved;
    firstVertex = uint32_t(int64_t(firstVertex) - baseVertex);
    baseVertex = 0;
  }
  MakeCurrent();
  BindTargets();
  Flush(layout, type == PT_POINTLIST);
  int32_t shift = 0;
  if (ShadersActive()) {
    if (!FlushShaders()) return kInvalidCall;
  } else {
    LeaveShaders();
  }
  if (shaders_.vertex) {
    if (!BindShaderInput(layout, sources, &shift)) return kInvalidCall;
  } else {
    DisableGenericArrays();
    if (!BindVertexInput(layout, sources, firstVertex, vertexCount, &shift)) return kInvalidCall;
  }
  if (indexSize) {
    GLenum indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    gl_.BindElementBuffer(indexBuffer);
    const void* p = indexBuffer ? reinterpret_cast<const void*>(indexOffset)
                                : static_cast<const uint8_t*>(indices) + indexOffset;
    // The range is that of the index values, before the base vertex is added.
    GLuint lo = GLuint(int64_t(firstVertex) - baseVertex);
    GLuint hi = lo + (vertexCount ? vertexCount - 1 : 0);
    int64_t bias = int64_t(baseVertex) + shift;
    if (bias < INT32_MIN || bias > INT32_MAX) return kInvalidCall;
    if (bias)
      glDrawRangeElementsBaseVertex(mode, lo, hi, GLsizei(elements), indexType, const_cast<void*>(p), GLint(bias));
    else
      glDrawRangeElements(mode, lo, hi, GLsizei(elements), indexType, p);
  } else {
    glDrawArrays(mode, GLint(int64_t(firstVertex) + shift), GLsizei(elements));
  }
  ++drawCalls_;
  return kOk;
}

bool DeviceImpl::GatherStreams(const VertexLayout& layout, uint32_t first, uint32_t count, StreamSource* sources) {
  for (uint32_t mask = layout.streamMask; mask; mask &= mask - 1) {
    int i = __builtin_ctz(mask);
    const StreamSlot& slot = state_.streams[i];
    if (!slot.buffer) return false;
    VertexBufferImpl* vb = VbImpl(slot.buffer);
    uint32_t stride = slot.stride ? slot.stride : layout.size;
    // Reading past the end of the buffer is refused rather than left to the GL.
    if (count && uint64_t(slot.offset) + uint64_t(first + count - 1) * stride + layout.size > vb->length())
      return false;
    sources[i] = {vb->cpu(), vb->glName(), slot.offset, stride, vb->glOffset()};
  }
  return true;
}

Result DeviceImpl::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) {
  const VertexLayout& layout = CurrentLayout();
  if (!layout.valid || !ValidType(type)) return kInvalidCall;
  uint32_t count = ElementCount(type, primitiveCount);
  StreamSource sources[kMaxStreams]{};
  if (!GatherStreams(layout, startVertex, count, sources)) return kInvalidCall;
  return DrawCommon(type, primitiveCount, sources, startVertex, count, nullptr, 0, 0, 0, 0);
}

Result DeviceImpl::DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                        uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount) {
  const VertexLayout& layout = CurrentLayout();
  if (!layout.valid || !ValidType(type) || !state_.indices) return kInvalidCall;
  IndexBufferImpl* ib = IbImpl(state_.indices);
  uint32_t count = ElementCount(type, primitiveCount);
  uint32_t size = ib->indexSize();
  if (uint64_t(startIndex + count) * size > ib->length()) return kInvalidCall;
  int64_t first = int64_t(baseVertexIndex) + minVertexIndex;
  if (first < 0) return kInvalidCall;
  StreamSource sources[kMaxStreams]{};
  if (!GatherStreams(layout, uint32_t(first), numVertices, sources)) return kInvalidCall;
  return DrawCommon(type, primitiveCount, sources, uint32_t(first), numVertices, ib->cpu(), ib->glName(),
                    size_t(ib->glOffset()) + size_t(startIndex) * size, size, baseVertexIndex);
}

Result DeviceImpl::DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertexData,
                                   uint32_t vertexStride) {
  const VertexLayout& layout = CurrentLayout();
  if (!layout.valid || !vertexData || !vertexStride || layout.streamMask != 1 || !ValidType(type)) return kInvalidCall;
  StreamSource sources[kMaxStreams]{};
  sources[0] = {static_cast<const uint8_t*>(vertexData), 0, 0, vertexStride, 0};
  Result r = DrawCommon(type, primitiveCount, sources, 0, ElementCount(type, primitiveCount), nullptr, 0, 0, 0, 0);
  // Drawing from caller memory leaves no stream source behind.
  SetStreamSource(0, nullptr, 0, 0);
  return r;
}

Result DeviceImpl::DrawIndexedPrimitiveUP(uint32_t type, uint32_t minVertexIndex, uint32_t numVertices,
                                          uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                          const void* vertexData, uint32_t vertexStride) {
  const VertexLayout& layout = CurrentLayout();
  if (!layout.valid || !vertexData || !indexData || !vertexStride || layout.streamMask != 1 || !ValidType(type))
    return kInvalidCall;
  if (indexFormat != FMT_INDEX16 && indexFormat != FMT_INDEX32) return kInvalidCall;
  StreamSource sources[kMaxStreams]{};
  sources[0] = {static_cast<const uint8_t*>(vertexData), 0, 0, vertexStride, 0};
  Result r = DrawCommon(type, primitiveCount, sources, minVertexIndex, numVertices, indexData, 0, 0,
                        indexFormat == FMT_INDEX32 ? 4 : 2, 0);
  SetStreamSource(0, nullptr, 0, 0);
  SetIndices(nullptr);
  return r;
}

}  // namespace platform::gfx
