// Creation of textures, surfaces, buffers and declarations; shader stubs.
#include "platform/gfx/buffers.h"
#include "platform/gfx/device_impl.h"
#include "platform/gfx/format.h"
#include "platform/gfx/texture.h"

namespace platform::gfx {
namespace {

template <class T>
Result Hand(T* object, bool ready, T** out) {
  if (!ready) {
    object->Release();
    return kOutOfVideoMemory;
  }
  *out = object;
  return kOk;
}

}  // namespace

Result DeviceImpl::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t fmt,
                                 uint32_t pool, Texture** texture, void* sharedHandle) {
  if (!texture) return kInvalidCall;
  *texture = nullptr;
  uint32_t max = uint32_t(info_.maxTextureSize);
  if (sharedHandle || !width || !height || width > max || height > max || pool > POOL_SCRATCH) return kInvalidCall;
  if (!CanCreate(usage & (USAGE_RENDERTARGET | USAGE_DEPTHSTENCIL | USAGE_AUTOGENMIPMAP), RTYPE_TEXTURE, fmt))
    return kInvalidCall;
  if ((usage & USAGE_RENDERTARGET) && pool != POOL_DEFAULT) return kInvalidCall;
  if (levels > format::FullChainLevels(width, height)) return kInvalidCall;
  if ((usage & USAGE_AUTOGENMIPMAP) && levels > 1) return kInvalidCall;
  auto* t = new TextureImpl(this, width, height, levels, usage, fmt, pool, true);
  return Hand<Texture>(t, t->Init(t), texture);
}

Result DeviceImpl::CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, uint32_t fmt, uint32_t pool,
                                     CubeTexture** texture, void* sharedHandle) {
  if (!texture) return kInvalidCall;
  *texture = nullptr;
  if (sharedHandle || !edge || edge > uint32_t(info_.maxTextureSize) || pool > POOL_SCRATCH) return kInvalidCall;
  if (!CanCreate(usage & (USAGE_RENDERTARGET | USAGE_DEPTHSTENCIL | USAGE_AUTOGENMIPMAP), RTYPE_CUBETEXTURE, fmt))
    return kInvalidCall;
  if ((usage & USAGE_RENDERTARGET) && pool != POOL_DEFAULT) return kInvalidCall;
  if (levels > format::FullChainLevels(edge, edge)) return kInvalidCall;
  auto* t = new CubeTextureImpl(this, edge, levels, usage, fmt, pool);
  return Hand<CubeTexture>(t, t->Init(t), texture);
}

Result DeviceImpl::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                      VertexBuffer** buffer, void* sharedHandle) {
  if (!buffer) return kInvalidCall;
  *buffer = nullptr;
  if (sharedHandle || length == 0 || pool > POOL_SCRATCH) return kInvalidCall;
  if (fvf && length < FvfVertexSize(fvf)) return kInvalidCall;
  auto* b = new VertexBufferImpl(this, length, usage, fvf, pool);
  // A buffer of a known vertex size starts its shared place on a whole vertex, so that draws reach it
  // by their base vertex.
  return Hand<VertexBuffer>(b, b->Init(fvf ? FvfVertexSize(fvf) : 0), buffer);
}

Result DeviceImpl::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t fmt, uint32_t pool,
                                     IndexBuffer** buffer, void* sharedHandle) {
  if (!buffer) return kInvalidCall;
  *buffer = nullptr;
  if (sharedHandle || length == 0 || pool > POOL_SCRATCH) return kInvalidCall;
  if (fmt != FMT_INDEX16 && fmt != FMT_INDEX32) return kInvalidCall;
  auto* b = new IndexBufferImpl(this, length, usage, fmt, pool);
  return Hand<IndexBuffer>(b, b->Init(4), buffer);
}

Result DeviceImpl::CreateRenderTarget(uint32_t width, uint32_t height, uint32_t fmt, uint32_t multiSample, uint32_t,
                                      int32_t, Surface** surface, void* sharedHandle) {
  if (!surface) return kInvalidCall;
  *surface = nullptr;
  uint32_t max = uint32_t(info_.maxTextureSize);
  if (sharedHandle || multiSample != MULTISAMPLE_NONE || !width || !height || width > max || height > max)
    return kInvalidCall;
  if (!CanCreate(USAGE_RENDERTARGET, RTYPE_SURFACE, fmt)) return kInvalidCall;
  SurfaceImpl* s = SurfaceImpl::CreateRenderTarget(this, width, height, fmt, nullptr);
  if (!s) return kOutOfVideoMemory;
  *surface = s;
  return kOk;
}

Result DeviceImpl::CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t fmt, uint32_t multiSample,
                                             uint32_t, int32_t, Surface** surface, void* sharedHandle) {
  if (!surface) return kInvalidCall;
  *surface = nullptr;
  uint32_t max = uint32_t(info_.maxTextureSize);
  if (sharedHandle || multiSample != MULTISAMPLE_NONE || !width || !height || width > max || height > max)
    return kInvalidCall;
  if (!CanCreate(USAGE_DEPTHSTENCIL, RTYPE_SURFACE, fmt)) return kInvalidCall;
  SurfaceImpl* s = SurfaceImpl::CreateDepthStencil(this, width, height, fmt, nullptr);
  if (!s) return kOutOfVideoMemory;
  *surface = s;
  return kOk;
}

Result DeviceImpl::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t fmt, uint32_t pool,
                                               Surface** surface, void* sharedHandle) {
  if (!surface) return kInvalidCall;
  *surface = nullptr;
  if (sharedHandle || !width || !height || pool == POOL_MANAGED || pool > POOL_SCRATCH) return kInvalidCall;
  if (!CanCreate(0, RTYPE_SURFACE, fmt)) return kInvalidCall;
  *surface = SurfaceImpl::CreatePlain(this, width, height, fmt, pool);
  return *surface ? kOk : kOutOfMemory;
}

Result DeviceImpl::CreateVertexDeclaration(const VertexElement* elements, VertexDeclaration** declaration) {
  if (!declaration) return kInvalidCall;
  *declaration = nullptr;
  uint32_t count = DeclarationLength(elements);
  if (!count) return kInvalidCall;
  *declaration = new VertexDeclarationImpl(this, elements, count);
  return kOk;
}

}  // namespace platform::gfx
