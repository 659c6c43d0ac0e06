// Shader assembly to GLSL: every instruction becomes GLSL statements over vec4 registers, with the
// register files of the API the shaders were written for (constants in qel_vc/qel_pc, inputs and
// outputs by the conventions of shader_glsl.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "platform/d3dx/shaders/shader_asm_parse.h"
#include "platform/d3dx/shaders/shader_compiler.h"
#include "platform/d3dx/shaders/shader_glsl.h"
#include "platform/d3dx/shaders/shader_table.h"
#include "platform/gfx/types.h"

namespace platform::d3dx {
namespace {

constexpr size_t kMaxInstructions = 32768;
constexpr int kMaxNesting = 24;

const char kComponents[] = "xyzw";

std::string Float(float v) {
  if (!std::isfinite(v)) v = v > 0 ? 3.4e38f : v < 0 ? -3.4e38f : 0.0f;
  char text[48];
  std::snprintf(text, sizeof text, "%.9g", double(v));
  std::string s = text;
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string Mask(uint8_t mask) {
  std::string s;
  for (int c = 0; c < 4; ++c)
    if (mask & (1 << c)) s += kComponents[c];
  return s;
}

// A predicate operand ("p0.y", "!p0.x") as a GLSL condition on one component.
std::string PredicateCondition(const ::platform::d3dx::Operand& o) {
  return std::string(o.mod == SourceMod::kNot ? "!" : "") + "p0." + kComponents[o.swizzle[0]];
}

// An expression with an operand's swizzle applied.
std::string Swizzled(const std::string& r, const ::platform::d3dx::Operand& o) {
  if (o.swizzle[0] == 0 && o.swizzle[1] == 1 && o.swizzle[2] == 2 && o.swizzle[3] == 3) return r;
  std::string s = "(" + r + ").";
  for (int k = 0; k < 4; ++k) s += kComponents[o.swizzle[k]];
  return s;
}

// The texture coordinates a ps 1.x t register operand names, swizzle applied ("t0.xyw").
std::string TexCoords(const ::platform::d3dx::Operand& o) {
  return Swizzled("gl_TexCoord[" + std::to_string(o.index) + "]", o);
}

struct Failure {
  int line;
  std::string message;
};

class Translator {
 public:
  Translator(const ShaderProfile& profile) : p_(profile), pixel_(!profile.vertex) {}

  bool Run(const std::vector<AsmInstruction>& code, Failure* failure);
  std::string Glsl() const;
  const std::vector<gfx::ShaderInput>& Inputs() const { return inputs_; }

 private:
  bool Instruction(const AsmInstruction& ins);
  bool Declare(const AsmInstruction& ins);
  bool Fail(const std::string& message) {
    failure_ = message;
    return false;
  }
  bool Operand(const AsmInstruction& ins, size_t n, ::platform::d3dx::Operand* out) {
    std::string error;
    if (!ParseOperand(ins.operands[n], pixel_, out, &error)) return Fail(error);
    return true;
  }
  // Expression of a register (offset registers further on) as a vec4, before swizzle and modifier.
  bool Register(const ::platform::d3dx::Operand& o, uint32_t offset, std::string* out);
  // Source operand n as a vec4 expression with swizzle and modifier applied.
  bool Source(const AsmInstruction& ins, size_t n, std::string* out, uint32_t offset = 0);
  // Scalar source (the last component of its swizzle, as the API reads scalar operands).
  bool Scalar(const AsmInstruction& ins, size_t n, std::string* out);
  // Writes a vec4 result to the destination operand with the instruction's modifiers.
  bool Write(const AsmInstruction& ins, const std::string& value, uint8_t maskLimit = 0xF);
  bool Sampler(uint32_t stage, char kind, std::string* name);
  void Emit(const std::string& line) { body_ += std::string(size_t(depth_ + 1) * 2, ' ') + line + "\n"; }
  std::string FloatArray() const { return pixel_ ? gfx::kGlslPixelFloat : gfx::kGlslVertexFloat; }

  ShaderProfile p_;
  bool pixel_;
  std::string failure_;
  std::string body_;      // the current function's statements
  std::string functions_; // finished subroutines
  std::string mainBody_;
  bool inMain_ = true, mainDone_ = false;
  int depth_ = 0;
  std::vector<char> blocks_;  // 'i' if, 'r' rep, 'l' loop
  int loopCounters_ = 0;
  std::vector<std::string> loopNames_;
  std::set<uint32_t> labels_, calledLabels_;
  std::map<uint32_t, std::string> defs_, defInts_, defBools_;
  std::vector<gfx::ShaderInput> inputs_;
  std::map<uint32_t, gfx::ShaderInput> pixelInputs_;   // ps 3.0 v# declarations
  std::map<uint32_t, gfx::ShaderInput> outputs_;       // vs 3.0 o# declarations
  std::map<uint32_t, char> samplers_;                  // stage -> '2' 2D, 'c' cube, 'v' volume
  int tempCount_ = 0;
  uint32_t floatUsed_ = 0, intUsed_ = 0, boolUsed_ = 0;
  bool relativeFloat_ = false;
  bool usesLit_ = false, usesTextureLod_ = false, usesDerivatives_ = false;
  bool noDcl_ = true;  // vs 1.x without dcl: inputs by the fixed register numbering
  std::set<uint32_t> inputsRead_;
  std::string padRows_[3];  // texm3x2pad / texm3x3pad rows seen (ps 1.x)
  int padCount_ = 0;
  bool usesTextureRegs_ = false;
  // ps 1.x co-issued pairs ("+"): both instructions read their sources before either writes.
  bool coissued_ = false;
  int coissueValues_ = 0;
  std::vector<std::string> heldWrites_;
};

bool Translator::Register(const ::platform::d3dx::Operand& o, uint32_t offset, std::string* out) {
  const uint32_t index = o.index + offset;
  auto relativeIndex = [&](uint32_t base) {
    std::string i = o.relativeLoop ? "aL" : std::string("a0.") + kComponents[o.relativeComponent];
    return i + " + " + std::to_string(base);
  };
  switch (o.type) {
    case RegType::kTemp:
      if (index >= 32) return Fail("temporary register r" + std::to_string(index) + " out of range");
      tempCount_ = std::max(tempCount_, int(index) + 1);
      *out = "r" + std::to_string(index);
      return true;
    case RegType::kConst:
      if (o.relative) {
        // Through a function that sees the def constants, as a direct read does.
        relativeFloat_ = true;
        *out = "qel_c(" + relativeIndex(index) + ")";
        return true;
      }
      if (index >= p_.FloatRegisters()) return Fail("constant register c" + std::to_string(index) + " out of range");
      if (defs_.count(index)) {
        *out = "qel_def" + std::to_string(index);
      } else {
        floatUsed_ = std::max(floatUsed_, index + 1);
        *out = FloatArray() + "[" + std::to_string(index) + "]";
        // Constants of ps 1.x hold -1 to 1 (their definitions are clamped where they are made).
        if (pixel_ && p_.major == 1) *out = "clamp(" + *out + ", -1.0, 1.0)";
      }
      return true;
    case RegType::kConstInt:
      if (index >= 16) return Fail("integer register out of range");
      if (defInts_.count(index)) *out = "qel_defi" + std::to_string(index);
      else intUsed_ = std::max(intUsed_, index + 1), *out = std::string(pixel_ ? gfx::kGlslPixelInt : gfx::kGlslVertexInt) + "[" + std::to_string(index) + "]";
      return true;
    case RegType::kConstBool:
      if (index >= 16) return Fail("boolean register out of range");
      if (defBools_.count(index)) *out = "qel_defb" + std::to_string(index);
      else boolUsed_ = std::max(boolUsed_, index + 1), *out = std::string(pixel_ ? gfx::kGlslPixelBool : gfx::kGlslVertexBool) + "[" + std::to_string(index) + "]";
      return true;
    case RegType::kInput:
      if (!pixel_) {
        if (o.relative) return Fail("relative addressing of inputs is not supported");
        if (index >= 16) return Fail("input register out of range");
        inputsRead_.insert(index);
        *out = "qel_v" + std::to_string(index);
        return true;
      }
      if (p_.major >= 3) {
        auto found = pixelInputs_.find(index);
        if (found == pixelInputs_.end()) return Fail("input v" + std::to_string(index) + " is not declared");
        *out = StageVariable(false, found->second.usage, found->second.usageIndex, 4);
        if (found->second.usage == gfx::DECLUSAGE_FOG) *out = "vec4(" + StageVariable(false, gfx::DECLUSAGE_FOG, 0, 1) + ")";
        if (out->empty()) return Fail("input v" + std::to_string(index) + ": usage is not supported");
        return true;
      }
      if (index > 1) return Fail("input register out of range");
      *out = index == 0 ? "gl_Color" : "gl_SecondaryColor";
      return true;
    case RegType::kTexture:
      if (!pixel_) return Fail("t registers exist in pixel shaders only");
      if (index >= 8) return Fail("texture register out of range");
      if (p_.major == 1 && p_.minor <= 3) {
        usesTextureRegs_ = true;
        *out = "t" + std::to_string(index);
      } else {
        *out = "gl_TexCoord[" + std::to_string(index) + "]";
      }
      return true;
    case RegType::kAddress:
      *out = "vec4(a0)";
      return true;
    case RegType::kLoop:
      *out = "vec4(float(aL))";
      return true;
    case RegType::kFragPos:
      *out = "vec4(gl_FragCoord.xy - vec2(0.5), 0.0, 0.0)";
      return true;
    case RegType::kFace:
      *out = "vec4(gl_FrontFacing ? 1.0 : -1.0)";
      return true;
    case RegType::kPredicate:
      *out = "vec4(p0)";
      return true;
    default:
      return Fail("register cannot be read");
  }
}

bool Translator::Source(const AsmInstruction& ins, size_t n, std::string* out, uint32_t offset) {
  ::platform::d3dx::Operand o;
  if (!Operand(ins, n, &o)) return false;
  std::string r;
  if (!Register(o, offset, &r)) return false;
  r = Swizzled(r, o);
  switch (o.mod) {
    case SourceMod::kNone: break;
    case SourceMod::kNeg: r = "(-" + r + ")"; break;
    case SourceMod::kBias: r = "(" + r + " - vec4(0.5))"; break;
    case SourceMod::kBiasNeg: r = "(vec4(0.5) - " + r + ")"; break;
    case SourceMod::kSign: r = "(2.0 * " + r + " - vec4(1.0))"; break;
    case SourceMod::kSignNeg: r = "(vec4(1.0) - 2.0 * " + r + ")"; break;
    case SourceMod::kComp: r = "(vec4(1.0) - " + r + ")"; break;
    case SourceMod::kX2: r = "(2.0 * " + r + ")"; break;
    case SourceMod::kX2Neg: r = "(-2.0 * " + r + ")"; break;
    case SourceMod::kAbs: r = "abs(" + r + ")"; break;
    case SourceMod::kAbsNeg: r = "(-abs(" + r + "))"; break;
    case SourceMod::kNot: r = "(vec4(1.0) - " + r + ")"; break;
    case SourceMod::kDz: r = "(" + r + " / " + r + ".z)"; break;
    case SourceMod::kDw: r = "(" + r + " / " + r + ".w)"; break;
  }
  *out = r;
  return true;
}

bool Translator::Scalar(const AsmInstruction& ins, size_t n, std::string* out) {
  std::string v;
  if (!Source(ins, n, &v)) return false;
  *out = "(" + v + ").w";
  return true;
}

bool Translator::Write(const AsmInstruction& ins, const std::string& value, uint8_t maskLimit) {
  ::platform::d3dx::Operand o;
  if (!Operand(ins, 0, &o)) return false;
  if (o.mod != SourceMod::kNone || o.relative) return Fail("destination with a modifier or relative address");
  if (o.mask == 0) return Fail("bad write mask");
  uint8_t mask = uint8_t(o.mask & maskLimit);
  if (!mask) return Fail("write mask selects nothing this instruction writes");
  std::string v = value;
  for (const std::string& m : ins.modifiers) {
    if (m == "x2") v = "(2.0 * " + v + ")";
    else if (m == "x4") v = "(4.0 * " + v + ")";
    else if (m == "x8") v = "(8.0 * " + v + ")";
    else if (m == "d2") v = "(0.5 * " + v + ")";
    else if (m == "d4") v = "(0.25 * " + v + ")";
    else if (m == "d8") v = "(0.125 * " + v + ")";
  }
  for (const std::string& m : ins.modifiers)
    if (m == "sat") v = "clamp(" + v + ", 0.0, 1.0)";
  for (const std::string& m : ins.modifiers)
    if (m != "x2" && m != "x4" && m != "x8" && m != "d2" && m != "d4" && m != "d8" && m != "sat" && m != "pp" &&
        m != "centroid")
      return Fail("unknown instruction modifier '_" + m + "'");
  std::string target;
  bool scalar = false;
  switch (o.type) {
    case RegType::kTemp:
      if (o.index >= 32) return Fail("temporary register out of range");
      tempCount_ = std::max(tempCount_, int(o.index) + 1);
      target = "r" + std::to_string(o.index);
      break;
    case RegType::kTexture:
      if (!pixel_ || !(p_.major == 1 && p_.minor <= 3) || o.index >= 8) return Fail("t registers cannot be written here");
      usesTextureRegs_ = true;
      target = "t" + std::to_string(o.index);
      break;
    case RegType::kPosition:
      if (pixel_) return Fail("oPos in a pixel shader");
      target = "qel_pos";
      break;
    case RegType::kFog:
      if (pixel_) return Fail("oFog in a pixel shader");
      target = "gl_FogFragCoord", scalar = true;
      break;
    case RegType::kPointSize:
      if (pixel_) return Fail("oPts in a pixel shader");
      target = "gl_PointSize", scalar = true;
      break;
    case RegType::kColorOut:
      if (pixel_) {
        if (o.index >= 4) return Fail("oC register out of range");
        target = "gl_FragData[" + std::to_string(o.index) + "]";
      } else {
        if (o.index >= 2) return Fail("oD register out of range");
        target = o.index == 0 ? "gl_FrontColor" : "gl_FrontSecondaryColor";
      }
      break;
    case RegType::kTexCoordOut:
      if (pixel_ || o.index >= 8) return Fail("oT register out of range");
      target = "gl_TexCoord[" + std::to_string(o.index) + "]";
      break;
    case RegType::kOutput: {
      auto found = outputs_.find(o.index);
      if (pixel_ || found == outputs_.end()) return Fail("output o" + std::to_string(o.index) + " is not declared");
      const gfx::ShaderInput& d = found->second;
      target = StageVariable(true, d.usage, d.usageIndex, 4);
      if (d.usage == gfx::DECLUSAGE_FOG || d.usage == gfx::DECLUSAGE_PSIZE)
        target = StageVariable(true, d.usage, d.usageIndex, 1), scalar = true;
      if (target.empty()) return Fail("output o" + std::to_string(o.index) + ": usage is not supported");
      break;
    }
    case RegType::kDepthOut:
      if (!pixel_) return Fail("oDepth in a vertex shader");
      target = "gl_FragDepth", scalar = true;
      break;
    case RegType::kAddress: {
      if (pixel_) return Fail("a0 in a pixel shader");
      // vs 1.1 takes the floor; mova (2.0 and up) rounds to the nearest.
      const std::string rounded = ins.opcode == "mova" ? "floor(" + v + " + vec4(0.5))" : "floor(" + v + ")";
      Emit("a0." + Mask(mask) + " = ivec4(" + rounded + ")." + Mask(mask) + ";");
      return true;
    }
    default:
      return Fail("register cannot be written");
  }
  if (scalar) {
    int first = 0;
    while (!(mask & (1 << first))) ++first;
    Emit(target + " = (" + v + ")." + kComponents[first] + ";");
    return true;
  }
  if (!ins.predicate.empty()) {
    // Predicated: only the components whose predicate is set change.
    std::string pred = ins.predicate;
    const bool negate = pred[0] == '!';
    if (negate) pred.erase(0, 1);
    std::string swz = "xyzw";
    const size_t dot = pred.find('.');
    if (dot != std::string::npos) {
      std::string c = pred.substr(dot + 1);
      pred.resize(dot);
      if (c.empty() || c.size() > 4) return Fail("bad predicate");
      swz.clear();
      for (size_t k = 0; k < 4; ++k) swz += c[std::min(k, c.size() - 1)];
      for (char& ch : swz) {
        if (ch == 'r') ch = 'x';
        else if (ch == 'g') ch = 'y';
        else if (ch == 'b') ch = 'z';
        else if (ch == 'a') ch = 'w';
        if (ch != 'x' && ch != 'y' && ch != 'z' && ch != 'w') return Fail("bad predicate");
      }
    }
    if (pred != "p0") return Fail("bad predicate");
    std::string select = "vec4(p0." + swz + ")";
    if (negate) select = "(vec4(1.0) - " + select + ")";
    v = "mix(" + target + ", " + v + ", " + select + ")";
  }
  if (coissued_) {
    // The value now, the write once the whole pair has read its sources.
    const std::string held = "qel_co" + std::to_string(coissueValues_++);
    Emit("vec4 " + held + " = " + v + ";");
    v = held;
  }
  const std::string line = mask == 0xF ? target + " = " + v + ";"
                                       : target + "." + Mask(mask) + " = (" + v + ")." + Mask(mask) + ";";
  if (coissued_) heldWrites_.push_back(line);
  else Emit(line);
  return true;
}

bool Translator::Sampler(uint32_t stage, char kind, std::string* name) {
  if (stage >= 8) return Fail("sampler s" + std::to_string(stage) + " out of range");
  auto found = samplers_.find(stage);
  if (found == samplers_.end()) samplers_[stage] = kind;
  *name = "qel_s" + std::to_string(stage);
  return true;
}

bool Translator::Declare(const AsmInstruction& ins) {
  ::platform::d3dx::Operand o;
  if (!Operand(ins, 0, &o)) return false;
  // "dcl_pp t0", "dcl_centroid t0", "dcl_texcoord0_centroid v0": the usage is the modifier that is
  // neither of those.
  std::string usageName;
  for (const std::string& m : ins.modifiers)
    if (m != "pp" && m != "centroid" && usageName.empty()) usageName = m;
  if (o.type == RegType::kSampler) {
    char kind = '2';
    if (usageName == "cube") kind = 'c';
    else if (usageName == "volume") kind = 'v';
    else if (usageName != "2d" && !usageName.empty()) return Fail("unknown sampler type '" + usageName + "'");
    if (o.index >= 8) return Fail("sampler out of range");
    samplers_[o.index] = kind;
    return true;
  }
  if (usageName.empty()) {
    // ps 2.x: "dcl t0", "dcl v0": the registers are there anyway.
    if (pixel_ && (o.type == RegType::kTexture || o.type == RegType::kInput)) return true;
    if (o.type == RegType::kFragPos || o.type == RegType::kFace) return true;
    return Fail("dcl without a usage");
  }
  uint32_t usage = 0, index = 0;
  if (!ParseSemantic(usageName, &usage, &index)) return Fail("unknown usage 'dcl_" + usageName + "'");
  const gfx::ShaderInput d{o.index, usage, index};
  if (!pixel_ && o.type == RegType::kInput) {
    if (o.index >= 16) return Fail("input register out of range");
    noDcl_ = false;
    for (const gfx::ShaderInput& in : inputs_)
      if (in.reg == o.index) return Fail("v" + std::to_string(o.index) + " declared twice");
    inputs_.push_back(d);
    return true;
  }
  if (!pixel_ && o.type == RegType::kOutput) {
    outputs_[o.index] = d;
    return true;
  }
  if (pixel_ && o.type == RegType::kInput) {
    pixelInputs_[o.index] = d;
    return true;
  }
  if (pixel_ && o.type == RegType::kTexture) return true;
  return Fail("this register cannot be declared");
}

bool Translator::Instruction(const AsmInstruction& ins) {
  const std::string& op = ins.opcode;
  std::string a, b, c, d;
  auto src = [&](size_t n, std::string* out) { return Source(ins, n, out); };
  if (mainDone_ && inMain_ && op != "label") return Fail("instruction after the end of the main program");
  if (op == "nop" || op == "phase") return true;
  if (op == "dcl") return Declare(ins);
  if (op == "def" || op == "defi" || op == "defb") {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o)) return false;
    if (op == "defb") {
      if (o.type != RegType::kConstBool || o.index >= 16) return Fail("defb needs a b register");
      std::string v = ins.operands[1];
      for (char& ch : v) ch = char(std::tolower(uint8_t(ch)));
      if (v != "true" && v != "false") return Fail("defb takes true or false");
      defBools_[o.index] = v;
      return true;
    }
    std::string values;
    for (size_t k = 1; k < 5; ++k) {
      const std::string& text = ins.operands[k];
      char* end = nullptr;
      const float f = std::strtof(text.c_str(), &end);
      if (end && end != text.c_str() && (*end == 'f' || *end == 'F')) ++end;  // "0.5f", as C writes floats
      if (!end || *end != '\0' || text.empty()) return Fail("bad number '" + text + "'");
      if (!values.empty()) values += ", ";
      const bool ps1 = pixel_ && p_.major == 1;
      values += op == "defi" ? std::to_string(int(std::lround(std::clamp(f, -1e6f, 1e6f))))
                             : Float(ps1 ? std::clamp(f, -1.0f, 1.0f) : f);
    }
    if (op == "defi") {
      if (o.type != RegType::kConstInt || o.index >= 16) return Fail("defi needs an i register");
      defInts_[o.index] = "ivec4(" + values + ")";
    } else {
      if (o.type != RegType::kConst || o.index >= p_.FloatRegisters()) return Fail("def needs a c register");
      defs_[o.index] = "vec4(" + values + ")";
    }
    return true;
  }
  // Flow control.
  auto open = [&](char kind, const std::string& line) {
    if (int(blocks_.size()) >= kMaxNesting) return Fail("flow control nested too deep");
    Emit(line);
    blocks_.push_back(kind);
    ++depth_;
    return true;
  };
  auto close = [&](char kind, const std::string& line) {
    if (blocks_.empty() || blocks_.back() != kind) return Fail("'" + op + "' without its opening instruction");
    blocks_.pop_back();
    --depth_;
    Emit(line);
    return true;
  };
  auto compare = [&](const std::string& x, const std::string& y, std::string* out) {
    static const struct { const char* name; const char* op; } kCmp[] = {
        {"gt", ">"}, {"lt", "<"}, {"ge", ">="}, {"le", "<="}, {"eq", "=="}, {"ne", "!="}};
    if (ins.modifiers.empty()) return Fail("comparison missing");
    for (const auto& cmp : kCmp)
      if (ins.modifiers[0] == cmp.name) {
        *out = "(" + x + " " + cmp.op + " " + y + ")";
        return true;
      }
    return Fail("unknown comparison '_" + ins.modifiers[0] + "'");
  };
  if (op == "if") {
    if (ins.operands.size() == 2) {
      if (!Scalar(ins, 0, &a) || !Scalar(ins, 1, &b) || !compare(a, b, &c)) return false;
      return open('i', "if " + c + " {");
    }
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o)) return false;
    if (o.type == RegType::kPredicate) return open('i', "if (" + PredicateCondition(o) + ") {");
    if (o.type != RegType::kConstBool) return Fail("if needs a b register or a predicate");
    if (!Register(o, 0, &a)) return false;
    return open('i', std::string("if (") + (o.mod == SourceMod::kNot ? "!" : "") + a + ") {");
  }
  if (op == "else") {
    if (blocks_.empty() || blocks_.back() != 'i') return Fail("else without if");
    --depth_;
    Emit("} else {");
    ++depth_;
    return true;
  }
  if (op == "endif") return close('i', "}");
  if (op == "rep") {
    if (!Source(ins, 0, &a)) return false;
    const std::string k = "qel_k" + std::to_string(loopCounters_++);
    return open('r', "for (int " + k + " = 0; " + k + " < int(" + a + ".x) && " + k + " < 255; ++" + k + ") {");
  }
  if (op == "endrep") return close('r', "}");
  if (op == "loop") {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || o.type != RegType::kLoop) return Fail("loop needs aL");
    ::platform::d3dx::Operand counts;
    if (!Operand(ins, 1, &counts) || counts.type != RegType::kConstInt || !Register(counts, 0, &b))
      return Fail("loop needs an i register");
    const std::string k = "qel_k" + std::to_string(loopCounters_++);
    // aL of an enclosing loop comes back when this one ends.
    if (!open('L', "{")) return false;
    loopNames_.push_back(k);
    Emit("int " + k + "_saved = aL;");
    Emit("aL = " + b + ".y;");
    return open('l', "for (int " + k + " = 0; " + k + " < " + b + ".x && " + k + " < 255; ++" + k + ", aL += " + b + ".z) {");
  }
  if (op == "endloop") {
    if (!close('l', "}")) return false;
    Emit("aL = " + loopNames_.back() + "_saved;");
    loopNames_.pop_back();
    return close('L', "}");
  }
  if (op == "break" || op == "breakp") {
    bool inLoop = false;
    for (char k : blocks_) inLoop |= k == 'r' || k == 'l';
    if (!inLoop) return Fail("break outside a loop");
    if (op == "breakp") {
      ::platform::d3dx::Operand o;
      if (!Operand(ins, 0, &o)) return false;
      if (o.type != RegType::kPredicate) return Fail("breakp needs p0");
      Emit("if (" + PredicateCondition(o) + ") break;");
      return true;
    }
    if (ins.operands.empty()) {
      Emit("break;");
      return true;
    }
    if (!Scalar(ins, 0, &a) || !Scalar(ins, 1, &b) || !compare(a, b, &c)) return false;
    Emit("if " + c + " break;");
    return true;
  }
  if (op == "call" || op == "callnz") {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || o.type != RegType::kLabel) return Fail(op + " needs a label");
    if (o.index >= 2048) return Fail("label out of range");
    calledLabels_.insert(o.index);
    if (op == "call") {
      Emit("qel_l" + std::to_string(o.index) + "();");
      return true;
    }
    ::platform::d3dx::Operand cond;
    if (!Operand(ins, 1, &cond)) return false;
    const std::string call = " qel_l" + std::to_string(o.index) + "();";
    if (cond.type == RegType::kPredicate) {
      Emit("if (" + PredicateCondition(cond) + ")" + call);
      return true;
    }
    if (cond.type != RegType::kConstBool || !Register(cond, 0, &a)) return Fail("callnz needs a b register or a predicate");
    Emit(std::string("if (") + (cond.mod == SourceMod::kNot ? "!" : "") + a + ")" + call);
    return true;
  }
  if (op == "label") {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || o.type != RegType::kLabel || o.index >= 2048) return Fail("label needs an l register");
    if (!blocks_.empty()) return Fail("label inside flow control");
    if (labels_.count(o.index)) return Fail("label declared twice");
    if (inMain_) {
      mainBody_ = body_;
      inMain_ = false;
    } else {
      functions_ += body_ + "}\n";
    }
    mainDone_ = true;
    labels_.insert(o.index);
    body_.clear();
    functions_ += "void qel_l" + std::to_string(o.index) + "()\n{\n";
    return true;
  }
  if (op == "ret") {
    if (!blocks_.empty()) {
      Emit("return;");
      return true;
    }
    if (inMain_) mainDone_ = true;
    else Emit("return;");
    return true;
  }
  if (op == "setp") {
    if (!src(1, &a) || !src(2, &b)) return false;
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || o.type != RegType::kPredicate || o.mask == 0) return Fail("setp needs p0");
    static const struct { const char* name; const char* fn; } kCmp[] = {
        {"gt", "greaterThan"}, {"lt", "lessThan"}, {"ge", "greaterThanEqual"}, {"le", "lessThanEqual"},
        {"eq", "equal"}, {"ne", "notEqual"}};
    if (ins.modifiers.empty()) return Fail("setp needs a comparison");
    for (const auto& cmp : kCmp) {
      if (ins.modifiers[0] != cmp.name) continue;
      const std::string m = Mask(o.mask);
      Emit("p0." + m + " = " + cmp.fn + "(" + a + ", " + b + ")." + m + ";");
      return true;
    }
    return Fail("unknown comparison '_" + ins.modifiers[0] + "'");
  }

  // Arithmetic.
  if (op == "mov" || op == "mova") return src(1, &a) && Write(ins, a);
  if (op == "add") return src(1, &a) && src(2, &b) && Write(ins, "(" + a + " + " + b + ")");
  if (op == "sub") return src(1, &a) && src(2, &b) && Write(ins, "(" + a + " - " + b + ")");
  if (op == "mul") return src(1, &a) && src(2, &b) && Write(ins, "(" + a + " * " + b + ")");
  if (op == "mad") return src(1, &a) && src(2, &b) && src(3, &c) && Write(ins, "(" + a + " * " + b + " + " + c + ")");
  if (op == "dp3") return src(1, &a) && src(2, &b) && Write(ins, "vec4(dot((" + a + ").xyz, (" + b + ").xyz))");
  if (op == "dp4") return src(1, &a) && src(2, &b) && Write(ins, "vec4(dot(" + a + ", " + b + "))");
  if (op == "min") return src(1, &a) && src(2, &b) && Write(ins, "min(" + a + ", " + b + ")");
  if (op == "max") return src(1, &a) && src(2, &b) && Write(ins, "max(" + a + ", " + b + ")");
  if (op == "slt") return src(1, &a) && src(2, &b) && Write(ins, "vec4(lessThan(" + a + ", " + b + "))");
  if (op == "sge") return src(1, &a) && src(2, &b) && Write(ins, "vec4(greaterThanEqual(" + a + ", " + b + "))");
  if (op == "rcp") return Scalar(ins, 1, &a) && Write(ins, "vec4(1.0 / " + a + ")");
  if (op == "rsq") return Scalar(ins, 1, &a) && Write(ins, "vec4(inversesqrt(abs(" + a + ")))");
  if (op == "exp") return Scalar(ins, 1, &a) && Write(ins, "vec4(exp2(" + a + "))");
  if (op == "log") return Scalar(ins, 1, &a) && Write(ins, "vec4(log2(abs(" + a + ")))");
  if (op == "expp") {
    if (!Scalar(ins, 1, &a)) return false;
    if (p_.major >= 2) return Write(ins, "vec4(exp2(" + a + "))");
    return Write(ins, "vec4(exp2(floor(" + a + ")), fract(" + a + "), exp2(" + a + "), 1.0)");
  }
  if (op == "logp") {
    if (!Scalar(ins, 1, &a)) return false;
    if (p_.major >= 2) return Write(ins, "vec4(log2(abs(" + a + ")))");
    const std::string e = "floor(log2(abs(" + a + ")))";
    return Write(ins, "vec4(" + e + ", abs(" + a + ") / exp2(" + e + "), log2(abs(" + a + ")), 1.0)");
  }
  if (op == "lit") {
    usesLit_ = true;
    return src(1, &a) && Write(ins, "qel_lit(" + a + ")");
  }
  if (op == "dst") return src(1, &a) && src(2, &b) && Write(ins, "vec4(1.0, (" + a + ").y * (" + b + ").y, (" + a + ").z, (" + b + ").w)");
  if (op == "lrp") return src(1, &a) && src(2, &b) && src(3, &c) && Write(ins, "mix(" + c + ", " + b + ", " + a + ")");
  if (op == "frc") return src(1, &a) && Write(ins, "fract(" + a + ")");
  if (op == "abs") return src(1, &a) && Write(ins, "abs(" + a + ")");
  if (op == "nrm") return src(1, &a) && Write(ins, "(" + a + " * inversesqrt(max(dot((" + a + ").xyz, (" + a + ").xyz), 1e-30)))");
  if (op == "crs") return src(1, &a) && src(2, &b) && Write(ins, "vec4(cross((" + a + ").xyz, (" + b + ").xyz), 0.0)", 0x7);
  if (op == "pow") return Scalar(ins, 1, &a) && Scalar(ins, 2, &b) && Write(ins, "vec4(pow(abs(" + a + "), " + b + "))");
  if (op == "sgn") return src(1, &a) && Write(ins, "sign(" + a + ")");
  if (op == "sincos") return Scalar(ins, 1, &a) && Write(ins, "vec4(cos(" + a + "), sin(" + a + "), 0.0, 0.0)", 0x3);
  if (op == "cmp") return src(1, &a) && src(2, &b) && src(3, &c) && Write(ins, "mix(" + c + ", " + b + ", vec4(greaterThanEqual(" + a + ", vec4(0.0))))");
  if (op == "cnd") return src(1, &a) && src(2, &b) && src(3, &c) && Write(ins, "mix(" + c + ", " + b + ", vec4(greaterThan(" + a + ", vec4(0.5))))");
  if (op == "dp2add") return src(1, &a) && src(2, &b) && Scalar(ins, 3, &c) && Write(ins, "vec4(dot((" + a + ").xy, (" + b + ").xy) + " + c + ")");
  if (op == "dsx" || op == "dsy") {
    if (!pixel_) return Fail(op + " in a vertex shader");
    usesDerivatives_ = true;
    return src(1, &a) && Write(ins, std::string(op == "dsx" ? "dFdx(" : "dFdy(") + a + ")");
  }
  if (op[0] == 'm' && op.size() == 4 && op[2] == 'x') {
    const int columns = op[1] - '0', rows = op[3] - '0';
    if (!src(1, &a)) return false;
    std::string parts;
    for (int k = 0; k < rows; ++k) {
      if (!Source(ins, 2, &b, uint32_t(k))) return false;
      if (!parts.empty()) parts += ", ";
      parts += columns == 4 ? "dot(" + a + ", " + b + ")" : "dot((" + a + ").xyz, (" + b + ").xyz)";
    }
    for (int k = rows; k < 4; ++k) parts += ", 0.0";
    return Write(ins, "vec4(" + parts + ")", uint8_t((1 << rows) - 1));
  }

  // Textures.
  if (!pixel_ && op != "texldl") return Fail("'" + op + "' in a vertex shader");
  auto sample = [&](uint32_t stage, const std::string& coords, const std::string& mode, std::string* out) {
    std::string s;
    if (!Sampler(stage, '2', &s)) return false;
    const char kind = samplers_[stage];
    std::string fn = kind == 'c' ? "textureCube" : kind == 'v' ? "texture3D" : "texture2D";
    std::string crd = kind == '2' ? "(" + coords + ").xy" : "(" + coords + ").xyz";
    if (mode == "proj") {
      fn += "Proj";
      crd = kind == 'c' ? "(" + coords + ").xyz / (" + coords + ").w" : coords;
      if (kind == 'c') fn = "textureCube";
      if (kind == '2') crd = "(" + coords + ").xyw";
    } else if (mode == "lod") {
      fn += "Lod";
      if (pixel_) fn += "ARB", usesTextureLod_ = true;
      crd += ", (" + coords + ").w";
    } else if (mode == "bias") {
      crd += ", (" + coords + ").w";
    }
    *out = fn + "(" + s + ", " + crd + ")";
    return true;
  };
  auto stageOf = [&](size_t n, uint32_t* stage) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, n, &o)) return false;
    if (o.type != RegType::kSampler && o.type != RegType::kTexture && o.type != RegType::kTemp) return Fail("bad texture operand");
    *stage = o.index;
    return true;
  };
  const bool ps1 = p_.major == 1;
  if (op == "texld" || op == "texldp" || op == "texldb" || op == "texldl") {
    uint32_t stage = 0;
    std::string mode = op == "texldp" ? "proj" : op == "texldb" ? "bias" : op == "texldl" ? "lod" : "";
    if (ins.operands.size() == 2) {  // ps 1.4: texld rN, tM (or rM): stage N
      ::platform::d3dx::Operand dst;
      if (!Operand(ins, 0, &dst)) return false;
      stage = dst.index;
      ::platform::d3dx::Operand coord;
      if (!Operand(ins, 1, &coord)) return false;
      if (coord.type == RegType::kTexture) a = TexCoords(coord);
      else if (!src(1, &a)) return false;
      if (coord.mod == SourceMod::kDz) a = "vec4((" + a + ").xy / (" + a + ").z, 0.0, 1.0)";
      if (coord.mod == SourceMod::kDw) mode = "proj";
    } else {
      if (!src(1, &a) || !stageOf(2, &stage)) return false;
      if (ins.modifiers.size() && ins.modifiers[0] == "p") mode = "proj";
    }
    if (!sample(stage, a, mode, &b)) return false;
    return Write(ins, b);
  }
  if (op == "texkill") {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o)) return false;
    if (ps1 && o.type == RegType::kTexture) a = "gl_TexCoord[" + std::to_string(o.index) + "]";
    else if (!Register(o, 0, &a)) return false;
    Emit("if (any(lessThan((" + a + ").xyz, vec3(0.0)))) discard;");
    return true;
  }
  if (ps1 && (op == "tex" || op == "texcoord")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || o.type != RegType::kTexture || o.index >= 8) return Fail(op + " needs a t register");
    const std::string coords = "gl_TexCoord[" + std::to_string(o.index) + "]";
    if (op == "texcoord") return Write(ins, "vec4(clamp(" + coords + ".xyz, 0.0, 1.0), 1.0)");
    if (!sample(o.index, coords, "", &b)) return false;
    return Write(ins, b);
  }
  if (ps1 && op == "texcrd") {
    ::platform::d3dx::Operand coord;
    if (!Operand(ins, 1, &coord) || coord.type != RegType::kTexture || coord.index >= 8) return Fail("texcrd needs a t register");
    a = TexCoords(coord);  // .xyz or .xyw
    if (coord.mod == SourceMod::kDz) a = "vec4((" + a + ").xy / (" + a + ").z, 1.0, 1.0)";
    if (coord.mod == SourceMod::kDw) a = "vec4((" + a + ").xy / (" + a + ").w, 1.0, 1.0)";
    return Write(ins, a);
  }
  if (ps1 && (op == "texreg2ar" || op == "texreg2gb" || op == "texreg2rgb")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || !src(1, &a)) return false;
    const std::string coords = op == "texreg2ar" ? "vec4((" + a + ").wx, 0.0, 1.0)"
                               : op == "texreg2gb" ? "vec4((" + a + ").yz, 0.0, 1.0)"
                                                   : "vec4((" + a + ").xyz, 1.0)";
    if (!sample(o.index, coords, "", &b)) return false;
    return Write(ins, b);
  }
  if (ps1 && (op == "texm3x2pad" || op == "texm3x3pad")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || !src(1, &a)) return false;
    if (padCount_ >= 2) return Fail("too many pad rows");
    padRows_[padCount_++] = "dot(gl_TexCoord[" + std::to_string(o.index) + "].xyz, (" + a + ").xyz)";
    return true;
  }
  if (ps1 && (op == "texm3x2tex" || op == "texm3x3tex" || op == "texm3x3")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || !src(1, &a)) return false;
    const int needed = op == "texm3x2tex" ? 1 : 2;
    if (padCount_ != needed) return Fail(op + " without its pad rows");
    std::string last = "dot(gl_TexCoord[" + std::to_string(o.index) + "].xyz, (" + a + ").xyz)";
    std::string coords = needed == 1 ? "vec4(" + padRows_[0] + ", " + last + ", 0.0, 1.0)"
                                     : "vec4(" + padRows_[0] + ", " + padRows_[1] + ", " + last + ", 1.0)";
    padCount_ = 0;
    if (op == "texm3x3") return Write(ins, coords);
    if (needed == 2 && !samplers_.count(o.index)) samplers_[o.index] = 'c';
    if (!sample(o.index, coords, "", &b)) return false;
    return Write(ins, b);
  }
  if (ps1 && (op == "texm3x3spec" || op == "texm3x3vspec")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || !src(1, &a)) return false;
    if (padCount_ != 2) return Fail(op + " without its pad rows");
    const std::string last = "dot(gl_TexCoord[" + std::to_string(o.index) + "].xyz, (" + a + ").xyz)";
    const std::string n = "vec3(" + padRows_[0] + ", " + padRows_[1] + ", " + last + ")";
    std::string eye;
    if (op == "texm3x3spec") {
      if (!src(2, &c)) return false;
      eye = "(" + c + ").xyz";
    } else {
      eye = "vec3(gl_TexCoord[" + std::to_string(o.index - std::min<uint32_t>(o.index, 2)) + "].w, gl_TexCoord[" +
            std::to_string(o.index - std::min<uint32_t>(o.index, 1)) + "].w, gl_TexCoord[" + std::to_string(o.index) + "].w)";
    }
    padCount_ = 0;
    if (!samplers_.count(o.index)) samplers_[o.index] = 'c';
    const std::string reflected = "vec4(2.0 * dot(" + n + ", " + eye + ") / dot(" + n + ", " + n + ") * " + n + " - " + eye + ", 1.0)";
    if (!sample(o.index, reflected, "", &b)) return false;
    return Write(ins, b);
  }
  if (ps1 && (op == "texdp3" || op == "texdp3tex")) {
    ::platform::d3dx::Operand o;
    if (!Operand(ins, 0, &o) || !src(1, &a)) return false;
    const std::string dp = "dot(gl_TexCoord[" + std::to_string(o.index) + "].xyz, (" + a + ").xyz)";
    if (op == "texdp3") return Write(ins, "vec4(" + dp + ")");
    if (!sample(o.index, "vec4(" + dp + ", 0.0, 0.0, 1.0)", "", &b)) return false;
    return Write(ins, b);
  }
  return Fail("instruction '" + op + "' is not supported");
}

