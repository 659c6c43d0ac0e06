#include "platform/gfx/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/format.h"
#include "platform/gfx/texture.h"

namespace platform::gfx {

bool ClipRect(const Rect* rect, uint32_t width, uint32_t height, Rect* out) {
  if (!rect) {
    *out = {0, 0, int32_t(width), int32_t(height)};
    return true;
  }
  if (rect->left < 0 || rect->top < 0 || rect->right > int32_t(width) || rect->bottom > int32_t(height) ||
      rect->left >= rect->right || rect->top >= rect->bottom)
    return false;
  *out = *rect;
  return true;
}

void ReadBackForLock(DeviceImpl* device, const GlImage& image, uint32_t fmt, const Rect& r,
                     std::vector<uint8_t>* buffer, LockedRect* locked) {
  uint32_t w = uint32_t(r.right - r.left), h = uint32_t(r.bottom - r.top);
  uint32_t bpp = format::Find(fmt)->bytesPerPixel;
  std::vector<uint32_t> argb(size_t(w) * h);
  device->ReadColor(image, r, argb.data());
  buffer->resize(size_t(w) * h * bpp);
  format::FromArgb(fmt, argb.data(), buffer->data(), w * h);
  locked->pitch = int32_t(w * bpp);
  locked->bits = buffer->data();
}

void WriteBackAfterLock(DeviceImpl* device, const GlImage& image, uint32_t fmt, const Rect& r,
                        const std::vector<uint8_t>& buffer) {
  uint32_t w = uint32_t(r.right - r.left), h = uint32_t(r.bottom - r.top);
  std::vector<uint32_t> argb(size_t(w) * h);
  format::ToArgb(fmt, buffer.data(), argb.data(), w * h);
  device->WriteColor(image, r, argb.data());
}

SurfaceImpl::SurfaceImpl(DeviceImpl* device, Kind kind, RefCounted* container)
    : DeviceChild(device, container == nullptr), kind_(kind), container_(container) {}

SurfaceImpl::~SurfaceImpl() {
  if (gl_.texture || gl_.renderbuffer) {
    device_->MakeCurrent();
    if (gl_.texture) {
      glDeleteTextures(1, &gl_.texture);
      device_->TextureDeleted(gl_.texture);
    }
    if (gl_.renderbuffer) glDeleteRenderbuffers(1, &gl_.renderbuffer);
  }
}

SurfaceImpl* SurfaceImpl::CreatePlain(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t fmt,
                                      uint32_t pool) {
  const format::Info* info = format::Find(fmt);
  if (!info || !info->texture || !width || !height) return nullptr;
  auto* s = new SurfaceImpl(device, Kind::Plain, nullptr);
  s->width_ = width;
  s->height_ = height;
  s->format_ = fmt;
  s->pool_ = pool;
  s->cpu_.assign(format::LevelBytes(*info, width, height), 0);
  return s;
}

SurfaceImpl* SurfaceImpl::CreateRenderTarget(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t fmt,
                                             RefCounted* container) {
  const format::Info* info = format::Find(fmt);
  if (!info || !info->renderTarget || !width || !height) return nullptr;
  device->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  device->gl().BindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, info->hasAlpha ? GL_RGBA8 : GL_RGB8, GLsizei(width), GLsizei(height), 0, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    device->TextureDeleted(name);
    return nullptr;
  }
  auto* s = new SurfaceImpl(device, Kind::RenderTarget, container);
  s->width_ = width;
  s->height_ = height;
  s->format_ = fmt;
  s->usage_ = USAGE_RENDERTARGET;
  s->pool_ = POOL_DEFAULT;
  s->gl_.texture = name;
  return s;
}

SurfaceImpl* SurfaceImpl::CreateDepthStencil(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t fmt,
                                             RefCounted* container) {
  const format::Info* info = format::Find(fmt);
  if (!info || !info->depth || !width || !height) return nullptr;
  device->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  glBindRenderbuffer(GL_RENDERBUFFER, name);
  glRenderbufferStorage(GL_RENDERBUFFER, info->glInternal, GLsizei(width), GLsizei(height));
  if (glGetError() != GL_NO_ERROR) {
    glDeleteRenderbuffers(1, &name);
    return nullptr;
  }
  auto* s = new SurfaceImpl(device, Kind::DepthStencil, container);
  s->width_ = width;
  s->height_ = height;
  s->format_ = fmt;
  s->usage_ = USAGE_DEPTHSTENCIL;
  s->pool_ = POOL_DEFAULT;
  s->gl_.renderbuffer = name;
  return s;
}

