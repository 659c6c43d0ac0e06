// What the effect object needs from the shader compilers: HLSL functions and assembly blocks turned
// into shader functions (token streams with their constant tables), and the constants a function
// reads. Tests may stand in for the compilers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::d3dx {

struct EffectShaderConstant {
  std::string name;
  uint32_t registerSet = 0;  // 0 bool, 1 int, 2 float4, 3 sampler
  uint32_t registerIndex = 0, registerCount = 0;
  uint32_t rows = 0, columns = 0, elements = 0;
  bool rowMajor = false;
};

struct EffectShaderCompiler {
  // HLSL: the effect's text, its name for messages, entry function, target ("vs_2_0") and the text of
  // the uniform arguments the pass gives the function.
  gfx::Result (*compileHlsl)(const std::string& source, const std::string& sourceName, const std::string& entry,
                             const std::string& target, const std::string& arguments, std::vector<uint32_t>* function,
                             std::string* errors);
  gfx::Result (*assemble)(const std::string& source, const std::string& sourceName, std::vector<uint32_t>* function,
                          std::string* errors);
  gfx::Result (*constants)(const std::vector<uint32_t>& function, std::vector<EffectShaderConstant>* constants);
};

// The compilers effects use (the platform's own unless a test has put its own in place).
const EffectShaderCompiler& EffectCompilers();
// Null: the platform's own again.
void SetEffectShaderCompilerForTest(const EffectShaderCompiler* compiler);

}  // namespace platform::d3dx
