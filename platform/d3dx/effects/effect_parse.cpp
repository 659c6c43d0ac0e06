// The effect-file parser (see effect_parse.h). Tokens are read on demand from the preprocessed text;
// the first error ends the parse.
#include "platform/d3dx/effects/effect_parse.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <deque>
#include <string_view>
#include <utility>

#include "platform/d3dx/effects/effect.h"
#include "platform/d3dx/shaders/shader_hlsl_source.h"
#include "platform/gfx/types.h"

namespace platform::d3dx {

namespace {

struct Token {
  enum Type : uint8_t { kEnd, kIdent, kNumber, kString, kPunct } type = kEnd;
  std::string_view text;  // strings: without their quotes
  size_t offset = 0, end = 0;
  size_t line = 0;
  uint32_t file = 0;
  double number = 0;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool Same(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

struct ParseFailure {};

class Lexer {
 public:
  Lexer(const std::string& text, const std::string& fileName) : text_(text) { files_.push_back(fileName); }

  const Token& Peek(size_t k = 0) {
    while (ahead_.size() <= k) ahead_.push_back(Scan());
    return ahead_[k];
  }
  Token Next() {
    Peek();
    Token t = ahead_.front();
    ahead_.pop_front();
    return t;
  }
  // Continues reading right after `offset` (used after a raw block such as asm { }).
  void Resume(size_t offset) {
    ahead_.clear();
    for (; pos_ < offset && pos_ < text_.size(); ++pos_) Advance(text_[pos_]);
    pos_ = offset;
  }
  size_t RawPosition() const { return pos_; }
  // The line of raw position `offset` at or after the scanner's own position.
  size_t LineAt(size_t offset) const {
    size_t line = line_;
    for (size_t i = pos_; i < offset && i < text_.size(); ++i) line += text_[i] == '\n';
    return line;
  }
  const std::string& FileName(uint32_t index) const { return files_[index]; }
  uint32_t CurrentFile() const { return file_; }
  bool rowMajor = false;  // #pragma pack_matrix(row_major) seen

 private:
  void Advance(char c) {
    if (c == '\n') {
      ++line_;
      atLineStart_ = true;
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      atLineStart_ = false;
    }
  }

  void Directive() {
    const size_t end = std::min(text_.find('\n', pos_), text_.size());
    std::string_view body(text_.data() + pos_ + 1, end - pos_ - 1);
    while (!body.empty() && std::isspace(static_cast<unsigned char>(body.front()))) body.remove_prefix(1);
    if (body.substr(0, 4) == "line") {
      const char* p = body.data() + 4;
      char* after = nullptr;
      const long number = std::strtol(p, &after, 10);
      std::string_view rest(after, body.data() + body.size() - after);
      const size_t q = rest.find('"');
      if (q != std::string_view::npos && rest.find('"', q + 1) != std::string_view::npos) {
        const std::string name(rest.substr(q + 1, rest.find('"', q + 1) - q - 1));
        file_ = 0;
        while (file_ < files_.size() && files_[file_] != name) ++file_;
        if (file_ == files_.size()) files_.push_back(name);
      }
      pos_ = end;
      if (pos_ < text_.size()) ++pos_;
      line_ = number > 0 ? size_t(number) : 1;
      atLineStart_ = true;
      return;
    }
    if (body.substr(0, 6) == "pragma" && body.find("pack_matrix") != std::string_view::npos) {
      if (body.find("row_major") != std::string_view::npos) rowMajor = true;
      if (body.find("column_major") != std::string_view::npos) rowMajor = false;
    }
    for (; pos_ < end; ++pos_) Advance(text_[pos_]);
  }

  Token Scan() {
    for (;;) {
      while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) Advance(text_[pos_++]);
      if (pos_ < text_.size() && text_[pos_] == '#' && atLineStart_) {
        Directive();
        continue;
      }
      break;
    }
    Token t;
    t.offset = pos_;
    t.line = line_;
    t.file = file_;
    atLineStart_ = false;
    if (pos_ >= text_.size()) {
      t.end = pos_;
      return t;
    }
    const char c = text_[pos_];
    const char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : 0;
    if (IsIdentStart(c)) {
      t.type = Token::kIdent;
      while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
      t.text = std::string_view(text_.data() + t.offset, pos_ - t.offset);
    } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && std::isdigit(static_cast<unsigned char>(next)))) {
      t.type = Token::kNumber;
      const bool hex = c == '0' && (next == 'x' || next == 'X');
      while (pos_ < text_.size()) {
        const char d = text_[pos_];
        const bool sign = (d == '+' || d == '-') && !hex && pos_ > t.offset &&
                          (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E');
        if (!IsIdentChar(d) && d != '.' && !sign) break;
        ++pos_;
      }
      t.text = std::string_view(text_.data() + t.offset, pos_ - t.offset);
      const std::string digits(t.text);
      t.number = hex ? double(std::strtoull(digits.c_str(), nullptr, 16)) : std::strtod(digits.c_str(), nullptr);
    } else if (c == '"') {
      t.type = Token::kString;
      ++pos_;
      while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') pos_ += text_[pos_] == '\\' ? 2 : 1;
      pos_ = std::min(pos_, text_.size());
      t.text = std::string_view(text_.data() + t.offset + 1, pos_ - t.offset - 1);
      if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
    } else {
      t.type = Token::kPunct;
      ++pos_;
      t.text = std::string_view(text_.data() + t.offset, 1);
    }
    t.end = pos_;
    return t;
  }

