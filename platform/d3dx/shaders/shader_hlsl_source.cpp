// HLSL source limits and rewrites (see shader_hlsl_source.h).
#include "platform/d3dx/shaders/shader_hlsl_source.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <strings.h>
#include <map>
#include <vector>

namespace platform::d3dx {
namespace {

struct Token {
  std::string_view text;
  size_t at = 0;
  int line = 1;
  bool directive = false;     // first token of a preprocessor line
  bool preprocessor = false;  // any token of a preprocessor line
  std::string_view file;   // the name of the last "#line" marker naming one; empty before any
};

bool IdentStart(char c) { return std::isalpha(uint8_t(c)) || c == '_'; }
bool IdentChar(char c) { return std::isalnum(uint8_t(c)) || c == '_'; }

// Splits the source into identifiers, numbers and single punctuation characters, skipping comments,
// strings and blanks. Line ends are returned as "\n" tokens. Lines are counted as "#line" markers
// (which the effect preprocessor writes around included files) number them.
std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  int line = 1;
  std::string_view file;
  bool lineStart = true;
  size_t marker = std::string_view::npos;  // index of the '#' token of a "#line" directive on this line
  bool inDirective = false;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\n') {
      tokens.push_back({s.substr(i, 1), i, line, false, false, file});
      inDirective = false;
      ++line;
      ++i;
      lineStart = true;
      if (marker != std::string_view::npos) {
        // "# line N" or "# line N "name"": the next line is line N.
        const size_t number = marker + 2;
        if (number < tokens.size() && std::isdigit(uint8_t(tokens[number].text[0]))) {
          line = int(std::min<unsigned long>(std::strtoul(std::string(tokens[number].text).c_str(), nullptr, 10), 1u << 30));
          const std::string_view name = number + 1 < tokens.size() ? tokens[number + 1].text : std::string_view();
          if (name.size() >= 2 && name.front() == '"' && name.back() == '"') file = name.substr(1, name.size() - 2);
        }
        marker = std::string_view::npos;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') { ++i; continue; }
    if (c == '\\' && i + 1 < s.size() && s[i + 1] == '\n') { i += 2; ++line; continue; }
    if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
      while (i < s.size() && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      i += 2;
      while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
        if (s[i] == '\n') ++line;
        ++i;
      }
      i = std::min(s.size(), i + 2);
      continue;
    }
    size_t start = i;
    if (c == '"') {
      ++i;
      while (i < s.size() && s[i] != '"' && s[i] != '\n') i += s[i] == '\\' ? 2 : 1;
      i = std::min(s.size(), i + 1);
    } else if (IdentStart(c)) {
      while (i < s.size() && IdentChar(s[i])) ++i;
    } else if (std::isdigit(uint8_t(c))) {
      while (i < s.size() && (IdentChar(s[i]) || s[i] == '.')) ++i;
    } else {
      ++i;
    }
    inDirective |= lineStart && c == '#';
    tokens.push_back({s.substr(start, i - start), start, line, lineStart && c == '#', inDirective, file});
    if (tokens.size() >= 2 && tokens[tokens.size() - 2].directive && tokens.back().text == "line")
      marker = tokens.size() - 2;
    lineStart = false;
  }
  return tokens;
}

// The tokens without the line ends: what declarations are matched on, wherever their lines break.
std::vector<Token> Words(std::string_view s) {
  std::vector<Token> tokens = Tokenize(s);
  std::erase_if(tokens, [](const Token& t) { return t.text == "\n"; });
  return tokens;
}

SourcePlace PlaceOf(const Token& t) { return {std::string(t.file), t.line}; }

bool IsOpen(std::string_view t) { return t == "(" || t == "[" || t == "{"; }
bool IsClose(std::string_view t) { return t == ")" || t == "]" || t == "}"; }

}  // namespace

