// The shader compilers behind effects.
#include "platform/d3dx/effects/effect_compile.h"

namespace platform::d3dx {

namespace {

const EffectShaderCompiler kPlatformCompilers = {CompileShaderHLSL, AssembleShader, GetShaderConstants};
const EffectShaderCompiler* g_compilers = &kPlatformCompilers;

}  // namespace

const EffectShaderCompiler& EffectCompilers() { return *g_compilers; }

void SetEffectShaderCompilerForTest(const EffectShaderCompiler* compiler) {
  g_compilers = compiler ? compiler : &kPlatformCompilers;
}

}  // namespace platform::d3dx