bool Translator::Run(const std::vector<AsmInstruction>& code, Failure* failure) {
  if (code.size() > kMaxInstructions) {
    *failure = {code[kMaxInstructions].line, "more than " + std::to_string(kMaxInstructions) + " instructions"};
    return false;
  }
  // Declarations and definitions first: they hold for the whole program wherever they stand.
  for (const AsmInstruction& ins : code) {
    if (ins.opcode != "def" && ins.opcode != "defi" && ins.opcode != "defb" && ins.opcode != "dcl") continue;
    if (!Instruction(ins)) {
      *failure = {ins.line, failure_};
      return false;
    }
  }
  std::vector<const AsmInstruction*> program;
  for (const AsmInstruction& ins : code)
    if (ins.opcode != "def" && ins.opcode != "defi" && ins.opcode != "defb" && ins.opcode != "dcl") program.push_back(&ins);
  for (size_t k = 0; k < program.size(); ++k) {
    const AsmInstruction& ins = *program[k];
    const bool pairedWithNext = k + 1 < program.size() && program[k + 1]->coissue;
    coissued_ = ins.coissue || pairedWithNext;
    bool ok = true;
    if (coissued_ && !(pixel_ && p_.major == 1)) ok = Fail("co-issued instructions ('+') exist in ps_1_1 to ps_1_4 only");
    else if (coissued_ && (ins.opcode.rfind("tex", 0) == 0 || ins.opcode == "phase"))
      ok = Fail("'" + ins.opcode + "' cannot be co-issued");
    ok = ok && Instruction(ins);
    if (!ok) {
      *failure = {ins.line, failure_};
      return false;
    }
    if (!pairedWithNext) {
      for (const std::string& line : heldWrites_) Emit(line);
      heldWrites_.clear();
    }
  }
  coissued_ = false;
  const int last = code.empty() ? 1 : code.back().line;
  if (!blocks_.empty()) {
    *failure = {last, "flow control not closed"};
    return false;
  }
  if (inMain_) mainBody_ = body_;
  else functions_ += body_ + "}\n";
  for (uint32_t label : calledLabels_)
    if (!labels_.count(label)) {
      *failure = {last, "call of label l" + std::to_string(label) + ", which is not defined"};
      return false;
    }
  if (!pixel_ && noDcl_) {
    // vs 1.x without declarations: the fixed register numbering of the older vertex formats.
    static const uint32_t kUsage[16][2] = {
        {gfx::DECLUSAGE_POSITION, 0}, {gfx::DECLUSAGE_BLENDWEIGHT, 0}, {gfx::DECLUSAGE_BLENDINDICES, 0},
        {gfx::DECLUSAGE_NORMAL, 0},   {gfx::DECLUSAGE_PSIZE, 0},       {gfx::DECLUSAGE_COLOR, 0},
        {gfx::DECLUSAGE_COLOR, 1},    {gfx::DECLUSAGE_TEXCOORD, 0},    {gfx::DECLUSAGE_TEXCOORD, 1},
        {gfx::DECLUSAGE_TEXCOORD, 2}, {gfx::DECLUSAGE_TEXCOORD, 3},    {gfx::DECLUSAGE_TEXCOORD, 4},
        {gfx::DECLUSAGE_TEXCOORD, 5}, {gfx::DECLUSAGE_TEXCOORD, 6},    {gfx::DECLUSAGE_TEXCOORD, 7},
        {gfx::DECLUSAGE_POSITION, 1}};
    if (p_.major >= 2 && !inputsRead_.empty()) {
      *failure = {last, "vertex shader inputs need dcl_ declarations in this version"};
      return false;
    }
    for (uint32_t reg : inputsRead_) inputs_.push_back({reg, kUsage[reg][0], kUsage[reg][1]});
  } else if (!pixel_) {
    for (uint32_t reg : inputsRead_) {
      bool declared = false;
      for (const gfx::ShaderInput& in : inputs_) declared |= in.reg == reg;
      if (!declared) {
        *failure = {last, "input v" + std::to_string(reg) + " is read but not declared"};
        return false;
      }
    }
  }
  return true;
}