  const std::string& text_;
  std::vector<std::string> files_;
  std::deque<Token> ahead_;
  size_t pos_ = 0, line_ = 1;
  uint32_t file_ = 0;
  bool atLineStart_ = true;
};

struct TypeInfo {
  bool known = false;
  uint32_t parameterClass = PC_SCALAR, type = PT_VOID, rows = 1, columns = 1;
};

bool IsObjectType(uint32_t type) { return type >= PT_STRING; }
bool IsSamplerType(uint32_t type) { return type >= PT_SAMPLER && type <= PT_SAMPLERCUBE; }
bool IsTextureType(uint32_t type) { return type >= PT_TEXTURE && type <= PT_TEXTURECUBE; }
bool IsShaderType(uint32_t type) { return type == PT_PIXELSHADER || type == PT_VERTEXSHADER; }

// "float", "half4", "int3x4", "bool"...; false for any other word.
bool NumericType(std::string_view word, TypeInfo* info) {
  static const std::pair<std::string_view, uint32_t> kScalars[] = {
      {"float", PT_FLOAT}, {"half", PT_FLOAT}, {"double", PT_FLOAT}, {"int", PT_INT},
      {"uint", PT_INT},    {"dword", PT_INT},  {"bool", PT_BOOL}};
  for (const auto& [name, type] : kScalars) {
    if (word.substr(0, name.size()) != name) continue;
    std::string_view rest = word.substr(name.size());
    auto digit = [](char c) { return c >= '1' && c <= '4'; };
    info->type = type;
    info->known = true;
    if (rest.empty()) {
      info->parameterClass = PC_SCALAR;
      return true;
    }
    if (rest.size() == 1 && digit(rest[0])) {
      info->parameterClass = PC_VECTOR;
      info->columns = uint32_t(rest[0] - '0');
      return true;
    }
    if (rest.size() == 3 && digit(rest[0]) && rest[1] == 'x' && digit(rest[2])) {
      info->parameterClass = PC_MATRIX_COLUMNS;
      info->rows = uint32_t(rest[0] - '0');
      info->columns = uint32_t(rest[2] - '0');
      return true;
    }
    info->known = false;
  }
  return false;
}

bool ObjectType(std::string_view word, TypeInfo* info) {
  static const std::pair<std::string_view, uint32_t> kObjects[] = {
      {"string", PT_STRING},        {"texture", PT_TEXTURE},          {"texture1D", PT_TEXTURE1D},
      {"texture2D", PT_TEXTURE2D},  {"texture3D", PT_TEXTURE3D},      {"textureCUBE", PT_TEXTURECUBE},
      {"sampler", PT_SAMPLER},      {"sampler1D", PT_SAMPLER1D},      {"sampler2D", PT_SAMPLER2D},
      {"sampler3D", PT_SAMPLER3D},  {"samplerCUBE", PT_SAMPLERCUBE},  {"VertexShader", PT_VERTEXSHADER},
      {"PixelShader", PT_PIXELSHADER}};
  for (const auto& [name, type] : kObjects) {
    if (!Same(word, name)) continue;
    info->known = true;
    info->parameterClass = PC_OBJECT;
    info->type = type;
    return true;
  }
  return false;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& fileName, EffectFileDecl* effect, const EffectParseLimits& limits)
      : text_(text), lexer_(text, fileName), effect_(*effect), limits_(limits) {}

