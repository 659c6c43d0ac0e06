// Surfaces: stand-alone render targets, depth-stencil surfaces and off-screen plain surfaces, and
// the level surfaces of textures (which keep their pixels in the texture).
#pragma once
#include <vector>

#include "platform/gfx/device_child.h"
#include "platform/gfx/gl.h"

namespace platform::gfx {

class TextureStore;

// Where a surface's pixels live in GL.
struct GlImage {
  GLuint texture = 0;       // colour: texture name
  GLenum target = GL_TEXTURE_2D;  // GL_TEXTURE_2D or a cube-map face
  GLint level = 0;
  GLuint renderbuffer = 0;  // depth-stencil
  bool valid() const { return texture || renderbuffer; }
};

class SurfaceImpl final : public DeviceChild<Surface> {
 public:
  enum class Kind { Plain, RenderTarget, DepthStencil, Level };

  // Null when GL refuses the storage. `container` (may be null) takes the reference counting over.
  static SurfaceImpl* CreatePlain(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t format,
                                  uint32_t pool);
  static SurfaceImpl* CreateRenderTarget(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t format,
                                         RefCounted* container);
  static SurfaceImpl* CreateDepthStencil(DeviceImpl* device, uint32_t width, uint32_t height, uint32_t format,
                                         RefCounted* container);
  static SurfaceImpl* CreateLevel(DeviceImpl* device, TextureStore* owner, BaseTexture* container, uint32_t face,
                                  uint32_t level);
  ~SurfaceImpl() override;

  uint32_t AddRef() override { return container_ ? container_->AddRef() : RefCountedImpl::AddRef(); }
  uint32_t Release() override { return container_ ? container_->Release() : RefCountedImpl::Release(); }
  uint32_t GetType() override { return RTYPE_SURFACE; }
  Result GetDesc(SurfaceDesc* desc) override;
  Result LockRect(LockedRect* locked, const Rect* rect, uint32_t flags) override;
  Result UnlockRect() override;
  Result GetContainer(BaseTexture** texture) override;

  // Deletes an object whose counting is forwarded (called by its container when it goes).
  void DestroyOwned() { delete this; }

  Kind kind() const { return kind_; }
  RefCounted* container() const { return container_; }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  uint32_t format() const { return format_; }
  bool locked() const { return locked_; }
  // Colour pixels in GL (render targets, levels of render-target textures).
  bool inGl() const { return gl().texture != 0; }
  GlImage gl() const;
  // CPU pixels (plain surfaces, levels of other textures); null otherwise.
  uint8_t* cpuBits();
  uint32_t cpuPitch() const;
  // Tells the owner that CPU pixels of `rect` changed (a texture level sends them before its next draw).
  void CpuChanged(const Rect& rect);

  // Reads or writes a rectangle as 0xAARRGGBB; false when the surface's format has no conversion.
  bool ReadArgb(const Rect& rect, uint32_t* argb);
  bool WriteArgb(const Rect& rect, const uint32_t* argb);
  Rect WholeRect() const { return {0, 0, int32_t(width_), int32_t(height_)}; }

 private:
  SurfaceImpl(DeviceImpl* device, Kind kind, RefCounted* container);

  Kind kind_;
  RefCounted* container_;  // reference counting forwarded here when set
  BaseTexture* texture_ = nullptr;  // the texture of a level surface
  TextureStore* owner_ = nullptr;
  uint32_t face_ = 0, level_ = 0;
  uint32_t width_ = 0, height_ = 0, format_ = 0, usage_ = 0, pool_ = 0;
  GlImage gl_;
  std::vector<uint8_t> cpu_;   // plain surfaces; lock buffer of render targets
  bool locked_ = false;
  uint32_t lockFlags_ = 0;
  Rect lockRect_{};
};

// A lock of pixels that live in GL: the rectangle is read back into `buffer` in `format`, and
// written back from it on unlock.
void ReadBackForLock(DeviceImpl* device, const GlImage& image, uint32_t format, const Rect& rect,
                     std::vector<uint8_t>* buffer, LockedRect* locked);
void WriteBackAfterLock(DeviceImpl* device, const GlImage& image, uint32_t format, const Rect& rect,
                        const std::vector<uint8_t>& buffer);

// Whether `rect` (may be null: whole surface) lies inside a w x h surface; fills `out`.
bool ClipRect(const Rect* rect, uint32_t width, uint32_t height, Rect* out);

}  // namespace platform::gfx
