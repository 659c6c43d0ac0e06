// HLSL from any text: the first byte picks the profile, the rest is the source of "main". Compiles
// or fails with a message; never crashes or runs away.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace d3dx = platform::d3dx;
  if (size == 0) return 0;
  static const char* kProfiles[] = {"vs_2_0", "ps_2_0", "vs_3_0", "ps_3_0", "vs_1_1"};
  const char* profile = kProfiles[data[0] % 5];
  const std::vector<std::string> arguments = data[0] & 0x80 ? std::vector<std::string>{"1"} : std::vector<std::string>{};
  std::vector<uint32_t> function;
  std::string errors;
  const auto result = d3dx::CompileShaderHLSL(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1),
                                              "fuzz.fx", "main", profile, arguments, &function, &errors);
  if (result == platform::gfx::kOk) {
    std::vector<d3dx::ShaderConstant> table;
    if (d3dx::GetShaderConstants(function.data(), &table) != platform::gfx::kOk) __builtin_trap();
  } else if (errors.empty() || !function.empty()) {
    __builtin_trap();
  }
  return 0;
}