  void Run() {
    while (Peek().type != Token::kEnd) {
      const Token& t = Peek();
      if (Is(t, ";")) {
        Next();
      } else if (t.type == Token::kIdent && Same(t.text, "technique")) {
        const size_t start = t.offset;
        ParseTechnique();
        Blank(start, lexer_.RawPosition());
      } else if (t.type == Token::kIdent && t.text == "struct") {
        Next();
        if (Peek().type == Token::kIdent) Next();
        SkipBalanced("{", "}");
        if (!Is(Peek(), ";")) Fail(Peek(), "';' expected after a structure");
      } else if (t.type == Token::kIdent && t.text == "typedef") {
        while (Peek().type != Token::kEnd && !Is(Peek(), ";")) Next();
      } else {
        ParseDeclaration();
      }
    }
    effect_.hlsl = text_;
    for (const auto& [from, to] : blanks_) {
      for (size_t i = from; i < to && i < effect_.hlsl.size(); ++i)
        if (effect_.hlsl[i] != '\n') effect_.hlsl[i] = ' ';
    }
    // The texture declarations are gone from the HLSL text: code that calls their methods is named here.
    std::vector<std::string> textures;
    for (const EffectParameterDecl& p : effect_.parameters)
      if (IsTextureType(p.type)) textures.push_back(p.name);
    SourcePlace place;
    std::string problem;
    if (!CheckTextureMethods(effect_.hlsl, textures, &problem, &place))
      FailAt(place.file.empty() ? lexer_.FileName(0) : place.file, size_t(place.line), problem);
  }

  std::string error;

 private:
  const Token& Peek(size_t k = 0) { return lexer_.Peek(k); }
  Token Next() { return lexer_.Next(); }
  static bool Is(const Token& t, std::string_view punct) { return t.type == Token::kPunct && t.text == punct; }
  bool IsWord(const Token& t, std::string_view word) { return t.type == Token::kIdent && Same(t.text, word); }

  [[noreturn]] void Fail(const Token& at, const std::string& message) {
    FailAt(lexer_.FileName(at.file), at.line, message);
  }
  [[noreturn]] void FailAt(const std::string& file, size_t line, const std::string& message) {
    error = file + "(" + std::to_string(line) + "): " + message;
    throw ParseFailure{};
  }
  Token Expect(std::string_view punct, const char* what) {
    if (!Is(Peek(), punct)) Fail(Peek(), std::string("'") + std::string(punct) + "' expected " + what);
    return Next();
  }
  Token ExpectIdent(const char* what) {
    if (Peek().type != Token::kIdent) Fail(Peek(), std::string("name expected ") + what);
    return Next();
  }
  void Count(size_t size, const Token& at) {
    if (size >= limits_.maxItems) Fail(at, "too many declarations");
  }
  void Blank(size_t from, size_t to) { blanks_.emplace_back(from, to); }

  // Skips a bracketed group starting at the next token; it must open with `open`.
  void SkipBalanced(std::string_view open, std::string_view close) {
    const Token first = Expect(open, "");
    size_t depth = 1;
    while (depth > 0) {
      const Token t = Next();
      if (t.type == Token::kEnd) Fail(first, "'" + std::string(close) + "' missing");
      if (Is(t, open)) {
        if (++depth > limits_.maxNesting * 64) Fail(t, "nested too deeply");
      } else if (Is(t, close)) {
        --depth;
      }
    }
  }

