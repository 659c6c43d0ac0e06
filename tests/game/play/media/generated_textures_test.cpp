// Pixels and lines drawn into images (never the last column or row), the goal pad's striped colour
// heart, and the music-level hearts drawn from the levels of a playing stream.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "engine/media2d/basic2d.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/objects/records.h"
#include "game/play/generated_textures.h"
#include "engine/core/core_data.h"
#include "engine/media2d/sprite.h"
#include "game/play/music.h"
#include "game/play/visualiser.h"
#include "platform/gfx/device.h"
#include "platform/gfx/test_hooks.h"
#include "platform/gfx/types.h"
#include "tests/engine/engine_fixture.h"
#include "tests/game/play/media/media_fixture.h"

namespace media_test {
namespace {

constexpr int32_t kScratchImage = 5100;
constexpr int32_t kSize = kGeneratedImageSize;
constexpr uint32_t kCyan = 0xFF00FFFF;

using Pixel = std::pair<int32_t, int32_t>;

// The places of the pixels that are not 0.
std::set<Pixel> Drawn(const std::vector<uint32_t>& pixels) {
  std::set<Pixel> drawn;
  for (size_t i = 0; i < pixels.size(); ++i)
    if (pixels[i]) drawn.insert({int32_t(i % kSize), int32_t(i / kSize)});
  return drawn;
}

uint32_t At(const std::vector<uint32_t>& pixels, int32_t x, int32_t y) { return pixels[size_t(y * kSize + x)]; }

// Every pixel of the row in columns 0 to 126 has the colour.
bool RowIs(const std::vector<uint32_t>& pixels, int32_t y, uint32_t colour) {
  for (int32_t x = 0; x < kSize - 1; ++x)
    if (At(pixels, x, y) != colour) return false;
  return true;
}
bool RowEmpty(const std::vector<uint32_t>& pixels, int32_t y) {
  for (int32_t x = 0; x < kSize; ++x)
    if (At(pixels, x, y)) return false;
  return true;
}

class GeneratedTexturesTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    if (HasImage(kScratchImage)) DeleteImage(kScratchImage);
    ASSERT_NE(CreateImage(kScratchImage, kSize, kSize), nullptr);
  }
};

TEST_F(GeneratedTexturesTest, LinesIncludeBothEndsAndNeverTheLastColumnOrRow) {
  struct Case {
    int32_t x1, y1, x2, y2;
    std::set<Pixel> pixels;
  };
  std::set<Pixel> row10;
  for (int32_t x = 0; x <= 126; ++x) row10.insert({x, 10});
  const Case cases[] = {
      {5, 5, 5, 5, {{5, 5}}},
      {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
      {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
      {3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}, {0, 0}}},
      {0, 10, 128, 10, row10},
      {-2, 2, 1, 2, {{0, 2}, {1, 2}}},
      {10, 125, 10, 140, {{10, 125}, {10, 126}}},
      {127, 0, 127, 20, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x1 << ", " << c.y1 << ")-(" << c.x2 << ", " << c.y2 << ")");
    DeleteImage(kScratchImage);
    CreateImage(kScratchImage, kSize, kSize);
    DrawImageLine(kScratchImage, c.x1, c.y1, c.x2, c.y2, 0xFF123456);
    const std::vector<uint32_t> pixels = ImagePixels(kScratchImage);
    EXPECT_EQ(Drawn(pixels), c.pixels);
    for (const Pixel& p : c.pixels) EXPECT_EQ(At(pixels, p.first, p.second), 0xFF123456u);
  }
}

TEST_F(GeneratedTexturesTest, SinglePixelsInsideOnly) {
  SetImagePixel(kScratchImage, 126, 126, 0xFFABCDEF);
  SetImagePixel(kScratchImage, 0, 0, 0xFF010203);
  for (Pixel outside : {Pixel{127, 5}, Pixel{5, 127}, Pixel{-1, 0}, Pixel{0, -1}, Pixel{1000, 1000}})
    SetImagePixel(kScratchImage, outside.first, outside.second, 0xFFFFFFFF);
  SetImagePixel(9999, 1, 1, 0xFFFFFFFF);  // no such image: nothing happens
  const std::vector<uint32_t> pixels = ImagePixels(kScratchImage);
  EXPECT_EQ(Drawn(pixels), (std::set<Pixel>{{0, 0}, {126, 126}}));
  EXPECT_EQ(At(pixels, 126, 126), 0xFFABCDEFu);
}

