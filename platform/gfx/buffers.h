// Vertex and index buffers (a CPU copy plus a GL buffer object) and vertex declarations.
#pragma once
#include <vector>

#include "platform/gfx/device_child.h"
#include "platform/gfx/gl.h"
#include "platform/gfx/vertex_layout.h"

namespace platform::gfx {

// The part shared by both buffer kinds. Unlock sends the locked range to GL: a DISCARD lock gives
// the buffer fresh storage and a NOOVERWRITE lock writes unsynchronised, so the renderer never
// waits for draws still queued on the old contents. A small static buffer lives at a place in one of
// the device's shared GL buffers (BufferArena) when `align` is given: GL offsets then start at
// glOffset().
class BufferStore {
 public:
  BufferStore(DeviceImpl* device, GLenum target, uint32_t length, uint32_t usage, uint32_t pool, uint32_t formatCode);
  ~BufferStore();
  // align: the multiple of which a place in a shared GL buffer must start; 0 keeps a GL buffer of
  // the buffer's own.
  bool Init(uint32_t align);
  Result LockRange(uint32_t offset, uint32_t size, void** data, uint32_t flags);
  Result UnlockRange();
  const uint8_t* cpu() const { return cpu_.data(); }
  GLuint glName() const { return glName_; }
  uint32_t glOffset() const { return glOffset_; }
  uint32_t length() const { return uint32_t(cpu_.size()); }

 protected:
  // What every draw reads comes first: with the buffer classes aligned to a cache line, a draw from
  // a buffer not touched for a while misses the cache once, not twice.
  GLuint glName_ = 0;
  uint32_t glOffset_ = 0;
  uint32_t formatCode_;  // the vertex format code, or the index format
  std::vector<uint8_t> cpu_;
  DeviceImpl* device_;
  GLenum target_;
  uint32_t usage_, pool_;
  bool shared_ = false;  // glName_ is a shared GL buffer of the device's
  uint32_t locks_ = 0, lockFlags_ = 0, dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class alignas(64) VertexBufferImpl final : public DeviceChild<VertexBuffer>, public BufferStore {
 public:
  VertexBufferImpl(DeviceImpl* device, uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool);
  uint32_t GetType() override { return RTYPE_VERTEXBUFFER; }
  Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
    return LockRange(offset, size, data, flags);
  }
  Result Unlock() override { return UnlockRange(); }
  Result GetDesc(VertexBufferDesc* desc) override;
  uint32_t fvf() const { return formatCode_; }
};

class alignas(64) IndexBufferImpl final : public DeviceChild<IndexBuffer>, public BufferStore {
 public:
  IndexBufferImpl(DeviceImpl* device, uint32_t length, uint32_t usage, uint32_t format, uint32_t pool);
  uint32_t GetType() override { return RTYPE_INDEXBUFFER; }
  Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
    return LockRange(offset, size, data, flags);
  }
  Result Unlock() override { return UnlockRange(); }
  Result GetDesc(IndexBufferDesc* desc) override;
  uint32_t format() const { return formatCode_; }
  uint32_t indexSize() const { return formatCode_ == FMT_INDEX32 ? 4 : 2; }
};

class VertexDeclarationImpl final : public DeviceChild<VertexDeclaration> {
 public:
  VertexDeclarationImpl(DeviceImpl* device, const VertexElement* elements, uint32_t count);
  Result GetDeclaration(VertexElement* elements, uint32_t* count) override;
  const VertexLayout& layout() const { return layout_; }
  const std::vector<VertexElement>& elements() const { return elements_; }  // end marker included

 private:
  std::vector<VertexElement> elements_;
  VertexLayout layout_;
};

}  // namespace platform::gfx
