// Vertex and pixel shaders and their constant registers.
#include <atomic>
#include <cstdio>
#include <string>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/shader.h"

namespace platform::gfx {
namespace {

std::atomic<uint64_t> gNextShaderId{1};

template <class Interface>
Result CreateShader(DeviceImpl* device, bool vertex, const uint32_t* function, Interface** shader) {
  if (!shader) return kInvalidCall;
  *shader = nullptr;
  ShaderCore core;
  if (!ReadShaderFunction(function, &core.function) || core.function.vertex != vertex) return kInvalidCall;
  device->MakeCurrent();
  core.glShader = CompileGlShader(core.function, &core.samplerMask);
  if (!core.glShader) return kInvalidCall;
  core.tokens.assign(function, function + core.function.tokens);
  core.id = gNextShaderId++;
  *shader = new ShaderImpl<Interface>(device, std::move(core));
  return kOk;
}

template <class File, class T>
Result SetRegisters(File& file, uint32_t start, const T* data, uint32_t count) {
  if (!data || !file.InRange(start, count)) return kInvalidCall;
  file.Set(start, data, count);
  return kOk;
}

template <class File, class T>
Result GetRegisters(const File& file, uint32_t start, T* data, uint32_t count) {
  if (!data || !file.InRange(start, count)) return kInvalidCall;
  file.Get(start, data, count);
  return kOk;
}

template <class Impl, class Interface>
void Hold(Impl*& slot, Interface* shader) {
  auto* impl = static_cast<Impl*>(shader);
  if (impl) impl->AddRef();
  if (slot) slot->Release();
  slot = impl;
}

}  // namespace

GLuint CompileGlShader(const ShaderFunction& function, uint32_t* samplerMask) {
  const std::string* glsl = function.Find(kShaderTagGlsl);
  *samplerMask = 0;
  if (!glsl) return 0;
  for (uint32_t s = 0; s < kMaxTextureStages; ++s) {
    const std::string name = "qel_s" + std::to_string(s);
    size_t at = glsl->find(name);
    while (at != std::string::npos) {
      const char next = at + name.size() < glsl->size() ? (*glsl)[at + name.size()] : ' ';
      if (!(next >= '0' && next <= '9')) {
        *samplerMask |= 1u << s;
        break;
      }
      at = glsl->find(name, at + 1);
    }
  }
  GLuint shader = glCreateShader(function.vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  const char* text = glsl->c_str();
  const GLint length = GLint(glsl->size());
  glShaderSource(shader, 1, &text, &length);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "qel: GL refused a %s shader: %s\n", function.vertex ? "vertex" : "pixel", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

Result DeviceImpl::CreateVertexShader(const uint32_t* function, VertexShader** shader) {
  return CreateShader(this, true, function, shader);
}

Result DeviceImpl::CreatePixelShader(const uint32_t* function, PixelShader** shader) {
  return CreateShader(this, false, function, shader);
}

Result DeviceImpl::SetVertexShader(VertexShader* shader) {
  if (shader != shaders_.vertex) {
    Hold(shaders_.vertex, shader);
    shaders_.programDirty = true;
  }
  return kOk;
}

Result DeviceImpl::SetPixelShader(PixelShader* shader) {
  if (shader != shaders_.pixel) {
    Hold(shaders_.pixel, shader);
    shaders_.programDirty = true;
    stageDirty_ |= kStagesUnitsChanged;  // the units the next draw reads are not the ones the last read
  }
  return kOk;
}

Result DeviceImpl::GetVertexShader(VertexShader** shader) {
  if (!shader) return kInvalidCall;
  *shader = shaders_.vertex;
  if (*shader) (*shader)->AddRef();
  return kOk;
}

Result DeviceImpl::GetPixelShader(PixelShader** shader) {
  if (!shader) return kInvalidCall;
  *shader = shaders_.pixel;
  if (*shader) (*shader)->AddRef();
  return kOk;
}

Result DeviceImpl::SetVertexShaderConstantF(uint32_t start, const float* data, uint32_t count) {
  return SetRegisters(shaders_.vsFloat, start, data, count);
}
Result DeviceImpl::GetVertexShaderConstantF(uint32_t start, float* data, uint32_t count) {
  return GetRegisters(shaders_.vsFloat, start, data, count);
}
Result DeviceImpl::SetVertexShaderConstantI(uint32_t start, const int32_t* data, uint32_t count) {
  return SetRegisters(shaders_.vsInt, start, data, count);
}
Result DeviceImpl::GetVertexShaderConstantI(uint32_t start, int32_t* data, uint32_t count) {
  return GetRegisters(shaders_.vsInt, start, data, count);
}
Result DeviceImpl::SetVertexShaderConstantB(uint32_t start, const int32_t* data, uint32_t count) {
  return SetRegisters(shaders_.vsBool, start, data, count);
}
Result DeviceImpl::GetVertexShaderConstantB(uint32_t start, int32_t* data, uint32_t count) {
  return GetRegisters(shaders_.vsBool, start, data, count);
}
Result DeviceImpl::SetPixelShaderConstantF(uint32_t start, const float* data, uint32_t count) {
  return SetRegisters(shaders_.psFloat, start, data, count);
}
Result DeviceImpl::GetPixelShaderConstantF(uint32_t start, float* data, uint32_t count) {
  return GetRegisters(shaders_.psFloat, start, data, count);
}
Result DeviceImpl::SetPixelShaderConstantI(uint32_t start, const int32_t* data, uint32_t count) {
  return SetRegisters(shaders_.psInt, start, data, count);
}
Result DeviceImpl::GetPixelShaderConstantI(uint32_t start, int32_t* data, uint32_t count) {
  return GetRegisters(shaders_.psInt, start, data, count);
}
Result DeviceImpl::SetPixelShaderConstantB(uint32_t start, const int32_t* data, uint32_t count) {
  return SetRegisters(shaders_.psBool, start, data, count);
}
Result DeviceImpl::GetPixelShaderConstantB(uint32_t start, int32_t* data, uint32_t count) {
  return GetRegisters(shaders_.psBool, start, data, count);
}

void ShaderGone(DeviceImpl* device, const ShaderCore& core) {
  device->MakeCurrent();
  device->DropPrograms(core.id);
  if (core.glShader) glDeleteShader(core.glShader);
}

}  // namespace platform::gfx