TEST_F(GeneratedTexturesTest, BytesPerPixelOfTheSurfaceFormats) {
  namespace gfx = platform::gfx;
  const std::pair<uint32_t, int32_t> cases[] = {
      {gfx::FMT_R8G8B8, 3},   {gfx::FMT_A8R8G8B8, 4}, {gfx::FMT_X8R8G8B8, 4},      {gfx::FMT_A2R10G10B10, 4},
      {gfx::FMT_G16R16, 4},   {gfx::FMT_R5G6B5, 2},   {gfx::FMT_X4R4G4B4, 2},      {gfx::FMT_A8R3G3B2, 2},
      {gfx::FMT_R3G3B2, 1},   {gfx::FMT_A8, 1},       {gfx::FMT_L8, 0},            {gfx::FMT_DXT1, 0},
      {gfx::FMT_UNKNOWN, 0},
  };
  for (const auto& [format, bytes] : cases) EXPECT_EQ(FormatBytesPerPixel(format), bytes) << format;
}

TEST_F(GeneratedTexturesTest, TheColourHeartHasSixBandsOfStripesInTheBallsColour) {
  Game().playerColour[0] = 10, Game().playerColour[1] = 200, Game().playerColour[2] = 30;
  const uint32_t colour = Rgb(10, 200, 30);
  BuildColourImage();
  const std::vector<uint32_t> pixels = ImagePixels(kColourImage);
  ASSERT_EQ(pixels.size(), size_t(kSize * kSize));
  for (int32_t b = 2; b <= 102; b += 20) {
    SCOPED_TRACE(b);
    for (int32_t y = b - 2; y <= b + 3; ++y) EXPECT_TRUE(RowIs(pixels, y, colour)) << y;
    // The sloping lines run from (0, b + 4 + k) up to (127, b + k); the gap before the next band is empty.
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(At(pixels, 0, b + 4 + k), colour);
    for (int32_t y = b + 8; y < b + 18 && y < kSize; ++y) EXPECT_TRUE(RowEmpty(pixels, y)) << y;
  }
  for (const Pixel& p : Drawn(pixels)) {
    EXPECT_EQ(At(pixels, p.first, p.second), colour);
    EXPECT_LT(p.first, kSize - 1);
    EXPECT_LT(p.second, kSize - 1);
  }

  // Made anew each time: a new colour leaves nothing of the old one.
  Game().playerColour[1] = 0;
  BuildColourImage();
  for (const Pixel& p : Drawn(ImagePixels(kColourImage))) EXPECT_EQ(At(ImagePixels(kColourImage), p.first, p.second), Rgb(10, 0, 30));
}

TEST_F(GeneratedTexturesTest, TheLevelHeartsFillWithTheMusicChannelsLevels) {
  Game().playerColour[0] = 255;
  const uint32_t top = Rgb(255, 0, 0);
  BuildMusicLevelImages(1);
  BuildMusicLevelImages(0);
  EXPECT_TRUE(Drawn(ImagePixels(kLeftLevelImage)).empty()) << "no music: no level";
  EXPECT_TRUE(Drawn(ImagePixels(kRightLevelImage)).empty());

  // Level L = level x 127 draws the bands starting at rows 0, 20, ... below L.
  struct Case {
    int32_t volume;
    int32_t bands;
  };
  for (const Case c : {Case{255, 7}, Case{77, 2}}) {
    SCOPED_TRACE(c.volume);
    Settings().musicVolume = c.volume;
    Settings().musicPan = 0;  // all left: the right level is 0
    ASSERT_EQ(PlayMusicFile(kSineTrack), 0);
    ASSERT_EQ(StartMusicStream(), 0);
    MixPeak(4096);
    BuildMusicLevelImages(1);
    BuildMusicLevelImages(0);
    const std::vector<uint32_t> left = ImagePixels(kLeftLevelImage);
    for (int32_t band = 0; band < 7; ++band) {
      const int32_t row = band * 20;
      if (band < c.bands) {
        EXPECT_TRUE(RowIs(left, row, top)) << row;
        for (int32_t y = row + 1; y <= row + 5 && y < kSize - 1; ++y) EXPECT_TRUE(RowIs(left, y, kCyan)) << y;
      } else {
        EXPECT_TRUE(RowEmpty(left, row)) << row;
      }
    }
    EXPECT_TRUE(Drawn(ImagePixels(kRightLevelImage)).empty());
  }
}

