// Reading and writing the compiled shader container.
#include "platform/gfx/shader_function.h"

#include <algorithm>
#include <cstring>

namespace platform::gfx {
namespace {

constexpr uint32_t kMaxCommentDwords = 0x7FFF;
// Each block chunk: tag, byte count, then the bytes padded to whole tokens.
constexpr uint32_t kChunkBytes = (kMaxCommentDwords - 2) * 4;

}  // namespace

const std::string* ShaderFunction::Find(uint32_t tag) const {
  for (const ShaderBlock& block : blocks) {
    if (block.tag == tag) return &block.data;
  }
  return nullptr;
}

bool ReadShaderFunction(const uint32_t* function, ShaderFunction* out) {
  *out = ShaderFunction{};
  if (!function) return false;
  const uint32_t version = function[0];
  if ((version & 0xFFFF0000u) != 0xFFFE0000u && (version & 0xFFFF0000u) != 0xFFFF0000u) return false;
  out->vertex = (version & 0xFFFF0000u) == 0xFFFE0000u;
  out->major = (version >> 8) & 0xFF;
  out->minor = version & 0xFF;
  if (out->major < 1 || out->major > 3) return false;
  uint32_t i = 1;
  while (i < kMaxShaderFunctionTokens) {
    const uint32_t token = function[i];
    if (token == kShaderEndToken) {
      out->tokens = i + 1;
      return out->Find(kShaderTagGlsl) != nullptr;
    }
    const uint32_t opcode = token & 0xFFFF;
    if (opcode == kShaderCommentOpcode) {
      const uint32_t length = (token >> 16) & 0x7FFF;
      if (length < 2 || i + 1 + length >= kMaxShaderFunctionTokens) return false;
      const uint32_t tag = function[i + 1], bytes = function[i + 2];
      if (bytes > (length - 2) * 4) return false;
      const char* data = reinterpret_cast<const char*>(function + i + 3);
      if (!out->blocks.empty() && out->blocks.back().tag == tag) {
        out->blocks.back().data.append(data, bytes);
      } else {
        out->blocks.push_back({tag, std::string(data, bytes)});
      }
      i += 1 + length;
    } else if (opcode == kShaderDeclareOpcode && out->vertex && ((token >> 24) & 0xF) == 2) {
      const uint32_t usage = function[i + 1], reg = function[i + 2];
      if (!(usage & 0x80000000u) || ((reg >> 28) & 7) != 1) return false;  // inputs only
      out->inputs.push_back({reg & 0x7FF, usage & 0x1F, (usage >> 16) & 0xF});
      i += 3;
    } else {
      return false;
    }
  }
  return false;
}

std::vector<uint32_t> WriteShaderFunction(const ShaderFunction& function) {
  std::vector<uint32_t> tokens;
  tokens.push_back((function.vertex ? 0xFFFE0000u : 0xFFFF0000u) | function.major << 8 | function.minor);
  if (function.vertex) {
    for (const ShaderInput& input : function.inputs) {
      tokens.push_back(kShaderDeclareOpcode | 2u << 24);
      tokens.push_back(0x80000000u | (input.usage & 0x1F) | (input.usageIndex & 0xF) << 16);
      tokens.push_back(0x80000000u | 1u << 28 | 0xFu << 16 | (input.reg & 0x7FF));
    }
  }
  for (const ShaderBlock& block : function.blocks) {
    size_t done = 0;
    do {
      const uint32_t bytes = uint32_t(std::min<size_t>(block.data.size() - done, kChunkBytes));
      const uint32_t dwords = (bytes + 3) / 4;
      tokens.push_back(kShaderCommentOpcode | (dwords + 2) << 16);
      tokens.push_back(block.tag);
      tokens.push_back(bytes);
      const size_t at = tokens.size();
      tokens.resize(at + dwords, 0);
      if (bytes) std::memcpy(tokens.data() + at, block.data.data() + done, bytes);
      done += bytes;
    } while (done < block.data.size());
  }
  tokens.push_back(kShaderEndToken);
  return tokens;
}

}  // namespace platform::gfx