bool CheckHlslLimits(std::string_view source, std::string* error, SourcePlace* place) {
  *place = {std::string(), 1};
  if (source.size() > kMaxHlslSourceBytes) {
    *error = "source longer than " + std::to_string(kMaxHlslSourceBytes) + " bytes";
    return false;
  }
  if (source.find('\0') != std::string_view::npos) {
    *error = "source holds a NUL character";
    return false;
  }
  const std::vector<Token> tokens = Tokenize(source);
  int depth = 0, maxDepth = 0;
  // Expression trees are as deep as their statement is long, and the front end walks them recursively.
  size_t statement = 0;
  for (const Token& t : tokens) {
    if (t.text == ";" || t.text == "{" || t.text == "}") statement = 0;
    else if (t.text != "\n" && ++statement > kMaxHlslStatementTokens) {
      *place = PlaceOf(t);
      *error = "statement longer than " + std::to_string(kMaxHlslStatementTokens) + " tokens";
      return false;
    }
    if (IsOpen(t.text)) {
      maxDepth = std::max(maxDepth, ++depth);
      if (depth > kMaxHlslNesting) {
        *place = PlaceOf(t);
        *error = "brackets nested more than " + std::to_string(kMaxHlslNesting) + " deep";
        return false;
      }
    } else if (IsClose(t.text) && depth > 0) {
      --depth;
    }
  }
  // Macros: the tokens each one expands to, worst case. A function-like macro using a parameter k
  // times can grow k-fold per nesting level of its calls.
  constexpr double kMaxExpansion = 1 << 20;
  std::map<std::string_view, double> sizes;
  for (size_t i = 0; i + 2 < tokens.size(); ++i) {
    if (!tokens[i].directive || tokens[i + 1].text != "define") continue;
    const Token& name = tokens[i + 2];
    size_t j = i + 3;
    std::map<std::string_view, int> params;
    const bool function = j < tokens.size() && tokens[j].text == "(" && tokens[j].at == name.at + name.text.size();
    if (function) {
      while (j < tokens.size() && tokens[j].text != ")" && tokens[j].text != "\n") {
        if (IdentStart(tokens[j].text[0])) params[tokens[j].text] = 0;
        ++j;
      }
      ++j;
    }
    double size = 0;
    int repeat = 1;
    for (; j < tokens.size() && tokens[j].text != "\n"; ++j) {
      auto param = params.find(tokens[j].text);
      if (param != params.end()) repeat = std::max(repeat, ++param->second);
      auto known = sizes.find(tokens[j].text);
      size += known != sizes.end() ? known->second : 1.0;
    }
    if (repeat > 1) {
      double growth = 1;
      for (int k = 0; k < maxDepth && growth <= kMaxExpansion; ++k) growth *= repeat;
      size *= growth;
    }
    if (size > kMaxExpansion) {
      *place = PlaceOf(name);
      *error = "macro '" + std::string(name.text) + "' expands too far";
      return false;
    }
    sizes[name.text] = size;
  }
  return true;
}

std::string FloatGlobalParameters(std::string_view source) {
  std::string out(source);
  const std::vector<Token> tokens = Tokenize(source);
  int depth = 0;
  bool statementStart = true, skip = false, directive = false;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view t = tokens[i].text;
    if (tokens[i].directive) directive = true;
    if (t == "\n") { directive = false; continue; }
    if (directive) continue;
    if (IsOpen(t)) { ++depth; statementStart = false; continue; }
    if (IsClose(t)) {
      depth = std::max(0, depth - 1);
      if (depth == 0 && t == "}") statementStart = true, skip = false;
      continue;
    }
    if (depth != 0) continue;
    if (t == ";") { statementStart = true; skip = false; continue; }
    if (!statementStart || skip) continue;
    if (t == "static" || t == "typedef" || t == "struct" || t == "sampler" || t == "texture") { skip = true; continue; }
    if (t == "uniform" || t == "extern" || t == "const" || t == "shared" || t == "volatile" || t == "row_major" ||
        t == "column_major")
      continue;
    statementStart = false;
    std::string_view replacement;
    if (t == "bool" || t == "int" || t == "uint") replacement = "float";
    else if (t.size() == 5 && (t.substr(0, 4) == "bool") && t[4] >= '1' && t[4] <= '4') replacement = "float";
    else if (t.size() == 4 && (t.substr(0, 3) == "int") && t[3] >= '1' && t[3] <= '4') replacement = "float";
    if (replacement.empty()) continue;
    // A function returning the type keeps it: "bool name(".
    if (i + 2 < tokens.size() && tokens[i + 2].text == "(") continue;
    std::string text(replacement);
    if (std::isdigit(uint8_t(t.back()))) text += t.back();
    // Earlier rewrites made the text longer by the difference of the lengths so far.
    out.replace(tokens[i].at + (out.size() - source.size()), t.size(), text);
  }
  return out;
}

