// Effect files are written by hand and come with models: any text must preprocess and parse to a
// result or an error, never a crash or a hang. The input is the main file and every file it includes
// (so includes can nest and cycle). A parsed effect keeps the line count of its text in the HLSL it
// hands on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/d3dx/effects/effect_parse.h"
#include "platform/d3dx/effects/effect_preprocess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace dx = platform::d3dx;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const dx::EffectFileReader read = [&input](const std::string& path, std::string& text) {
    text = input;
    return path.size() < 4096;
  };
  dx::EffectPreprocessLimits limits;
  limits.maxOutputBytes = 1u << 20;  // keeps each run short; the limit's own path is what is tested
  std::string text, errors;
  if (!dx::PreprocessEffect("main.fx", read, &text, &errors, limits)) return 0;
  dx::EffectFileDecl effect;
  if (dx::ParseEffect(text, "main.fx", &effect, &errors)) {
    if (std::count(effect.hlsl.begin(), effect.hlsl.end(), '\n') != std::count(text.begin(), text.end(), '\n'))
      __builtin_trap();
    for (const dx::EffectTechniqueDecl& t : effect.techniques)
      for (const dx::EffectPassDecl& p : t.passes)
        for (const dx::EffectStateDecl& s : p.states)
          if (!s.state || (s.kind == dx::EffectStateDecl::kParameter && s.parameter >= effect.parameters.size()) ||
              (s.kind == dx::EffectStateDecl::kShader && s.shader >= effect.shaders.size()))
            __builtin_trap();
  }
  return 0;
}
