// Reading the constant table and size of a compiled function.
#include "platform/d3dx/shaders/shader_compiler.h"

#include "platform/d3dx/shaders/shader_table.h"

namespace platform::d3dx {

Result GetShaderConstants(const uint32_t* function, std::vector<ShaderConstant>* constants) {
  if (!constants) return gfx::kInvalidCall;
  constants->clear();
  gfx::ShaderFunction f;
  if (!gfx::ReadShaderFunction(function, &f)) return gfx::kInvalidCall;
  const std::string* table = f.Find(gfx::kShaderTagConstants);
  if (!table || !ReadConstantTable(*table, constants)) {
    constants->clear();
    return gfx::kInvalidCall;
  }
  return gfx::kOk;
}

uint32_t GetShaderTokenCount(const uint32_t* function) {
  gfx::ShaderFunction f;
  return gfx::ReadShaderFunction(function, &f) ? f.tokens : 0;
}

}  // namespace platform::d3dx
