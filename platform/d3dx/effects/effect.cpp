// Effect files compiled for the device: preprocessed, parsed, their shaders compiled, made into an
// effect object.
#include "platform/d3dx/effects/effect.h"

#include "platform/d3dx/effects/effect_compile.h"
#include "platform/d3dx/effects/effect_impl.h"
#include "platform/d3dx/effects/effect_parse.h"
#include "platform/d3dx/effects/effect_preprocess.h"
#include "platform/fs/path.h"

namespace platform::d3dx {

namespace {

Result CompileEffectFile(gfx::Device* device, std::string_view fileName, Effect** effect, std::string* errors) {
  *effect = nullptr;
  const std::string name(fileName);
  if (!fs::FileExists(name)) {
    if (errors) *errors = "effect file not found: " + name;
    return gfx::kNotFound;
  }
  std::string text, messages;
  EffectFileDecl file;
  EffectImpl* made = nullptr;
  Result result = gfx::kFail;
  if (PreprocessEffect(name, EffectFilesOnDisk(), &text, &messages) && ParseEffect(text, name, &file, &messages))
    result = EffectImpl::Create(device, std::move(file), name, &made, &messages);
  if (errors) *errors = messages;
  *effect = made;
  return result;
}

EffectCompiler g_compiler = CompileEffectFile;

}  // namespace

Result CreateEffectFromFile(gfx::Device* device, std::string_view fileName, Effect** effect, std::string* errors) {
  if (!effect) return gfx::kInvalidCall;
  return g_compiler(device, fileName, effect, errors);
}

void SetEffectCompilerForTest(EffectCompiler compiler) { g_compiler = compiler ? compiler : CompileEffectFile; }

}  // namespace platform::d3dx