std::string RenameMain(std::string_view source) {
  std::string out;
  size_t from = 0;
  for (const Token& t : Tokenize(source)) {
    if (t.text != "main") continue;
    out.append(source.substr(from, t.at - from));
    out += kUserMain;
    from = t.at + t.text.size();
  }
  out.append(source.substr(from));
  return out;
}

namespace {

// The definition of `entry`, "type entry ( params ) [: semantic] {" at depth 0: the index of its "(";
// 0 when there is none (prototypes are passed over).
size_t FindEntry(const std::vector<Token>& tokens, std::string_view entry) {
  int depth = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view t = tokens[i].text;
    if (depth == 0 && t == entry && i > 0 && i + 1 < tokens.size() && tokens[i + 1].text == "(" &&
        !tokens[i].preprocessor) {
      int d = 0;
      size_t j = i + 1;
      for (; j < tokens.size(); ++j) {
        if (IsOpen(tokens[j].text)) ++d;
        else if (IsClose(tokens[j].text) && --d == 0) break;
      }
      size_t k = j + 1;
      while (k < tokens.size() && tokens[k].text != "{" && tokens[k].text != ";") ++k;
      if (k < tokens.size() && tokens[k].text == "{") return i + 1;
    }
    if (IsOpen(t)) ++depth;
    else if (IsClose(t)) depth = std::max(0, depth - 1);
  }
  return 0;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

SourcePlace EntryPlace(std::string_view source, std::string_view entry) {
  const std::vector<Token> tokens = Words(source);
  const size_t open = FindEntry(tokens, entry);
  return open ? PlaceOf(tokens[open - 1]) : SourcePlace{};
}

SourcePlace DeclarationPlace(std::string_view source, std::string_view name, std::string_view semantic) {
  // Members of the entry's structures come as "input.member"; the entry's return value as "@...".
  if (name.empty() || name[0] == '@') return {};
  if (const size_t dot = name.rfind('.'); dot != std::string_view::npos) name.remove_prefix(dot + 1);
  const std::vector<Token> tokens = Words(source);
  const Token* anywhere = nullptr;
  int depth = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view t = tokens[i].text;
    if (IsOpen(t)) ++depth;
    else if (IsClose(t)) depth = std::max(0, depth - 1);
    if (t != name || (i > 0 && tokens[i - 1].text == ".")) continue;
    if (!semantic.empty()) {
      size_t j = i + 1;
      if (j < tokens.size() && tokens[j].text == "[") {
        while (j < tokens.size() && tokens[j].text != "]") ++j;
        ++j;
      }
      if (j + 1 < tokens.size() && tokens[j].text == ":" && SameWord(tokens[j + 1].text, semantic)) return PlaceOf(tokens[i]);
      continue;
    }
    // Declarations come before uses: the first mention at the outer level, else the first anywhere.
    if (depth == 0) return PlaceOf(tokens[i]);
    if (!anywhere) anywhere = &tokens[i];
  }
  return anywhere ? PlaceOf(*anywhere) : SourcePlace{};
}

