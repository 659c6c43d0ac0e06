// Shader assembly reading (see shader_asm_parse.h).
#include "platform/d3dx/shaders/shader_asm_parse.h"

#include <cctype>
#include <charconv>

namespace platform::d3dx {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(uint8_t(c)));
  return out;
}

struct Word {
  std::string text;
  int line = 0;
  bool comma = false;      // a "," token
  bool predicate = false;  // "(p0)"
};

bool Split(std::string_view s, std::vector<Word>* words, std::string* error, int* line) {
  int current = 1;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\n') { ++current; ++i; continue; }
    if (std::isspace(uint8_t(c))) { ++i; continue; }
    if (c == ';' || (c == '/' && i + 1 < s.size() && s[i + 1] == '/')) {
      while (i < s.size() && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      i += 2;
      while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
        if (s[i] == '\n') ++current;
        ++i;
      }
      i = std::min(s.size(), i + 2);
      continue;
    }
    if (c == '#') {
      *line = current;
      *error = "preprocessor directives are not supported in shader assembly";
      return false;
    }
    if (c == ',') {
      words->push_back({",", current, true, false});
      ++i;
      continue;
    }
    if (c == '(') {
      const size_t close = s.find(')', i);
      if (close == std::string_view::npos || s.substr(i, close - i).find('\n') != std::string_view::npos) {
        *line = current;
        *error = "unclosed '('";
        return false;
      }
      std::string text;
      for (size_t k = i + 1; k < close; ++k)
        if (!std::isspace(uint8_t(s[k]))) text += s[k];
      words->push_back({text, current, false, true});
      i = close + 1;
      continue;
    }
    std::string text;
    while (i < s.size()) {
      const char d = s[i];
      if (d == '[') {
        const size_t close = s.find(']', i);
        if (close == std::string_view::npos || s.substr(i, close - i).find('\n') != std::string_view::npos) {
          *line = current;
          *error = "unclosed '['";
          return false;
        }
        for (size_t k = i; k <= close; ++k)
          if (!std::isspace(uint8_t(s[k]))) text += s[k];
        i = close + 1;
        continue;
      }
      if (std::isspace(uint8_t(d)) || d == ',' || d == ';' || d == '(' ||
          (d == '/' && i + 1 < s.size() && (s[i + 1] == '/' || s[i + 1] == '*')))
        break;
      text += d;
      ++i;
    }
    if (text.empty()) {
      *line = current;
      *error = std::string("unexpected '") + c + "'";
      return false;
    }
    words->push_back({text, current, false, false});
  }
  return true;
}

bool ParseInt(std::string_view s, uint32_t* value) {
  if (s.empty() || s.size() > 6) return false;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && ptr == s.data() + s.size();
}

int Component(char c) {
  switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
  }
}

}  // namespace

std::vector<int> AsmOperandCounts(std::string_view op) {
  static const struct { const char* name; std::vector<int> counts; } kTable[] = {
      {"nop", {0}}, {"mov", {2}}, {"mova", {2}}, {"add", {3}}, {"sub", {3}}, {"mul", {3}}, {"mad", {4}},
      {"dp3", {3}}, {"dp4", {3}}, {"rcp", {2}}, {"rsq", {2}}, {"min", {3}}, {"max", {3}}, {"slt", {3}},
      {"sge", {3}}, {"exp", {2}}, {"log", {2}}, {"expp", {2}}, {"logp", {2}}, {"lit", {2}}, {"dst", {3}},
      {"lrp", {4}}, {"frc", {2}}, {"m4x4", {3}}, {"m4x3", {3}}, {"m3x4", {3}}, {"m3x3", {3}}, {"m3x2", {3}},
      {"sincos", {2, 4}}, {"nrm", {2}}, {"crs", {3}}, {"abs", {2}}, {"pow", {3}}, {"sgn", {4}}, {"cmp", {4}},
      {"cnd", {4}}, {"dp2add", {4}}, {"dsx", {2}}, {"dsy", {2}}, {"def", {5}}, {"defi", {5}}, {"defb", {2}},
      {"dcl", {1}}, {"texld", {2, 3}}, {"texldp", {3}}, {"texldb", {3}}, {"texldl", {3}}, {"tex", {1}},
      {"texcoord", {1}}, {"texcrd", {2}}, {"texkill", {1}}, {"texreg2ar", {2}}, {"texreg2gb", {2}},
      {"texreg2rgb", {2}}, {"texm3x2pad", {2}}, {"texm3x2tex", {2}}, {"texm3x3pad", {2}}, {"texm3x3tex", {2}},
      {"texm3x3spec", {3}}, {"texm3x3vspec", {2}}, {"texm3x3", {2}}, {"texdp3", {2}}, {"texdp3tex", {2}},
      {"phase", {0}}, {"if", {1, 2}}, {"else", {0}}, {"endif", {0}}, {"rep", {1}}, {"endrep", {0}},
      {"loop", {2}}, {"endloop", {0}}, {"break", {0, 2}}, {"breakp", {1}}, {"call", {1}}, {"callnz", {2}},
      {"label", {1}}, {"ret", {0}}, {"setp", {3}},
  };
  for (const auto& entry : kTable)
    if (op == entry.name) return entry.counts;
  return {};
}

