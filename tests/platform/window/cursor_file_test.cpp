#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/window/cursor.h"

namespace pw = platform::window;

namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); }

// A cursor file of one w x h picture at `bits` per pixel (1, 4 or 32); colour index / pixel value is
// chosen by `pixel`, transparency by `masked` (AND mask bit).
template <typename Pixel, typename Masked>
std::vector<uint8_t> MakeCursor(int w, int h, int bits, int hotX, int hotY, Pixel pixel, Masked masked) {
  std::vector<uint8_t> image;
  Put32(image, 40);
  Put32(image, uint32_t(w));
  Put32(image, uint32_t(h * 2));
  Put16(image, 1);
  Put16(image, uint16_t(bits));
  for (int i = 0; i < 6; ++i) Put32(image, 0);  // compression, sizes, resolution, colours used/important
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) Put32(image, i == 0 ? 0x000000u : 0x00FF8040u + uint32_t(i));
  }
  const size_t colorRow = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {  // bottom-up
    std::vector<uint8_t> row(colorRow, 0);
    for (int x = 0; x < w; ++x) {
      const uint32_t v = pixel(x, y);
      if (bits == 32) {
        std::memcpy(&row[size_t(x) * 4], &v, 4);
      } else {
        const size_t bit = size_t(x) * size_t(bits);
        row[bit / 8] |= uint8_t(v << (8 - bits - bit % 8));
      }
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  const size_t maskRow = ((size_t(w) + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskRow, 0);
    for (int x = 0; x < w; ++x) {
      if (masked(x, y)) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  std::vector<uint8_t> file;
  Put16(file, 0);
  Put16(file, 2);  // cursor
  Put16(file, 1);
  file.push_back(uint8_t(w));
  file.push_back(uint8_t(h));
  file.push_back(0);
  file.push_back(0);
  Put16(file, uint16_t(hotX));
  Put16(file, uint16_t(hotY));
  Put32(file, uint32_t(image.size()));
  Put32(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

const uint8_t* Pixel(const pw::CursorImage& image, int x, int y) {
  return &image.rgba[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
}

TEST(CursorFile, PaletteCursorWithMask) {
  // Left half colour 1, right half masked out.
  auto file = MakeCursor(32, 32, 4, 5, 7, [](int, int) { return 1u; }, [](int x, int) { return x >= 16; });
  pw::CursorImage image;
  ASSERT_TRUE(pw::DecodeCursorFile(file.data(), file.size(), 32, image));
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.hotX, 5);
  EXPECT_EQ(image.hotY, 7);
  const uint8_t* opaque = Pixel(image, 3, 3);
  EXPECT_EQ(opaque[0], 0xFF);  // red of 0x00FF8041
  EXPECT_EQ(opaque[1], 0x80);
  EXPECT_EQ(opaque[2], 0x41);
  EXPECT_EQ(opaque[3], 255);
  EXPECT_EQ(Pixel(image, 20, 3)[3], 0);
}

TEST(CursorFile, RowsAreStoredBottomUpAndScaledToTheWantedSize) {
  // 16 x 16, 1 bit: the top row set, everything else index 0.
  auto file = MakeCursor(16, 16, 1, 15, 0, [](int, int y) { return y == 0 ? 1u : 0u; }, [](int, int) { return false; });
  pw::CursorImage image;
  ASSERT_TRUE(pw::DecodeCursorFile(file.data(), file.size(), 32, image));
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.hotX, 30);
  EXPECT_NE(Pixel(image, 0, 0)[0], 0);
  EXPECT_NE(Pixel(image, 31, 1)[0], 0);  // row 0 covers rows 0 and 1 after scaling
  EXPECT_EQ(Pixel(image, 0, 2)[0], 0);
}

TEST(CursorFile, TrueColourAlphaWinsOverTheMask) {
  auto file = MakeCursor(32, 32, 32, 0, 0, [](int x, int) { return x < 8 ? 0x80112233u : 0x00000000u; },
                         [](int, int) { return true; });
  pw::CursorImage image;
  ASSERT_TRUE(pw::DecodeCursorFile(file.data(), file.size(), 32, image));
  EXPECT_EQ(Pixel(image, 0, 0)[3], 0x80);
  EXPECT_EQ(Pixel(image, 0, 0)[0], 0x11);
  EXPECT_EQ(Pixel(image, 10, 0)[3], 0);
}

TEST(CursorFile, MalformedFilesAreRefusedWithoutReadingPastTheEnd) {
  auto file = MakeCursor(32, 32, 4, 0, 0, [](int, int) { return 3u; }, [](int, int) { return false; });
  pw::CursorImage image;
  // Every truncation of a good file.
  for (size_t size = 0; size < file.size(); ++size) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + long(size));  // exact-size copy for ASan
    EXPECT_FALSE(pw::DecodeCursorFile(cut.data(), cut.size(), 32, image)) << size;
  }
  auto bad = file;
  bad[18] = 0xFF;  // image offset far beyond the file
  EXPECT_FALSE(pw::DecodeCursorFile(bad.data(), bad.size(), 32, image));
  bad = file;
  bad[22 + 16] = 1;  // compressed
  EXPECT_FALSE(pw::DecodeCursorFile(bad.data(), bad.size(), 32, image));
  bad = file;
  bad[22 + 4] = 0;  // width 0
  bad[22 + 5] = 0;
  EXPECT_FALSE(pw::DecodeCursorFile(bad.data(), bad.size(), 32, image));
  bad = file;
  bad[2] = 3;  // neither icon nor cursor
  EXPECT_FALSE(pw::DecodeCursorFile(bad.data(), bad.size(), 32, image));
  EXPECT_TRUE(pw::DecodeCursorFile(file.data(), file.size(), 32, image));
}

TEST(CursorFile, MissingFileGivesNoCursor) {
  EXPECT_EQ(pw::LoadCursorFile("no-such-cursor.cur"), nullptr);
}

}  // namespace
