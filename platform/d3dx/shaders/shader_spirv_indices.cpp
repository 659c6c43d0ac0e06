// Unsigned array indices made signed in a SPIR-V module (see shader_spirv_indices.h).
#include "platform/d3dx/shaders/shader_spirv_indices.h"

#include <cstddef>
#include <unordered_map>
#include <unordered_set>

namespace platform::d3dx {
namespace {

constexpr unsigned kHeaderWords = 5;
constexpr unsigned kOpTypeInt = 21, kOpAccessChain = 65, kOpInBoundsAccessChain = 66;
constexpr unsigned kOpConvertFToU = 109, kOpConvertFToS = 110;

// Calls visit(offset, opcode, words) for each instruction; stops at a malformed one.
template <class Visit>
void ForEachInstruction(const std::vector<unsigned>& spirv, Visit visit) {
  for (size_t at = kHeaderWords; at < spirv.size();) {
    const unsigned words = spirv[at] >> 16, opcode = spirv[at] & 0xFFFF;
    if (words == 0 || at + words > spirv.size()) return;
    visit(at, opcode, words);
    at += words;
  }
}

}  // namespace

void MakeIndicesSigned(std::vector<unsigned>* spirv) {
  if (spirv->size() <= kHeaderWords) return;
  const std::vector<unsigned>& code = *spirv;
  unsigned signedInt = 0, unsignedInt = 0;
  std::unordered_map<unsigned, size_t> conversions;  // result id -> instruction offset
  ForEachInstruction(code, [&](size_t at, unsigned opcode, unsigned words) {
    if (opcode == kOpTypeInt && words == 4 && code[at + 2] == 32) (code[at + 3] ? signedInt : unsignedInt) = code[at + 1];
    if (opcode == kOpConvertFToU && words == 4) conversions[code[at + 2]] = at;
  });
  if (!signedInt || !unsignedInt || conversions.empty()) return;
  // A conversion read anywhere but as an access chain's index stays unsigned.
  std::unordered_set<unsigned> otherUses;
  ForEachInstruction(code, [&](size_t at, unsigned opcode, unsigned words) {
    const bool chain = opcode == kOpAccessChain || opcode == kOpInBoundsAccessChain;
    for (unsigned w = 1; w < words; ++w) {
      const unsigned id = code[at + w];
      if (!conversions.count(id) || (chain && w >= 4) || (opcode == kOpConvertFToU && w == 2)) continue;
      otherUses.insert(id);
    }
  });
  for (const auto& [id, at] : conversions) {
    if (otherUses.count(id) || (*spirv)[at + 1] != unsignedInt) continue;
    (*spirv)[at] = (4u << 16) | kOpConvertFToS;
    (*spirv)[at + 1] = signedInt;
  }
}

}  // namespace platform::d3dx
