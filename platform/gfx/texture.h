// Textures and cube textures. Ordinary textures keep every level as CPU pixels in their own format
// (as the managed pool did); what a lock (or a copy) changed is gathered per level and goes to GL
// once, when the device next draws with the texture. Render-target textures live in GL and are read
// back when locked.
#pragma once
#include <vector>

#include "platform/gfx/device_child.h"
#include "platform/gfx/format.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

// GL sampling parameters last set on a texture object (they belong to the texture in GL but to the
// sampler stage in the device API, so they are compared and re-sent when a stage uses the texture).
struct GlSampling {
  GLint minFilter = -1, magFilter = -1, wrapS = -1, wrapT = -1, wrapR = -1, baseLevel = -1;
  float anisotropy = -1;
  uint32_t border = 0xDEADBEEF;
  uint32_t serial = 0;  // counts the parameter changes sent, so a stage sees another stage's
};

class TextureStore {
 public:
  struct Level {
    uint32_t width, height;
    std::vector<uint8_t> cpu;  // ordinary textures only
    bool locked = false;
    uint32_t lockFlags = 0;
    Rect lockRect{};
    Rect dirty{};  // CPU pixels GL has not seen yet (empty when right < left)
    SurfaceImpl* surface = nullptr;  // made on first request, forwards its counting to the texture
  };

  TextureStore(DeviceImpl* device, uint32_t faces, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
               uint32_t format, uint32_t pool);
  virtual ~TextureStore();
  // Allocates CPU and GL storage; false when GL refuses it.
  bool Init(BaseTexture* self);

  uint32_t faces() const { return faces_; }
  uint32_t levelCount() const { return levels_; }  // levels the caller sees (1 with autogen mipmaps)
  uint32_t format() const { return format_; }
  uint32_t usage() const { return usage_; }
  uint32_t pool() const { return pool_; }
  bool renderTarget() const { return (usage_ & USAGE_RENDERTARGET) != 0; }
  bool hasGl() const { return glName_ != 0; }
  GLuint glName() const { return glName_; }
  GLenum glTarget() const { return glTarget_; }
  uint32_t glLevels() const { return glLevels_; }
  GlSampling& sampling() { return sampling_; }
  const format::Info& info() const { return *info_; }
  Level* level(uint32_t face, uint32_t level);
  GLenum faceTarget(uint32_t face) const;

  Result LevelDesc(uint32_t level, SurfaceDesc* desc);
  Result Surface(uint32_t face, uint32_t level, Surface** out);
  Result Lock(uint32_t face, uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags);
  Result Unlock(uint32_t face, uint32_t level);
  // Notes that CPU pixels of `rect` changed; they go to GL with the next UploadPending.
  void MarkDirty(uint32_t face, uint32_t level, const Rect& rect);
  // Whether some level has changes GL has not seen.
  bool pending() const { return pending_; }
  // Sends every level's changed rectangle to GL (and rebuilds mipmaps of autogen textures once).
  void UploadPending();
  void GenerateMips();
  uint32_t SetLod(uint32_t value);  // returns the previous value
  uint32_t lod = 0;
  uint32_t autoGenFilter = TEXF_LINEAR;

 protected:
  DeviceImpl* device_;
  BaseTexture* self_ = nullptr;
  uint32_t faces_, width_, height_, levels_, glLevels_, usage_, format_, pool_;
  const format::Info* info_;
  std::vector<Level> store_;  // face-major
  GLuint glName_ = 0;
  GLenum glTarget_;
  bool pending_ = false;  // counted by the device while set
  GlSampling sampling_;

 private:
  // Sends a rectangle of a level's CPU pixels to GL.
  void Upload(uint32_t face, uint32_t level, const Rect& rect);
  void SetPending(bool pending);
};

// What 2D and cube textures share of the interface.
template <class Interface>
class TextureCommon : public DeviceChild<Interface>, public TextureStore {
 public:
  TextureCommon(DeviceImpl* device, uint32_t faces, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                uint32_t format, uint32_t pool, bool holdDevice)
      : DeviceChild<Interface>(device, holdDevice),
        TextureStore(device, faces, width, height, levels, usage, format, pool) {}
  uint32_t GetLevelCount() override { return levelCount(); }
  uint32_t SetLOD(uint32_t value) override { return SetLod(value); }
  uint32_t GetLOD() override { return lod; }
  Result SetAutoGenFilterType(uint32_t filter) override {
    autoGenFilter = filter;
    return kOk;
  }
  uint32_t GetAutoGenFilterType() override { return autoGenFilter; }
  void GenerateMipSubLevels() override { GenerateMips(); }
  Result GetLevelDesc(uint32_t level, SurfaceDesc* desc) override { return LevelDesc(level, desc); }
};

class TextureImpl final : public TextureCommon<Texture> {
 public:
  TextureImpl(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
              uint32_t pool, bool holdDevice)
      : TextureCommon(device, 1, width, height, levels, usage, format, pool, holdDevice) {}
  uint32_t GetType() override { return RTYPE_TEXTURE; }
  Result GetSurfaceLevel(uint32_t level, ::platform::gfx::Surface** surface) override {
    return Surface(0, level, surface);
  }
  Result LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override {
    return Lock(0, level, locked, rect, flags);
  }
  Result UnlockRect(uint32_t level) override { return Unlock(0, level); }
  Result AddDirtyRect(const Rect*) override { return kOk; }
};

class CubeTextureImpl final : public TextureCommon<CubeTexture> {
 public:
  CubeTextureImpl(DeviceImpl* device, uint32_t edge, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool)
      : TextureCommon(device, 6, edge, edge, levels, usage, format, pool, true) {}
  uint32_t GetType() override { return RTYPE_CUBETEXTURE; }
  Result GetCubeMapSurface(uint32_t face, uint32_t level, ::platform::gfx::Surface** surface) override {
    return Surface(face, level, surface);
  }
  Result LockRect(uint32_t face, uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override {
    return Lock(face, level, locked, rect, flags);
  }
  Result UnlockRect(uint32_t face, uint32_t level) override { return Unlock(face, level); }
  Result AddDirtyRect(uint32_t, const Rect*) override { return kOk; }
};

// The store behind a texture the device made (null for null).
TextureStore* StoreOf(BaseTexture* texture);

}  // namespace platform::gfx
