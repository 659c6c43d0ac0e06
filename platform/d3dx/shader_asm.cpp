#include "platform/d3dx/shader_compiler.h"
namespace platform::d3dx {
Result AssembleShader(std::string_view, std::string_view, std::vector<uint32_t>* function, std::string* errors) {
  if (function) function->clear();
  if (errors) *errors = "shader assembly is not available yet";
  return gfx::kNotAvailable;
}
}  // namespace platform::d3dx
