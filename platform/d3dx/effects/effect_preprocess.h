// The preprocessor of effect files: comments, #include, #define (with arguments), #undef, #if, #ifdef,
// #ifndef, #elif, #else, #endif, #error, #pragma and #line. The result is one text in which macros are
// expanded, comments and skipped lines are blank and included files are inlined between "#line"
// markers; without includes every line keeps its number. Bounded: include depth, output size and
// macro expansions are limited, so a hostile file ends in an error, never a hang.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace platform::d3dx {

// Reads a file named by an effect (the main file or an #include); false when it cannot be read.
using EffectFileReader = std::function<bool(const std::string& path, std::string& text)>;

struct EffectPreprocessLimits {
  size_t maxIncludeDepth = 32;
  size_t maxOutputBytes = 16u << 20;
  size_t maxExpansions = 100000;
};

// Preprocesses `fileName`. Errors are "file(line): message" lines in *errors; false on any error.
// Included names are looked up beside the including file, then as they stand.
bool PreprocessEffect(const std::string& fileName, const EffectFileReader& read, std::string* out,
                      std::string* errors, const EffectPreprocessLimits& limits = {});

// The reader over the file layer's resolver ("\" and any letter case).
EffectFileReader EffectFilesOnDisk();

}  // namespace platform::d3dx
