// Checks and rewrites of HLSL source before it reaches the front end: limits that keep hostile
// sources from running away, global bool/int parameters kept in float registers (as the API the
// effects were written for kept them), what only effects read blanked out, a wrapper entry
// that binds compile-time arguments to the entry's uniform parameters; and where declarations are,
// for messages that name their line. Declarations are found wherever their lines break.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::d3dx {

constexpr size_t kMaxHlslSourceBytes = 256 * 1024;
constexpr int kMaxHlslNesting = 64;  // brackets of any kind inside each other
constexpr size_t kMaxHlslStatementTokens = 4096;

// A place in the source as messages name it: the file of the last "#line" marker that names one
// (empty: the source itself) and the line, as those markers number lines. Line 0: not found.
struct SourcePlace {
  std::string file;
  int line = 0;
};

// Refuses sources that are too long, nest too deep, have overlong statements or whose macros would expand too far; *error
// gets the reason and *place where it was found.
bool CheckHlslLimits(std::string_view source, std::string* error, SourcePlace* place);

// Global bool and int parameter declarations become float ones (lines keep their numbers).
std::string FloatGlobalParameters(std::string_view source);

// GLSL keeps "main" for itself: a function of that name is renamed kUserMain.
inline constexpr const char* kUserMain = "qel_user_main";
std::string RenameMain(std::string_view source);

// What only effects read becomes blanks (lines kept), so a plain compile takes an effect file's
// functions as the effect's own compiles do: "= sampler_state { ... }" initializers, texture
// declarations (with their annotations) and techniques. *textures (when given) gets the names of the
// textures declared.
std::string BlankEffectSyntax(std::string_view source, std::vector<std::string>* textures = nullptr);

// Refuses code that calls a method of one of the texture objects `textures` ("Diffuse.Sample(s, uv)"),
// whose declarations effects take for themselves: *error names the call and *place its line.
bool CheckTextureMethods(std::string_view source, std::span<const std::string> textures, std::string* error,
                         SourcePlace* place);

// Where the function `entry` is defined (its name).
SourcePlace EntryPlace(std::string_view source, std::string_view entry);
// Where `name` is declared: a parameter, a global or a structure member ("input.member" is looked up
// as "member"); with `semantic`, the declaration "name : semantic" (any letter case).
SourcePlace DeclarationPlace(std::string_view source, std::string_view name, std::string_view semantic = {});

// Appends an entry "qel_entry" that calls `entry` with `arguments` for its first uniform parameters;
// *entryName gets the entry to compile (unchanged when no wrapper is needed). The wrapper is one line
// numbered as the entry's. False with *error when the entry is not found or has fewer uniform
// parameters than arguments.
bool WrapEntry(std::string* source, std::string_view entry, std::span<const std::string> arguments,
               std::string* entryName, std::string* error);

}  // namespace platform::d3dx