  TypeInfo ParseType() {
    const Token name = ExpectIdent("for a type");
    TypeInfo info;
    if (NumericType(name.text, &info) || ObjectType(name.text, &info)) return info;
    if (name.text == "vector" || name.text == "matrix") {
      const bool matrix = name.text == "matrix";
      info.known = true;
      info.type = PT_FLOAT;
      info.parameterClass = matrix ? PC_MATRIX_COLUMNS : PC_VECTOR;
      info.rows = matrix ? 4 : 1;
      info.columns = 4;
      if (Is(Peek(), "<")) {
        Next();
        TypeInfo scalar;
        if (!NumericType(ExpectIdent("in a vector or matrix type").text, &scalar) || scalar.parameterClass != PC_SCALAR)
          Fail(name, "scalar type expected in " + std::string(name.text));
        info.type = scalar.type;
        uint32_t* sizes[2] = {matrix ? &info.rows : &info.columns, &info.columns};
        for (int k = 0; k < (matrix ? 2 : 1); ++k) {
          Expect(",", "in a vector or matrix type");
          const Token n = Next();
          if (n.type != Token::kNumber || n.number < 1 || n.number > 4) Fail(n, "size 1 to 4 expected");
          *sizes[k] = uint32_t(n.number);
        }
        Expect(">", "after a vector or matrix type");
      }
      return info;
    }
    return info;  // a structure or another type the effect does not read
  }

  // Numbers of an initial value or annotation up to `;` or `,` at the outer level (not consumed).
  // An expression the parser cannot evaluate gives no numbers. *firstType (when given) gets the type
  // of the first constructor written, "float3x3" of "float3x3(...)"; not known when there is none.
  std::vector<float> ParseNumbers(bool* plain, TypeInfo* firstType = nullptr) {
    std::vector<float> numbers;
    *plain = true;
    size_t depth = 0;
    bool negative = false;
    for (;;) {
      const Token& t = Peek();
      if (t.type == Token::kEnd) Fail(t, "';' expected");
      if (depth == 0 && (Is(t, ";") || Is(t, ",") || Is(t, ">"))) break;
      const Token token = Next();
      if (Is(token, "{") || Is(token, "(")) {
        if (++depth > limits_.maxNesting) Fail(token, "nested too deeply");
      } else if (Is(token, "}") || Is(token, ")")) {
        if (depth == 0) Fail(token, "unbalanced brackets");
        --depth;
      } else if (Is(token, "-")) {
        negative = !negative;
        continue;
      } else if (token.type == Token::kNumber) {
        if (numbers.size() >= limits_.maxArrayElements * 16) Fail(token, "initial value too long");
        numbers.push_back(float(negative ? -token.number : token.number));
      } else if (token.type == Token::kIdent && (token.text == "true" || token.text == "false")) {
        numbers.push_back(token.text == "true" ? 1.0f : 0.0f);
      } else if (token.type == Token::kIdent) {
        TypeInfo constructor;
        if (!NumericType(token.text, &constructor)) *plain = false;  // a name: not a literal
        else if (firstType && !firstType->known) *firstType = constructor;
      } else if (!Is(token, ",") && !Is(token, "+")) {
        *plain = false;
      }
      negative = false;
    }
    if (!*plain) numbers.clear();
    return numbers;
  }

  std::vector<EffectParameterDecl> ParseAnnotations() {
    std::vector<EffectParameterDecl> annotations;
    Expect("<", "");
    while (!Is(Peek(), ">")) {
      Count(annotations.size(), Peek());
      const Token at = Peek();
      EffectParameterDecl a;
      const TypeInfo type = ParseType();
      if (!type.known || (IsObjectType(type.type) && type.type != PT_STRING))
        Fail(at, "annotations are numbers or strings");
      a.parameterClass = type.parameterClass;
      a.type = type.type;
      a.rows = type.rows;
      a.columns = type.columns;
      a.name = std::string(ExpectIdent("for an annotation").text);
      Expect("=", "in an annotation");
      if (type.type == PT_STRING) {
        const Token value = Next();
        if (value.type != Token::kString) Fail(value, "string expected");
        a.text = std::string(value.text);
      } else {
        bool plain = true;
        a.numbers = ParseNumbers(&plain);
      }
      Expect(";", "after an annotation");
      annotations.push_back(std::move(a));
    }
    Expect(">", "");
    return annotations;
  }