SurfaceImpl* SurfaceImpl::CreateLevel(DeviceImpl* device, TextureStore* owner, BaseTexture* container, uint32_t face,
                                      uint32_t level) {
  auto* s = new SurfaceImpl(device, Kind::Level, container);
  s->texture_ = container;
  s->owner_ = owner;
  s->face_ = face;
  s->level_ = level;
  s->width_ = owner->level(face, level)->width;
  s->height_ = owner->level(face, level)->height;
  s->format_ = owner->format();
  s->usage_ = owner->usage();
  s->pool_ = owner->pool();
  return s;
}

GlImage SurfaceImpl::gl() const {
  if (kind_ != Kind::Level) return gl_;
  GlImage image;
  if (owner_->renderTarget()) {
    image.texture = owner_->glName();
    image.target = owner_->faceTarget(face_);
    image.level = GLint(level_);
  }
  return image;
}

uint8_t* SurfaceImpl::cpuBits() {
  if (kind_ == Kind::Plain) return cpu_.data();
  if (kind_ == Kind::Level && !owner_->renderTarget()) return owner_->level(face_, level_)->cpu.data();
  return nullptr;
}

uint32_t SurfaceImpl::cpuPitch() const { return format::Pitch(*format::Find(format_), width_); }

void SurfaceImpl::CpuChanged(const Rect& rect) {
  if (kind_ == Kind::Level) owner_->MarkDirty(face_, level_, rect);
}

Result SurfaceImpl::GetDesc(SurfaceDesc* desc) {
  if (!desc) return kInvalidCall;
  *desc = {format_, RTYPE_SURFACE, usage_, pool_, 0, 0, width_, height_};
  return kOk;
}

Result SurfaceImpl::GetContainer(BaseTexture** texture) {
  if (!texture) return kInvalidCall;
  *texture = texture_;
  if (!texture_) return kInvalidCall;
  texture_->AddRef();
  return kOk;
}

Result SurfaceImpl::LockRect(LockedRect* locked, const Rect* rect, uint32_t flags) {
  if (!locked) return kInvalidCall;
  if (kind_ == Kind::Level) return owner_->Lock(face_, level_, locked, rect, flags);
  if (kind_ == Kind::DepthStencil || locked_) return kInvalidCall;
  Rect r;
  if (!ClipRect(rect, width_, height_, &r)) return kInvalidCall;
  const format::Info& info = *format::Find(format_);
  if (kind_ == Kind::Plain) {
    if (format::IsCompressed(info) && ((r.left | r.top) & 3)) return kInvalidCall;
    uint32_t pitch = format::Pitch(info, width_);
    size_t offset = format::IsCompressed(info)
                        ? size_t(r.top / 4) * pitch + size_t(r.left / 4) * info.blockBytes
                        : size_t(r.top) * pitch + size_t(r.left) * info.bytesPerPixel;
    locked->pitch = int32_t(pitch);
    locked->bits = cpu_.data() + offset;
  } else {
    ReadBackForLock(device_, gl_, format_, r, &cpu_, locked);
  }
  locked_ = true;
  lockRect_ = r;
  lockFlags_ = flags;
  return kOk;
}

Result SurfaceImpl::UnlockRect() {
  if (kind_ == Kind::Level) return owner_->Unlock(face_, level_);
  if (!locked_) return kInvalidCall;
  locked_ = false;
  if (kind_ == Kind::RenderTarget && !(lockFlags_ & LOCK_READONLY))
    WriteBackAfterLock(device_, gl_, format_, lockRect_, cpu_);
  if (kind_ == Kind::RenderTarget) std::vector<uint8_t>().swap(cpu_);
  return kOk;
}

bool SurfaceImpl::ReadArgb(const Rect& r, uint32_t* argb) {
  GlImage image = gl();
  if (image.texture) {
    device_->ReadColor(image, r, argb);
    return true;
  }
  const uint8_t* bits = cpuBits();
  const format::Info* info = format::Find(format_);
  if (!bits || !info || format::IsCompressed(*info)) return false;
  uint32_t w = uint32_t(r.right - r.left), pitch = cpuPitch();
  for (int32_t y = r.top; y < r.bottom; ++y, argb += w)
    if (!format::ToArgb(format_, bits + size_t(y) * pitch + size_t(r.left) * info->bytesPerPixel, argb, w))
      return false;
  return true;
}

bool SurfaceImpl::WriteArgb(const Rect& r, const uint32_t* argb) {
  GlImage image = gl();
  if (image.texture) {
    device_->WriteColor(image, r, argb);
    return true;
  }
  uint8_t* bits = cpuBits();
  const format::Info* info = format::Find(format_);
  if (!bits || !info || format::IsCompressed(*info)) return false;
  uint32_t w = uint32_t(r.right - r.left), pitch = cpuPitch();
  for (int32_t y = r.top; y < r.bottom; ++y, argb += w)
    if (!format::FromArgb(format_, argb, bits + size_t(y) * pitch + size_t(r.left) * info->bytesPerPixel, w))
      return false;
  CpuChanged(r);
  return true;
}

}  // namespace platform::gfx
