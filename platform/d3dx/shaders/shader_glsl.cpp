// GLSL conventions shared by the shader compilers (see shader_glsl.h).
#include "platform/d3dx/shaders/shader_glsl.h"

#include <cctype>

#include "platform/gfx/types.h"

namespace platform::d3dx {

bool ParseSemantic(std::string_view semantic, uint32_t* usage, uint32_t* index) {
  std::string upper;
  for (char c : semantic) upper += char(std::toupper(uint8_t(c)));
  size_t digits = upper.size();
  while (digits > 0 && std::isdigit(uint8_t(upper[digits - 1]))) --digits;
  if (upper.size() - digits > 2) return false;
  *index = digits < upper.size() ? uint32_t(std::stoul(upper.substr(digits))) : 0;
  const std::string name = upper.substr(0, digits);
  static const struct { const char* name; uint32_t usage; } kNames[] = {
      {"POSITION", gfx::DECLUSAGE_POSITION},   {"SV_POSITION", gfx::DECLUSAGE_POSITION},
      {"BLENDWEIGHT", gfx::DECLUSAGE_BLENDWEIGHT}, {"BLENDINDICES", gfx::DECLUSAGE_BLENDINDICES},
      {"NORMAL", gfx::DECLUSAGE_NORMAL},       {"PSIZE", gfx::DECLUSAGE_PSIZE},
      {"TEXCOORD", gfx::DECLUSAGE_TEXCOORD},   {"TANGENT", gfx::DECLUSAGE_TANGENT},
      {"BINORMAL", gfx::DECLUSAGE_BINORMAL},   {"TESSFACTOR", gfx::DECLUSAGE_TESSFACTOR},
      {"POSITIONT", gfx::DECLUSAGE_POSITIONT}, {"COLOR", gfx::DECLUSAGE_COLOR},
      {"SV_TARGET", gfx::DECLUSAGE_COLOR},     {"FOG", gfx::DECLUSAGE_FOG},
      {"DEPTH", gfx::DECLUSAGE_DEPTH},         {"SV_DEPTH", gfx::DECLUSAGE_DEPTH},
      {"SAMPLE", gfx::DECLUSAGE_SAMPLE},
  };
  for (const auto& n : kNames) {
    if (name == n.name) {
      *usage = n.usage;
      return *index < 16;
    }
  }
  return false;
}

std::string StageVariable(bool vertexOutput, uint32_t usage, uint32_t index, uint32_t components) {
  std::string base;
  bool scalar = false;
  switch (usage) {
    case gfx::DECLUSAGE_POSITION:
      if (vertexOutput && index == 0) base = "qel_pos";
      break;
    case gfx::DECLUSAGE_COLOR:
      if (index == 0) base = vertexOutput ? "gl_FrontColor" : "gl_Color";
      if (index == 1) base = vertexOutput ? "gl_FrontSecondaryColor" : "gl_SecondaryColor";
      break;
    case gfx::DECLUSAGE_TEXCOORD:
      if (index < 8) base = "gl_TexCoord[" + std::to_string(index) + "]";
      break;
    case gfx::DECLUSAGE_FOG:
      base = "gl_FogFragCoord";
      scalar = true;
      break;
    case gfx::DECLUSAGE_PSIZE:
      if (vertexOutput) base = "gl_PointSize", scalar = true;
      break;
    default: break;
  }
  if (base.empty() || components == 0 || components > 4) return {};
  if (scalar) return components == 1 ? base : std::string();
  static const char* kSwizzle[] = {"", ".x", ".xy", ".xyz", ""};
  return base + kSwizzle[components];
}

std::string VertexMain(std::string_view body) {
  return "void main()\n{\n    " + std::string(body) +
         "();\n    gl_Position = vec4(qel_pos.x + qel_pos.w * qel_fix.x, -qel_pos.y + qel_pos.w * qel_fix.y, "
         "2.0 * qel_pos.z - qel_pos.w, qel_pos.w);\n}\n";
}

}  // namespace platform::d3dx
