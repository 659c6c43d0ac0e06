#include <climits>

#include "fixture_bytes.h"

namespace {

using namespace pictures_test;
namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

// File header and 40-byte info header; `extra` bytes (masks, palette) come before the pixels.
ByteWriter BmpHeader(int32_t w, int32_t h, uint32_t bpp, uint32_t compression, uint32_t colorsUsed,
                     uint32_t extra, uint32_t pixelBytes) {
  ByteWriter b;
  b.Text("BM").U32(54 + extra + pixelBytes).U32(0).U32(54 + extra);
  b.U32(40).U32(uint32_t(w)).U32(uint32_t(h)).U16(1).U16(bpp).U32(compression).U32(pixelBytes);
  b.U32(2835).U32(2835).U32(colorsUsed).U32(0);
  return b;
}

ByteWriter Bmp24() {  // 3 x 2, bottom-up, rows padded to 12 bytes
  ByteWriter b = BmpHeader(3, 2, 24, 0, 0, 0, 24);
  b.Raw({0xFF, 0xFF, 0xFF, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0});
  b.Raw({0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0});
  return b;
}

ByteWriter Bmp8(uint8_t lastIndex) {  // 2 x 2, top-down, three palette entries
  ByteWriter b = BmpHeader(2, -2, 8, 0, 3, 12, 8);
  b.Raw({0, 0, 0, 0, 10, 20, 30, 0, 0xFF, 0xFF, 0xFF, 0});
  b.Raw({1, 2, 0, 0, 0, lastIndex, 0, 0});
  return b;
}

ByteWriter BmpRle8(std::initializer_list<uint8_t> codes, uint32_t width = 4, uint32_t height = 3) {
  ByteWriter b = BmpHeader(int32_t(width), int32_t(height), 8, 1, 3, 12, uint32_t(codes.size()));
  b.Raw({0, 0, 0, 0, 10, 20, 30, 0, 0xFF, 0xFF, 0xFF, 0});
  b.Raw(codes);
  return b;
}

constexpr uint32_t kA = 0xFF000000, kB = 0xFF1E140A, kC = 0xFFFFFFFF;

TEST(BmpReader, TwentyFourBitRowsBottomUpWithPadding) {
  EXPECT_EQ(DecodedPixels(Bmp24().bytes),
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF123456}));
  ExpectTruncationsRefused(Bmp24().bytes, 54);
}

TEST(BmpReader, PalettedPicturesOfOneFourAndEightBits) {
  EXPECT_EQ(DecodedPixels(Bmp8(1).bytes), (std::vector<uint32_t>{kB, kC, kA, kB}));

  ByteWriter four = BmpHeader(3, 1, 4, 0, 2, 8, 4);
  four.Raw({0, 0, 0, 0, 10, 20, 30, 0}).Raw({0x10, 0x10, 0, 0});
  EXPECT_EQ(DecodedPixels(four.bytes), (std::vector<uint32_t>{kB, kA, kB}));

  ByteWriter one = BmpHeader(10, 1, 1, 0, 2, 8, 4);
  one.Raw({0, 0, 0, 0, 10, 20, 30, 0}).Raw({0xA0, 0xC0, 0, 0});
  EXPECT_EQ(DecodedPixels(one.bytes), (std::vector<uint32_t>{kB, kA, kB, kA, kA, kA, kA, kA, kB, kB}));
  ExpectTruncationsRefused(one.bytes, 54);
}

