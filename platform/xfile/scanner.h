// Token streams over the two encodings of an X file body. The parser reads structure (names, braces,
// GUIDs) through Peek/Advance and member values through the Read* calls, so one parser serves both.
#pragma once
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
  // `count` values in a row, each as ReadFloat reads it and narrowed as a FLOAT member holds it; and
  // `count` integers as ReadInteger reads each. Each goes to `out` as 4 little-endian bytes (a blob
  // keeps no alignment). Arrays of vectors and indices go through these, so a scanner may read them
  // without a call per value.
  virtual bool ReadFloats(uint8_t* out, size_t count);
  virtual bool ReadIntegers(uint8_t* out, size_t count);

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

// A FLOAT member's value: doubles past the float range become infinities.
inline float NarrowToFloat(double v) { return v > FLT_MAX ? HUGE_VALF : v < -FLT_MAX ? -HUGE_VALF : float(v); }

// Stores a 4-byte value at `out`, least significant byte first.
template <typename T>
inline void StoreLittleEndian4(uint8_t* out, T value) {
  static_assert(sizeof(T) == 4 && std::endian::native == std::endian::little, "blobs are little-endian");
  std::memcpy(out, &value, 4);
}

std::unique_ptr<Scanner> MakeTextScanner(const uint8_t* data, size_t size);
// `double_floats`: float lists hold 8-byte values ("0064" files).
std::unique_ptr<Scanner> MakeBinaryScanner(const uint8_t* data, size_t size, bool double_floats);

}  // namespace platform::xfile
