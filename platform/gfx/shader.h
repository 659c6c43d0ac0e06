// Vertex and pixel shaders of the device: the function they were made from, what it declares and
// the GL shader object compiled from its GLSL.
#pragma once
#include <cstring>
#include <vector>

#include "platform/gfx/device_child.h"
#include "platform/gfx/gl.h"
#include "platform/gfx/shader_function.h"

namespace platform::gfx {

// What both kinds of shader hold.
struct ShaderCore {
  uint64_t id = 0;  // unique for the process: programs are cached by it
  std::vector<uint32_t> tokens;
  ShaderFunction function;
  GLuint glShader = 0;
  uint32_t samplerMask = 0;  // sampler stages the GLSL declares
};

// Compiles the GLSL of `function` into a new GL shader object; 0 (with the GL's log on stderr) when
// the GL refuses it.
GLuint CompileGlShader(const ShaderFunction& function, uint32_t* samplerMask);
// Linked programs of the device that use the shader go with it.
void ShaderGone(DeviceImpl* device, const ShaderCore& core);

template <class Interface>
class ShaderImpl final : public DeviceChild<Interface> {
 public:
  ShaderImpl(DeviceImpl* device, ShaderCore core) : DeviceChild<Interface>(device, true), core_(std::move(core)) {}
  ~ShaderImpl() override { ShaderGone(this->device_, core_); }
  Result GetFunction(void* data, uint32_t* bytes) override {
    if (!bytes) return kInvalidCall;
    const uint32_t size = uint32_t(core_.tokens.size() * 4);
    if (data) {
      if (*bytes < size) return kInvalidCall;
      std::memcpy(data, core_.tokens.data(), size);
    }
    *bytes = size;
    return kOk;
  }
  const ShaderCore& core() const { return core_; }

 private:
  ShaderCore core_;
};

using VertexShaderObject = ShaderImpl<VertexShader>;
using PixelShaderObject = ShaderImpl<PixelShader>;

}  // namespace platform::gfx
