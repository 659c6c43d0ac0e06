#include "platform/xfile/guid.h"

#include <cstdio>

namespace platform::xfile {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits at `pos`; false on anything else.
bool ReadHex(std::string_view text, size_t& pos, int digits, uint32_t& out) {
  if (pos + digits > text.size()) return false;
  out = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(text[pos++]);
    if (v < 0) return false;
    out = out << 4 | uint32_t(v);
  }
  return true;
}

bool ReadDash(std::string_view text, size_t& pos) { return pos < text.size() && text[pos++] == '-'; }

}  // namespace

bool ParseGuid(std::string_view text, Guid& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '{' && text.back() == '}') text = text.substr(1, text.size() - 2);
  size_t pos = 0;
  uint32_t v;
  Guid g;
  if (!ReadHex(text, pos, 8, g.data1) || !ReadDash(text, pos)) return false;
  if (!ReadHex(text, pos, 4, v) || !ReadDash(text, pos)) return false;
  g.data2 = uint16_t(v);
  if (!ReadHex(text, pos, 4, v) || !ReadDash(text, pos)) return false;
  g.data3 = uint16_t(v);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !ReadDash(text, pos)) return false;
    if (!ReadHex(text, pos, 2, v)) return false;
    g.data4[i] = uint8_t(v);
  }
  if (pos != text.size()) return false;
  out = g;
  return true;
}

std::string FormatGuid(const Guid& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", unsigned(g.data1),
                unsigned(g.data2), unsigned(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                g.data4[5], g.data4[6], g.data4[7]);
  return buffer;
}

Guid GuidFromBytes(const uint8_t* b) {
  Guid g;
  g.data1 = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  g.data2 = uint16_t(b[4] | b[5] << 8);
  g.data3 = uint16_t(b[6] | b[7] << 8);
  for (int i = 0; i < 8; ++i) g.data4[i] = b[8 + i];
  return g;
}

}  // namespace platform::xfile
