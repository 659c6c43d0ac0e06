// The parser of preprocessed effect files: parameters (types, semantics, annotations, initial values),
// textures and samplers with their sampler_state blocks, techniques and passes with their state
// assignments and shaders. It also gives the file's text for the HLSL compiler: the same text with
// everything only effects understand (techniques, annotations, sampler_state blocks, textures,
// strings, shader variables, semantics and initial values of parameters) blanked out, lines kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/effects/effect_states.h"

namespace platform::d3dx {

struct EffectShaderDecl {
  enum Kind : uint8_t { kNull, kCompile, kAssembly } kind = kNull;
  std::string target, entry, arguments;  // compile: "vs_2_0", "main", "1, true"
  std::string assembly;                   // asm: the block's text, preceded by blank lines to its line
  std::string file;                       // where the shader is named (asm: where its text is)
  size_t line = 0;
};

struct EffectStateDecl {
  const StateInfo* state = nullptr;
  uint32_t index = 0;
  enum Kind : uint8_t { kConstant, kParameter, kShader } kind = kConstant;
  std::vector<float> numbers;  // kConstant: the value (a word travels as its bit pattern in a float slot;
                               // shader constants come laid out in their registers)
  uint32_t word = 0;           // kConstant of word, bool and float states: the word the device takes
  uint32_t parameter = 0;      // kParameter: index into EffectFileDecl::parameters
  uint32_t shader = 0;         // kShader: index into EffectFileDecl::shaders
  std::string file;
  size_t line = 0;
};

struct EffectParameterDecl {
  std::string name, semantic;
  uint32_t parameterClass = 0, type = 0, rows = 0, columns = 0, elements = 0;
  std::vector<float> numbers;  // the initial value, row after row (bool and int as their numbers)
  std::string text;            // strings
  std::vector<EffectParameterDecl> annotations;
  std::vector<EffectStateDecl> samplerStates;  // samplers: the sampler_state block
  int32_t shader = -1;                         // shader variables: index into EffectFileDecl::shaders
};

struct EffectPassDecl {
  std::string name;
  std::vector<EffectParameterDecl> annotations;
  std::vector<EffectStateDecl> states;
};

struct EffectTechniqueDecl {
  std::string name;
  std::vector<EffectParameterDecl> annotations;
  std::vector<EffectPassDecl> passes;
};

struct EffectFileDecl {
  std::vector<EffectParameterDecl> parameters;
  std::vector<EffectTechniqueDecl> techniques;
  std::vector<EffectShaderDecl> shaders;
  uint32_t functions = 0;
  std::string hlsl;  // the text for the HLSL compiler
};

struct EffectParseLimits {
  size_t maxNesting = 64;           // braces, parentheses and brackets inside one declaration
  size_t maxArrayElements = 65536;  // elements of an array parameter
  size_t maxItems = 65536;          // parameters, annotations, techniques, passes, states
};

// Parses the preprocessed text; `fileName` names lines before any "#line" marker. Errors are
// "file(line): message" lines; false on any error.
bool ParseEffect(const std::string& text, const std::string& fileName, EffectFileDecl* effect, std::string* errors,
                 const EffectParseLimits& limits = {});

}  // namespace platform::d3dx
