// The visualiser box, its spectrum image in the three drawings (from a generated sine through the
// mixer, and from spectra made up in the test), the colour from the ball's and the beat.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "engine/media2d/basic2d.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/objects/records.h"
#include "game/play/level_builder.h"
#include "game/play/visualiser.h"
#include "tests/game/play/media/media_fixture.h"

namespace media_test {
namespace {

constexpr int32_t kSize = kVisualiserImageSize;

std::array<float, 512> g_spectrum;
const float* TestSpectrum() { return g_spectrum.data(); }

uint32_t g_now = 0;

// An image built by hand, to compare with.
struct Expected {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(kSize * kSize), 0);
  void Set(int32_t x, int32_t y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < kSize - 1 && y < kSize - 1) pixels[size_t(y * kSize + x)] = colour;
  }
  void Column(int32_t x, int32_t fromY, int32_t toY, uint32_t colour) {
    for (int32_t y = std::min(fromY, toY); y <= std::max(fromY, toY); ++y) Set(x, y, colour);
  }
};

int32_t Rows(float band) { return int32_t(band * 63.0f); }

Expected Mirrored(const float* s, uint32_t colour) {
  Expected e;
  for (int32_t x = 63; x <= 125; ++x) e.Column(x, 63 - Rows(s[x - 63]), 63 + Rows(s[x - 63]), colour);
  for (int32_t x = 0; x <= 62; ++x) e.Column(x, 63 - Rows(s[63 - x]), 63 + Rows(s[63 - x]), colour);
  return e;
}

class VisualiserTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    Visualiser() = VisualiserState{};
    g_spectrum.fill(0.0f);
    g_now = 100000;
    SetGameTimerSource([] { return g_now; });
  }
  void TearDown() override {
    SetVisualiserSpectrumSource(nullptr);
    SetGameTimerSource(nullptr);
    MediaTest::TearDown();
  }
};

TEST_F(VisualiserTest, TheBoxIsAThousandASideFacingInwardUnlitWithoutFogDepthWritesOrCollision) {
  MakeVisualiserBox();
  MakeVisualiserBox();  // made again by the menu and at each level start
  ObjectRecord* box = GetObjectPointer(kVisualiserBox);
  ASSERT_NE(box, nullptr);
  EXPECT_FLOAT_EQ(std::abs(GetObjectSizeX(kVisualiserBox)), 1000.0f);
  EXPECT_FLOAT_EQ(std::abs(GetObjectSizeY(kVisualiserBox)), 1000.0f);
  EXPECT_EQ(box->bounds.collisionOn, 0);
  for (MeshRecord* mesh : box->meshList) {
    EXPECT_EQ(mesh->lighting, 0);
    EXPECT_EQ(mesh->fog, 0);
    EXPECT_EQ(mesh->zWrite, 0);
  }
}

TEST_F(VisualiserTest, TheMirroredSpectrumOfASineShowsItsBandOutFromTheCentre) {
  MakeVisualiserBox();  // switches the spectrum on
  ASSERT_EQ(PlayMusicFile(kSineTrack), 0);
  ASSERT_EQ(StartMusicStream(), 0);
  MixPeak(8192);
  Visualiser().colour[0] = 200, Visualiser().colour[1] = 100, Visualiser().colour[2] = 50;
  DrawVisualiser();  // mode 1, the mirrored spectrum
  const std::vector<uint32_t> pixels = ImagePixels(kVisualiserImage);
  // Nothing is mixed in between, so the spectrum reads the same again.
  const float* s = GetMusicSpectrum();
  ASSERT_GT(s[20], 0.5f) << "the sine's band";
  EXPECT_EQ(pixels, Mirrored(s, Rgb(200, 100, 50)).pixels);
  // Band 20 stands at columns 63 + 20 and 63 - 20, taller than the bands far from it.
  auto height = [&](int32_t x) {
    int32_t h = 0;
    for (int32_t y = 0; y < kSize; ++y) h += pixels[size_t(y * kSize + x)] != 0;
    return h;
  };
  EXPECT_GT(height(83), 60);
  EXPECT_EQ(height(83), height(43));
  EXPECT_LT(height(120), 10);
}

