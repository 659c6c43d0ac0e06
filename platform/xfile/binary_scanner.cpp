// The binary encoding: a stream of 16-bit little-endian token codes, some followed by a payload.
// Member values come in integer and float lists that may run across several members, so a list is
// opened by the first value read from it and consumed value by value.
#include <cstring>

#include "platform/xfile/scanner.h"

namespace platform::xfile {
namespace {

enum TokenCode : uint16_t {
  kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7,
  kOpenBrace = 10, kCloseBrace = 11, kOpenParen = 12, kCloseParen = 13, kOpenBracket = 14,
  kCloseBracket = 15, kOpenAngle = 16, kCloseAngle = 17, kDot = 18, kComma = 19, kSemicolon = 20,
  kTemplate = 31, kWord = 40, kDword = 41, kFloat = 42, kDouble = 43, kChar = 44, kUchar = 45,
  kSword = 46, kSdword = 47, kVoid = 48, kLpstr = 49, kUnicode = 50, kCstring = 51, kArray = 52,
};

// Keywords are handed to the parser as the names the text encoding spells.
const char* KeywordName(uint16_t code) {
  switch (code) {
    case kTemplate: return "template";
    case kWord: return "WORD";
    case kDword: return "DWORD";
    case kFloat: return "FLOAT";
    case kDouble: return "DOUBLE";
    case kChar: return "CHAR";
    case kUchar: return "UCHAR";
    case kSword: return "SWORD";
    case kSdword: return "SDWORD";
    case kVoid: return "VOID";
    case kLpstr: return "STRING";
    case kUnicode: return "UNICODE";
    case kCstring: return "CSTRING";
    case kArray: return "array";
    default: return nullptr;
  }
}

char PunctChar(uint16_t code) {
  static constexpr char kChars[] = "{}()[]<>.,;";
  return code >= kOpenBrace && code <= kSemicolon ? kChars[code - kOpenBrace] : 0;
}

class BinaryScanner final : public Scanner {
 public:
  BinaryScanner(const uint8_t* data, size_t size, bool double_floats)
      : begin_(data), p_(data), end_(data + size), float_size_(double_floats ? 8 : 4) {}

  const Token& Peek() override {
    // Values a list holds beyond what the template asked for are dropped with it.
    if (list_left_ > 0) {
      p_ += size_t(list_left_) * list_value_size_;
      list_left_ = 0;
    }
    if (!peeked_) Lex();
    return token_;
  }

  void Advance() override {
    Peek();
    if (token_.kind == Token::kEnd || token_.kind == Token::kError) return;
    p_ = token_end_;
    if (token_.kind == Token::kList) p_ += size_t(token_.integer) * list_value_size_of_token_;
    peeked_ = false;
  }

  bool ReadInteger(uint32_t& out) override {
    if (!NextListValue()) return false;
    if (list_is_float_) {
      double v = ReadListFloat();
      out = v > -4294967296.0 && v < 4294967296.0 ? uint32_t(int64_t(v)) : 0;
    } else {
      out = ReadU32(p_);
      p_ += 4;
    }
    --list_left_;
    return true;
  }

  bool ReadFloat(double& out) override {
    if (!NextListValue()) return false;
    if (list_is_float_) {
      out = ReadListFloat();
    } else {
      out = double(int32_t(ReadU32(p_)));
      p_ += 4;
    }
    --list_left_;
    return true;
  }


  size_t Remaining() const override { return size_t(end_ - p_); }

  std::string Where() const override { return "byte " + std::to_string(16 + (p_ - begin_)); }

 private:
  static uint32_t ReadU32(const uint8_t* q) {
    return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
  }

  double ReadListFloat() {
    double v;
    if (float_size_ == 8) {
      std::memcpy(&v, p_, 8);
    } else {
      float f;
      std::memcpy(&f, p_, 4);
      v = f;
    }
    p_ += float_size_;
    return v;
  }



  // Makes a list with a value left current: the open one, or the next list or single integer.
  bool NextListValue() {
    while (list_left_ == 0) {
      const Token& t = SkipSeparators();
      if (t.kind == Token::kInteger) {
        // A lone integer reads as a one-value list that starts at its payload.
        p_ = token_end_ - 4;
        peeked_ = false;
        list_left_ = 1;
        list_is_float_ = false;
        list_value_size_ = 4;
        return true;
      }
      if (t.kind != Token::kList) return Fail("expected a number");
      list_left_ = t.integer;
      list_is_float_ = list_token_is_float_;
      list_value_size_ = list_value_size_of_token_;
      p_ = token_end_;
      peeked_ = false;
    }
    return true;
  }

  bool Need(const uint8_t* q, size_t n) const { return size_t(end_ - q) >= n; }

  void Lex() {
    peeked_ = true;
    token_ = Token{};
    const uint8_t* q = p_;
    token_end_ = q;
    if (q == end_) return;
    if (!Need(q, 2)) return FailToken(token_, "truncated token");
    uint16_t code = uint16_t(q[0] | q[1] << 8);
    q += 2;
    switch (code) {
      case kName:
      case kString: {
        if (!Need(q, 4)) return FailToken(token_, "truncated name");
        uint32_t n = ReadU32(q);
        q += 4;
        if (!Need(q, n)) return FailToken(token_, "truncated name");
        token_.kind = code == kName ? Token::kName : Token::kString;
        // Text stops at an embedded zero, as a C string would.
        token_.text = std::string_view(reinterpret_cast<const char*>(q), strnlen(reinterpret_cast<const char*>(q), n));
        q += n;
        // A string carries its own separator token.
        if (code == kString && Need(q, 2) && (q[0] == kComma || q[0] == kSemicolon) && q[1] == 0) q += 2;
        break;
      }
      case kInteger:
        if (!Need(q, 4)) return FailToken(token_, "truncated integer");
        token_.kind = Token::kInteger;
        token_.integer = ReadU32(q);
        q += 4;
        break;
      case kGuid:
        if (!Need(q, 16)) return FailToken(token_, "truncated GUID");
        token_.kind = Token::kGuid;
        token_.guid = GuidFromBytes(q);
        q += 16;
        break;
      case kIntegerList:
      case kFloatList: {
        if (!Need(q, 4)) return FailToken(token_, "truncated list");
        uint32_t n = ReadU32(q);
        q += 4;
        list_token_is_float_ = code == kFloatList;
        list_value_size_of_token_ = list_token_is_float_ ? float_size_ : 4;
        if (size_t(end_ - q) / list_value_size_of_token_ < n) return FailToken(token_, "list runs past the end of the file");
        token_.kind = Token::kList;
        token_.integer = n;
        break;
      }
      default:
        if (char c = PunctChar(code)) {
          token_.kind = Token::kPunct;
          token_.punct = c;
        } else if (const char* keyword = KeywordName(code)) {
          token_.kind = Token::kName;
          token_.text = keyword;
        } else {
          return FailToken(token_, "unknown token");
        }
    }
    token_end_ = q;
  }


  const uint8_t* begin_;
  const uint8_t* p_;
  const uint8_t* end_;
  const size_t float_size_;
  Token token_;
  bool peeked_ = false;
  const uint8_t* token_end_ = nullptr;
  bool list_token_is_float_ = false;
  size_t list_value_size_of_token_ = 4;
  uint32_t list_left_ = 0;
  bool list_is_float_ = false;
  size_t list_value_size_ = 4;
};

}  // namespace

std::unique_ptr<Scanner> MakeBinaryScanner(const uint8_t* data, size_t size, bool double_floats) {
  return std::make_unique<BinaryScanner>(data, size, double_floats);
}

}  // namespace platform::xfile
