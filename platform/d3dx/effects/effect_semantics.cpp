// The input declarations of a compiled vertex shader, read from its token stream.
#include "platform/d3dx/effects/effect.h"

namespace platform::d3dx {

namespace {

constexpr uint32_t kVertexShaderVersion = 0xFFFE0000;
constexpr uint32_t kEndToken = 0x0000FFFF;
constexpr uint32_t kCommentOpcode = 0xFFFE;
constexpr uint32_t kDeclareOpcode = 0x1F;
constexpr uint32_t kInputRegister = 1;

uint32_t RegisterType(uint32_t token) { return ((token >> 28) & 0x7) | ((token >> 8) & 0x18); }

}  // namespace

Result GetShaderInputSemantics(const uint32_t* function, uint32_t tokens, ShaderSemantic* semantics,
                               uint32_t* count) {
  if (!count) return gfx::kInvalidCall;
  *count = 0;
  if (!function || tokens == 0 || (function[0] & 0xFFFF0000) != kVertexShaderVersion) return gfx::kInvalidCall;
  const uint32_t major = (function[0] >> 8) & 0xFF;
  uint32_t i = 1;
  while (i < tokens && function[i] != kEndToken) {
    const uint32_t token = function[i];
    const uint32_t opcode = token & 0xFFFF;
    if (opcode == kCommentOpcode) {
      i += 1 + ((token >> 16) & 0x7FFF);
      continue;
    }
    const bool declare = opcode == kDeclareOpcode && tokens - i > 2;
    if (declare && RegisterType(function[i + 2]) == kInputRegister && *count < kMaxShaderSemantics) {
      if (semantics) semantics[*count] = {function[i + 1] & 0x1F, (function[i + 1] >> 16) & 0xF};
      ++*count;
    }
    if (major >= 2) {
      i += 1 + ((token >> 24) & 0xF);  // these versions give every instruction's length
    } else if (declare) {
      i += 3;
    } else {
      break;  // older versions declare their inputs before any other instruction
    }
  }
  return gfx::kOk;
}

}  // namespace platform::d3dx