TEST_F(VisualiserTest, AFullBandReachesRowZeroUpAndRow126DownAndSilenceOnlyTheMiddleRow) {
  SetVisualiserSpectrumSource(TestSpectrum);
  // Silence: a zero band is a line of one pixel, so bars and the mirror leave the middle row; the
  // pattern and an unknown mode leave the image empty.
  Visualiser().colour[2] = 255;
  Expected middleRow;
  for (int32_t x = 0; x <= 125; ++x) middleRow.Column(x, 63, 63, Rgb(0, 0, 255));
  Expected whiteRow;
  for (int32_t x = 0; x <= 127; ++x) whiteRow.Column(x, 63, 63, Rgb(255, 255, 255));
  const std::vector<uint32_t> empty(size_t(kSize * kSize), 0);
  const std::pair<int32_t, const std::vector<uint32_t>*> silent[] = {
      {kVisualiserBars, &whiteRow.pixels}, {kVisualiserMirrored, &middleRow.pixels},
      {kVisualiserPattern, &empty}, {3, &empty}};
  for (const auto& [mode, expected] : silent) {
    Visualiser().mode = mode;
    DrawVisualiser();
    EXPECT_EQ(ImagePixels(kVisualiserImage), *expected) << mode;
  }
  g_spectrum[0] = 1.0f;
  Visualiser().mode = kVisualiserMirrored;
  DrawVisualiser();
  const std::vector<uint32_t> pixels = ImagePixels(kVisualiserImage);
  EXPECT_EQ(pixels, Mirrored(g_spectrum.data(), Rgb(0, 0, 255)).pixels);
  EXPECT_NE(pixels[size_t(0 * kSize + 63)], 0u);
  EXPECT_NE(pixels[size_t(126 * kSize + 63)], 0u);
  for (int32_t x = 0; x < kSize; ++x) EXPECT_EQ(pixels[size_t(127 * kSize + x)], 0u);
  for (int32_t y = 0; y < kSize; ++y) EXPECT_EQ(pixels[size_t(y * kSize + 126)], 0u) << "columns 126 and 127 stay empty";
}

TEST_F(VisualiserTest, BarsAreWhiteColumnsUpFromTheMiddleRow) {
  SetVisualiserSpectrumSource(TestSpectrum);
  for (int i = 0; i < 128; ++i) g_spectrum[size_t(i)] = float(i) / 127.0f;
  g_spectrum[200] = 1.0f;  // beyond the 128 bands drawn
  DrawSpectrumBars();
  Expected e;
  for (int32_t x = 0; x < 128; ++x) e.Column(x, 63, 63 - Rows(g_spectrum[size_t(x)]), Rgb(255, 255, 255));
  EXPECT_EQ(ImagePixels(kVisualiserImage), e.pixels);
}

TEST_F(VisualiserTest, ThePatternRunsAlongBothDiagonalsBrighteningStepByStep) {
  SetVisualiserSpectrumSource(TestSpectrum);
  Visualiser().colour[0] = 100, Visualiser().colour[1] = 20, Visualiser().colour[2] = 250;
  // Band 10 draws 0.15 x 64 = 9.6, so ten steps; band 0 is 0 and draws nothing.
  g_spectrum[10] = 0.15f;
  DrawSpectrumPattern();
  auto step = [&](int32_t k) {
    auto channel = [&](int c) { return std::clamp(Visualiser().colour[c] - 32 + 7 * k, 0, 255); };
    return Rgb(channel(0), channel(1), channel(2));
  };
  Expected e;
  for (int32_t k = 0; k < 10; ++k) {
    e.Set(10, 10 + k, step(k));        // first family, i = 10
    e.Set(10, 117 - k, step(k));       // second family, i = 10
    e.Set(118, 118 - k, step(k));      // third family, j = 118 reads band 128 - 118
    e.Set(117, 10 + k, step(k));       // fourth family, j = 10
  }
  const std::vector<uint32_t> pixels = ImagePixels(kVisualiserImage);
  EXPECT_EQ(pixels, e.pixels);
  // The run's channels are held to 0..255 at both ends.
  EXPECT_EQ(pixels[size_t(10 * kSize + 10)], Rgb(68, 0, 218));
  EXPECT_EQ(pixels[size_t(19 * kSize + 10)], Rgb(131, 51, 255));
}