std::string BlankEffectSyntax(std::string_view source, std::vector<std::string>* textures) {
  std::string out(source);
  const std::vector<Token> tokens = Words(source);
  // The index of the token closing the bracket group opened at `from`, or (stop ";") of the ";" that
  // ends the statement from `from`, annotations in "<>" passed over; tokens.size() when there is none.
  auto end = [&](size_t from, std::string_view stop) {
    bool annotation = false;
    for (int depth = 0; from < tokens.size(); ++from) {
      const std::string_view t = tokens[from].text;
      if (stop == ";" && depth == 0 && (t == "<" || t == ">")) annotation = t == "<";
      if (IsOpen(t)) ++depth;
      else if (IsClose(t) && --depth == 0 && stop != ";") return from;
      else if (depth == 0 && !annotation && t == stop) return from;
    }
    return from;
  };
  static constexpr std::string_view kTextures[] = {"texture", "texture1D", "texture2D", "texture3D", "textureCUBE"};
  auto isTexture = [](std::string_view t) {
    return std::any_of(std::begin(kTextures), std::end(kTextures), [&](std::string_view name) { return SameWord(t, name); });
  };
  bool statementStart = true;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].preprocessor) continue;
    const std::string_view t = tokens[i].text;
    size_t last = 0;
    if (statementStart && SameWord(t, "technique")) {
      last = end(i + 1 < tokens.size() ? i + 1 : i, "{");
    } else if (statementStart && isTexture(t)) {
      last = end(i, ";");
      size_t name = i + 1;
      if (name < last && tokens[name].text == "<") {  // "Texture2D<float4> Diffuse"
        while (name < last && tokens[name].text != ">") ++name;
        ++name;
      }
      if (textures && name < last && IdentStart(tokens[name].text[0])) textures->emplace_back(tokens[name].text);
    }
    else if (t == "=" && i + 2 < tokens.size() && SameWord(tokens[i + 1].text, "sampler_state") &&
             tokens[i + 2].text == "{")
      last = end(i + 2, "{");
    if (last) {
      if (last >= tokens.size()) break;  // unclosed: the front end says what is wrong
      for (size_t k = tokens[i].at; k < tokens[last].at + tokens[last].text.size(); ++k)
        if (out[k] != '\n') out[k] = ' ';
      i = last;
      statementStart = true;
      continue;
    }
    if (IsOpen(t)) {  // a function's parameters or body, a structure: nothing of effects inside
      i = end(i, "{");
      if (i >= tokens.size()) break;
      statementStart = tokens[i].text == "}";
      continue;
    }
    statementStart = t == ";" || (statementStart && (t == "uniform" || t == "extern" || t == "shared" ||
                                                     t == "static" || t == "const" || t == "volatile"));
  }
  return out;
}

bool CheckTextureMethods(std::string_view source, std::span<const std::string> textures, std::string* error,
                         SourcePlace* place) {
  const std::vector<Token> tokens = Words(source);
  for (size_t i = 0; i + 3 < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.preprocessor || tokens[i + 1].text != "." || !IdentStart(tokens[i + 2].text[0]) || tokens[i + 3].text != "(" ||
        (i > 0 && tokens[i - 1].text == ".") || std::find(textures.begin(), textures.end(), t.text) == textures.end())
      continue;
    *error = "'" + std::string(t.text) + "." + std::string(tokens[i + 2].text) +
             "': methods of texture objects are not supported; sample through a sampler (tex2D and the like)";
    *place = PlaceOf(t);
    return false;
  }
  return true;
}

