// Render targets, clears and copies between surfaces.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/format.h"
#include "platform/gfx/texture.h"

namespace platform::gfx {
namespace {

SurfaceImpl* Impl(Surface* s) { return static_cast<SurfaceImpl*>(s); }

bool HasStencil(uint32_t fmt) { return fmt == FMT_D24S8; }

// Scales a w x h picture of 0xAARRGGBB to dw x dh, by nearest texel or bilinear.
void ScaleArgb(const uint32_t* src, uint32_t w, uint32_t h, uint32_t* dst, uint32_t dw, uint32_t dh, bool linear) {
  for (uint32_t y = 0; y < dh; ++y)
    for (uint32_t x = 0; x < dw; ++x) {
      float fx = (float(x) + 0.5f) * float(w) / float(dw) - 0.5f;
      float fy = (float(y) + 0.5f) * float(h) / float(dh) - 0.5f;
      if (!linear) {
        uint32_t sx = std::min(w - 1, uint32_t(std::max(0.0f, std::floor(fx + 0.5f))));
        uint32_t sy = std::min(h - 1, uint32_t(std::max(0.0f, std::floor(fy + 0.5f))));
        dst[y * dw + x] = src[sy * w + sx];
        continue;
      }
      fx = std::clamp(fx, 0.0f, float(w - 1));
      fy = std::clamp(fy, 0.0f, float(h - 1));
      uint32_t x0 = uint32_t(fx), y0 = uint32_t(fy);
      uint32_t x1 = std::min(w - 1, x0 + 1), y1 = std::min(h - 1, y0 + 1);
      float ax = fx - float(x0), ay = fy - float(y0);
      uint32_t out = 0;
      for (int c = 0; c < 32; c += 8) {
        auto ch = [&](uint32_t px, uint32_t py) { return float((src[py * w + px] >> c) & 255); };
        float top = ch(x0, y0) * (1 - ax) + ch(x1, y0) * ax;
        float bottom = ch(x0, y1) * (1 - ax) + ch(x1, y1) * ax;
        out |= uint32_t(std::lround(top * (1 - ay) + bottom * ay)) << c;
      }
      dst[y * dw + x] = out;
    }
}

}  // namespace

void DeviceImpl::TextureDeleted(GLuint name) {
  gl_.ForgetTexture(name);
  // GL unbinds it from every unit, and the name may come back for another texture.
  for (int s = 0; s < kMaxTextureStages; ++s)
    if (flushedStages_[s].name == name) ForgetStages(1u << s);
}

void DeviceImpl::TextureSamplingChanged(const TextureStore* texture) {
  for (int s = 0; s < kMaxTextureStages; ++s)
    if (StoreOf(state_.textures[s]) == texture) stageDirty_ |= 1u << s;
}

void DeviceImpl::BufferDeleted(GLuint name) {
  gl_.ForgetBuffer(name);
  for (GLuint& b : bound_.buffers)
    if (b == name) bound_ = BoundInput{};
  // GL lets go of the buffer wherever an array pointed into it.
  for (GenericArray& a : shaders_.arrays)
    if (a.buffer == name) a = GenericArray{};
  if (shaders_.input.buffer == name) shaders_.input = BoundShaderInput{};
}

void DeviceImpl::AttachColor(GLenum fboTarget, const GlImage& image) {
  glFramebufferTexture2D(fboTarget, GL_COLOR_ATTACHMENT0, image.target, image.texture, image.level);
}

void DeviceImpl::ReadColor(const GlImage& image, const Rect& r, uint32_t* argb) {
  MakeCurrent();
  gl_.BindReadFramebuffer(readFbo_);
  AttachColor(GL_READ_FRAMEBUFFER, image);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(r.left, r.top, r.right - r.left, r.bottom - r.top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
}

void DeviceImpl::WriteColor(const GlImage& image, const Rect& r, const uint32_t* argb) {
  MakeCurrent();
  gl_.BindTexture(image.target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP, image.texture);
  glTexSubImage2D(image.target, image.level, r.left, r.top, r.right - r.left, r.bottom - r.top, GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, argb);
}

void DeviceImpl::BindTargets() {
  gl_.BindDrawFramebuffer(drawFbo_);
  if (!targetsDirty_) return;
  targetsDirty_ = false;
  AttachColor(GL_DRAW_FRAMEBUFFER, renderTarget_->gl());
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  GLuint rb = depthStencil_ ? depthStencil_->gl().renderbuffer : 0;
  bool stencil = depthStencil_ && HasStencil(depthStencil_->format());
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb);
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil ? rb : 0);
}

