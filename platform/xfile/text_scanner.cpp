// The text encoding. Tolerant the way exporters need: "," and ";" may be doubled or missing between
// values, integers stand where floats are declared, names may start with a digit or hold "-" and
// ".", and "//" and "#" start comments.
#include <charconv>
#include <cstring>

#include "platform/xfile/scanner.h"

namespace platform::xfile {
namespace {

bool IsDelimiter(char c) { return uint8_t(c) <= ' ' || std::strchr("{}[](),;<>\"", c) != nullptr; }

// A number word: an integer, a float, or a float followed by the "#..." tail some runtimes print for
// infinities and NaNs ("-1.#IND00"), which reads as its numeric part.
bool ParseNumber(std::string_view word, double& real, int64_t& integer, bool& is_integer) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const char* first = word.data();
  const char* last = first + word.size();
  auto [int_end, int_error] = std::from_chars(first, last, integer);
  if (int_error == std::errc() && int_end == last) {
    is_integer = true;
    real = double(integer);
    return true;
  }
  auto [end, error] = std::from_chars(first, last, real);
  if (error != std::errc() || end == first) return false;
  if (end != last && *end != '#') return false;
  is_integer = false;
  return true;
}

class TextScanner final : public Scanner {
 public:
  TextScanner(const uint8_t* data, size_t size)
      : begin_(reinterpret_cast<const char*>(data)), p_(begin_), end_(begin_ + size) {}

  const Token& Peek() override {
    if (!peeked_) Lex();
    return token_;
  }

  void Advance() override {
    Peek();
    if (token_.kind != Token::kEnd && token_.kind != Token::kError) p_ = token_end_;
    peeked_ = false;
  }

  bool ReadInteger(uint32_t& out) override {
    double real;
    int64_t integer;
    bool is_integer;
    if (!ReadNumber(real, integer, is_integer)) return false;
    out = is_integer ? uint32_t(integer) : uint32_t(int64_t(Clamp(real)));
    return true;
  }

  bool ReadFloat(double& out) override {
    int64_t integer;
    bool is_integer;
    return ReadNumber(out, integer, is_integer);
  }


  size_t Remaining() const override { return size_t(end_ - p_); }

  std::string Where() const override {
    size_t line = 1;
    for (const char* q = begin_; q < p_; ++q) line += *q == '\n';
    return "line " + std::to_string(line);
  }

 private:
  static double Clamp(double v) {
    if (!(v > -4294967296.0)) return 0;  // also NaN
    return v < 4294967296.0 ? v : 0;
  }



  bool ReadNumber(double& real, int64_t& integer, bool& is_integer) {
    const Token& t = SkipSeparators();
    if (t.kind != Token::kName || !ParseNumber(t.text, real, integer, is_integer)) return Fail("expected a number");
    Advance();
    return true;
  }

  void SkipSpaceAndComments() {
    while (p_ < end_) {
      if (uint8_t(*p_) <= ' ') {
        ++p_;
      } else if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
        while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
      } else {
        break;
      }
    }
  }

  void Lex() {
    peeked_ = true;
    token_ = Token{};
    SkipSpaceAndComments();
    const char* q = p_;
    token_end_ = q;
    if (q == end_) return;
    char c = *q;
    if (std::strchr("{}[](),;>", c)) {
      token_.kind = Token::kPunct;
      token_.punct = c;
      token_end_ = q + 1;
    } else if (c == '<') {
      const char* close = static_cast<const char*>(std::memchr(q, '>', size_t(end_ - q)));
      if (!close || !ParseGuid(std::string_view(q + 1, size_t(close - q - 1)), token_.guid)) return FailToken(token_, "bad GUID");
      token_.kind = Token::kGuid;
      token_end_ = close + 1;
    } else if (c == '"') {
      const char* close = static_cast<const char*>(std::memchr(q + 1, '"', size_t(end_ - q - 1)));
      if (!close) return FailToken(token_, "unterminated string");
      token_.kind = Token::kString;
      token_.text.assign(q + 1, close);
      token_end_ = close + 1;
    } else {
      const char* w = q;
      while (w < end_ && !IsDelimiter(*w)) {
        if (*w == '/' && w + 1 < end_ && w[1] == '/') break;
        // "#" starts a comment, except in the "1.#INF" spellings of special floats.
        if (*w == '#' && !(w > q && w[-1] == '.')) break;
        ++w;
      }
      token_.kind = Token::kName;
      token_.text.assign(q, w);
      token_end_ = w;
    }
  }


  const char* begin_;
  const char* p_;
  const char* end_;
  Token token_;
  bool peeked_ = false;
  const char* token_end_ = nullptr;
};

}  // namespace

std::unique_ptr<Scanner> MakeTextScanner(const uint8_t* data, size_t size) {
  return std::make_unique<TextScanner>(data, size);
}

}  // namespace platform::xfile