bool WrapEntry(std::string* source, std::string_view entry, std::span<const std::string> arguments,
               std::string* entryName, std::string* error) {
  *entryName = std::string(entry);
  const std::vector<Token> tokens = Words(*source);
  const size_t open = FindEntry(tokens, entry);
  if (!open) {
    if (arguments.empty()) return true;  // the front end says what is wrong
    *error = "entry point '" + std::string(entry) + "' not found";
    return false;
  }
  // Parameters split at depth-1 commas.
  struct Param {
    size_t begin, end;  // token range
    bool uniform = false;
    size_t nameToken = 0;
  };
  std::vector<Param> params;
  size_t close = open + 1, begin = open + 1;
  for (int d = 1; close < tokens.size(); ++close) {
    const std::string_view t = tokens[close].text;
    if (IsOpen(t)) ++d;
    else if (IsClose(t) && --d == 0) break;
    if (d == 1 && t == ",") {
      params.push_back({begin, close});
      begin = close + 1;
    }
  }
  if (close >= tokens.size()) return true;
  if (close > begin) params.push_back({begin, close});
  size_t uniforms = 0;
  for (Param& p : params) {
    for (size_t k = p.begin; k < p.end; ++k) {
      const std::string_view t = tokens[k].text;
      if (t == "uniform") p.uniform = true;
      if (t == ":" || t == "=" || t == "[") break;
      if (IdentStart(t[0])) p.nameToken = k;
    }
    if (p.uniform) ++uniforms;
  }
  if (arguments.size() > uniforms) {
    *error = "entry point '" + std::string(entry) + "' takes " + std::to_string(uniforms) + " uniform parameters, " +
             std::to_string(arguments.size()) + " given";
    return false;
  }
  if (uniforms == 0) return true;
  // The tokens' text on one line, comments left out.
  auto text = [&](size_t from, size_t to) {
    std::string joined;
    for (size_t k = from; k < to; ++k) {
      if (k > from && tokens[k].at != tokens[k - 1].at + tokens[k - 1].text.size()) joined += ' ';
      joined += tokens[k].text;
    }
    return joined;
  };
  // The return type: the words before the entry's name back to the previous declaration.
  size_t typeBegin = open - 1;
  while (typeBegin > 0) {
    const std::string_view t = tokens[typeBegin - 1].text;
    if (t == ";" || t == "}" || t == "{" || t == ")" || t == "]" || tokens[typeBegin - 1].preprocessor) break;
    --typeBegin;
  }
  if (typeBegin == open - 1) return true;  // no return type: the front end says what is wrong
  const std::string returnType = text(typeBegin, open - 1);
  std::string semantic;
  if (close + 2 < tokens.size() && tokens[close + 1].text == ":") semantic = " : " + std::string(tokens[close + 2].text);
  std::string wrapperParams, body, call;
  size_t bound = 0;
  for (const Param& p : params) {
    if (!p.nameToken) continue;
    const std::string name(tokens[p.nameToken].text);
    if (!call.empty()) call += ", ";
    call += name;
    if (p.uniform && bound < arguments.size()) {
      std::string type;
      for (size_t k = p.begin; k < p.nameToken; ++k) {
        const std::string_view t = tokens[k].text;
        if (t != "uniform" && t != "const" && t != "in" && t != "row_major" && t != "column_major") type += std::string(t) + " ";
      }
      body += " " + type + name + " = (" + type + ")(" + arguments[bound++] + ");";
      continue;
    }
    if (!wrapperParams.empty()) wrapperParams += ", ";
    wrapperParams += text(p.begin, p.end);
  }
  // One line, numbered as the entry's: what the front end says about it names the entry.
  const Token& name = tokens[open - 1];
  std::string marker = "\n#line " + std::to_string(name.line);
  if (!name.file.empty()) marker += " \"" + std::string(name.file) + "\"";
  *entryName = "qel_entry";
  *source += marker + "\n" + returnType + " qel_entry(" + wrapperParams + ")" + semantic + " {" + body + " " +
             (returnType == "void" ? "" : "return ") + std::string(entry) + "(" + call + "); }\n";
  return true;
}

}  // namespace platform::d3dx