void DeviceImpl::HoldTarget(SurfaceImpl*& slot, SurfaceImpl* s) {
  if (s == slot) return;
  // The swap surfaces count through the device itself: holding them would hold the device.
  if (s && s->container() != this) s->AddRef();
  if (slot && slot->container() != this) slot->Release();
  slot = s;
  targetsDirty_ = true;
}

void DeviceImpl::ResetViewportToTarget() {
  state_.viewport = {0, 0, renderTarget_->width(), renderTarget_->height(), 0.0f, 1.0f};
  state_.scissor = {0, 0, int32_t(renderTarget_->width()), int32_t(renderTarget_->height())};
  dirty_ |= kDirtyViewport | kDirtyProjection | kDirtyScissor | kDirtyPoints;
}

Result DeviceImpl::SetRenderTarget(uint32_t index, Surface* surface) {
  if (index >= 4) return kInvalidCall;
  if (index > 0) return surface ? kInvalidCall : kOk;  // one render target at a time
  SurfaceImpl* s = Impl(surface);
  if (!s || !s->inGl()) return kInvalidCall;
  HoldTarget(renderTarget_, s);
  ResetViewportToTarget();
  return kOk;
}

Result DeviceImpl::GetRenderTarget(uint32_t index, Surface** surface) {
  if (!surface) return kInvalidCall;
  *surface = nullptr;
  if (index >= 4) return kInvalidCall;
  if (index > 0) return kNotFound;
  *surface = renderTarget_;
  renderTarget_->AddRef();
  return kOk;
}

Result DeviceImpl::SetDepthStencilSurface(Surface* surface) {
  SurfaceImpl* s = Impl(surface);
  if (s && s->kind() != SurfaceImpl::Kind::DepthStencil) return kInvalidCall;
  HoldTarget(depthStencil_, s);
  return kOk;
}

Result DeviceImpl::GetDepthStencilSurface(Surface** surface) {
  if (!surface) return kInvalidCall;
  *surface = depthStencil_;
  if (!depthStencil_) return kNotFound;
  depthStencil_->AddRef();
  return kOk;
}

Result DeviceImpl::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                         uint32_t stencil) {
  if ((flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) && !depthStencil_) return kInvalidCall;
  if ((flags & CLEAR_STENCIL) && !HasStencil(depthStencil_->format())) return kInvalidCall;
  if (count && !rects) return kInvalidCall;
  MakeCurrent();
  BindTargets();
  GLbitfield bits = 0;
  if (flags & CLEAR_TARGET) {
    bits |= GL_COLOR_BUFFER_BIT;
    gl_.ColorMask(0xF);
    gl_.ClearColor(color);
  }
  if (flags & CLEAR_ZBUFFER) {
    bits |= GL_DEPTH_BUFFER_BIT;
    gl_.DepthMask(true);
    gl_.ClearDepth(z);
  }
  if (flags & CLEAR_STENCIL) {
    bits |= GL_STENCIL_BUFFER_BIT;
    gl_.StencilWriteMask(0xFF, 0xFF);
    gl_.ClearStencil(int(stencil & 0xFF));
  }
  if (!bits) return kOk;
  // Masks and scissor are the clear's own; draws send theirs again.
  dirty_ |= kDirtyRaster | kDirtyDepthStencil | kDirtyScissor;
  const Viewport& v = state_.viewport;
  Rect view{int32_t(v.x), int32_t(v.y), int32_t(v.x + v.width), int32_t(v.y + v.height)};
  gl_.Enable(GL_SCISSOR_TEST, true);
  uint32_t n = count ? count : 1;
  for (uint32_t i = 0; i < n; ++i) {
    Rect r = view;
    if (count) {
      r.left = std::max(r.left, rects[i].left);
      r.top = std::max(r.top, rects[i].top);
      r.right = std::min(r.right, rects[i].right);
      r.bottom = std::min(r.bottom, rects[i].bottom);
    }
    if (r.right <= r.left || r.bottom <= r.top) continue;
    gl_.Scissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
    glClear(bits);
  }
  return kOk;
}

Result DeviceImpl::ColorFill(Surface* surface, const Rect* rect, uint32_t color) {
  SurfaceImpl* s = Impl(surface);
  if (!s || s->kind() == SurfaceImpl::Kind::DepthStencil) return kInvalidCall;
  Rect r;
  if (!ClipRect(rect, s->width(), s->height(), &r)) return kInvalidCall;
  MakeCurrent();
  if (s->inGl()) {
    gl_.BindDrawFramebuffer(writeFbo_);
    AttachColor(GL_DRAW_FRAMEBUFFER, s->gl());
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    gl_.Enable(GL_SCISSOR_TEST, true);
    gl_.Scissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
    gl_.ColorMask(0xF);
    gl_.ClearColor(color);
    glClear(GL_COLOR_BUFFER_BIT);
    dirty_ |= kDirtyRaster | kDirtyScissor;
    gl_.BindDrawFramebuffer(drawFbo_);
    return kOk;
  }
  std::vector<uint32_t> fill(size_t(r.right - r.left) * size_t(r.bottom - r.top), color);
  return s->WriteArgb(r, fill.data()) ? kOk : kInvalidCall;
}

