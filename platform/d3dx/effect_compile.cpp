// The shader compilers behind effects.
#include "platform/d3dx/effect_compile.h"

namespace platform::d3dx {

namespace {

constexpr const char* kNoCompiler = "no shader compiler is available";

gfx::Result NoHlsl(std::string_view, std::string_view sourceName, std::string_view, std::string_view,
                   std::span<const std::string>, std::vector<uint32_t>* function, std::string* errors) {
  function->clear();
  if (errors) *errors = std::string(sourceName) + "(0): " + kNoCompiler + "\n";
  return gfx::kNotAvailable;
}

gfx::Result NoAssembler(std::string_view, std::string_view sourceName, std::vector<uint32_t>* function,
                        std::string* errors) {
  function->clear();
  if (errors) *errors = std::string(sourceName) + "(0): " + kNoCompiler + "\n";
  return gfx::kNotAvailable;
}

const EffectShaderCompiler kPlatformCompilers = {NoHlsl, NoAssembler, GetShaderConstants};
const EffectShaderCompiler* g_compilers = &kPlatformCompilers;

}  // namespace

const EffectShaderCompiler& EffectCompilers() { return *g_compilers; }

void SetEffectShaderCompilerForTest(const EffectShaderCompiler* compiler) {
  g_compilers = compiler ? compiler : &kPlatformCompilers;
}

}  // namespace platform::d3dx
