// Effect compilation on a device without programmable shaders: the file is looked for, and the compile
// is refused with a message that says why.
#include "platform/d3dx/effect.h"

#include "platform/fs/path.h"

namespace platform::d3dx {

namespace {

Result CompileForFixedFunction(gfx::Device* device, std::string_view fileName, Effect** effect, std::string* errors) {
  if (effect) *effect = nullptr;
  if (!fs::FileExists(fileName)) {
    if (errors) *errors = "effect file not found: " + std::string(fileName);
    return gfx::kNotFound;
  }
  if (errors) *errors = kEffectsNotSupported;
  return gfx::kNotAvailable;
}

EffectCompiler g_compiler = CompileForFixedFunction;

}  // namespace

Result CreateEffectFromFile(gfx::Device* device, std::string_view fileName, Effect** effect, std::string* errors) {
  if (!effect) return gfx::kInvalidCall;
  return g_compiler(device, fileName, effect, errors);
}

void SetEffectCompilerForTest(EffectCompiler compiler) { g_compiler = compiler ? compiler : CompileForFixedFunction; }

}  // namespace platform::d3dx
