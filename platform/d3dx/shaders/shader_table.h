// What both shader compilers share: the text form of the constant table in a function, the
// profile names and the building of the finished function.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"
#include "platform/gfx/shader_function.h"

namespace platform::d3dx {

std::string WriteConstantTable(const std::vector<ShaderConstant>& constants);
bool ReadConstantTable(std::string_view text, std::vector<ShaderConstant>* constants);

struct ShaderProfile {
  bool vertex = false;
  uint32_t major = 0, minor = 0;
  // Float registers the stage has (256 for vertex shaders, 224 for ps 3.0, 32 below; 8 for ps 1.x).
  uint32_t FloatRegisters() const { return vertex ? 256 : major >= 3 ? 224 : major == 2 ? 32 : 8; }
};
// "vs_2_0", "ps_3_0", "vs.1.1", "ps_2_a" ...; false for anything else.
bool ParseShaderProfile(std::string_view name, ShaderProfile* profile);

// The function of a finished compile.
std::vector<uint32_t> BuildFunction(const ShaderProfile& profile, const std::vector<gfx::ShaderInput>& inputs,
                                    const std::string& glsl, const std::vector<ShaderConstant>& constants);

// "name(line): message\n"
std::string ErrorLine(std::string_view sourceName, int line, std::string_view message);

}  // namespace platform::d3dx
