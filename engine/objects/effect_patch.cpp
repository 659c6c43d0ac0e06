// Rewriting effect source for compilers that need declared vertex-shader inputs: declarations after
// each vertex-shader version token, and "target[" lines turned into comments.
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/objects/effect_object.h"
#include "platform/fs/files.h"
#include "platform/fs/path.h"

namespace fs = platform::fs;

namespace {

constexpr std::string_view kDeclarations = " dcl_position v0 dcl_normal v3 dcl_color v6 dcl_texcoord v7";
constexpr size_t kVersionTokenLength = 6;  // "vs.1.1"

// Whether `pattern` starts at `at`, letter case ignored; never reads past the end of the text.
bool StartsAt(const std::vector<uint8_t>& text, size_t at, std::string_view pattern) {
  if (text.size() - at < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (std::tolower(text[at + i]) != std::tolower(static_cast<unsigned char>(pattern[i]))) return false;
  }
  return true;
}

bool Contains(const std::vector<uint8_t>& text, std::string_view pattern) {
  for (size_t at = 0; at < text.size(); ++at)
    if (StartsAt(text, at, pattern)) return true;
  return false;
}

}  // namespace

bool PatchShaderDeclarations(const char* source, const char* destination) {
  std::vector<uint8_t> text;
  if (!source || !destination || !fs::ReadWholeFile(source, text)) return false;
  const bool hasDeclarations = Contains(text, "dcl_");
  const bool hasTargets = Contains(text, "target[");

  std::string out;
  out.reserve(text.size() + kDeclarations.size());
  for (size_t at = 0; at < text.size();) {
    if (!hasDeclarations && StartsAt(text, at, "vs.")) {
      // The version token, cut short where the text ends.
      const size_t length = std::min(kVersionTokenLength, text.size() - at);
      out.append(reinterpret_cast<const char*>(&text[at]), length);
      out.append(kDeclarations);
      at += length;
      continue;
    }
    if (hasTargets && StartsAt(text, at, "target[")) {
      out.append("//");
      at += 2;
      continue;
    }
    out.push_back(char(text[at++]));
  }

  // A new file only: an existing one (or a link planted in its place) is never written through.
  FILE* file = fs::OpenFile(destination, fs::OpenMode::kCreateNew);
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  const bool closed = std::fclose(file) == 0;
  if (!(written && closed)) fs::DeleteFile(destination);
  return written && closed;
}
