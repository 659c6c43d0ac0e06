// Shader assembly from any text: translates or fails with a message, and what it makes reads back
// as one of our functions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace d3dx = platform::d3dx;
  std::vector<uint32_t> function;
  std::string errors;
  const auto result = d3dx::AssembleShader(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.vsh",
                                           &function, &errors);
  if (result == platform::gfx::kOk) {
    if (d3dx::GetShaderTokenCount(function.data()) != function.size()) __builtin_trap();
    std::vector<d3dx::ShaderConstant> table;
    if (d3dx::GetShaderConstants(function.data(), &table) != platform::gfx::kOk) __builtin_trap();
  } else if (errors.empty() || !function.empty()) {
    __builtin_trap();
  }
  return 0;
}
