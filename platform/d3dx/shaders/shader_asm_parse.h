// Reading shader assembly: instructions (opcode, modifiers, operands) and their operands
// (registers, relative addressing, swizzles, write masks, source modifiers).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::d3dx {

enum class RegType {
  kTemp,        // r#
  kInput,       // v#
  kConst,       // c#
  kAddress,     // a0
  kTexture,     // t#
  kSampler,     // s#
  kPosition,    // oPos
  kFog,         // oFog
  kPointSize,   // oPts
  kColorOut,    // oD# (vertex), oC# (pixel)
  kTexCoordOut, // oT#
  kOutput,      // o# (vs 3.0)
  kDepthOut,    // oDepth
  kConstInt,    // i#
  kConstBool,   // b#
  kLoop,        // aL
  kPredicate,   // p0
  kFragPos,     // vPos
  kFace,        // vFace
  kLabel,       // l#
};

enum class SourceMod { kNone, kNeg, kBias, kBiasNeg, kSign, kSignNeg, kComp, kX2, kX2Neg, kAbs, kAbsNeg, kNot, kDz, kDw };

struct Operand {
  RegType type = RegType::kTemp;
  uint32_t index = 0;
  bool relative = false;        // [a0.c + index] or [aL + index]
  bool relativeLoop = false;    // by aL
  uint8_t relativeComponent = 0;
  uint8_t swizzle[4] = {0, 1, 2, 3};
  uint8_t mask = 0xF;
  SourceMod mod = SourceMod::kNone;
};

struct AsmInstruction {
  std::string opcode;                  // lower case, without modifiers
  std::vector<std::string> modifiers;  // "sat", "x2", "pp", "dcl" usages ("texcoord0", "2d") ...
  std::vector<std::string> operands;   // as written
  bool coissue = false;
  std::string predicate;               // "p0.x", "!p0" ... when predicated
  int line = 0;
};

// Splits the source into its version token and instructions; false with *error and *line for text
// that is not shader assembly. Operand counts are checked by the translator.
bool ParseAsm(std::string_view source, std::string* version, int* versionLine, std::vector<AsmInstruction>* out,
              std::string* error, int* line);

// Which operand counts each opcode takes, e.g. {3} for "add", {2, 4} for "sincos"; empty for
// unknown opcodes.
std::vector<int> AsmOperandCounts(std::string_view opcode);

// Reads one operand; false with *error for text that is no operand.
bool ParseOperand(std::string_view text, bool pixel, Operand* out, std::string* error);

}  // namespace platform::d3dx
