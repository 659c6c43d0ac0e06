// Checks and rewrites of HLSL source before it reaches the front end: limits that keep hostile
// sources from running away, global bool/int parameters kept in float registers (as the API the
// effects were written for kept them), and a wrapper entry that binds compile-time arguments to the
// entry's uniform parameters.
#pragma once
#include <span>
#include <string>
#include <string_view>

namespace platform::d3dx {

constexpr size_t kMaxHlslSourceBytes = 256 * 1024;
constexpr int kMaxHlslNesting = 64;  // brackets of any kind inside each other
constexpr size_t kMaxHlslStatementTokens = 4096;

// Refuses sources that are too long, nest too deep, have overlong statements or whose macros would expand too far; *error
// gets the reason and *line where it was found.
bool CheckHlslLimits(std::string_view source, std::string* error, int* line);

// Global bool and int parameter declarations become float ones (lines keep their numbers).
std::string FloatGlobalParameters(std::string_view source);

// GLSL keeps "main" for itself: a function of that name is renamed kUserMain.
inline constexpr const char* kUserMain = "qel_user_main";
std::string RenameMain(std::string_view source);

// Appends an entry "qel_entry" that calls `entry` with `arguments` for its first uniform parameters;
// *entryName gets the entry to compile (unchanged when no wrapper is needed). False with *error when
// the entry is not found or has fewer uniform parameters than arguments.
bool WrapEntry(std::string* source, std::string_view entry, std::span<const std::string> arguments,
               std::string* entryName, std::string* error);

}  // namespace platform::d3dx