TEST_F(VisualiserTest, TheColourFollowsTheBallsChannels) {
  struct Case {
    std::array<int32_t, 3> ball;
    std::array<bool, 3> lit;
  };
  const Case cases[] = {
      {{255, 0, 0}, {true, false, false}},
      {{1, 0, 7}, {true, false, true}},
      {{0, 0, 0}, {true, true, true}},  // a black ball gives white
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) Game().playerColour[i] = c.ball[size_t(i)];
    for (unsigned seed = 1; seed <= 20; ++seed) {
      std::srand(seed);
      PickVisualiserColour();
      for (int i = 0; i < 3; ++i) {
        const int32_t v = Visualiser().colour[i];
        if (c.ball == std::array<int32_t, 3>{0, 0, 0}) EXPECT_EQ(v, 255);
        else if (c.lit[size_t(i)]) EXPECT_TRUE(v >= 64 && v <= 255) << v;
        else EXPECT_EQ(v, 0);
      }
    }
  }
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = RandomRange(-2, 2);
    EXPECT_TRUE(r >= -2 && r <= 2) << r;
  }
}

TEST_F(VisualiserTest, TheBeatComesAfterMoreThan375MsAndThePulseFallsBy2ToHundred) {
  MakeVisualiserBox();
  CreateBoxObject(kBallObject, 4, 4, 4);
  PositionObject(kBallObject, 10, 20, 30);
  Game().playerColour[1] = 255;
  Game().beatTime = g_now;
  g_now += 375;
  RunVisualiserBeat();
  EXPECT_EQ(Game().pulseScale, 100) << "375 ms is not yet a beat";
  EXPECT_EQ(Visualiser().colour[1], 0);

  g_now += 1;
  RunVisualiserBeat();
  EXPECT_EQ(Game().pulseScale, 130);
  EXPECT_EQ(Game().beatTime, g_now);
  EXPECT_GE(Visualiser().colour[1], 64);
  EXPECT_TRUE(HasImage(kVisualiserImage));
  EXPECT_FLOAT_EQ(GetObjectX(kVisualiserBox), 10);
  EXPECT_FLOAT_EQ(GetObjectY(kVisualiserBox), 20);
  EXPECT_FLOAT_EQ(GetObjectZ(kVisualiserBox), 30);
  for (MeshRecord* mesh : GetObjectPointer(kVisualiserBox)->meshList) EXPECT_EQ(mesh->stages.at(0).image, kVisualiserImage);

  for (int32_t expected = 128; expected >= 100; expected -= 2) {
    g_now += 16;
    RunVisualiserBeat();
    EXPECT_EQ(Game().pulseScale, expected);
  }
  g_now += 16;
  RunVisualiserBeat();
  EXPECT_EQ(Game().pulseScale, 100);

  // Planning keeps the beat only: no new colour, no spin, no drawing.
  DeleteImage(kVisualiserImage);
  Visualiser().colour[1] = 1;
  const float angleX = GetObjectXAngle(kVisualiserBox), angleY = GetObjectYAngle(kVisualiserBox);
  g_now += 400;
  KeepVisualiserBeat();
  EXPECT_EQ(Game().pulseScale, 130);
  EXPECT_EQ(Game().beatTime, g_now);
  EXPECT_EQ(Visualiser().colour[1], 1);
  EXPECT_FALSE(HasImage(kVisualiserImage));
  EXPECT_EQ(GetObjectXAngle(kVisualiserBox), angleX);
  EXPECT_EQ(GetObjectYAngle(kVisualiserBox), angleY);
  g_now += 16;
  KeepVisualiserBeat();
  EXPECT_EQ(Game().pulseScale, 128);
  DeleteObject(kBallObject);
}

TEST_F(VisualiserTest, TheMenuPlacesTheBoxWhereItSays) {
  MakeVisualiserBox();
  SetVisualiserSpectrumSource(TestSpectrum);
  DrawMirroredSpectrum();
  PositionVisualiserBox(-5, 6, 350);
  EXPECT_FLOAT_EQ(GetObjectX(kVisualiserBox), -5);
  EXPECT_FLOAT_EQ(GetObjectZ(kVisualiserBox), 350);
  for (MeshRecord* mesh : GetObjectPointer(kVisualiserBox)->meshList) EXPECT_EQ(mesh->stages.at(0).image, kVisualiserImage);
}

}  // namespace
}  // namespace media_test
