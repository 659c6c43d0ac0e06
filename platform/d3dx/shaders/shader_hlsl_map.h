// From the SPIR-V the HLSL front end made to the conventions of shader_glsl.h: parameters in
// constant registers laid out as the older API laid them out, samplers on their stages, and the
// stage's inputs and outputs on the compatibility built-ins, whichever way the entry declares them
// (parameters, `out`/`inout` parameters, returned values and structures). Every error names the
// line of its declaration.
#pragma once
#include <spirv_cross/spirv_cross_c.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"
#include "platform/d3dx/shaders/shader_hlsl_source.h"
#include "platform/d3dx/shaders/shader_table.h"
#include "platform/gfx/shader_function.h"

namespace platform::d3dx {

struct CompileJob {
  std::string source;
  std::string sourceName;
  std::string entry;
  SourcePlace entryPlace;  // where the entry is defined: the place of errors about it as a whole
  ShaderProfile profile;
  // results
  std::vector<uint32_t> function;
  std::string errors;
  bool ok = false;

  // "file(line): message" at a place of the source (a place not found: the entry's).
  void Fail(const SourcePlace& place, const std::string& message);
  // At the declaration of `name` (with `semantic` when given).
  void FailAt(std::string_view name, std::string_view semantic, const std::string& message);
};

// What the mapping gives the GLSL: stage variables that stand for built-in expressions.
struct StageMapping {
  std::vector<gfx::ShaderInput> inputs;                     // vertex shaders: attribute registers
  std::vector<std::pair<std::string, std::string>> defines;  // variable -> built-in expression
  uint32_t floatRegisters = 0;                               // float registers the entry reads
};

// Names, registers and decorations of every resource of `compiler`; false (with job->errors) for
// what the device cannot run.
bool MapParameters(spvc_compiler compiler, spvc_resources resources, CompileJob* job,
                   std::vector<ShaderConstant>* constants);
bool MapSamplers(spvc_compiler compiler, spvc_resources resources, CompileJob* job,
                 std::vector<ShaderConstant>* constants);
bool MapStageVariables(spvc_compiler compiler, spvc_resources resources, CompileJob* job, StageMapping* mapping);

// The finished GLSL from the cross compiler's: stage variables replaced by their built-ins, the
// register array sized by the registers the entry reads, and for vertex shaders the main that writes
// gl_Position.
std::string FinishGlsl(std::string_view generated, const StageMapping& mapping, bool vertex);

}  // namespace platform::d3dx