bool DeviceImpl::BlitColor(SurfaceImpl* src, const Rect& sr, SurfaceImpl* dst, const Rect& dr, GLenum filter) {
  gl_.BindReadFramebuffer(readFbo_);
  AttachColor(GL_READ_FRAMEBUFFER, src->gl());
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  gl_.BindDrawFramebuffer(writeFbo_);
  AttachColor(GL_DRAW_FRAMEBUFFER, dst->gl());
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  gl_.Enable(GL_SCISSOR_TEST, false);
  gl_.ColorMask(0xF);
  dirty_ |= kDirtyRaster | kDirtyScissor;
  glBlitFramebuffer(sr.left, sr.top, sr.right, sr.bottom, dr.left, dr.top, dr.right, dr.bottom, GL_COLOR_BUFFER_BIT,
                    filter);
  gl_.BindDrawFramebuffer(drawFbo_);
  return true;
}

Result DeviceImpl::StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect,
                               uint32_t filter) {
  SurfaceImpl* src = Impl(source);
  SurfaceImpl* dst = Impl(dest);
  if (!src || !dst || src->locked() || dst->locked()) return kInvalidCall;
  Rect sr, dr;
  if (!ClipRect(sourceRect, src->width(), src->height(), &sr) || !ClipRect(destRect, dst->width(), dst->height(), &dr))
    return kInvalidCall;
  if (filter > TEXF_LINEAR) return kInvalidCall;
  MakeCurrent();
  using Kind = SurfaceImpl::Kind;
  if (src->kind() == Kind::DepthStencil || dst->kind() == Kind::DepthStencil) {
    // Depth copies: whole surfaces of one format and size only.
    if (src->kind() != dst->kind() || src->format() != dst->format() || src->width() != dst->width() ||
        src->height() != dst->height() || sourceRect || destRect)
      return kInvalidCall;
    gl_.BindReadFramebuffer(readFbo_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, src->gl().renderbuffer);
    gl_.BindDrawFramebuffer(writeFbo_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, dst->gl().renderbuffer);
    gl_.Enable(GL_SCISSOR_TEST, false);
    gl_.DepthMask(true);
    gl_.StencilWriteMask(0xFF, 0xFF);
    dirty_ |= kDirtyScissor | kDirtyDepthStencil;
    GLbitfield bits = GL_DEPTH_BUFFER_BIT | (HasStencil(src->format()) ? GL_STENCIL_BUFFER_BIT : 0);
    glBlitFramebuffer(0, 0, GLint(src->width()), GLint(src->height()), 0, 0, GLint(dst->width()),
                      GLint(dst->height()), bits, GL_NEAREST);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    gl_.BindDrawFramebuffer(drawFbo_);
    return kOk;
  }
  if (src->inGl() && dst->inGl() && src != dst)
    return BlitColor(src, sr, dst, dr, filter == TEXF_LINEAR ? GL_LINEAR : GL_NEAREST) ? kOk : kInvalidCall;
  // Anything in CPU memory, or a copy within one surface: through 0xAARRGGBB.
  uint32_t sw = uint32_t(sr.right - sr.left), sh = uint32_t(sr.bottom - sr.top);
  uint32_t dw = uint32_t(dr.right - dr.left), dh = uint32_t(dr.bottom - dr.top);
  std::vector<uint32_t> pixels(size_t(sw) * sh);
  if (!src->ReadArgb(sr, pixels.data())) return kInvalidCall;
  if (sw != dw || sh != dh) {
    std::vector<uint32_t> scaled(size_t(dw) * dh);
    ScaleArgb(pixels.data(), sw, sh, scaled.data(), dw, dh, filter == TEXF_LINEAR);
    pixels.swap(scaled);
  }
  return dst->WriteArgb(dr, pixels.data()) ? kOk : kInvalidCall;
}