bool ParseAsm(std::string_view source, std::string* version, int* versionLine, std::vector<AsmInstruction>* out,
              std::string* error, int* line) {
  std::vector<Word> words;
  *line = 1;
  if (!Split(source, &words, error, line)) return false;
  if (words.empty() || words[0].comma || words[0].predicate) {
    *error = "no shader version (vs_1_1 .. ps_3_0)";
    return false;
  }
  *version = Lower(words[0].text);
  *versionLine = words[0].line;
  size_t i = 1;
  while (i < words.size()) {
    AsmInstruction ins;
    ins.line = words[i].line;
    if (words[i].predicate) {
      ins.predicate = Lower(words[i].text);
      if (++i >= words.size()) break;
    }
    if (words[i].comma) {
      *line = words[i].line;
      *error = "unexpected ','";
      return false;
    }
    std::string head = Lower(words[i].text);
    if (!head.empty() && head[0] == '+') {
      ins.coissue = true;
      head.erase(0, 1);
      if (head.empty()) {
        if (++i >= words.size() || words[i].comma) { *line = ins.line; *error = "'+' without an instruction"; return false; }
        head = Lower(words[i].text);
      }
    }
    ins.line = words[i].line;
    ++i;
    size_t underscore = head.find('_');
    ins.opcode = head.substr(0, underscore);
    while (underscore != std::string::npos) {
      const size_t next = head.find('_', underscore + 1);
      ins.modifiers.push_back(head.substr(underscore + 1, next == std::string::npos ? std::string::npos : next - underscore - 1));
      underscore = next;
    }
    const std::vector<int> counts = AsmOperandCounts(ins.opcode);
    if (counts.empty()) {
      *line = ins.line;
      *error = "unknown instruction '" + head + "'";
      return false;
    }
    int most = 0;
    for (int n : counts) most = std::max(most, n);
    // Operands follow unless the next word is the next instruction (no register is named like one).
    auto isOpcode = [&](const Word& w) {
      const std::string lower = Lower(w.text);
      const std::string name = lower.substr(lower[0] == '+' ? 1 : 0);
      return !AsmOperandCounts(name.substr(0, name.find('_'))).empty() || name.empty();
    };
    if (most > 0 && i < words.size() && !words[i].comma && !words[i].predicate && !isOpcode(words[i])) {
      ins.operands.push_back(words[i++].text);
      while (i + 1 < words.size() && words[i].comma && !words[i + 1].comma && !words[i + 1].predicate) {
        ins.operands.push_back(words[i + 1].text);
        i += 2;
      }
    }
    if (i < words.size() && words[i].comma) {
      *line = words[i].line;
      *error = "unexpected ','";
      return false;
    }
    bool countOk = false;
    for (int n : counts) countOk |= n == int(ins.operands.size());
    if (!countOk) {
      *line = ins.line;
      *error = "wrong number of operands for '" + ins.opcode + "'";
      return false;
    }
    out->push_back(std::move(ins));
  }
  return true;
}