  int32_t FindParameter(std::string_view name) const {
    for (size_t i = effect_.parameters.size(); i-- > 0;)
      if (effect_.parameters[i].name == name) return int32_t(i);
    return -1;
  }

  void ParseDeclaration() {
    const size_t start = Peek().offset;
    bool isStatic = false, isConst = false, rowMajor = lexer_.rowMajor;
    for (;;) {
      const Token& t = Peek();
      if (t.type != Token::kIdent) break;
      if (t.text == "static") isStatic = true;
      else if (t.text == "const") isConst = true;
      else if (t.text == "row_major") rowMajor = true;
      else if (t.text == "column_major") rowMajor = false;
      else if (t.text != "uniform" && t.text != "extern" && t.text != "shared" && t.text != "volatile" &&
               t.text != "inline" && t.text != "precise")
        break;
      Next();
    }
    const Token typeToken = Peek();
    const TypeInfo type = ParseType();
    if (IsTextureType(type.type) && Is(Peek(), "<"))
      Fail(typeToken, "'" + std::string(typeToken.text) +
                          "<...>': texture types with an element type are not supported; declare a texture and "
                          "sample it through a sampler");
    const Token name = ExpectIdent("in a declaration");
    if (!type.known && Is(Peek(), "{"))
      Fail(typeToken, "'" + std::string(typeToken.text) + " " + std::string(name.text) +
                          " { ... }': state objects are not supported (a sampler takes '= sampler_state { ... }')");
    if (Is(Peek(), "(")) {  // a function: the HLSL compiler's business
      SkipBalanced("(", ")");
      while (Is(Peek(), ":")) {
        Next();
        if (IsWord(ExpectIdent("for a semantic"), "register")) SkipBalanced("(", ")");
      }
      if (Is(Peek(), "{")) {
        SkipBalanced("{", "}");
      } else {
        Expect(";", "after a function declaration");
      }
      ++effect_.functions;
      return;
    }
    const bool parameter = !isStatic && type.known;
    const bool wholeBlank = parameter && (IsTextureType(type.type) || type.type == PT_STRING || IsShaderType(type.type));
    Token declarator = name;
    for (;;) {
      EffectParameterDecl p;
      p.name = std::string(declarator.text);
      p.parameterClass = type.parameterClass == PC_MATRIX_COLUMNS && rowMajor ? PC_MATRIX_ROWS : type.parameterClass;
      p.type = type.type;
      p.rows = type.rows;
      p.columns = type.columns;
      if (Is(Peek(), "[")) {
        Next();
        const Token n = Next();
        if (n.type != Token::kNumber || n.number < 1 || n.number > double(limits_.maxArrayElements))
          Fail(n, "array size 1 to " + std::to_string(limits_.maxArrayElements) + " expected");
        p.elements = uint32_t(n.number);
        Expect("]", "after an array size");
        if (Is(Peek(), "[")) Fail(Peek(), "arrays of arrays are not supported");
      }
      while (Is(Peek(), ":")) {
        const size_t from = Next().offset;
        const Token semantic = ExpectIdent("for a semantic");
        if (Same(semantic.text, "register") || Same(semantic.text, "packoffset")) {
          SkipBalanced("(", ")");
        } else {
          p.semantic = std::string(semantic.text);
          if (!isStatic) Blank(from, semantic.end);
        }
      }
      if (Is(Peek(), "<")) {
        const size_t from = Peek().offset;
        p.annotations = ParseAnnotations();
        Blank(from, lexer_.RawPosition());
      }
      if (Is(Peek(), "=")) {
        const size_t from = Next().offset;
        ParseInitialValue(type, &p);
        if (parameter && !(isConst && !IsObjectType(type.type))) Blank(from, Peek().offset);
      }
      if (parameter) {
        if (!p.numbers.empty() || IsObjectType(type.type) || type.type == PT_VOID) {
          // the initial value is kept as given; a short one is padded below
        }
        const size_t size = size_t(p.rows) * p.columns * std::max<uint32_t>(1, p.elements);
        if (!IsObjectType(p.type)) p.numbers.resize(size, 0.0f);
        Count(effect_.parameters.size(), declarator);
        effect_.parameters.push_back(std::move(p));
      }
      if (Is(Peek(), ",")) {
        Next();
        declarator = ExpectIdent("in a declaration");
        continue;
      }
      const Token end = Expect(";", "after a declaration");
      if (wholeBlank) Blank(start, end.end);
      return;
    }
  }