TEST(BmpReader, SixteenAndThirtyTwoBitsPlainAndWithBitFields) {
  ByteWriter plain16 = BmpHeader(2, 1, 16, 0, 0, 0, 4);
  plain16.U16(0x7C00).U16(0x03E0);
  EXPECT_EQ(DecodedPixels(plain16.bytes), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00}));

  ByteWriter fields565 = BmpHeader(3, 1, 16, 3, 0, 12, 8);
  fields565.U32(0xF800).U32(0x07E0).U32(0x001F).U16(0xF800).U16(0x07E0).U16(0x001F).U16(0);
  EXPECT_EQ(DecodedPixels(fields565.bytes), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));

  // Plain 32 bits: the fourth byte is not alpha.
  ByteWriter plain32 = BmpHeader(1, 1, 32, 0, 0, 0, 4);
  plain32.Raw({0x11, 0x22, 0x33, 0x00});
  EXPECT_EQ(DecodedPixels(plain32.bytes), (std::vector<uint32_t>{0xFF332211}));

  // A 108-byte header whose bit fields name an alpha byte.
  ByteWriter v4;
  v4.Text("BM").U32(14 + 108 + 4).U32(0).U32(14 + 108);
  v4.U32(108).U32(1).U32(1).U16(1).U16(32).U32(3).U32(4).U32(0).U32(0).U32(0).U32(0);
  v4.U32(0xFF0000).U32(0xFF00).U32(0xFF).U32(0xFF000000).Zeros(52);
  v4.Raw({0x11, 0x22, 0x33, 0x80});
  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::ReadPictureInfo(v4.bytes.data(), v4.size(), info), gfx::kOk);
  EXPECT_EQ(info.format, gfx::FMT_A8R8G8B8);
  EXPECT_EQ(DecodedPixels(v4.bytes), (std::vector<uint32_t>{0x80332211}));
}

TEST(BmpReader, OldTwelveByteHeader) {
  ByteWriter b;
  b.Text("BM").U32(26 + 4).U32(0).U32(26).U32(12).U16(1).U16(1).U16(1).U16(24).Raw({1, 2, 3, 0});
  EXPECT_EQ(DecodedPixels(b.bytes), (std::vector<uint32_t>{0xFF030201}));
}

TEST(BmpReader, RunLengthEncodedRunsAbsoluteRunsAndDeltas) {
  // Bottom row: a run of four; middle: three absolute pixels (padded); top: a delta, then a run.
  ByteWriter rle = BmpRle8({4, 1, 0, 0, 0, 3, 0, 1, 2, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1});
  EXPECT_EQ(DecodedPixels(rle.bytes), (std::vector<uint32_t>{kA, kA, kC, kC, kA, kB, kC, kA, kB, kB, kB, kB}));
  ExpectTruncationsRefused(rle.bytes, 54 + 12);

  ByteWriter four = BmpHeader(4, 1, 4, 2, 3, 12, 4);
  four.Raw({0, 0, 0, 0, 10, 20, 30, 0, 0xFF, 0xFF, 0xFF, 0}).Raw({4, 0x12, 0, 1});
  EXPECT_EQ(DecodedPixels(four.bytes), (std::vector<uint32_t>{kB, kC, kB, kC}));
}

TEST(BmpReader, DamagedFilesAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  auto patched = [](ByteWriter b, size_t at, uint32_t v) { return b.Patch32(at, v).bytes; };
  const Case cases[] = {
      {"palette index beyond the palette", Bmp8(3).bytes},
      {"pixel offset past the end", patched(Bmp24(), 10, 0xFFFFFFF0)},
      {"pixel offset inside the header", patched(Bmp24(), 10, 20)},
      {"pixel offset inside the palette", patched(Bmp8(1), 10, 60)},
      {"width that overflows", patched(Bmp24(), 18, 0x7FFFFFFF)},
      {"negative width", patched(Bmp24(), 18, uint32_t(-3))},
      {"height of INT_MIN", patched(Bmp24(), 22, uint32_t(INT_MIN))},
      {"sides too large together", Bmp24().Patch32(18, 16000).Patch32(22, 16000).bytes},
      {"unknown header size", patched(Bmp24(), 14, 20)},
      {"header size past the end", patched(Bmp24(), 14, 0x7FFFFFFF)},
      {"more colours than the depth allows", patched(Bmp8(1), 46, 257)},
      {"unknown compression", patched(Bmp24(), 30, 9)},
      {"run past the end of its row", BmpRle8({5, 1, 0, 1}).bytes},
      {"run-length index beyond the palette", BmpRle8({2, 7, 0, 1}).bytes},
      {"delta past the last row", BmpRle8({0, 2, 0, 9, 1, 1, 0, 1}).bytes},
      {"run-length data without an end", BmpRle8({4, 1, 0, 0}).bytes},
      {"absolute run past the end of the file", BmpRle8({0, 200, 1, 2}).bytes},
  };
  for (const Case& c : cases) {
    d3dx::PictureFile out;
    EXPECT_EQ(Decode(c.bytes, out), d3dx::kInvalidData) << c.what;
    EXPECT_TRUE(out.images.empty()) << c.what;
  }
}

}  // namespace