bool ParseOperand(std::string_view text, bool pixel, Operand* out, std::string* error) {
  *out = Operand{};
  std::string s = Lower(text);
  auto bad = [&](const std::string& why) {
    *error = "bad operand '" + std::string(text) + "': " + why;
    return false;
  };
  if (s.rfind("1-", 0) == 0) { out->mod = SourceMod::kComp; s.erase(0, 2); }
  else if (s.rfind("-", 0) == 0) { out->mod = SourceMod::kNeg; s.erase(0, 1); }
  else if (s.rfind("!", 0) == 0) { out->mod = SourceMod::kNot; s.erase(0, 1); }
  // Suffix modifiers.
  static const struct { const char* suffix; SourceMod plain, negated; } kSuffixes[] = {
      {"_bias", SourceMod::kBias, SourceMod::kBiasNeg}, {"_bx2", SourceMod::kSign, SourceMod::kSignNeg},
      {"_x2", SourceMod::kX2, SourceMod::kX2Neg},       {"_abs", SourceMod::kAbs, SourceMod::kAbsNeg},
      {"_dz", SourceMod::kDz, SourceMod::kDz},          {"_db", SourceMod::kDz, SourceMod::kDz},
      {"_dw", SourceMod::kDw, SourceMod::kDw},          {"_da", SourceMod::kDw, SourceMod::kDw},
  };
  for (const auto& suffix : kSuffixes) {
    const std::string tail = suffix.suffix;
    size_t at = s.rfind(tail);
    if (at == std::string::npos || at == 0) continue;
    const std::string after = s.substr(at + tail.size());
    if (!after.empty() && after[0] != '.') continue;
    if (out->mod != SourceMod::kNone && out->mod != SourceMod::kNeg) return bad("modifiers do not combine");
    out->mod = out->mod == SourceMod::kNeg ? suffix.negated : suffix.plain;
    s = s.substr(0, at) + after;
    break;
  }
  // Swizzle or mask after the last '.' outside brackets.
  const size_t bracket = s.find(']');
  const size_t dot = s.find('.', bracket == std::string::npos ? 0 : bracket);
  std::string components;
  if (dot != std::string::npos) {
    components = s.substr(dot + 1);
    s.resize(dot);
    if (components.empty() || components.size() > 4) return bad("swizzle");
    uint8_t mask = 0;
    int last = -1;
    bool ordered = true;
    for (size_t k = 0; k < components.size(); ++k) {
      const int c = Component(components[k]);
      if (c < 0) return bad("swizzle");
      out->swizzle[k] = uint8_t(c);
      if (c <= last) ordered = false;
      last = c;
      mask |= uint8_t(1 << c);
    }
    for (size_t k = components.size(); k < 4; ++k) out->swizzle[k] = out->swizzle[components.size() - 1];
    out->mask = ordered ? mask : 0;  // 0: not usable as a write mask
  }
  // Relative addressing: c[a0.x + 5], c5[a0.x], c[5 + a0.x], v[aL].
  std::string base = s, inside;
  const size_t open = s.find('[');
  if (open != std::string::npos) {
    if (s.back() != ']') return bad("brackets");
    inside = s.substr(open + 1, s.size() - open - 2);
    base = s.substr(0, open);
    uint32_t offset = 0;
    bool sawRegister = false, sawNumber = false;
    size_t start = 0;
    while (start <= inside.size()) {
      size_t plus = inside.find('+', start);
      const std::string part = inside.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
      uint32_t number = 0;
      if (ParseInt(part, &number)) {
        if (sawNumber) return bad("relative address");
        offset = number;
        sawNumber = true;
      } else if (part.rfind("a0", 0) == 0) {
        if (sawRegister) return bad("relative address");
        sawRegister = true;
        out->relative = true;
        out->relativeComponent = 0;
        if (part.size() == 4 && part[2] == '.') {
          const int c = Component(part[3]);
          if (c < 0) return bad("relative address");
          out->relativeComponent = uint8_t(c);
        } else if (part != "a0") {
          return bad("relative address");
        }
      } else if (part == "al") {
        if (sawRegister) return bad("relative address");
        sawRegister = true;
        out->relative = out->relativeLoop = true;
      } else {
        return bad("relative address");
      }
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
    if (!sawRegister && !sawNumber) return bad("relative address");
    if (!sawRegister) out->relative = false;
    out->index = offset;
  }
  static const struct { const char* name; RegType type; bool numbered; } kRegisters[] = {
      {"opos", RegType::kPosition, false}, {"ofog", RegType::kFog, false}, {"opts", RegType::kPointSize, false},
      {"odepth", RegType::kDepthOut, false}, {"vpos", RegType::kFragPos, false}, {"vface", RegType::kFace, false},
      {"al", RegType::kLoop, false},       {"od", RegType::kColorOut, true},  {"oc", RegType::kColorOut, true},
      {"ot", RegType::kTexCoordOut, true}, {"o", RegType::kOutput, true},     {"r", RegType::kTemp, true},
      {"v", RegType::kInput, true},        {"c", RegType::kConst, true},      {"a", RegType::kAddress, true},
      {"t", RegType::kTexture, true},      {"s", RegType::kSampler, true},    {"i", RegType::kConstInt, true},
      {"b", RegType::kConstBool, true},    {"p", RegType::kPredicate, true},  {"l", RegType::kLabel, true},
  };
  for (const auto& reg : kRegisters) {
    const std::string name = reg.name;
    if (base.rfind(name, 0) != 0) continue;
    const std::string number = base.substr(name.size());
    if (!reg.numbered) {
      if (!number.empty()) continue;
      out->type = reg.type;
      return true;
    }
    uint32_t index = 0;
    if (number.empty() && open != std::string::npos) {
      index = 0;
    } else if (!ParseInt(number, &index)) {
      continue;
    }
    if (index > 4095) return bad("register number");
    if (open != std::string::npos) {
      if (reg.type != RegType::kConst && reg.type != RegType::kInput && reg.type != RegType::kOutput)
        return bad("relative addressing of this register");
      out->index += index;
    } else {
      out->index = index;
    }
    out->type = reg.type;
    if (reg.type == RegType::kColorOut && !pixel && name == "oc") return bad("oC in a vertex shader");
    return true;
  }
  return bad("unknown register");
}

}  // namespace platform::d3dx