  void ParseInitialValue(const TypeInfo& type, EffectParameterDecl* p) {
    const Token& t = Peek();
    if (IsSamplerType(type.type) && IsWord(t, "sampler_state")) {
      Next();
      ParseSamplerState(p);
    } else if (IsShaderType(type.type)) {
      p->shader = int32_t(ParseShader(type.type == PT_VERTEXSHADER));
    } else if (type.type == PT_STRING) {
      const Token value = Next();
      if (value.type != Token::kString) Fail(value, "string expected");
      p->text = std::string(value.text);
    } else if (IsObjectType(type.type)) {
      Fail(t, "this object takes no initial value");
    } else {
      bool plain = true;
      p->numbers = ParseNumbers(&plain);
    }
  }

  void ParseSamplerState(EffectParameterDecl* p) {
    Expect("{", "after sampler_state");
    while (!Is(Peek(), "}")) {
      Count(p->samplerStates.size(), Peek());
      EffectStateDecl s = ParseStateAssignment(true);
      p->samplerStates.push_back(std::move(s));
    }
    Next();
  }

  // A shader value: compile target entry(args), asm { }, NULL, or a shader variable (as a parameter).
  uint32_t ParseShader(bool vertex) {
    const Token t = Next();
    EffectShaderDecl shader;
    shader.file = lexer_.FileName(t.file);
    shader.line = t.line;
    if (IsWord(t, "NULL")) {
      shader.kind = EffectShaderDecl::kNull;
    } else if (IsWord(t, "compile")) {
      shader.kind = EffectShaderDecl::kCompile;
      shader.target = std::string(ExpectIdent("for a compile target").text);
      const bool vertexTarget = shader.target.size() > 2 && (shader.target[0] == 'v' || shader.target[0] == 'V');
      if (vertexTarget != vertex) Fail(t, "compile target " + shader.target + " does not fit this shader");
      shader.entry = std::string(ExpectIdent("for the shader's function").text);
      const size_t from = Expect("(", "after the shader's function").end;
      size_t depth = 1;
      Token close;
      while (depth > 0) {
        close = Next();
        if (close.type == Token::kEnd) Fail(t, "')' missing");
        if (Is(close, "(") && ++depth > limits_.maxNesting) Fail(close, "nested too deeply");
        if (Is(close, ")")) --depth;
      }
      shader.arguments = text_.substr(from, close.offset - from);
    } else if (IsWord(t, "asm")) {
      shader.kind = EffectShaderDecl::kAssembly;
      const Token open = Expect("{", "after asm");
      // The block ends at the first '}' outside the assembler's "; ..." comments (the preprocessor has
      // blanked the others).
      size_t close = open.end;
      while (close < text_.size() && text_[close] != '}')
        close = text_[close] == ';' ? std::min(text_.find('\n', close), text_.size()) : close + 1;
      if (close >= text_.size()) Fail(open, "'}' missing after asm");
      shader.assembly = std::string(open.line > 0 ? open.line - 1 : 0, '\n') + text_.substr(open.end, close - open.end);
      shader.file = lexer_.FileName(open.file);
      lexer_.Resume(close + 1);
    } else {
      Fail(t, "shader expected (compile, asm or NULL)");
    }
    Count(effect_.shaders.size(), t);
    effect_.shaders.push_back(std::move(shader));
    return uint32_t(effect_.shaders.size() - 1);
  }