Result DeviceImpl::GetRenderTargetData(Surface* renderTarget, Surface* dest) {
  SurfaceImpl* src = Impl(renderTarget);
  SurfaceImpl* dst = Impl(dest);
  if (!src || !dst || !src->inGl() || !dst->cpuBits() || src->width() != dst->width() ||
      src->height() != dst->height() || src->format() != dst->format())
    return kInvalidCall;
  std::vector<uint32_t> pixels(size_t(src->width()) * src->height());
  Rect all = src->WholeRect();
  src->ReadArgb(all, pixels.data());
  return dst->WriteArgb(all, pixels.data()) ? kOk : kInvalidCall;
}

Result DeviceImpl::GetFrontBufferData(uint32_t swapChain, Surface* dest) {
  SurfaceImpl* dst = Impl(dest);
  if (swapChain != 0 || !dst || !dst->cpuBits()) return kInvalidCall;
  int cw = 0, ch = 0;
  SDL_GL_GetDrawableSize(sdlWindow_, &cw, &ch);
  if (int(dst->width()) != cw || int(dst->height()) != ch) return kInvalidCall;
  MakeCurrent();
  gl_.BindReadFramebuffer(0);
  while (glGetError() != GL_NO_ERROR) {
  }
  glReadBuffer(GL_FRONT);
  if (glGetError() != GL_NO_ERROR) glReadBuffer(GL_BACK);
  std::vector<uint32_t> pixels(size_t(cw) * size_t(ch));
  glReadPixels(0, 0, cw, ch, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  // The window's rows run bottom to top.
  std::vector<uint32_t> flipped(pixels.size());
  for (int y = 0; y < ch; ++y)
    std::memcpy(&flipped[size_t(y) * cw], &pixels[size_t(ch - 1 - y) * cw], size_t(cw) * 4);
  return dst->WriteArgb(dst->WholeRect(), flipped.data()) ? kOk : kInvalidCall;
}

Result DeviceImpl::UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint) {
  SurfaceImpl* src = Impl(source);
  SurfaceImpl* dst = Impl(dest);
  if (!src || !dst || !src->cpuBits() || src->format() != dst->format() || src->locked() || dst->locked())
    return kInvalidCall;
  Rect sr;
  if (!ClipRect(sourceRect, src->width(), src->height(), &sr)) return kInvalidCall;
  Point at = destPoint ? *destPoint : Point{0, 0};
  Rect dr{at.x, at.y, at.x + (sr.right - sr.left), at.y + (sr.bottom - sr.top)};
  Rect check;
  if (!ClipRect(&dr, dst->width(), dst->height(), &check)) return kInvalidCall;
  const format::Info& info = *format::Find(src->format());
  if (uint8_t* bits = dst->cpuBits()) {
    bool blocks = format::IsCompressed(info);
    if (blocks && ((sr.left | sr.top | dr.left | dr.top) & 3)) return kInvalidCall;
    uint32_t unit = blocks ? info.blockBytes : info.bytesPerPixel;
    int32_t step = blocks ? 4 : 1;
    size_t rowBytes = size_t((sr.right - sr.left + step - 1) / step) * unit;
    for (int32_t y = 0; y < sr.bottom - sr.top; y += step)
      std::memcpy(bits + size_t((dr.top + y) / step) * dst->cpuPitch() + size_t(dr.left / step) * unit,
                  src->cpuBits() + size_t((sr.top + y) / step) * src->cpuPitch() + size_t(sr.left / step) * unit,
                  rowBytes);
    dst->CpuChanged(dr);
    return kOk;
  }
  std::vector<uint32_t> pixels(size_t(sr.right - sr.left) * size_t(sr.bottom - sr.top));
  if (!src->ReadArgb(sr, pixels.data())) return kInvalidCall;
  return dst->WriteArgb(dr, pixels.data()) ? kOk : kInvalidCall;
}

Result DeviceImpl::UpdateTexture(BaseTexture* source, BaseTexture* dest) {
  TextureStore* src = StoreOf(source);
  TextureStore* dst = StoreOf(dest);
  if (!src || !dst || source->GetType() != dest->GetType() || src->format() != dst->format() ||
      src->renderTarget())
    return kInvalidCall;
  if (src->level(0, 0)->width != dst->level(0, 0)->width || src->level(0, 0)->height != dst->level(0, 0)->height)
    return kInvalidCall;
  uint32_t levels = std::min(src->levelCount(), dst->levelCount());
  for (uint32_t f = 0; f < src->faces(); ++f)
    for (uint32_t l = 0; l < levels; ++l) {
      Surface* s = nullptr;
      Surface* d = nullptr;
      src->Surface(f, l, &s);
      dst->Surface(f, l, &d);
      Result r = UpdateSurface(s, nullptr, d, nullptr);
      s->Release();
      d->Release();
      if (Failed(r)) return r;
    }
  return kOk;
}

}  // namespace platform::gfx
