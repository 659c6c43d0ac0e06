#include "platform/charset/windows1252.h"

#include <array>

namespace platform::charset {

namespace {

// 0x80-0x9F hold typographic characters; the five unassigned bytes keep their value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {  // everything Windows-1252 holds lies below U+10000
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

char32_t CharFromWindows1252(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

int32_t Windows1252FromChar(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int32_t(c);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == c) return int32_t(0x80 + i);
  return -1;
}

char32_t NextUtf8Char(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  const int extra = lead >= 0xF5 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (extra < 0 || pos + size_t(extra) >= text.size()) {
    ++pos;
    return kNotUtf8;
  }
  char32_t c = lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    if ((byte(pos + size_t(i)) & 0xC0) != 0x80) {
      ++pos;
      return kNotUtf8;
    }
    c = (c << 6) | (byte(pos + size_t(i)) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return kNotUtf8;
  }
  pos += size_t(extra) + 1;
  return c;
}

std::string Utf8FromWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char byte : text) AppendUtf8(out, CharFromWindows1252(static_cast<uint8_t>(byte)));
  return out;
}

std::optional<std::string> Windows1252FromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const char32_t c = NextUtf8Char(text, pos);
    const int32_t byte = c == kNotUtf8 ? -1 : Windows1252FromChar(c);
    if (byte < 0) return std::nullopt;
    out += char(byte);
  }
  return out;
}

}  // namespace platform::charset