  // `<name>`, `(name)` or `name` naming an earlier parameter; -1 when the next tokens are not that.
  int32_t TryParameterReference() {
    const Token& t = Peek();
    if ((Is(t, "<") || Is(t, "(")) && Peek(1).type == Token::kIdent && Is(Peek(2), Is(t, "<") ? ">" : ")")) {
      const int32_t index = FindParameter(Peek(1).text);
      if (index >= 0) {
        Next();
        Next();
        Next();
      }
      return index;
    }
    if (t.type == Token::kIdent) {
      const int32_t index = FindParameter(t.text);
      if (index >= 0) Next();
      return index;
    }
    return -1;
  }

  EffectStateDecl ParseStateAssignment(bool inSampler) {
    const Token name = ExpectIdent("for a state");
    EffectStateDecl s;
    s.state = FindState(name.text);
    s.file = lexer_.FileName(name.file);
    s.line = name.line;
    if (!s.state) Fail(name, "unknown state '" + std::string(name.text) + "'");
    const StateKind kind = s.state->kind;
    if (inSampler && kind != StateKind::kSampler && kind != StateKind::kTexture)
      Fail(name, "'" + std::string(name.text) + "' is not a sampler state");
    if (Is(Peek(), "[")) {
      Next();
      const Token n = Next();
      if (n.type != Token::kNumber || n.number < 0 || n.number > 1e6) Fail(n, "state index expected");
      s.index = uint32_t(n.number);
      Expect("]", "after a state index");
    }
    uint32_t limit = 1;
    switch (kind) {
      case StateKind::kSampler: case StateKind::kTexture: case StateKind::kSamplerObject: limit = gfx::kMaxSamplers; break;
      case StateKind::kStage: limit = gfx::kMaxTextureStages; break;
      case StateKind::kLight: case StateKind::kLightEnable: limit = 8; break;
      case StateKind::kTransform: limit = s.state->id == gfx::TS_WORLD ? 256 : s.state->id == gfx::TS_TEXTURE0 ? 8 : 1; break;
      case StateKind::kVertexConstant: case StateKind::kPixelConstant: limit = ConstantRegisterCount(*s.state); break;
      default: break;
    }
    if (s.index >= limit) Fail(name, "state index out of range");
    Expect("=", "after a state name");
    ParseStateValue(name, &s);
    Expect(";", "after a state assignment");
    return s;
  }