TEST_F(GeneratedTexturesTest, TheHeartsWearTheirImages) {
  BuildColourImage();
  BuildMusicLevelImages(1);
  BuildMusicLevelImages(0);
  for (int32_t heart : {101, 102, 103}) CreateBoxObject(heart, 4, 4, 4);
  TextureGoalHeart();
  TextureLevelHearts();
  const std::pair<int32_t, int32_t> worn[] = {{101, kColourImage}, {102, kLeftLevelImage}, {103, kRightLevelImage}};
  for (const auto& [heart, image] : worn) {
    ObjectRecord* object = GetObjectPointer(heart);
    ASSERT_NE(object, nullptr);
    for (MeshRecord* mesh : object->meshList) EXPECT_EQ(mesh->stages.at(0).image, image) << heart;
    DeleteObject(heart);
  }
}

TEST_F(GeneratedTexturesTest, NarrowFormatsGetTheColourInTheirOwnLayoutAndUnknownOnesNothing) {
  namespace gfx = platform::gfx;
  constexpr int32_t kNarrow = 5101;
  if (HasImage(kNarrow)) DeleteImage(kNarrow);
  if (!CreateImageWithFormat(kNarrow, kSize, kSize, gfx::FMT_R5G6B5)) GTEST_SKIP() << "no 16-bit images here";
  SetImagePixel(kNarrow, 1, 0, Rgb(255, 0, 0));
  gfx::LockedRect locked{};
  ASSERT_TRUE(gfx::Succeeded(GetImageTexture(kNarrow)->LockRect(0, &locked, nullptr, gfx::LOCK_READONLY)));
  const auto* row = static_cast<const uint16_t*>(locked.bits);
  EXPECT_EQ(row[0], 0);
  EXPECT_EQ(row[1], 0xF800);
  EXPECT_EQ(row[2], 0) << "a 32-bit word would spill into the next pixel";
  GetImageTexture(kNarrow)->UnlockRect(0);
  DeleteImage(kNarrow);
}

TEST_F(GeneratedTexturesTest, HundredsOfLinesInAFrameTravelOnceAndShowOnScreen) {
  namespace gfx = platform::gfx;
  gfx::Device* device = GetDirect3DDevice();
  ASSERT_NE(device, nullptr);
  static float spectrum[512];
  for (int i = 0; i < 512; ++i) spectrum[i] = float((i * 37) % 64) / 63.0f;
  SetVisualiserSpectrumSource([]() -> const float* { return spectrum; });
  Visualiser().colour[0] = 200, Visualiser().colour[1] = 100, Visualiser().colour[2] = 50;
  Game().playerColour[0] = 255;
  auto uploadsOf = [&](auto step) {
    const uint32_t before = gfx::TextureUploadCount(device);
    step();
    return gfx::TextureUploadCount(device) - before;
  };
  // A frame's drawing: 252 lines of the visualiser and 60 of the colour heart, then both on screen.
  EXPECT_EQ(uploadsOf([] {
              DrawMirroredSpectrum();
              BuildColourImage();
            }),
            0u);
  device->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  EXPECT_EQ(uploadsOf([] {
              DrawImageAt(kVisualiserImage, 0, 0);
              DrawImageAt(kColourImage, 200, 0);
              DrawImageAt(kVisualiserImage, 0, 200);
            }),
            2u)
      << "one upload for each texture, however many lines and draws";
  EXPECT_EQ(uploadsOf([] { (void)ImagePixels(kVisualiserImage); DrawImageAt(kVisualiserImage, 0, 0); }), 0u)
      << "reading the pixels sends nothing";
  SetVisualiserSpectrumSource(nullptr);

  uint32_t width = 0;
  const std::vector<uint32_t> screen = engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface, &width);
  ASSERT_FALSE(screen.empty());
  const std::pair<int32_t, int32_t> placed[] = {{kVisualiserImage, 0}, {kColourImage, 200}};
  for (const auto& [image, left] : placed) {
    const std::vector<uint32_t> pixels = ImagePixels(image);
    ASSERT_EQ(pixels.size(), size_t(kSize * kSize));
    EXPECT_GT(Drawn(pixels).size(), 1000u);
    int32_t wrong = 0;
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) {
        const uint32_t want = At(pixels, x, y) ? At(pixels, x, y) | 0xFF000000u : 0xFF000000u;
        wrong += (screen[size_t(y) * width + size_t(left + x)] | 0xFF000000u) != want;
      }
    EXPECT_EQ(wrong, 0) << "image " << image;
  }
}

