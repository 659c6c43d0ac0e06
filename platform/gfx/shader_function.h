// The container of a compiled shader function (see platform/d3dx/shaders/shader_compiler.h): version token,
// dcl instructions of the vertex inputs, tagged comment blocks with our payload, end token. The
// compilers write it and the device reads it.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gfx {

constexpr uint32_t kShaderEndToken = 0x0000FFFF;
constexpr uint32_t kShaderCommentOpcode = 0xFFFE;
constexpr uint32_t kShaderDeclareOpcode = 0x1F;
// Longest function either side accepts, in tokens.
constexpr uint32_t kMaxShaderFunctionTokens = 1u << 22;

constexpr uint32_t ShaderTag(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}
constexpr uint32_t kShaderTagGlsl = ShaderTag('Q', 'G', 'S', 'L');       // GLSL text of the stage
constexpr uint32_t kShaderTagConstants = ShaderTag('Q', 'C', 'T', 'B');  // the constant table

// A vertex input register and the vertex element it reads (DECLUSAGE_* and usage index).
struct ShaderInput {
  uint32_t reg = 0, usage = 0, usageIndex = 0;
};

struct ShaderBlock {
  uint32_t tag = 0;
  std::string data;
};

struct ShaderFunction {
  bool vertex = false;
  uint32_t major = 0, minor = 0;
  uint32_t tokens = 0;  // up to and including the end token
  std::vector<ShaderInput> inputs;
  std::vector<ShaderBlock> blocks;
  const std::string* Find(uint32_t tag) const;
};

// Reads a function; false for a stream that is not one of ours (or longer than the limit).
bool ReadShaderFunction(const uint32_t* function, ShaderFunction* out);
// Writes `function` (tokens is ignored) as a token stream.
std::vector<uint32_t> WriteShaderFunction(const ShaderFunction& function);

// GLSL names the generated code and the device share: input register n of a vertex shader is the
// attribute "qel_v<n>"; sampler stage n the sampler "qel_s<n>"; the constant registers the arrays
// below ("uniform vec4 qel_vc[N]" ...), sized to the highest register the shader reads.
inline constexpr const char* kGlslVertexFloat = "qel_vc";
inline constexpr const char* kGlslVertexInt = "qel_vi";
inline constexpr const char* kGlslVertexBool = "qel_vb";
inline constexpr const char* kGlslPixelFloat = "qel_pc";
inline constexpr const char* kGlslPixelInt = "qel_pi";
inline constexpr const char* kGlslPixelBool = "qel_pb";

}  // namespace platform::gfx
