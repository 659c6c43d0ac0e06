#include "platform/gfx/texture.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/device_impl.h"

namespace platform::gfx {

TextureStore::TextureStore(DeviceImpl* device, uint32_t faces, uint32_t width, uint32_t height, uint32_t levels,
                           uint32_t usage, uint32_t fmt, uint32_t pool)
    : device_(device), faces_(faces), width_(width), height_(height), usage_(usage), format_(fmt), pool_(pool),
      info_(format::Find(fmt)), glTarget_(faces == 6 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D) {
  uint32_t full = format::FullChainLevels(width, height);
  glLevels_ = levels == 0 || levels > full || (usage & USAGE_AUTOGENMIPMAP) ? full : levels;
  // Mipmaps made on the device are invisible to the caller: one level.
  levels_ = (usage & USAGE_AUTOGENMIPMAP) ? 1 : glLevels_;
}

TextureStore::~TextureStore() {
  SetPending(false);
  for (Level& l : store_)
    if (l.surface) l.surface->DestroyOwned();
  if (glName_) {
    device_->MakeCurrent();
    glDeleteTextures(1, &glName_);
    device_->TextureDeleted(glName_);
  }
}

GLenum TextureStore::faceTarget(uint32_t face) const {
  return faces_ == 6 ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
}

TextureStore::Level* TextureStore::level(uint32_t face, uint32_t lvl) {
  if (face >= faces_ || lvl >= levels_) return nullptr;
  return &store_[face * levels_ + lvl];
}

bool TextureStore::Init(BaseTexture* self) {
  self_ = self;
  store_.resize(size_t(faces_) * levels_);
  for (uint32_t f = 0; f < faces_; ++f)
    for (uint32_t l = 0; l < levels_; ++l) {
      Level& lv = store_[f * levels_ + l];
      lv.width = std::max(1u, width_ >> l);
      lv.height = std::max(1u, height_ >> l);
      if (!renderTarget()) lv.cpu.assign(format::LevelBytes(*info_, lv.width, lv.height), 0);
    }
  // System-memory and scratch textures are only sources of copies: no GL storage.
  if (pool_ == POOL_SYSTEMMEM || pool_ == POOL_SCRATCH) return true;
  device_->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenTextures(1, &glName_);
  device_->gl().BindTexture(glTarget_, glName_);
  glTexParameteri(glTarget_, GL_TEXTURE_MAX_LEVEL, GLint(glLevels_ - 1));
  GLenum internal = renderTarget() ? (info_->hasAlpha ? GL_RGBA8 : GL_RGB8)
                    : info_->glFormat || format::IsCompressed(*info_) ? info_->glInternal
                    : (info_->hasAlpha ? GL_RGBA8 : GL_RGB8);
  for (uint32_t f = 0; f < faces_; ++f)
    for (uint32_t l = 0; l < glLevels_; ++l) {
      GLsizei w = GLsizei(std::max(1u, width_ >> l)), h = GLsizei(std::max(1u, height_ >> l));
      GLenum target = faceTarget(f);
      // Levels start as the zeroed CPU copy, which goes to GL with the first draw; levels only GL has
      // (made mipmaps) start empty.
      const bool cpu = l < levels_ && !renderTarget();
      if (format::IsCompressed(*info_)) {
        std::vector<uint8_t> zeros(format::LevelBytes(*info_, uint32_t(w), uint32_t(h)), 0);
        glCompressedTexImage2D(target, GLint(l), internal, w, h, 0, GLsizei(zeros.size()), zeros.data());
      } else {
        const bool own = info_->glFormat && !renderTarget();
        glTexImage2D(target, GLint(l), internal, w, h, 0, own ? info_->glFormat : GL_BGRA,
                     own ? info_->glType : GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        if (cpu) MarkDirty(f, l, {0, 0, w, h});
      }
    }
  return glGetError() == GL_NO_ERROR;
}

Result TextureStore::LevelDesc(uint32_t lvl, SurfaceDesc* desc) {
  Level* l = level(0, lvl);
  if (!desc || !l) return kInvalidCall;
  *desc = {format_, RTYPE_SURFACE, usage_, pool_, 0, 0, l->width, l->height};
  return kOk;
}

Result TextureStore::Surface(uint32_t face, uint32_t lvl, ::platform::gfx::Surface** out) {
  if (!out) return kInvalidCall;
  *out = nullptr;
  Level* l = level(face, lvl);
  if (!l) return kInvalidCall;
  if (!l->surface) l->surface = SurfaceImpl::CreateLevel(device_, this, self_, face, lvl);
  *out = l->surface;
  self_->AddRef();
  return kOk;
}

Result TextureStore::Lock(uint32_t face, uint32_t lvl, LockedRect* locked, const Rect* rect, uint32_t flags) {
  Level* l = level(face, lvl);
  if (!locked || !l || l->locked) return kInvalidCall;
  Rect r;
  if (!ClipRect(rect, l->width, l->height, &r)) return kInvalidCall;
  if (renderTarget()) {
    ReadBackForLock(device_, {glName_, faceTarget(face), GLint(lvl), 0}, format_, r, &l->cpu, locked);
  } else {
    uint32_t pitch = format::Pitch(*info_, l->width);
    size_t offset;
    if (format::IsCompressed(*info_)) {
      if ((r.left | r.top) & 3) return kInvalidCall;
      offset = size_t(r.top / 4) * pitch + size_t(r.left / 4) * info_->blockBytes;
    } else {
      offset = size_t(r.top) * pitch + size_t(r.left) * info_->bytesPerPixel;
    }
    locked->pitch = int32_t(pitch);
    locked->bits = l->cpu.data() + offset;
  }
  l->locked = true;
  l->lockFlags = flags;
  l->lockRect = r;
  return kOk;
}

Result TextureStore::Unlock(uint32_t face, uint32_t lvl) {
  Level* l = level(face, lvl);
  if (!l || !l->locked) return kInvalidCall;
  l->locked = false;
  if (l->lockFlags & LOCK_READONLY) return kOk;
  if (renderTarget()) {
    WriteBackAfterLock(device_, {glName_, faceTarget(face), GLint(lvl), 0}, format_, l->lockRect, l->cpu);
    std::vector<uint8_t>().swap(l->cpu);
  } else {
    MarkDirty(face, lvl, l->lockRect);
  }
  return kOk;
}

void TextureStore::SetPending(bool pending) {
  if (pending == pending_) return;
  pending_ = pending;
  device_->TexturesPending(pending ? 1 : -1);
}

void TextureStore::MarkDirty(uint32_t face, uint32_t lvl, const Rect& r) {
  Level* l = level(face, lvl);
  if (!glName_ || !l || renderTarget() || r.left >= r.right || r.top >= r.bottom) return;
  Rect& d = l->dirty;
  if (d.left >= d.right) {
    d = r;
  } else {
    d = {std::min(d.left, r.left), std::min(d.top, r.top), std::max(d.right, r.right), std::max(d.bottom, r.bottom)};
  }
  SetPending(true);
}

void TextureStore::UploadPending() {
  if (!pending_) return;
  SetPending(false);
  bool base = false;
  for (uint32_t f = 0; f < faces_; ++f)
    for (uint32_t lvl = 0; lvl < levels_; ++lvl) {
      Level& l = store_[f * levels_ + lvl];
      if (l.dirty.left >= l.dirty.right) continue;
      // A level locked for writing still changes: what it has so far goes now, the rest after unlock.
      Upload(f, lvl, l.dirty);
      l.dirty = {};
      base |= lvl == 0;
    }
  if ((usage_ & USAGE_AUTOGENMIPMAP) && base) glGenerateMipmap(glTarget_);
}

void TextureStore::Upload(uint32_t face, uint32_t lvl, const Rect& r) {
  Level* l = level(face, lvl);
  if (!glName_ || !l || renderTarget()) return;
  device_->MakeCurrent();
  device_->gl().BindTexture(glTarget_, glName_);
  device_->CountTextureUpload();
  GLenum target = faceTarget(face);
  if (format::IsCompressed(*info_)) {
    glCompressedTexImage2D(target, GLint(lvl), info_->glInternal, GLsizei(l->width), GLsizei(l->height), 0,
                           GLsizei(l->cpu.size()), l->cpu.data());
  } else {
    uint32_t w = uint32_t(r.right - r.left), h = uint32_t(r.bottom - r.top);
    uint32_t pitch = format::Pitch(*info_, l->width);
    const uint8_t* src = l->cpu.data() + size_t(r.top) * pitch + size_t(r.left) * info_->bytesPerPixel;
    if (info_->glFormat) {
      glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(l->width));
      glTexSubImage2D(target, GLint(lvl), r.left, r.top, GLsizei(w), GLsizei(h), info_->glFormat, info_->glType, src);
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    } else {
      std::vector<uint32_t> argb(size_t(w) * h);
      for (uint32_t y = 0; y < h; ++y) format::ToArgb(format_, src + size_t(y) * pitch, argb.data() + size_t(y) * w, w);
      glTexSubImage2D(target, GLint(lvl), r.left, r.top, GLsizei(w), GLsizei(h), GL_BGRA,
                      GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    }
  }
}

void TextureStore::GenerateMips() {
  if (!glName_ || glLevels_ < 2) return;
  UploadPending();
  device_->MakeCurrent();
  device_->gl().BindTexture(glTarget_, glName_);
  glGenerateMipmap(glTarget_);
}

uint32_t TextureStore::SetLod(uint32_t value) {
  uint32_t old = lod;
  lod = std::min(value, levelCount() - 1);
  sampling_.baseLevel = -1;  // sent again at the next draw
  device_->TextureSamplingChanged(this);
  return old;
}

TextureStore* StoreOf(BaseTexture* texture) {
  if (!texture) return nullptr;
  switch (texture->GetType()) {
    case RTYPE_TEXTURE: return static_cast<TextureImpl*>(static_cast<Texture*>(texture));
    case RTYPE_CUBETEXTURE: return static_cast<CubeTextureImpl*>(static_cast<CubeTexture*>(texture));
    default: return nullptr;
  }
}

}  // namespace platform::gfx
