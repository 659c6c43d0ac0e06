// HLSL source limits and rewrites (see shader_hlsl_source.h).
#include "platform/d3dx/shaders/shader_hlsl_source.h"

#include <cctype>
#include <map>
#include <vector>

namespace platform::d3dx {
namespace {

struct Token {
  std::string_view text;
  size_t at = 0;
  int line = 1;
  bool directive = false;  // first token of a preprocessor line
};

bool IdentStart(char c) { return std::isalpha(uint8_t(c)) || c == '_'; }
bool IdentChar(char c) { return std::isalnum(uint8_t(c)) || c == '_'; }

// Splits the source into identifiers, numbers and single punctuation characters, skipping comments,
// strings and blanks. Line ends are returned as "\n" tokens.
std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  int line = 1;
  bool lineStart = true;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\n') {
      tokens.push_back({s.substr(i, 1), i, line, false});
      ++line;
      ++i;
      lineStart = true;
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
    tokens.push_back({s.substr(start, i - start), start, line, lineStart && c == '#'});
    lineStart = false;
  }
  return tokens;
}

bool IsOpen(std::string_view t) { return t == "(" || t == "[" || t == "{"; }
bool IsClose(std::string_view t) { return t == ")" || t == "]" || t == "}"; }

}  // namespace

bool CheckHlslLimits(std::string_view source, std::string* error, int* line) {
  *line = 1;
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
      *line = t.line;
      *error = "statement longer than " + std::to_string(kMaxHlslStatementTokens) + " tokens";
      return false;
    }
    if (IsOpen(t.text)) {
      maxDepth = std::max(maxDepth, ++depth);
      if (depth > kMaxHlslNesting) {
        *line = t.line;
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
      *line = name.line;
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

bool WrapEntry(std::string* source, std::string_view entry, std::span<const std::string> arguments,
               std::string* entryName, std::string* error) {
  *entryName = std::string(entry);
  const std::vector<Token> tokens = Tokenize(*source);
  // The definition: "type entry ( params ) [: semantic] {" at depth 0.
  int depth = 0;
  size_t open = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view t = tokens[i].text;
    if (depth == 0 && t == entry && i > 0 && i + 1 < tokens.size() && tokens[i + 1].text == "(") {
      // Skip prototypes: the parameter list must be followed by a body.
      int d = 0;
      size_t j = i + 1;
      for (; j < tokens.size(); ++j) {
        if (IsOpen(tokens[j].text)) ++d;
        else if (IsClose(tokens[j].text) && --d == 0) break;
      }
      size_t k = j + 1;
      while (k < tokens.size() && tokens[k].text != "{" && tokens[k].text != ";") ++k;
      if (k < tokens.size() && tokens[k].text == "{") {
        open = i + 1;
        break;
      }
    }
    if (IsOpen(t)) ++depth;
    else if (IsClose(t)) depth = std::max(0, depth - 1);
  }
  if (!open) {
    if (arguments.empty()) return true;  // the front end says what is wrong
    *error = "entry point '" + std::string(entry) + "' not found";
    return false;
  }
  const std::string_view returnType = tokens[open - 2 < tokens.size() ? open - 2 : 0].text;
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
  std::string semantic;
  if (close + 2 < tokens.size() && tokens[close + 1].text == ":") semantic = " : " + std::string(tokens[close + 2].text);
  auto text = [&](size_t from, size_t to) {
    return std::string(source->data() + tokens[from].at, tokens[to - 1].at + tokens[to - 1].text.size() - tokens[from].at);
  };
  std::string wrapperParams, body, call;
  size_t bound = 0;
  for (const Param& p : params) {
    if (!p.nameToken) continue;
    const std::string name(tokens[p.nameToken].text);
    if (!call.empty()) call += ", ";
    call += name;
    if (p.uniform && bound < arguments.size()) {
      std::string type;
      for (size_t k = p.begin; k < p.nameToken; ++k)
        if (tokens[k].text != "uniform" && tokens[k].text != "const") type += std::string(tokens[k].text) + " ";
      body += "  " + type + name + " = (" + type + ")(" + arguments[bound++] + ");\n";
      continue;
    }
    if (!wrapperParams.empty()) wrapperParams += ", ";
    wrapperParams += text(p.begin, p.end);
  }
  *entryName = "qel_entry";
  *source += "\n" + std::string(returnType) + " qel_entry(" + wrapperParams + ")" + semantic + " {\n" + body + "  " +
             (returnType == "void" ? "" : "return ") + std::string(entry) + "(" + call + ");\n}\n";
  return true;
}

}  // namespace platform::d3dx
