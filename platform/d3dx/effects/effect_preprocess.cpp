// The effect-file preprocessor (see effect_preprocess.h).
#include "platform/d3dx/effects/effect_preprocess.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "platform/fs/contained_name.h"
#include "platform/fs/path.h"

namespace platform::d3dx {

namespace {

constexpr int kMaxMacroDepth = 256;
constexpr int kMaxExpressionDepth = 64;  // each level is a dozen stack frames

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Trim(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return std::string(s.substr(a, b - a));
}

// Comments become blanks; newlines inside block comments stay, so lines keep their numbers.
std::string StripComments(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '"') {
      out.push_back(c);
      ++i;
      while (i < text.size() && text[i] != '"' && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '\n') out.push_back(text[i++]);
        out.push_back(text[i++]);
      }
      if (i < text.size() && text[i] == '"') out.push_back(text[i++]);
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      while (i < text.size() && text[i] != '\n') ++i;
      out.push_back(' ');
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i += 2;
      out.push_back(' ');
      while (i < text.size() && !(text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/')) {
        if (text[i] == '\n') out.push_back('\n');
        ++i;
      }
      i = i < text.size() ? i + 2 : i;
    } else {
      out.push_back(c == '\r' ? ' ' : c);
      ++i;
    }
  }
  return out;
}

