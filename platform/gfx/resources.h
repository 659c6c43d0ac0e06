// Objects a device creates: surfaces, textures, buffers, vertex declarations, state blocks.
// Every resource holds a reference on its device. The surfaces of a texture share the texture's
// reference count: a surface taken with GetSurfaceLevel keeps its texture alive.
#pragma once
#include "platform/gfx/api.h"

namespace platform::gfx {

class Device;

class Resource : public RefCounted {
 public:
  // Hands out the device with a new reference.
  virtual Result GetDevice(Device** device) = 0;
  virtual uint32_t GetType() = 0;  // RTYPE_*
};

class BaseTexture;

class Surface : public Resource {
 public:
  virtual Result GetDesc(SurfaceDesc* desc) = 0;
  // rect null locks the whole surface. Locking a render target reads it back; unlocking writes the
  // locked rectangle back unless it was locked with LOCK_READONLY. Depth-stencil surfaces are not
  // lockable. A surface can be locked once at a time.
  virtual Result LockRect(LockedRect* locked, const Rect* rect, uint32_t flags) = 0;
  virtual Result UnlockRect() = 0;
  // The texture this surface is a level of (with a new reference), kInvalidCall for a stand-alone surface.
  virtual Result GetContainer(BaseTexture** texture) = 0;
};

class BaseTexture : public Resource {
 public:
  virtual uint32_t GetLevelCount() = 0;
  virtual uint32_t SetLOD(uint32_t lod) = 0;  // returns the previous value
  virtual uint32_t GetLOD() = 0;
  virtual Result SetAutoGenFilterType(uint32_t filter) = 0;
  virtual uint32_t GetAutoGenFilterType() = 0;
  // Rebuilds levels 1 and up from level 0 (textures made with USAGE_AUTOGENMIPMAP do this on unlock).
  virtual void GenerateMipSubLevels() = 0;
};

class Texture : public BaseTexture {
 public:
  virtual Result GetLevelDesc(uint32_t level, SurfaceDesc* desc) = 0;
  virtual Result GetSurfaceLevel(uint32_t level, Surface** surface) = 0;
  virtual Result LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) = 0;
  virtual Result UnlockRect(uint32_t level) = 0;
  virtual Result AddDirtyRect(const Rect* rect) = 0;
};

class CubeTexture : public BaseTexture {
 public:
  virtual Result GetLevelDesc(uint32_t level, SurfaceDesc* desc) = 0;
  virtual Result GetCubeMapSurface(uint32_t face, uint32_t level, Surface** surface) = 0;
  virtual Result LockRect(uint32_t face, uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) = 0;
  virtual Result UnlockRect(uint32_t face, uint32_t level) = 0;
  virtual Result AddDirtyRect(uint32_t face, const Rect* rect) = 0;
};

class VertexBuffer : public Resource {
 public:
  // offset and size in bytes; size 0 means to the end. LOCK_DISCARD gives fresh contents,
  // LOCK_NOOVERWRITE promises not to touch vertices in use; both are honoured by the GL upload.
  virtual Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
  virtual Result Unlock() = 0;
  virtual Result GetDesc(VertexBufferDesc* desc) = 0;
};

class IndexBuffer : public Resource {
 public:
  virtual Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
  virtual Result Unlock() = 0;
  virtual Result GetDesc(IndexBufferDesc* desc) = 0;
};

class VertexDeclaration : public RefCounted {
 public:
  virtual Result GetDevice(Device** device) = 0;
  // elements null: only the count (end marker included) is returned.
  virtual Result GetDeclaration(VertexElement* elements, uint32_t* count) = 0;
};

class StateBlock : public RefCounted {
 public:
  virtual Result GetDevice(Device** device) = 0;
  // Takes the device's current values of the states the block holds.
  virtual Result Capture() = 0;
  // Sets the states the block holds on the device.
  virtual Result Apply() = 0;
};

// Programmable shaders made from compiled shader functions (platform/d3dx/shaders/shader_compiler.h).
class VertexShader : public RefCounted {
 public:
  virtual Result GetDevice(Device** device) = 0;
  // The function the shader was made from; data null: only *bytes.
  virtual Result GetFunction(void* data, uint32_t* bytes) = 0;
};
class PixelShader : public RefCounted {
 public:
  virtual Result GetDevice(Device** device) = 0;
  virtual Result GetFunction(void* data, uint32_t* bytes) = 0;
};

}  // namespace platform::gfx
