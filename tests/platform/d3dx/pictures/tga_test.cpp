#include "fixture_bytes.h"

namespace {

using namespace pictures_test;
namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

ByteWriter TgaHeader(uint8_t type, uint16_t w, uint16_t h, uint8_t bits, uint8_t descriptor, uint16_t mapFirst = 0,
                     uint16_t mapLength = 0, uint8_t mapBits = 0) {
  ByteWriter b;
  b.U8(0).U8(mapLength ? 1 : 0).U8(type).U16(mapFirst).U16(mapLength).U8(mapBits);
  b.U16(0).U16(0).U16(w).U16(h).U8(bits).U8(descriptor);
  return b;
}

TEST(TgaReader, TrueColourInEveryOriginAndDepth) {
  // 24 bits, bottom-left origin: the first row in the file is the bottom one.
  ByteWriter bottomUp = TgaHeader(2, 2, 2, 24, 0);
  bottomUp.Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_EQ(DecodedPixels(bottomUp.bytes), (std::vector<uint32_t>{0xFF090807, 0xFF0C0B0A, 0xFF030201, 0xFF060504}));
  ExpectTruncationsRefused(bottomUp.bytes, 18);

  // 32 bits with 8 alpha bits, top-right origin.
  ByteWriter topRight = TgaHeader(2, 2, 1, 32, 0x38);
  topRight.Raw({1, 2, 3, 0x40, 4, 5, 6, 0x80});
  EXPECT_EQ(DecodedPixels(topRight.bytes), (std::vector<uint32_t>{0x80060504, 0x40030201}));

  // 32 bits without alpha bits in the descriptor: opaque.
  ByteWriter noAlpha = TgaHeader(2, 1, 1, 32, 0x20);
  noAlpha.Raw({1, 2, 3, 0});
  EXPECT_EQ(DecodedPixels(noAlpha.bytes), (std::vector<uint32_t>{0xFF030201}));

  // 16 bits with one alpha bit.
  ByteWriter sixteen = TgaHeader(2, 2, 1, 16, 0x21);
  sixteen.U16(0xFC00).U16(0x001F);
  EXPECT_EQ(DecodedPixels(sixteen.bytes), (std::vector<uint32_t>{0xFFFF0000, 0x000000FF}));
}

TEST(TgaReader, ColourMappedAndGreyPictures) {
  // The map starts at index 5; entries are 24-bit.
  ByteWriter mapped = TgaHeader(1, 3, 1, 8, 0x20, 5, 2, 24);
  mapped.Raw({1, 2, 3, 4, 5, 6}).Raw({5, 6, 5});
  EXPECT_EQ(DecodedPixels(mapped.bytes), (std::vector<uint32_t>{0xFF030201, 0xFF060504, 0xFF030201}));
  ExpectTruncationsRefused(mapped.bytes, 18);

  ByteWriter grey = TgaHeader(3, 2, 1, 8, 0x20);
  grey.Raw({0x00, 0x7F});
  EXPECT_EQ(DecodedPixels(grey.bytes), (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F}));

  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::ReadPictureInfo(grey.bytes.data(), grey.size(), info), gfx::kOk);
  EXPECT_EQ(info.imageFileFormat, d3dx::IFF_TGA);
  EXPECT_EQ(info.format, gfx::FMT_L8);
}

TEST(TgaReader, RunLengthPacketsMayCrossRows) {
  // 3 x 2, top-left: a run of four, then two raw pixels.
  ByteWriter rle = TgaHeader(10, 3, 2, 24, 0x20);
  rle.Raw({0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(DecodedPixels(rle.bytes),
            (std::vector<uint32_t>{0xFF030201, 0xFF030201, 0xFF030201, 0xFF030201, 0xFF060504, 0xFF090807}));
  ExpectTruncationsRefused(rle.bytes, 18);
}

TEST(TgaReader, DamagedFilesAreRefused) {
  auto rle = [](std::initializer_list<uint8_t> data) {
    ByteWriter b = TgaHeader(10, 2, 2, 24, 0x20);
    return b.Raw(data).bytes;
  };
  auto mapped = [](uint8_t index) {
    ByteWriter b = TgaHeader(1, 1, 1, 8, 0x20, 5, 2, 24);
    return b.Raw({1, 2, 3, 4, 5, 6}).U8(index).bytes;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"run past the last pixel", rle({0x84, 1, 2, 3})},
      {"raw packet past the end of the file", rle({0x03, 1, 2, 3})},
      {"index below the map's first entry", mapped(4)},
      {"index beyond the map", mapped(7)},
      {"colour map past the end of the file", TgaHeader(1, 1, 1, 8, 0, 0, 300, 24).U8(0).bytes},
      {"zero width", TgaHeader(2, 0, 1, 24, 0).Raw({1, 2, 3}).bytes},
      {"unknown image type", TgaHeader(4, 1, 1, 24, 0).Raw({1, 2, 3}).bytes},
      {"depth that does not fit the type", TgaHeader(2, 1, 1, 12, 0).Raw({1, 2}).bytes},
      {"mapped picture without a map", TgaHeader(1, 1, 1, 8, 0).U8(0).bytes},
      {"text that is no picture", ByteWriter().Text("just some text, not a picture at all").bytes},
  };
  for (const Case& c : cases) {
    d3dx::PictureFile out;
    EXPECT_EQ(Decode(c.bytes, out), d3dx::kInvalidData) << c.what;
  }
}

}  // namespace
