// Building picture files byte by byte in the tests, and the checks every reader must pass on them.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/d3dx/pictures/picture_files.h"

namespace pictures_test {

struct ByteWriter {
  std::vector<uint8_t> bytes;

  ByteWriter& U8(uint32_t v) { bytes.push_back(uint8_t(v)); return *this; }
  ByteWriter& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  ByteWriter& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  ByteWriter& Raw(std::initializer_list<uint8_t> v) { bytes.insert(bytes.end(), v); return *this; }
  ByteWriter& Text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); return *this; }
  ByteWriter& Zeros(size_t n) { bytes.resize(bytes.size() + n, 0); return *this; }
  // Overwrites a little-endian 32-bit value in place.
  ByteWriter& Patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    return *this;
  }
  size_t size() const { return bytes.size(); }
};

inline platform::d3dx::Result Decode(const std::vector<uint8_t>& bytes, platform::d3dx::PictureFile& out) {
  return platform::d3dx::DecodePicture(bytes.data(), bytes.size(), out);
}

// The pixels of level 0 (face 0), or an empty list when the file does not decode.
inline std::vector<uint32_t> DecodedPixels(const std::vector<uint8_t>& bytes) {
  platform::d3dx::PictureFile file;
  if (platform::gfx::Failed(Decode(bytes, file))) return {};
  return file.Image().pixels;
}

// Every shorter prefix of a good file either is refused or still gives exactly the same picture
// (a reader must never make up pixels for bytes that are not there); the header alone is refused.
inline void ExpectTruncationsRefused(const std::vector<uint8_t>& bytes, size_t headerBytes) {
  platform::d3dx::PictureFile whole;
  ASSERT_EQ(Decode(bytes, whole), platform::gfx::kOk);
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + n);
    platform::d3dx::PictureFile cut;
    platform::d3dx::Result r = Decode(prefix, cut);
    if (n <= headerBytes) {
      EXPECT_EQ(r, platform::d3dx::kInvalidData) << "prefix of " << n << " bytes";
    } else if (platform::gfx::Succeeded(r)) {
      ASSERT_EQ(cut.images.size(), whole.images.size()) << "prefix of " << n << " bytes";
      for (size_t i = 0; i < whole.images.size(); ++i)
        EXPECT_EQ(cut.images[i].pixels, whole.images[i].pixels) << "prefix of " << n << " bytes";
    }
  }
}

}  // namespace pictures_test
