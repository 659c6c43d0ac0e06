// The shader compilers behind effects.
#include "platform/d3dx/effect_compile.h"

namespace platform::d3dx {

namespace {

constexpr const char* kNoCompiler = "no shader compiler is available";

gfx::Result NoHlsl(const std::string&, const std::string& sourceName, const std::string&, const std::string&,
                   const std::string&, std::vector<uint32_t>* function, std::string* errors) {
  function->clear();
  if (errors) *errors = sourceName + "(0): " + kNoCompiler + "\n";
  return gfx::kNotAvailable;
}

gfx::Result NoAssembler(const std::string&, const std::string& sourceName, std::vector<uint32_t>* function,
                        std::string* errors) {
  function->clear();
  if (errors) *errors = sourceName + "(0): " + kNoCompiler + "\n";
  return gfx::kNotAvailable;
}

gfx::Result NoConstants(const std::vector<uint32_t>&, std::vector<EffectShaderConstant>* constants) {
  constants->clear();
  return gfx::kOk;
}

const EffectShaderCompiler kPlatformCompilers = {NoHlsl, NoAssembler, NoConstants};
const EffectShaderCompiler* g_compilers = &kPlatformCompilers;

}  // namespace

const EffectShaderCompiler& EffectCompilers() { return *g_compilers; }

void SetEffectShaderCompilerForTest(const EffectShaderCompiler* compiler) {
  g_compilers = compiler ? compiler : &kPlatformCompilers;
}

}  // namespace platform::d3dx