  void ParseStateValue(const Token& name, EffectStateDecl* s) {
    const StateInfo& state = *s->state;
    if (state.kind == StateKind::kVertexShader || state.kind == StateKind::kPixelShader) {
      const bool vertex = state.kind == StateKind::kVertexShader;
      const int32_t p = TryParameterReference();
      if (p >= 0) {
        if (effect_.parameters[size_t(p)].type != (vertex ? PT_VERTEXSHADER : PT_PIXELSHADER))
          Fail(name, "'" + effect_.parameters[size_t(p)].name + "' is not a shader of this kind");
        s->kind = EffectStateDecl::kParameter;
        s->parameter = uint32_t(p);
        return;
      }
      s->kind = EffectStateDecl::kShader;
      s->shader = ParseShader(vertex);
      return;
    }
    if (state.value == StateValueKind::kObject) {
      if (IsWord(Peek(), "NULL")) {
        Next();
        s->kind = EffectStateDecl::kConstant;
        return;
      }
      const int32_t p = TryParameterReference();
      const bool sampler = state.kind == StateKind::kSamplerObject;
      if (p < 0 || (sampler ? !IsSamplerType(effect_.parameters[size_t(p)].type)
                            : !IsTextureType(effect_.parameters[size_t(p)].type)))
        Fail(name, sampler ? "sampler parameter expected" : "texture parameter expected");
      s->kind = EffectStateDecl::kParameter;
      s->parameter = uint32_t(p);
      return;
    }
    // Named values first: a parameter called "Linear" must not hide the filter.
    uint32_t named = 0;
    if (Peek().type != Token::kIdent || !FindStateValue(state, Peek().text, &named)) {
      const int32_t p = TryParameterReference();
      if (p >= 0) {
        if (IsObjectType(effect_.parameters[size_t(p)].type)) Fail(name, "a number parameter expected");
        s->kind = EffectStateDecl::kParameter;
        s->parameter = uint32_t(p);
        return;
      }
    }
    s->kind = EffectStateDecl::kConstant;
    if (state.kind == StateKind::kVertexConstant || state.kind == StateKind::kPixelConstant) {
      // Laid out in registers here: rows of the constructor written ("float3x3(...)"), else four
      // numbers to a register.
      bool plain = true;
      TypeInfo type;
      const std::vector<float> numbers = ParseNumbers(&plain, &type);
      if (!plain || numbers.empty()) Fail(name, "numbers expected");
      LayOutConstantRegisters(state, numbers.data(), numbers.size(), type.known ? type.columns : 4, &s->numbers);
      return;
    }
    if (state.value == StateValueKind::kVector || state.value == StateValueKind::kMatrix) {
      bool plain = true;
      s->numbers = ParseNumbers(&plain);
      if (!plain || s->numbers.empty()) Fail(name, "numbers expected");
      s->numbers.resize(state.value == StateValueKind::kMatrix ? 16 : 4, 0.0f);
      return;
    }
    // A word: named values joined by '|', or a number.
    uint32_t word = 0;
    bool any = false;
    for (;;) {
      const bool parenthesised = Is(Peek(), "(");
      if (parenthesised) Next();
      bool negative = false;
      if (Is(Peek(), "-")) {
        Next();
        negative = true;
      }
      const Token v = Next();
      if (v.type == Token::kNumber) {
        const double number = negative ? -v.number : v.number;
        word |= state.value == StateValueKind::kFloat ? gfx::FloatBits(float(number))
                                                      : uint32_t(int64_t(number < -2147483648.0 ? 0 : number > 4294967295.0 ? 0 : number));
      } else if (v.type == Token::kIdent && FindStateValue(state, v.text, &named)) {
        word |= named;
      } else {
        Fail(v, "value of '" + std::string(name.text) + "' expected");
      }
      if (parenthesised) Expect(")", "after a value");
      any = true;
      if (!Is(Peek(), "|")) break;
      Next();
    }
    (void)any;
    s->word = word;
    s->numbers = {gfx::BitsFloat(word)};
  }

  void ParseTechnique() {
    const Token keyword = Next();
    EffectTechniqueDecl technique;
    if (Peek().type == Token::kIdent) technique.name = std::string(Next().text);
    if (Is(Peek(), "<")) technique.annotations = ParseAnnotations();
    Expect("{", "to open a technique");
    while (!Is(Peek(), "}")) {
      const Token pass = Next();
      if (!IsWord(pass, "pass")) Fail(pass, "'pass' expected");
      Count(technique.passes.size(), pass);
      EffectPassDecl decl;
      if (Peek().type == Token::kIdent) decl.name = std::string(Next().text);
      if (Is(Peek(), "<")) decl.annotations = ParseAnnotations();
      Expect("{", "to open a pass");
      while (!Is(Peek(), "}")) {
        Count(decl.states.size(), Peek());
        decl.states.push_back(ParseStateAssignment(false));
      }
      Next();
      technique.passes.push_back(std::move(decl));
    }
    Next();
    Count(effect_.techniques.size(), keyword);
    effect_.techniques.push_back(std::move(technique));
  }

  const std::string& text_;
  Lexer lexer_;
  EffectFileDecl& effect_;
  EffectParseLimits limits_;
  std::vector<std::pair<size_t, size_t>> blanks_;
};

}  // namespace

bool ParseEffect(const std::string& text, const std::string& fileName, EffectFileDecl* effect, std::string* errors,
                 const EffectParseLimits& limits) {
  *effect = EffectFileDecl{};
  Parser parser(text, fileName, effect, limits);
  try {
    parser.Run();
  } catch (const ParseFailure&) {
    if (errors) *errors += parser.error + "\n";
    *effect = EffectFileDecl{};
    return false;
  }
  return true;
}

}  // namespace platform::d3dx
