// The readers behind DecodePicture, one per file format. Each checks every size and offset against
// the bytes it was given and answers kInvalidData for a damaged file. With `decode` false only
// `out.info` is filled.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/pictures/picture.h"

namespace platform::d3dx {

// Bounds-checked little-endian access to a file in memory: reads outside it give 0, and readers test
// Has() before they rely on a field.
struct Bytes {
  const uint8_t* data = nullptr;
  size_t size = 0;

  bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
  uint8_t U8(uint64_t at) const { return Has(at, 1) ? data[at] : 0; }
  uint16_t U16(uint64_t at) const { return Has(at, 2) ? uint16_t(data[at] | data[at + 1] << 8) : 0; }
  uint32_t U32(uint64_t at) const {
    return Has(at, 4) ? uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
                            uint32_t(data[at + 3]) << 24
                      : 0;
  }
  int32_t I32(uint64_t at) const { return int32_t(U32(at)); }
};

// A colour channel given by a bit mask (BMP bit fields, uncompressed DDS).
struct MaskChannel {
  uint32_t mask = 0, shift = 0, bits = 0;
  explicit MaskChannel(uint32_t m = 0);
  // The channel scaled to 8 bits; `absent` when the mask is empty.
  uint32_t Get(uint32_t pixel, uint32_t absent) const;
};

// kOk when a width x height picture may be allocated.
Result CheckPictureSize(uint64_t width, uint64_t height);

Result ReadBmp(Bytes file, bool decode, PictureFile& out);
Result ReadTga(Bytes file, bool decode, PictureFile& out);
Result ReadDds(Bytes file, bool decode, PictureFile& out);
Result ReadPng(Bytes file, bool decode, PictureFile& out);
Result ReadJpeg(Bytes file, bool decode, PictureFile& out);

}  // namespace platform::d3dx