// The visualiser and the level hearts are drawn anew every frame, each drawing under one lock: a frame
// shows its own drawing only, on the screen as in the image, pixel for pixel what the same drawing shows
// with no frame before it.
TEST_F(GeneratedTexturesTest, ImagesDrawnEveryFrameShowOnlyTheirOwnFrame) {
  namespace gfx = platform::gfx;
  gfx::Device* device = GetDirect3DDevice();
  ASSERT_NE(device, nullptr);
  static float spectrum[512];
  SetVisualiserSpectrumSource([]() -> const float* { return spectrum; });
  auto fillSpectrum = [](int32_t seed) {
    for (int i = 0; i < 512; ++i) spectrum[i] = float((i * seed) % 64) / 63.0f;
  };
  // The image as it reaches the screen, drawn opaque at the top left over black.
  auto onScreen = [&](int32_t image) {
    device->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawImageAt(image, 0, 0);
    uint32_t width = 0;
    const std::vector<uint32_t> screen =
        engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface, &width);
    std::vector<uint32_t> shown;
    for (int32_t y = 0; y < kSize && !screen.empty(); ++y)
      for (int32_t x = 0; x < kSize; ++x) shown.push_back(screen[size_t(y) * width + size_t(x)] | 0xFF000000u);
    return shown;
  };
  Visualiser().colour[0] = 200, Visualiser().colour[1] = 100, Visualiser().colour[2] = 50;
  for (const VisualiserMode mode : {kVisualiserBars, kVisualiserMirrored, kVisualiserPattern}) {
    SCOPED_TRACE(mode);
    Visualiser().mode = mode;
    fillSpectrum(37);
    DrawVisualiser();
    (void)onScreen(kVisualiserImage);  // last frame's drawing reaches the device
    fillSpectrum(11);
    DrawVisualiser();
    const std::vector<uint32_t> kept = ImagePixels(kVisualiserImage), keptShown = onScreen(kVisualiserImage);
    DeleteImage(kVisualiserImage);
    DrawVisualiser();  // with no frame before it
    EXPECT_EQ(ImagePixels(kVisualiserImage), kept);
    EXPECT_EQ(onScreen(kVisualiserImage), keptShown);
    EXPECT_GT(Drawn(kept).size(), 100u);
  }
  SetVisualiserSpectrumSource(nullptr);

  // A level heart drawn full, then with no music: empty.
  Game().playerColour[0] = 255;
  Settings().musicVolume = 255;
  Settings().musicPan = 0;
  ASSERT_EQ(PlayMusicFile(kSineTrack), 0);
  ASSERT_EQ(StartMusicStream(), 0);
  MixPeak(4096);
  BuildMusicLevelImages(1);
  EXPECT_FALSE(Drawn(ImagePixels(kLeftLevelImage)).empty());
  EXPECT_FALSE(Drawn(onScreen(kLeftLevelImage)).empty());
  CloseMusicStream();
  BuildMusicLevelImages(1);
  EXPECT_TRUE(Drawn(ImagePixels(kLeftLevelImage)).empty());
  for (uint32_t pixel : onScreen(kLeftLevelImage)) ASSERT_EQ(pixel, 0xFF000000u);
}

}  // namespace
}  // namespace media_test
