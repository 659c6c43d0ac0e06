#include <gtest/gtest.h>

#include "platform/d3dx/pictures/picture_filter.h"

namespace {

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

d3dx::Picture Grey(uint32_t w, uint32_t h, std::vector<uint8_t> levels) {
  d3dx::Picture p(w, h);
  for (size_t i = 0; i < levels.size(); ++i) p.pixels[i] = 0xFF000000u | levels[i] * 0x010101u;
  return p;
}
std::vector<uint32_t> Levels(const d3dx::Picture& p) {
  std::vector<uint32_t> out;
  for (uint32_t v : p.pixels) out.push_back(v & 0xFF);
  return out;
}

TEST(PictureFilter, PointPicksTheNearestPixel) {
  d3dx::Picture src = Grey(4, 1, {10, 20, 30, 40});
  d3dx::Picture half(2, 1), twice(8, 1);
  ASSERT_EQ(d3dx::ResamplePicture(src, d3dx::FullRect(src), half, d3dx::FullRect(half), d3dx::FILTER_POINT), gfx::kOk);
  EXPECT_EQ(Levels(half), (std::vector<uint32_t>{20, 40}));
  ASSERT_EQ(d3dx::ResamplePicture(src, d3dx::FullRect(src), twice, d3dx::FullRect(twice), d3dx::FILTER_POINT), gfx::kOk);
  EXPECT_EQ(Levels(twice), (std::vector<uint32_t>{10, 10, 20, 20, 30, 30, 40, 40}));
}

TEST(PictureFilter, LinearBoxAndTriangleWeighTheirNeighbours) {
  d3dx::Picture src = Grey(2, 1, {0, 255});
  d3dx::Picture wide(4, 1);
  ASSERT_EQ(d3dx::ResamplePicture(src, d3dx::FullRect(src), wide, d3dx::FullRect(wide), d3dx::FILTER_LINEAR), gfx::kOk);
  EXPECT_EQ(Levels(wide), (std::vector<uint32_t>{0, 64, 191, 255}));

  d3dx::Picture square = Grey(4, 2, {0, 100, 200, 40, 20, 60, 0, 0});
  d3dx::Picture box(2, 1);
  ASSERT_EQ(d3dx::ResamplePicture(square, d3dx::FullRect(square), box, d3dx::FullRect(box), d3dx::FILTER_BOX), gfx::kOk);
  EXPECT_EQ(Levels(box), (std::vector<uint32_t>{45, 60}));

  // Every filter keeps a flat picture flat (weights add up to one) and copies 1:1 exactly.
  d3dx::Picture flat(7, 5, 0x80406020), odd = Grey(3, 1, {5, 250, 7});
  for (uint32_t filter : {uint32_t(d3dx::FILTER_LINEAR), uint32_t(d3dx::FILTER_TRIANGLE), uint32_t(d3dx::FILTER_BOX), d3dx::kDefault}) {
    d3dx::Picture out(3, 11);
    ASSERT_EQ(d3dx::ResamplePicture(flat, d3dx::FullRect(flat), out, d3dx::FullRect(out), filter), gfx::kOk);
    EXPECT_EQ(out.pixels, d3dx::Picture(3, 11, 0x80406020).pixels) << filter;
    d3dx::Picture same(3, 1);
    ASSERT_EQ(d3dx::ResamplePicture(odd, d3dx::FullRect(odd), same, d3dx::FullRect(same), filter), gfx::kOk);
    EXPECT_EQ(same.pixels, odd.pixels) << filter;
  }
}

TEST(PictureFilter, RectanglesLimitWhatIsReadAndWritten) {
  d3dx::Picture src = Grey(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  d3dx::Picture dst(4, 4, 0xDEADBEEF);
  // The lower right 2 x 2 of the source into a 2 x 2 at (1, 2), unscaled.
  ASSERT_EQ(d3dx::ResamplePicture(src, {1, 1, 3, 3}, dst, {1, 2, 3, 4}, d3dx::FILTER_POINT), gfx::kOk);
  EXPECT_EQ(dst.At(1, 2), 0xFF050505u);
  EXPECT_EQ(dst.At(2, 3), 0xFF090909u);
  EXPECT_EQ(dst.At(0, 2), 0xDEADBEEFu);
  EXPECT_EQ(dst.At(3, 3), 0xDEADBEEFu);
  EXPECT_EQ(dst.At(1, 1), 0xDEADBEEFu);

  // No filter: a larger destination gets 0 where the source ends.
  d3dx::Picture big(4, 1, 0xDEADBEEF);
  ASSERT_EQ(d3dx::ResamplePicture(src, {0, 0, 2, 1}, big, {0, 0, 3, 1}, d3dx::FILTER_NONE), gfx::kOk);
  EXPECT_EQ(big.pixels, (std::vector<uint32_t>{0xFF010101, 0xFF020202, 0, 0xDEADBEEF}));

  // Empty, reversed, negative or outside a 3 x 3 picture.
  const gfx::Rect bad[] = {{0, 0, 0, 1}, {2, 0, 1, 1}, {-1, 0, 1, 1}, {0, 0, 4, 1}, {0, 0, 1, 4}};
  d3dx::Picture same(3, 3);
  for (const gfx::Rect& r : bad) {
    EXPECT_EQ(d3dx::ResamplePicture(src, r, dst, {0, 0, 1, 1}, d3dx::FILTER_POINT), gfx::kInvalidCall);
    EXPECT_EQ(d3dx::ResamplePicture(src, {0, 0, 1, 1}, same, r, d3dx::FILTER_POINT), gfx::kInvalidCall);
  }
  EXPECT_EQ(d3dx::ResamplePicture(src, {0, 0, 1, 1}, dst, {0, 0, 1, 1}, 0), gfx::kInvalidCall);
  EXPECT_EQ(d3dx::ResamplePicture(src, {0, 0, 1, 1}, dst, {0, 0, 1, 1}, 9), gfx::kInvalidCall);
}

TEST(PictureFilter, ColourKeyClearsExactMatchesOnly) {
  d3dx::Picture p(4, 1);
  p.pixels = {0xFFFF00FF, 0xFFFE00FF, 0x7FFF00FF, 0xFF00FF00};
  d3dx::ApplyColorKey(p, 0xFFFF00FF);
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0, 0xFFFE00FF, 0x7FFF00FF, 0xFF00FF00}));
  d3dx::ApplyColorKey(p, 0);
  EXPECT_EQ(p.pixels[1], 0xFFFE00FFu);
}

TEST(PictureFilter, MipLevelsHalveEachSide) {
  d3dx::Picture level = Grey(4, 2, {0, 100, 200, 40, 20, 60, 0, 0});
  d3dx::Picture next = d3dx::NextMipLevel(level, d3dx::kDefault);
  EXPECT_EQ(next.width, 2u);
  EXPECT_EQ(next.height, 1u);
  EXPECT_EQ(Levels(next), (std::vector<uint32_t>{45, 60}));
  d3dx::Picture last = d3dx::NextMipLevel(d3dx::NextMipLevel(next, d3dx::kDefault), d3dx::kDefault);
  EXPECT_EQ(last.width, 1u);
  EXPECT_EQ(last.height, 1u);
  EXPECT_EQ(d3dx::NextMipLevel(Grey(5, 3, {}), d3dx::FILTER_TRIANGLE).width, 2u);
}

}  // namespace
