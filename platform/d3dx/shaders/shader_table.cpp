// Constant tables, profiles and function building shared by the shader compilers.
#include "platform/d3dx/shaders/shader_table.h"

#include <charconv>

namespace platform::d3dx {

std::string WriteConstantTable(const std::vector<ShaderConstant>& constants) {
  std::string text;
  for (const ShaderConstant& c : constants) {
    text += c.name;
    for (uint32_t v : {c.registerSet, c.registerIndex, c.registerCount, c.rows, c.columns, c.elements,
                       uint32_t(c.rowMajor)}) {
      text += ' ';
      text += std::to_string(v);
    }
    text += '\n';
  }
  return text;
}

bool ReadConstantTable(std::string_view text, std::vector<ShaderConstant>* constants) {
  constants->clear();
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    ShaderConstant c;
    size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos) return false;
    c.name = std::string(line.substr(0, space));
    uint32_t values[7];
    for (uint32_t& v : values) {
      line.remove_prefix(space + 1);
      space = line.find(' ');
      std::string_view field = line.substr(0, space);
      auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
      if (ec != std::errc() || ptr != field.data() + field.size()) return false;
      if (space == std::string_view::npos) space = line.size() - 1;
    }
    if (space != line.size() - 1 && line.find(' ') != std::string_view::npos) return false;
    c.registerSet = values[0];
    c.registerIndex = values[1];
    c.registerCount = values[2];
    c.rows = values[3];
    c.columns = values[4];
    c.elements = values[5];
    c.rowMajor = values[6] != 0;
    if (c.registerSet > RS_SAMPLER) return false;
    constants->push_back(std::move(c));
  }
  return true;
}

bool ParseShaderProfile(std::string_view name, ShaderProfile* profile) {
  *profile = ShaderProfile{};
  if (name.size() != 6 || (name[2] != '_' && name[2] != '.') || name[4] != name[2]) return false;
  if (name.substr(0, 2) == "vs" || name.substr(0, 2) == "VS") profile->vertex = true;
  else if (name.substr(0, 2) != "ps" && name.substr(0, 2) != "PS") return false;
  const char major = name[3], minor = name[5];
  if (major < '1' || major > '3') return false;
  profile->major = uint32_t(major - '0');
  if (minor == 'a' || minor == 'b' || minor == 'x' || minor == 'A' || minor == 'B' || minor == 'X') {
    if (major != '2') return false;
    profile->minor = 0;
    return true;
  }
  if (minor < '0' || minor > '4') return false;
  profile->minor = uint32_t(minor - '0');
  if (profile->major == 1) {
    if (profile->vertex ? profile->minor != 0 && profile->minor != 1 : profile->minor < 1) return false;
  } else if (profile->minor != 0) {
    return false;
  }
  return true;
}

std::vector<uint32_t> BuildFunction(const ShaderProfile& profile, const std::vector<gfx::ShaderInput>& inputs,
                                    const std::string& glsl, const std::vector<ShaderConstant>& constants) {
  gfx::ShaderFunction f;
  f.vertex = profile.vertex;
  f.major = profile.major;
  f.minor = profile.minor;
  f.inputs = inputs;
  f.blocks.push_back({gfx::kShaderTagGlsl, glsl});
  f.blocks.push_back({gfx::kShaderTagConstants, WriteConstantTable(constants)});
  return gfx::WriteShaderFunction(f);
}

std::string ErrorLine(std::string_view sourceName, int line, std::string_view message) {
  std::string text(sourceName);
  text += '(' + std::to_string(line) + "): ";
  text += message;
  text += '\n';
  return text;
}

}  // namespace platform::d3dx
