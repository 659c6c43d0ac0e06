// Bounds-checked little-endian access to a model file held in memory, for the binary converters. The
// formats name their counts and offsets as signed 32-bit values; every one is checked against the
// file with Has() before the converter relies on it, and a read outside the file gives 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct ModelBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;

  // Whether `count` items of `itemSize` bytes starting at `offset` lie inside the file; false for a
  // negative offset or count and for sizes whose product overflows.
  bool Has(int64_t offset, int64_t count, int64_t itemSize = 1) const {
    if (offset < 0 || count < 0 || itemSize < 0 || uint64_t(offset) > size) return false;
    if (itemSize != 0 && uint64_t(count) > (size - uint64_t(offset)) / uint64_t(itemSize)) return false;
    return true;
  }

  uint8_t U8(int64_t at) const { return Has(at, 1) ? data[at] : 0; }
  uint16_t U16(int64_t at) const { return Has(at, 2) ? uint16_t(data[at] | data[at + 1] << 8) : 0; }
  int16_t I16(int64_t at) const { return int16_t(U16(at)); }
  uint32_t U32(int64_t at) const {
    if (!Has(at, 4)) return 0;
    return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
           uint32_t(data[at + 3]) << 24;
  }
  int32_t I32(int64_t at) const { return int32_t(U32(at)); }
  float F32(int64_t at) const {
    const uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  // A fixed-size text field: the characters up to the first NUL or the field's end.
  size_t TextLength(int64_t at, size_t field) const {
    if (!Has(at, int64_t(field))) return 0;
    const void* nul = std::memchr(data + at, 0, field);
    return nul ? size_t(static_cast<const uint8_t*>(nul) - (data + at)) : field;
  }
  const char* Chars(int64_t at) const { return reinterpret_cast<const char*>(data + at); }
};
