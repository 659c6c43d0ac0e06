// The text encoding. Tolerant the way exporters need: "," and ";" may be doubled or missing between
// values, integers stand where floats are declared, names may start with a digit or hold "-" and
// ".", and "//" and "#" start comments.
#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstring>

#include "platform/xfile/scanner.h"

namespace platform::xfile {
namespace {

// What each byte can be, looked up once per byte: the scanner's inner loops run over every byte of
// the file.
enum CharClass : uint8_t {
  kSpace = 1,         // control characters and " "
  kPunctuation = 2,   // a token of its own
  kDelimiter = 4,     // ends a word
  kCommentStart = 8,  // "#", and "/" when another follows
  kSeparator = 16,    // passed over before a value: space, "," and ";"
};

constexpr std::array<uint8_t, 256> kCharClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c <= ' '; ++c) classes[c] = kSpace | kDelimiter;
  for (char c : std::string_view("{}[](),;>")) classes[uint8_t(c)] |= kPunctuation;
  for (char c : std::string_view("{}[](),;<>\"")) classes[uint8_t(c)] |= kDelimiter;
  for (int c = 0; c <= ' '; ++c) classes[c] |= kSeparator;
  classes[','] |= kSeparator;
  classes[';'] |= kSeparator;
  classes['#'] |= kCommentStart;
  classes['/'] |= kCommentStart;
  return classes;
}();

bool Is(char c, CharClass cls) { return kCharClasses[uint8_t(c)] & cls; }