std::string Translator::Glsl() const {
  std::string g = "#version " + std::to_string(kGlslVersion) + "\n";
  if (usesTextureLod_) g += "#extension GL_ARB_shader_texture_lod : require\n";
  if (!pixel_) g += kVertexPrologue;
  const uint32_t floats = relativeFloat_ ? p_.FloatRegisters() : floatUsed_;
  if (floats) g += "uniform vec4 " + FloatArray() + "[" + std::to_string(floats) + "];\n";
  if (intUsed_) g += "uniform ivec4 " + std::string(pixel_ ? gfx::kGlslPixelInt : gfx::kGlslVertexInt) + "[" + std::to_string(intUsed_) + "];\n";
  if (boolUsed_) g += "uniform bool " + std::string(pixel_ ? gfx::kGlslPixelBool : gfx::kGlslVertexBool) + "[" + std::to_string(boolUsed_) + "];\n";
  for (const auto& [index, value] : defs_) g += "const vec4 qel_def" + std::to_string(index) + " = " + value + ";\n";
  for (const auto& [index, value] : defInts_) g += "const ivec4 qel_defi" + std::to_string(index) + " = " + value + ";\n";
  for (const auto& [index, value] : defBools_) g += "const bool qel_defb" + std::to_string(index) + " = " + value + ";\n";
  if (relativeFloat_) {
    // A def overrides its register for the whole register file; reads outside the file give zeros.
    g += "vec4 qel_c(int i)\n{\n  if (i < 0 || i >= " + std::to_string(floats) + ") return vec4(0.0);\n";
    for (const auto& [index, value] : defs_)
      g += "  if (i == " + std::to_string(index) + ") return qel_def" + std::to_string(index) + ";\n";
    g += "  return " + FloatArray() + "[i];\n}\n";
  }
  for (const gfx::ShaderInput& in : inputs_) g += "attribute vec4 qel_v" + std::to_string(in.reg) + ";\n";
  for (const auto& [stage, kind] : samplers_)
    g += std::string("uniform ") + (kind == 'c' ? "samplerCube" : kind == 'v' ? "sampler3D" : "sampler2D") + " qel_s" +
         std::to_string(stage) + ";\n";
  for (int r = 0; r < tempCount_; ++r) g += "vec4 r" + std::to_string(r) + " = vec4(0.0);\n";
  if (usesTextureRegs_)
    for (int t = 0; t < 8; ++t) g += "vec4 t" + std::to_string(t) + " = vec4(0.0);\n";
  g += "ivec4 a0 = ivec4(0);\nint aL = 0;\nbvec4 p0 = bvec4(false);\n";
  if (usesLit_)
    g += "vec4 qel_lit(vec4 s)\n{\n  float y = max(s.x, 0.0);\n"
         "  float z = (s.x > 0.0 && s.y > 0.0) ? pow(s.y, clamp(s.w, -127.9961, 127.9961)) : 0.0;\n"
         "  return vec4(1.0, y, z, 1.0);\n}\n";
  for (uint32_t label : labels_) g += "void qel_l" + std::to_string(label) + "();\n";
  g += "void qel_main()\n{\n" + mainBody_ + "}\n";
  g += functions_;
  if (!pixel_) {
    g += VertexMain("qel_main");
  } else if (p_.major == 1) {
    g += "void main()\n{\n  qel_main();\n  gl_FragData[0] = r0;\n}\n";
  } else {
    g += "void main()\n{\n  qel_main();\n}\n";
  }
  return g;
}

}  // namespace

