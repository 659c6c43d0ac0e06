// Shader effects: an effect file compiled into an object with parameters (each with a semantic and
// annotations), techniques made of passes, and setters for the values the engine binds each draw.
//
// CreateEffectFromFile reads the file with our own effect-language parser (effect_preprocess,
// effect_parse), hands its HLSL functions and assembly blocks to the shader compilers and makes an
// effect whose passes set device states, shaders and shader constants (effect_impl). The engine keeps
// row-vector matrices; parameters go into shader registers the way compiled effects always placed
// them (a column_major matrix puts column i into register r + i).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/api.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class BaseTexture; class Device; }

namespace platform::d3dx {

using gfx::Matrix;
using gfx::Result;
using gfx::Vector4;

// A parameter, annotation, technique or pass of an effect; 0 names none.
using EffectHandle = uintptr_t;

// Parameter classes and types; the values are the documented ones effect files are compiled with.
enum ParameterClass : uint32_t {
  PC_SCALAR = 0, PC_VECTOR = 1, PC_MATRIX_ROWS = 2, PC_MATRIX_COLUMNS = 3, PC_OBJECT = 4, PC_STRUCT = 5,
};
enum ParameterType : uint32_t {
  PT_VOID = 0, PT_BOOL = 1, PT_INT = 2, PT_FLOAT = 3, PT_STRING = 4, PT_TEXTURE = 5, PT_TEXTURE1D = 6,
  PT_TEXTURE2D = 7, PT_TEXTURE3D = 8, PT_TEXTURECUBE = 9, PT_SAMPLER = 10, PT_SAMPLER1D = 11, PT_SAMPLER2D = 12,
  PT_SAMPLER3D = 13, PT_SAMPLERCUBE = 14, PT_PIXELSHADER = 15, PT_VERTEXSHADER = 16,
};
// Begin flags.
enum : uint32_t { kEffectDoNotSaveState = 1 };

struct EffectDesc {
  const char* creator = nullptr;
  uint32_t parameters = 0, techniques = 0, functions = 0;
};
struct ParameterDesc {
  const char* name = nullptr;
  const char* semantic = nullptr;  // null when the parameter has none
  uint32_t parameterClass = 0;     // ParameterClass
  uint32_t type = 0;               // ParameterType
  uint32_t rows = 0, columns = 0, elements = 0, annotations = 0, structMembers = 0, flags = 0, bytes = 0;
};
struct TechniqueDesc {
  const char* name = nullptr;
  uint32_t passes = 0, annotations = 0;
};
struct PassDesc {
  const char* name = nullptr;
  uint32_t annotations = 0;
  const uint32_t* vertexShaderFunction = nullptr;  // compiled shader tokens, null without a vertex shader
  uint32_t vertexShaderTokens = 0;                 // how many tokens the function holds
  const uint32_t* pixelShaderFunction = nullptr;
  uint32_t pixelShaderTokens = 0;
};

class Effect : public gfx::RefCounted {
 public:
  virtual Result GetDesc(EffectDesc* desc) = 0;
  // Top-level parameters by index (parent 0), or members of a structure.
  virtual EffectHandle GetParameter(EffectHandle parent, uint32_t index) = 0;
  virtual EffectHandle GetParameterByName(EffectHandle parent, const char* name) = 0;
  virtual EffectHandle GetParameterBySemantic(EffectHandle parent, const char* semantic) = 0;
  virtual Result GetParameterDesc(EffectHandle parameter, ParameterDesc* desc) = 0;
  // Annotations of a parameter, technique or pass.
  virtual EffectHandle GetAnnotation(EffectHandle object, uint32_t index) = 0;
  virtual EffectHandle GetAnnotationByName(EffectHandle object, const char* name) = 0;
  // Values of string and integer parameters and annotations; the text belongs to the effect.
  virtual Result GetString(EffectHandle parameter, const char** text) = 0;
  virtual Result GetInt(EffectHandle parameter, int32_t* value) = 0;
  // The value of a parameter as 32-bit numbers (floats; ints for int and bool parameters), at most
  // `bytes` of it.
  virtual Result GetValue(EffectHandle parameter, void* data, uint32_t bytes) = 0;
  virtual EffectHandle GetTechnique(uint32_t index) = 0;
  virtual EffectHandle GetTechniqueByName(const char* name) = 0;
  virtual Result GetTechniqueDesc(EffectHandle technique, TechniqueDesc* desc) = 0;
  virtual EffectHandle GetPass(EffectHandle technique, uint32_t index) = 0;
  virtual Result GetPassDesc(EffectHandle pass, PassDesc* desc) = 0;
  // The first technique after `from` (0: from the start) that the device can run.
  virtual Result FindNextValidTechnique(EffectHandle from, EffectHandle* next) = 0;
  virtual Result SetTechnique(EffectHandle technique) = 0;
  virtual Result SetMatrix(EffectHandle parameter, const Matrix* matrix) = 0;
  virtual Result SetVector(EffectHandle parameter, const Vector4* vector) = 0;
  virtual Result SetFloat(EffectHandle parameter, float value) = 0;
  virtual Result SetInt(EffectHandle parameter, int32_t value) = 0;
  virtual Result SetBool(EffectHandle parameter, int32_t value) = 0;
  virtual Result SetTexture(EffectHandle parameter, gfx::BaseTexture* texture) = 0;
  virtual Result SetMatrixTransposeArray(EffectHandle parameter, const Matrix* matrices, uint32_t count) = 0;
  // Begins the selected technique: *passes receives its pass count. The device states its passes set
  // are saved (unless kEffectDoNotSaveState) and End puts them back.
  virtual Result Begin(uint32_t* passes, uint32_t flags) = 0;
  // Sets the pass's states, shaders, samplers and shader constants.
  virtual Result BeginPass(uint32_t pass) = 0;
  // Sends values set since BeginPass to the device.
  virtual Result CommitChanges() = 0;
  virtual Result EndPass() = 0;
  virtual Result End() = 0;
};

// Compiles the effect file (the name goes through the path resolver) for the device. *effect receives
// a new effect or null; *errors, when given, the messages ("file(line): message" lines). kNotFound for
// a missing file, kFail for one that does not compile.
Result CreateEffectFromFile(gfx::Device* device, std::string_view fileName, Effect** effect, std::string* errors);

// Tests stand in for the compiler here (null: the platform's own again).
using EffectCompiler = Result (*)(gfx::Device* device, std::string_view fileName, Effect** effect,
                                  std::string* errors);
void SetEffectCompilerForTest(EffectCompiler compiler);

// Inputs a compiled vertex shader declares (its dcl instructions on input registers), in order.
struct ShaderSemantic {
  uint32_t usage;  // gfx::DeclUsage
  uint32_t usageIndex;
};
constexpr uint32_t kMaxShaderSemantics = 16;
// Reads the declarations of the token stream of `tokens` tokens (it may end sooner at its end token);
// *count receives how many were found, at most kMaxShaderSemantics. kInvalidCall for a stream that is
// not a vertex shader.
Result GetShaderInputSemantics(const uint32_t* function, uint32_t tokens, ShaderSemantic* semantics,
                               uint32_t* count);

}  // namespace platform::d3dx