// The value of eight decimal digits held one per byte (0 to 9), the first in the lowest byte.
uint64_t EightDigits(uint64_t digits) {
  digits = (digits * 10) + (digits >> 8);
  digits = (((digits & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
            (((digits >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
  return digits;
}

// Appends the decimal digits at `q` to `mantissa` (which wraps past 19 digits; callers refuse those)
// and returns where they end. Eight bytes are tested and converted at a time where the text has them.
const char* ScanDigits(const char* q, const char* end, uint64_t& mantissa) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  while (end - q >= 8) {
    uint64_t word;
    std::memcpy(&word, q, 8);
    const uint64_t values = word ^ (kOnes * '0');  // a digit's byte becomes its value
    // Bytes above 9 (the high bit is tested apart, so no addition carries into the next byte).
    const uint64_t others = (((values & (kOnes * 0x7F)) + kOnes * (0x80 - 10)) | values) & (kOnes * 0x80);
    const int n = others ? std::countr_zero(others) / 8 : 8;
    if (n == 0) return q;
    // The n digits moved to the top bytes: the bytes below read as leading zeros.
    mantissa = mantissa * kPowersOfTen[n] + EightDigits(n == 8 ? values : values << (64 - 8 * n));
    q += n;
    if (n < 8) return q;
  }
  for (; q < end && uint8_t(*q - '0') < 10; ++q) mantissa = mantissa * 10 + uint64_t(*q - '0');
  return q;
}

// Nearly every number in a file is a plain decimal ("-12", "0.250000"). Those convert here, exactly:
// with at most 2^53 as mantissa and 10^22 as divisor both are exact doubles, so the one division
// rounds as from_chars would. Reads [-]digits[.digits] from `q` and returns where it stopped; null for
// anything that does not start so or does not convert so, which from_chars then reads.
const char* ScanPlainDecimal(const char* q, const char* end, double& real, int64_t& integer, bool& is_integer) {
  constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                     1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr uint64_t kMaxExactMantissa = uint64_t{1} << 53;
  const bool negative = q < end && *q == '-';
  q += negative;
  uint64_t mantissa = 0;
  const char* whole = q;
  q = ScanDigits(q, end, mantissa);
  const ptrdiff_t whole_digits = q - whole;
  if (q == end || *q != '.') {
    if (whole_digits == 0 || whole_digits > 18) return nullptr;
    integer = negative ? -int64_t(mantissa) : int64_t(mantissa);
    real = double(integer);
    is_integer = true;
    return q;
  }
  const char* fraction = ++q;
  q = ScanDigits(q, end, mantissa);
  const ptrdiff_t fraction_digits = q - fraction;
  if (whole_digits + fraction_digits == 0 || whole_digits + fraction_digits > 19) return nullptr;
  if (mantissa > kMaxExactMantissa || fraction_digits > 22) return nullptr;
  real = double(mantissa) / kPowersOfTen[fraction_digits];
  if (negative) real = -real;
  is_integer = false;
  return q;
}

bool ParsePlainDecimal(std::string_view word, double& real, int64_t& integer, bool& is_integer) {
  const char* end = word.data() + word.size();
  return ScanPlainDecimal(word.data(), end, real, integer, is_integer) == end;
}

// A number word: an integer, a float, or a float followed by the "#..." tail some runtimes print for
// infinities and NaNs ("-1.#IND00"), which reads as its numeric part.
bool ParseNumber(std::string_view word, double& real, int64_t& integer, bool& is_integer) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  if (ParsePlainDecimal(word, real, integer, is_integer)) return true;
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

  bool ReadFloats(uint8_t* out, size_t count) override {
    for (size_t i = 0; i < count; ++i) {
      double v;
      if (!TextScanner::ReadFloat(v)) return false;
      StoreLittleEndian4(out + 4 * i, NarrowToFloat(v));
    }
    return true;
  }

  bool ReadIntegers(uint8_t* out, size_t count) override {
    for (size_t i = 0; i < count; ++i) {
      uint32_t v;
      if (!TextScanner::ReadInteger(v)) return false;
      StoreLittleEndian4(out + 4 * i, v);
    }
    return true;
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
    SkipSpaceAndSeparators();
    peeked_ = false;  // a token peeked before is lexed again from here
    if (ReadPlainNumber(real, integer, is_integer)) return true;
    // Straight from the text: the token path below would give the same word, only slower. It stays
    // for what is not a number, and reports it.
    const char* word_end = WordEnd(p_);
    if (word_end != p_ && ParseNumber(std::string_view(p_, size_t(word_end - p_)), real, integer, is_integer)) {
      p_ = word_end;
      return true;
    }
    const Token& t = SkipSeparators();
    if (t.kind != Token::kName || !ParseNumber(t.text, real, integer, is_integer)) return Fail("expected a number");
    Advance();
    return true;
  }

  // The common case in one pass over the text: a word that is a plain decimal. False, with nothing
  // taken, for any other word.
  bool ReadPlainNumber(double& real, int64_t& integer, bool& is_integer) {
    const char* stop = ScanPlainDecimal(p_, end_, real, integer, is_integer);
    if (!stop || !EndsWord(stop)) return false;
    p_ = stop;
    return true;
  }

  // Whether a word that reached `w` ends there, as WordEnd decides.
  bool EndsWord(const char* w) const {
    if (w == end_) return true;
    const uint8_t cls = kCharClasses[uint8_t(*w)];
    if (cls & kDelimiter) return true;
    if (!(cls & kCommentStart)) return false;
    if (*w == '/') return w + 1 < end_ && w[1] == '/';
    return !(w > p_ && w[-1] == '.');
  }

  void SkipSpaceAndComments() {
    while (p_ < end_) {
      if (Is(*p_, kSpace)) {
        ++p_;
      } else if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
        while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
      } else {
        break;
      }
    }
  }

  // Where SkipSeparators leaves the text: past space, comments, "," and ";".
  void SkipSpaceAndSeparators() {
    for (;;) {
      while (p_ < end_ && (kCharClasses[uint8_t(*p_)] & kSeparator)) ++p_;
      if (p_ == end_ || !(*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/'))) return;
      while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
    }
  }

  // End of the word that starts at `q`: at a delimiter, or where a comment starts ("//", or "#"
  // except in the "1.#INF" spellings of special floats).
  const char* WordEnd(const char* q) const {
    const char* w = q;
    for (; w < end_; ++w) {
      const uint8_t cls = kCharClasses[uint8_t(*w)];
      if (cls & kDelimiter) break;
      if (cls & kCommentStart) {
        if (*w == '/' && w + 1 < end_ && w[1] == '/') break;
        if (*w == '#' && !(w > q && w[-1] == '.')) break;
      }
    }
    return w;
  }

  void Lex() {
    peeked_ = true;
    token_ = Token{};
    SkipSpaceAndComments();
    const char* q = p_;
    token_end_ = q;
    if (q == end_) return;
    char c = *q;
    if (Is(c, kPunctuation)) {
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
      token_.text = std::string_view(q + 1, size_t(close - q - 1));
      token_end_ = close + 1;
    } else {
      const char* w = WordEnd(q);
      token_.kind = Token::kName;
      token_.text = std::string_view(q, size_t(w - q));
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