Result AssembleShader(std::string_view source, std::string_view sourceName, std::vector<uint32_t>* function,
                      std::string* errors) {
  if (function) function->clear();
  if (errors) errors->clear();
  if (!function) return gfx::kInvalidCall;
  const std::string name = sourceName.empty() ? "shader" : std::string(sourceName);
  auto fail = [&](int line, const std::string& message) {
    if (errors) *errors = ErrorLine(name, line, message);
    return gfx::kInvalidCall;
  };
  if (source.size() > kMaxShaderSourceBytes) return fail(1, "source longer than " + std::to_string(kMaxShaderSourceBytes) + " bytes");
  if (source.find('\0') != std::string_view::npos) return fail(1, "source holds a NUL character");
  std::string version, error;
  int versionLine = 1, line = 1;
  std::vector<AsmInstruction> code;
  if (!ParseAsm(source, &version, &versionLine, &code, &error, &line)) return fail(line, error);
  ShaderProfile profile;
  if (!ParseShaderProfile(version, &profile)) return fail(versionLine, "unknown shader version '" + version + "'");
  Translator translator(profile);
  Failure failure;
  if (!translator.Run(code, &failure)) return fail(failure.line, failure.message);
  *function = BuildFunction(profile, translator.Inputs(), translator.Glsl(), {});
  return gfx::kOk;
}

}  // namespace platform::d3dx
