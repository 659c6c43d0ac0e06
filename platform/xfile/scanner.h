// Token streams over the two encodings of an X file body. The parser reads structure (names, braces,
// GUIDs) through Peek/Advance and member values through the Read* calls, so one parser serves both.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xfile/guid.h"

namespace platform::xfile {

struct Token {
  enum Kind : uint8_t { kEnd, kError, kName, kString, kInteger, kGuid, kPunct, kList };
  Kind kind = kEnd;
  char punct = 0;     // kPunct: one of { } [ ] ( ) < > . , ;
  // kName, kString: the text where it lies in the scanned body (valid while the body is), so no
  // token copies it; binary keywords come as names ("template", "array", "DWORD", ...).
  std::string_view text;
  uint32_t integer = 0;
  Guid guid;
};

class Scanner {
 public:
  virtual ~Scanner() = default;

  // The next structural token (separators included); kError with error() set on damage.
  virtual const Token& Peek() = 0;
  virtual void Advance() = 0;

  // Member values. Separators ("," and ";") before a value are passed over.
  virtual bool ReadInteger(uint32_t& out) = 0;
  virtual bool ReadFloat(double& out) = 0;
  // A quoted string, or a bare name where an exporter left the quotes off.
  bool ReadString(std::string& out);

  // Bytes left; every value takes at least one, which bounds array counts before they are read.
  virtual size_t Remaining() const = 0;

  // Where the scanner stands, for messages ("line 12", "byte 340").
  virtual std::string Where() const = 0;

  const std::string& error() const { return error_; }

 protected:
  // Keeps the first failure only: later ones follow from it.
  bool Fail(const char* what);
  void FailToken(Token& token, const char* what) {
    token.kind = Token::kError;
    Fail(what);
  }
  const Token& SkipSeparators();

  std::string error_;
};

std::unique_ptr<Scanner> MakeTextScanner(const uint8_t* data, size_t size);
// `double_floats`: float lists hold 8-byte values ("0064" files).
std::unique_ptr<Scanner> MakeBinaryScanner(const uint8_t* data, size_t size, bool double_floats);

}  // namespace platform::xfile
