// What the effect object needs from the shader compilers: HLSL functions and assembly blocks turned
// into shader functions (token streams with their constant tables), and the constants a function
// reads. Tests may stand in for the compilers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"

namespace platform::d3dx {

struct EffectShaderCompiler {
  decltype(&CompileShaderHLSL) compileHlsl;
  decltype(&AssembleShader) assemble;
  decltype(&GetShaderConstants) constants;
};

// The compilers effects use (the platform's own unless a test has put its own in place).
const EffectShaderCompiler& EffectCompilers();
// Null: the platform's own again.
void SetEffectShaderCompilerForTest(const EffectShaderCompiler* compiler);

}  // namespace platform::d3dx
