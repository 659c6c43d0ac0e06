#include "platform/xfile/scanner.h"

namespace platform::xfile {

bool Scanner::ReadString(std::string& out) {
  const Token& t = SkipSeparators();
  if (t.kind != Token::kString && t.kind != Token::kName) return Fail("expected a string");
  out.assign(t.text);
  Advance();
  return true;
}

bool Scanner::ReadFloats(uint8_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    double v;
    if (!ReadFloat(v)) return false;
    StoreLittleEndian4(out + 4 * i, NarrowToFloat(v));
  }
  return true;
}

bool Scanner::ReadIntegers(uint8_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t v;
    if (!ReadInteger(v)) return false;
    StoreLittleEndian4(out + 4 * i, v);
  }
  return true;
}

bool Scanner::Fail(const char* what) {
  if (error_.empty()) error_ = std::string(what) + " at " + Where();
  return false;
}

const Token& Scanner::SkipSeparators() {
  while (Peek().kind == Token::kPunct && (Peek().punct == ',' || Peek().punct == ';')) Advance();
  return Peek();
}

}  // namespace platform::xfile