std::string FolderOf(const std::string& path) {
  const size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

struct Macro {
  bool functionLike = false;
  std::vector<std::string> parameters;
  std::string body;
};

class Preprocessor {
 public:
  Preprocessor(const EffectFileReader& read, const EffectPreprocessLimits& limits, std::string* out,
               std::string* errors)
      : read_(read), limits_(limits), out_(*out), errors_(errors) {}

  bool Run(const std::string& fileName) {
    std::string text;
    if (!read_(fileName, text)) {
      Error(fileName, 0, "cannot open the file");
      return false;
    }
    RunText(fileName, text, 0);
    return !failed_;
  }

 private:
  struct Condition {
    bool active;        // lines of this branch are kept
    bool taken;         // some branch of this #if has been kept
    bool parentActive;  // the enclosing branch is kept
    bool elseSeen;
  };

  void Error(const std::string& file, size_t line, const std::string& message) {
    if (errors_) *errors_ += file + "(" + std::to_string(line) + "): " + message + "\n";
    failed_ = true;
  }

  bool Active(const std::vector<Condition>& conditions) const {
    return conditions.empty() || conditions.back().active;
  }

  void Emit(std::string_view text) {
    if (out_.size() + text.size() > limits_.maxOutputBytes) {
      if (!tooLarge_) Error(currentFile_, currentLine_, "the preprocessed effect is too large");
      tooLarge_ = true;
      return;
    }
    out_.append(text);
  }

  void RunText(const std::string& file, const std::string& raw, size_t depth) {
    const std::string text = StripComments(raw);
    std::vector<Condition> conditions;
    size_t line = 1;
    for (size_t at = 0; at <= text.size() && !failed_;) {
      // A logical line: physical lines joined where one ends in a backslash.
      std::string logical;
      size_t physical = 0;
      while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view piece(text.data() + at, end - at);
        ++physical;
        at = end + 1;
        if (!piece.empty() && piece.back() == '\\') {
          logical.append(piece.substr(0, piece.size() - 1));
          if (at > text.size()) break;
          continue;
        }
        logical.append(piece);
        break;
      }
      currentFile_ = file;
      currentLine_ = line;
      const std::string trimmed = Trim(logical);
      if (!trimmed.empty() && trimmed[0] == '#') {
        Directive(file, line, Trim(std::string_view(trimmed).substr(1)), conditions, depth, physical);
      } else {
        if (Active(conditions)) Emit(Expand(logical, 0));
        Emit(std::string(physical, '\n'));
      }
      line += physical;
    }
    if (!failed_ && !conditions.empty()) Error(file, line, "#if without #endif");
  }

  void Directive(const std::string& file, size_t line, const std::string& body, std::vector<Condition>& conditions,
                 size_t depth, size_t physical) {
    size_t nameEnd = 0;
    while (nameEnd < body.size() && IsIdentChar(body[nameEnd])) ++nameEnd;
    const std::string name = body.substr(0, nameEnd);
    const std::string rest = Trim(std::string_view(body).substr(nameEnd));
    const bool active = Active(conditions);
    std::string passThrough;  // a directive kept in the text for the compilers

    if (name == "if" || name == "ifdef" || name == "ifndef") {
      bool value = false;
      if (active) {
        if (name == "if") {
          value = Evaluate(file, line, rest) != 0;
        } else {
          value = (macros_.count(FirstIdentifier(rest)) != 0) == (name == "ifdef");
        }
      }
      conditions.push_back({active && value, active && value, active, false});
    } else if (name == "elif" || name == "else") {
      if (conditions.empty() || conditions.back().elseSeen) {
        Error(file, line, "#" + name + " without #if");
        return;
      }
      Condition& c = conditions.back();
      bool value = false;
      if (c.parentActive && !c.taken) value = name == "else" || Evaluate(file, line, rest) != 0;
      c.active = value;
      c.taken = c.taken || value;
      c.elseSeen = name == "else";
    } else if (name == "endif") {
      if (conditions.empty()) {
        Error(file, line, "#endif without #if");
        return;
      }
      conditions.pop_back();
    } else if (!active) {
      // other directives of a skipped branch are not looked at
    } else if (name == "define") {
      Define(file, line, rest);
    } else if (name == "undef") {
      macros_.erase(FirstIdentifier(rest));
    } else if (name == "include") {
      Include(file, line, rest, depth, physical);
      return;
    } else if (name == "error") {
      Error(file, line, "#error " + rest);
    } else if (name == "pragma" || name == "line") {
      passThrough = "#" + body;
    } else if (!name.empty()) {
      Error(file, line, "unknown directive #" + name);
    }
    Emit(passThrough);
    Emit(std::string(physical, '\n'));
  }

  static std::string FirstIdentifier(const std::string& text) {
    size_t end = 0;
    while (end < text.size() && IsIdentChar(text[end])) ++end;
    return text.substr(0, end);
  }

  void Define(const std::string& file, size_t line, const std::string& rest) {
    const std::string name = FirstIdentifier(rest);
    if (name.empty() || !IsIdentStart(name[0])) {
      Error(file, line, "#define without a name");
      return;
    }
    Macro macro;
    size_t at = name.size();
    if (at < rest.size() && rest[at] == '(') {
      macro.functionLike = true;
      const size_t close = rest.find(')', at);
      if (close == std::string::npos) {
        Error(file, line, "missing ')' in the macro's parameters");
        return;
      }
      std::string list = rest.substr(at + 1, close - at - 1);
      size_t from = 0;
      while (from <= list.size()) {
        size_t comma = list.find(',', from);
        if (comma == std::string::npos) comma = list.size();
        std::string parameter = Trim(std::string_view(list).substr(from, comma - from));
        if (!parameter.empty()) macro.parameters.push_back(parameter);
        from = comma + 1;
      }
      at = close + 1;
    }
    macro.body = Trim(std::string_view(rest).substr(at));
    macros_[name] = std::move(macro);
  }

  void Include(const std::string& file, size_t line, const std::string& rest, size_t depth, size_t physical) {
    std::string name;
    if (rest.size() >= 2 && ((rest[0] == '"' && rest.find('"', 1) != std::string::npos) ||
                             (rest[0] == '<' && rest.find('>', 1) != std::string::npos))) {
      name = rest.substr(1, rest.find(rest[0] == '"' ? '"' : '>', 1) - 1);
    }
    if (name.empty()) {
      Error(file, line, "#include expects \"file\" or <file>");
      return;
    }
    if (depth + 1 > limits_.maxIncludeDepth) {
      Error(file, line, "#include nested too deeply (an include cycle?)");
      return;
    }
    // An include stays in the folder of the file that names it (or the current folder).
    if (const char* fault = fs::ContainedNameFault(name)) {
      Error(file, line, "cannot open include file \"" + name + "\": " + fault);
      return;
    }
    std::string path = FolderOf(file) + name, text;
    if (!read_(path, text)) {
      path = name;
      if (!read_(path, text)) {
        Error(file, line, "cannot open include file \"" + name + "\"");
        return;
      }
    }
    Emit("#line 1 \"" + path + "\"\n");
    RunText(path, text, depth + 1);
    Emit("#line " + std::to_string(line + physical) + " \"" + file + "\"\n");
    currentFile_ = file;
  }

  // Macro expansion of one line of text; names being expanded are not expanded again inside.
  std::string Expand(const std::string& text, int depth) {
    if (macros_.empty()) return text;
    std::string out;
    for (size_t i = 0; i < text.size();) {
      const char c = text[i];
      if (c == '"') {
        const size_t start = i++;
        while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
        i = std::min(i + 1, text.size());
        out.append(text, start, i - start);
        continue;
      }
      if (!IsIdentChar(c)) {
        out.push_back(c);
        ++i;
        continue;
      }
      const size_t start = i;
      while (i < text.size() && IsIdentChar(text[i])) ++i;
      const std::string word = text.substr(start, i - start);
      auto found = IsIdentStart(c) ? macros_.find(word) : macros_.end();
      if (found == macros_.end() || hidden_.count(word) || failed_) {
        out += word;
        continue;
      }
      if (++expansions_ > limits_.maxExpansions || depth >= kMaxMacroDepth) {
        Error(currentFile_, currentLine_, "macro expansion too deep or too long");
        out += word;
        continue;
      }
      const Macro& macro = found->second;
      std::string replacement = macro.body;
      if (macro.functionLike) {
        size_t open = i;
        while (open < text.size() && std::isspace(static_cast<unsigned char>(text[open]))) ++open;
        if (open >= text.size() || text[open] != '(') {
          out += word;
          continue;
        }
        std::vector<std::string> arguments(1);
        int nesting = 0;
        size_t j = open + 1;
        for (; j < text.size(); ++j) {
          if (text[j] == '(') ++nesting;
          if (text[j] == ')' && nesting-- == 0) break;
          if (text[j] == ',' && nesting == 0) {
            arguments.emplace_back();
            continue;
          }
          arguments.back().push_back(text[j]);
        }
        if (j >= text.size()) {
          Error(currentFile_, currentLine_, "unterminated arguments of macro " + word);
          return out;
        }
        i = j + 1;
        replacement = Substitute(macro, arguments, depth);
      }
      hidden_.insert(word);
      std::string expanded = Expand(replacement, depth + 1);
      hidden_.erase(word);
      if (out.size() + expanded.size() > limits_.maxOutputBytes) {
        Error(currentFile_, currentLine_, "macro expansion too long");
        return out;
      }
      out += expanded;
    }
    return out;
  }

  std::string Substitute(const Macro& macro, const std::vector<std::string>& arguments, int depth) {
    std::string out;
    const std::string& body = macro.body;
    for (size_t i = 0; i < body.size();) {
      if (!IsIdentStart(body[i])) {
        out.push_back(body[i++]);
        continue;
      }
      const size_t start = i;
      while (i < body.size() && IsIdentChar(body[i])) ++i;
      const std::string word = body.substr(start, i - start);
      size_t k = 0;
      while (k < macro.parameters.size() && macro.parameters[k] != word) ++k;
      if (k < macro.parameters.size() && k < arguments.size()) {
        out += Expand(Trim(arguments[k]), depth + 1);
      } else {
        out += word;
      }
      if (out.size() > limits_.maxOutputBytes) return out;
    }
    return out;
  }

  // #if: "defined" first, then macros, then integer arithmetic; unknown names are 0.
  int64_t Evaluate(const std::string& file, size_t line, const std::string& text) {
    std::string resolved;
    for (size_t i = 0; i < text.size();) {
      if (text.compare(i, 7, "defined") == 0 && (i + 7 >= text.size() || !IsIdentChar(text[i + 7])) &&
          (i == 0 || !IsIdentChar(text[i - 1]))) {
        size_t j = i + 7;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t' || text[j] == '(')) ++j;
        const size_t nameStart = j;
        while (j < text.size() && IsIdentChar(text[j])) ++j;
        const std::string name = text.substr(nameStart, j - nameStart);
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t' || text[j] == ')')) ++j;
        resolved += macros_.count(name) ? " 1 " : " 0 ";
        i = j;
        continue;
      }
      resolved.push_back(text[i++]);
    }
    expr_ = Expand(resolved, 0);
    pos_ = 0;
    exprDepth_ = 0;
    exprFailed_ = false;
    const int64_t value = Binary(0);
    SkipSpace();
    if (exprFailed_ || pos_ != expr_.size()) {
      Error(file, line, "bad #if expression");
      return 0;
    }
    return value;
  }

  void SkipSpace() {
    while (pos_ < expr_.size() && std::isspace(static_cast<unsigned char>(expr_[pos_]))) ++pos_;
  }

  bool Take(std::string_view op) {
    SkipSpace();
    if (expr_.compare(pos_, op.size(), op) != 0) return false;
    pos_ += op.size();
    return true;
  }

  int64_t Unary() {
    if (++exprDepth_ > kMaxExpressionDepth) {
      exprFailed_ = true;
      return 0;
    }
    int64_t value = 0;
    SkipSpace();
    if (Take("!")) {
      value = !Unary();
    } else if (Take("-")) {
      value = int64_t(0 - uint64_t(Unary()));
    } else if (Take("~")) {
      value = ~Unary();
    } else if (Take("+")) {
      value = Unary();
    } else if (Take("(")) {
      value = Binary(0);
      if (!Take(")")) exprFailed_ = true;
    } else if (pos_ < expr_.size() && std::isdigit(static_cast<unsigned char>(expr_[pos_]))) {
      const size_t start = pos_;
      while (pos_ < expr_.size() && IsIdentChar(expr_[pos_])) ++pos_;
      value = int64_t(std::strtoull(expr_.substr(start, pos_ - start).c_str(), nullptr, 0));
    } else if (pos_ < expr_.size() && IsIdentStart(expr_[pos_])) {
      while (pos_ < expr_.size() && IsIdentChar(expr_[pos_])) ++pos_;
    } else {
      exprFailed_ = true;
    }
    --exprDepth_;
    return value;
  }

  // Precedence climbing over the binary operators of C.
  int64_t Binary(int level) {
    static const std::vector<std::vector<std::string_view>> kLevels = {
        {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"<<", ">>"}, {"+", "-"},
        {"*", "/", "%"}};
    if (level >= int(kLevels.size())) return Unary();
    int64_t left = Binary(level + 1);
    while (!exprFailed_) {
      SkipSpace();
      std::string_view op;
      for (std::string_view candidate : kLevels[level]) {
        // "|" must not take the first half of "||", nor "&" of "&&", nor "<" of "<<".
        if (expr_.compare(pos_, candidate.size(), candidate) != 0) continue;
        const char next = pos_ + candidate.size() < expr_.size() ? expr_[pos_ + candidate.size()] : 0;
        if (candidate.size() == 1 && (next == candidate[0] || next == '=')) continue;
        if (candidate == "<" && next == '<') continue;
        op = candidate;
        break;
      }
      if (op.empty()) return left;
      pos_ += op.size();
      const int64_t right = Binary(level + 1);
      const uint64_t l = uint64_t(left), r = uint64_t(right);
      if (op == "||") left = left || right;
      else if (op == "&&") left = left && right;
      else if (op == "|") left = int64_t(l | r);
      else if (op == "^") left = int64_t(l ^ r);
      else if (op == "&") left = int64_t(l & r);
      else if (op == "==") left = left == right;
      else if (op == "!=") left = left != right;
      else if (op == "<=") left = left <= right;
      else if (op == ">=") left = left >= right;
      else if (op == "<") left = left < right;
      else if (op == ">") left = left > right;
      else if (op == "<<") left = int64_t(l << (r & 63));
      else if (op == ">>") left = int64_t(l >> (r & 63));
      else if (op == "+") left = int64_t(l + r);
      else if (op == "-") left = int64_t(l - r);
      else if (op == "*") left = int64_t(l * r);
      else if (right == 0 || (left == INT64_MIN && right == -1)) exprFailed_ = true;
      else left = op == "/" ? left / right : left % right;
    }
    return left;
  }

  const EffectFileReader& read_;
  EffectPreprocessLimits limits_;
  std::string& out_;
  std::string* errors_;
  std::map<std::string, Macro> macros_;
  std::set<std::string> hidden_;
  size_t expansions_ = 0;
  bool failed_ = false, tooLarge_ = false;
  std::string currentFile_;
  size_t currentLine_ = 0;
  std::string expr_;
  size_t pos_ = 0;
  int exprDepth_ = 0;
  bool exprFailed_ = false;
};

}  // namespace

bool PreprocessEffect(const std::string& fileName, const EffectFileReader& read, std::string* out,
                      std::string* errors, const EffectPreprocessLimits& limits) {
  std::string text;
  Preprocessor preprocessor(read, limits, &text, errors);
  const bool ok = preprocessor.Run(fileName);
  if (out) *out = ok ? std::move(text) : std::string();
  return ok;
}

EffectFileReader EffectFilesOnDisk() {
  return [](const std::string& path, std::string& text) {
    std::vector<uint8_t> bytes;
    if (!fs::ReadWholeFile(path, bytes)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
  };
}

}  // namespace platform::d3dx
