// 16-byte identifiers of templates and data objects. Files name templates by these, so the values of
// the standard templates are fixed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::xfile {

// Laid out as the 16 bytes of the binary format: a u32, two u16 and eight bytes, little-endian.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};

  friend bool operator==(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16);

// "3d82ab46-62da-11cf-ab39-0020af71e433", case-insensitive, optional surrounding braces. False for
// anything else.
bool ParseGuid(std::string_view text, Guid& out);

// The lower-case form ParseGuid reads.
std::string FormatGuid(const Guid& guid);

// Reads the 16 little-endian bytes of the binary format.
Guid GuidFromBytes(const uint8_t* bytes);

}  // namespace platform::xfile
