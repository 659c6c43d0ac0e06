#include "platform/gfx/buffers.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/device_impl.h"

namespace platform::gfx {

BufferStore::BufferStore(DeviceImpl* device, GLenum target, uint32_t length, uint32_t usage, uint32_t pool,
                         uint32_t formatCode)
    : formatCode_(formatCode), cpu_(length, 0), device_(device), target_(target), usage_(usage), pool_(pool) {}

BufferStore::~BufferStore() {
  if (shared_) {
    device_->ArenaFor(target_).Free({glName_, glOffset_}, length());
  } else if (glName_) {
    device_->MakeCurrent();
    glDeleteBuffers(1, &glName_);
    device_->BufferDeleted(glName_);
  }
}

namespace {

void Bind(DeviceImpl* device, GLenum target, GLuint name) {
  if (target == GL_ARRAY_BUFFER) device->gl().BindArrayBuffer(name);
  else device->gl().BindElementBuffer(name);
}

GLenum GlUsage(uint32_t usage) { return (usage & USAGE_DYNAMIC) ? GL_STREAM_DRAW : GL_STATIC_DRAW; }

}  // namespace

bool BufferStore::Init(uint32_t align) {
  if (pool_ == POOL_SYSTEMMEM || pool_ == POOL_SCRATCH) return true;
  device_->MakeCurrent();
  // Dynamic buffers are given fresh storage on every discarding lock: they keep their own.
  if (align && !(usage_ & USAGE_DYNAMIC)) {
    BufferArena::Place place = device_->ArenaFor(target_).Allocate(length(), align, cpu_.data(), device_->gl());
    if (place.buffer) {
      glName_ = place.buffer;
      glOffset_ = place.offset;
      shared_ = true;
      return true;
    }
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenBuffers(1, &glName_);
  Bind(device_, target_, glName_);
  glBufferData(target_, GLsizeiptr(cpu_.size()), cpu_.data(), GlUsage(usage_));
  return glGetError() == GL_NO_ERROR;
}

Result BufferStore::LockRange(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
  if (!data) return kInvalidCall;
  *data = nullptr;
  uint32_t length = uint32_t(cpu_.size());
  if (offset > length) return kInvalidCall;
  if (size == 0) size = length - offset;
  if (size > length - offset) return kInvalidCall;
  uint32_t end = offset + size;
  if (locks_ == 0) {
    lockFlags_ = flags;
    dirtyBegin_ = offset;
    dirtyEnd_ = end;
  } else {
    lockFlags_ &= flags;
    dirtyBegin_ = std::min(dirtyBegin_, offset);
    dirtyEnd_ = std::max(dirtyEnd_, end);
  }
  if (flags & LOCK_READONLY) {
    if (locks_ == 0) dirtyBegin_ = dirtyEnd_ = 0;
  }
  ++locks_;
  *data = cpu_.data() + offset;
  return kOk;
}

Result BufferStore::UnlockRange() {
  if (locks_ == 0) return kInvalidCall;
  if (--locks_ > 0) return kOk;
  if (!glName_ || dirtyEnd_ <= dirtyBegin_) return kOk;
  device_->MakeCurrent();
  Bind(device_, target_, glName_);
  GLintptr begin = GLintptr(dirtyBegin_);
  GLsizeiptr size = GLsizeiptr(dirtyEnd_ - dirtyBegin_);
  if (shared_) {
    // Other buffers share the GL buffer: neither fresh storage nor an unsynchronised map of it.
    glBufferSubData(target_, GLintptr(glOffset_) + begin, size, cpu_.data() + begin);
  } else if (lockFlags_ & LOCK_DISCARD) {
    glBufferData(target_, GLsizeiptr(cpu_.size()), cpu_.data(), GlUsage(usage_));
  } else if (lockFlags_ & LOCK_NOOVERWRITE) {
    void* p = glMapBufferRange(target_, begin, size, GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                                        GL_MAP_INVALIDATE_RANGE_BIT);
    if (p) {
      std::memcpy(p, cpu_.data() + begin, size_t(size));
      glUnmapBuffer(target_);
    } else {
      glBufferSubData(target_, begin, size, cpu_.data() + begin);
    }
  } else {
    glBufferSubData(target_, begin, size, cpu_.data() + begin);
  }
  dirtyBegin_ = dirtyEnd_ = 0;
  return kOk;
}

VertexBufferImpl::VertexBufferImpl(DeviceImpl* device, uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool)
    : DeviceChild(device, true), BufferStore(device, GL_ARRAY_BUFFER, length, usage, pool, fvf) {}

Result VertexBufferImpl::GetDesc(VertexBufferDesc* desc) {
  if (!desc) return kInvalidCall;
  *desc = {FMT_VERTEXDATA, RTYPE_VERTEXBUFFER, usage_, pool_, length(), formatCode_};
  return kOk;
}

IndexBufferImpl::IndexBufferImpl(DeviceImpl* device, uint32_t length, uint32_t usage, uint32_t fmt, uint32_t pool)
    : DeviceChild(device, true), BufferStore(device, GL_ELEMENT_ARRAY_BUFFER, length, usage, pool, fmt) {}

Result IndexBufferImpl::GetDesc(IndexBufferDesc* desc) {
  if (!desc) return kInvalidCall;
  *desc = {formatCode_, RTYPE_INDEXBUFFER, usage_, pool_, length()};
  return kOk;
}

VertexDeclarationImpl::VertexDeclarationImpl(DeviceImpl* device, const VertexElement* elements, uint32_t count)
    : DeviceChild(device, true), elements_(elements, elements + count), layout_(LayoutFromDeclaration(elements)) {}

Result VertexDeclarationImpl::GetDeclaration(VertexElement* elements, uint32_t* count) {
  if (!count) return kInvalidCall;
  if (elements) std::copy(elements_.begin(), elements_.end(), elements);
  *count = uint32_t(elements_.size());
  return kOk;
}

}  // namespace platform::gfx
