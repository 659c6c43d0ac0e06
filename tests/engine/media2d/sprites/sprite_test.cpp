// Sprites on the offscreen device: placement and coverage, commands and their errors, overlap, the
// draw queue, pastes, the background hooks, and a frame of the game's kind of 2D content.
#include <vector>

#include "tests/engine/media2d/images/media_fixture.h"

namespace media_test {
namespace {

using SpriteTest = MediaTest;

// An image of one colour made from memory.
void SolidImage(int32_t image, int32_t w, int32_t h, uint32_t argb) {
  std::vector<uint32_t> pixels(size_t(w) * size_t(h), argb);
  MakeImageFromData(image, w, h, 32, reinterpret_cast<const uint8_t*>(pixels.data()), uint32_t(pixels.size() * 4));
  ASSERT_NE(GetImageTexture(image), nullptr);
}

uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFF; }

TEST_F(SpriteTest, A64By32SpriteAt10And20CoversExactlyItsPixels) {
  SolidImage(1, 64, 32, 0xFFFFFFFF);
  SetSprite(1, 10, 20, 1);
  const SpriteVertex* v = FindSprite(1)->vertices;
  EXPECT_EQ(v[0].x, 9.5f);
  EXPECT_EQ(v[0].y, 19.5f);
  EXPECT_EQ(v[3].x, 73.5f);
  EXPECT_EQ(v[3].y, 51.5f);
  DrawPass();
  const d3dx::Picture screen = BackBuffer();
  for (uint32_t y = 0; y < 80; ++y) {
    for (uint32_t x = 0; x < 100; ++x) {
      const bool inside = x >= 10 && x <= 73 && y >= 20 && y <= 51;
      ASSERT_EQ(Rgb(screen.At(x, y)), inside ? 0xFFFFFFu : 0u) << x << "," << y;
    }
  }
}

TEST_F(SpriteTest, SpriteErrorsChangeNothing) {
  SolidImage(1, 8, 8, 0xFFFFFFFF);
  SetSprite(1, 5, 5, 1);
  const SpriteRecord before = *FindSprite(1);
  struct Case {
    const char* what;
    void (*call)();
    uint32_t code;
  } cases[] = {
      {"set with sprite 0", [] { SetSprite(0, 0, 0, 1); }, 301},
      {"set beyond the range", [] { SetSprite(22000001, 0, 0, 1); }, 301},
      {"set with image 0", [] { SetSprite(1, 9, 9, 0); }, 501},
      {"new sprite of a missing image", [] { SetSprite(2, 0, 0, 50); }, 501},
      {"draw a missing sprite", [] { DrawSpriteAt(2, 0, 0); }, 302},
      {"size a missing sprite", [] { SetSpriteSize(2, 1, 1); }, 302},
      {"negative width", [] { SetSpriteSize(1, -1, 5); }, 312},
      {"negative height", [] { SetSpriteSize(1, 5, -1); }, 312},
      {"hide out of range", [] { HideSprite(-1); }, 301},
      {"show a missing sprite", [] { ShowSprite(2); }, 302},
      {"delete a missing sprite", [] { DeleteSprite(2); }, 302},
      {"alpha above 255", [] { SetSpriteAlpha(1, 256); }, 314},
      {"alpha below 0", [] { SetSpriteAlpha(1, -1); }, 314},
      {"blue above 255", [] { SetSpriteColor(1, 0, 0, 256); }, 315},
      {"red below 0", [] { SetSpriteColor(1, -1, 0, 0); }, 315},
      {"overlap with a negative other", [] { CheckSpriteOverlap(1, -1); }, 301},
      {"overlap out of range", [] { CheckSpriteOverlap(22000001, 0); }, 301},
      {"overlap of a missing sprite", [] { CheckSpriteOverlap(2, 1); }, 302},
  };
  for (const Case& c : cases) {
    word_ = 0;
    c.call();
    EXPECT_EQ(word_, c.code) << c.what;
  }
  EXPECT_FALSE(FindSprite(2));
  const SpriteRecord& after = *FindSprite(1);
  EXPECT_EQ(std::memcmp(after.vertices, before.vertices, sizeof before.vertices), 0);
  EXPECT_EQ(after.alpha, 255);
  EXPECT_EQ(after.setWidth, 0);
}

TEST_F(SpriteTest, OverlapCountsTouchingEdgesAndSearchesInListOrder) {
  SolidImage(1, 10, 10, 0xFFFFFFFF);
  SetSprite(1, 0, 0, 1);
  const struct { int32_t x, y, expected; } cases[] = {
      {5, 5, 1}, {10, 0, 1}, {0, 10, 1}, {10, 10, 1}, {-10, -10, 1},  // inside, edges and corners touching
      {11, 0, 0}, {0, 11, 0}, {-11, 0, 0}, {11, 11, 0},
  };
  for (const auto& c : cases) {
    SetSprite(2, c.x, c.y, 1);
    EXPECT_EQ(CheckSpriteOverlap(1, 2), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(CheckSpriteOverlap(2, 1), c.expected) << c.x << "," << c.y;
  }
  EXPECT_EQ(CheckSpriteOverlap(1, 3), 0);  // no such other
  SetSprite(5, 100, 100, 1);
  SetSprite(4, 3, 3, 1);
  SetSprite(3, 4, 4, 1);
  EXPECT_EQ(CheckSpriteOverlap(1, 0), 4);  // sprite 2 is away, 4 came before 3
  EXPECT_EQ(CheckSpriteOverlap(5, 0), 0);  // never itself
}

TEST_F(SpriteTest, MoreSpritesThanTheQueueHoldsAreAllDrawn) {
  SolidImage(1, 2, 2, 0xFFFFFFFF);
  for (int32_t n = 0; n < 150; ++n) SetSprite(n + 1, (n % 15) * 4, (n / 15) * 4, 1);
  EXPECT_EQ(Sprites().list.queue.size(), size_t(kInitialQueueCapacity));
  DrawPass();
  EXPECT_EQ(Sprites().list.queue.size(), 200u);
  EXPECT_EQ(Sprites().list.count, 0);
  const d3dx::Picture screen = BackBuffer();
  for (int32_t n = 0; n < 150; ++n) {
    const uint32_t x = uint32_t((n % 15) * 4), y = uint32_t((n / 15) * 4);
    EXPECT_EQ(Rgb(screen.At(x + 1, y + 1)), 0xFFFFFFu) << n;
    EXPECT_EQ(Rgb(screen.At(x + 2, y + 2)), 0u) << n;
  }
}

TEST_F(SpriteTest, SizeTintVisibilityAndDrawingAtOnce) {
  SolidImage(1, 16, 8, 0xFFFFFFFF);
  SetSprite(1, 10, 10, 1);
  SetSpriteSize(1, 200, 100);
  const SpriteVertex* v = FindSprite(1)->vertices;
  EXPECT_EQ(v[3].x - v[0].x, 200.0f);
  EXPECT_EQ(v[3].y - v[0].y, 100.0f);
  SetSpriteSize(1, 0, 50);
  EXPECT_EQ(v[3].x - v[0].x, 0.0f);
  EXPECT_EQ(v[3].y - v[0].y, 25.0f);  // trunc(50 x 0.5)
  SetSpriteSize(1, 20, 20);

  SetSpriteColor(1, 255, 0, 0);
  SetSpriteAlpha(1, 255);
  DrawPass();
  EXPECT_EQ(Rgb(BackBuffer().At(15, 15)), 0xFF0000u);

  // Hidden: queued, not drawn; drawn at once elsewhere all the same, and left where it was.
  ClearScreen(0, 0, 0);
  HideSprite(1);
  DrawPass();
  EXPECT_EQ(Rgb(BackBuffer().At(15, 15)), 0u);
  DrawSpriteAt(1, 300, 300);
  EXPECT_EQ(Rgb(BackBuffer().At(305, 305)), 0xFF0000u);
  EXPECT_EQ(FindSprite(1)->vertices[0].x, 9.5f);
  EXPECT_EQ(FindSprite(1)->visible, 0);
}

int g_widthQueries = 0;

TEST_F(SpriteTest, TheSameImageEachFrameIsNotReadAgain) {
  SolidImage(1, 4, 4, 0xFFFFFFFF);
  SolidImage(2, 6, 6, 0xFFFFFFFF);
  Sprites().images.width = [](int32_t image) {
    ++g_widthQueries;
    return GetImageWidth(image);
  };
  SetSprite(1, 0, 0, 1);
  g_widthQueries = 0;
  for (int frame = 0; frame < 3; ++frame) SetSprite(1, frame, 0, 1);
  EXPECT_EQ(g_widthQueries, 0);
  SetSprite(1, 0, 0, 2);
  EXPECT_EQ(g_widthQueries, 1);
  EXPECT_EQ(FindSprite(1)->width, 6);
  // A missing image on an existing sprite: accepted, no texture.
  SetSprite(1, 0, 0, 3);
  EXPECT_EQ(word_, 0u);
  EXPECT_EQ(FindSprite(1)->texture, nullptr);
  EXPECT_EQ(FindSprite(1)->width, -1);
}

TEST_F(SpriteTest, DeletingTheImageOfASpriteLeavesAQuadWithoutTexture) {
  SolidImage(1, 16, 16, 0xFF808080);
  SetSprite(1, 0, 0, 1);
  SetSpriteColor(1, 0, 255, 0);
  DrawPass();
  EXPECT_TRUE(Near(BackBuffer().At(5, 5), 0xFF008000u, 1));  // grey texture times green tint
  DeleteImage(1);
  EXPECT_EQ(FindSprite(1)->texture, nullptr);
  ClearScreen(0, 0, 0);
  DrawPass();
  EXPECT_EQ(Rgb(BackBuffer().At(5, 5)), 0x00FF00u);  // the tint alone: no texture left to read
  SolidImage(1, 16, 16, 0xFF0000FF);
  SetSpriteColor(1, 255, 255, 255);
  DrawPass();
  EXPECT_EQ(Rgb(BackBuffer().At(5, 5)), 0x0000FFu);  // the new image under the same number
}

TEST_F(SpriteTest, PastesAndTheBlendState) {
  // One opaque red texel, one fully transparent green one.
  const uint32_t texels[2] = {0xFFFF0000u, 0x0000FF00u};
  MakeImageFromData(1, 2, 1, 32, reinterpret_cast<const uint8_t*>(texels), sizeof texels);
  EXPECT_EQ(DrawImageAt(1, 10, 10), 0);
  d3dx::Picture screen = BackBuffer();
  EXPECT_EQ(Rgb(screen.At(10, 10)), 0xFF0000u);
  EXPECT_EQ(Rgb(screen.At(11, 10)), 0x00FF00u);  // drawn without blending
  EXPECT_EQ(DrawImageAtEx(1, 20, 10, 1), 0);
  EXPECT_EQ(Rgb(BackBuffer().At(21, 10)), 0u);  // blended away

  // After an unblended paste the next sprite blends again.
  SetSprite(2, 30, 10, 1);
  DrawImageAt(1, 40, 10);
  DrawPass();
  screen = BackBuffer();
  EXPECT_EQ(Rgb(screen.At(31, 10)), 0u);
  EXPECT_EQ(Rgb(screen.At(41, 10)), 0x00FF00u);

  // A texture rectangle upside down: its bottom row on top.
  const uint32_t column[2] = {0xFFFF0000u, 0xFF0000FFu};
  MakeImageFromData(3, 1, 2, 32, reinterpret_cast<const uint8_t*>(column), sizeof column);
  PasteTextureRect(GetImageTexture(3), 1.0f, -1.0f, 100, 100, 110, 110);
  screen = BackBuffer();
  EXPECT_EQ(Rgb(screen.At(105, 101)), 0x0000FFu);
  EXPECT_EQ(Rgb(screen.At(105, 108)), 0xFF0000u);
  PasteTextureRect(GetImageTexture(3), 1.0f, 1.0f, 100, 100, 110, 110);
  EXPECT_EQ(Rgb(BackBuffer().At(105, 101)), 0xFF0000u);
}

TEST_F(SpriteTest, BackgroundHooks) {
  uint32_t z = 0;
  Device()->SetRenderState(gfx::RS_ZENABLE, 0);
  DrawSpritePass();  // no sprite: the depth test still comes back on
  Device()->GetRenderState(gfx::RS_ZENABLE, &z);
  EXPECT_EQ(z, 1u);

  SaveBackBufferCopy();
  ASSERT_NE(Sprites().backgroundCopy, nullptr);
  gfx::SurfaceDesc desc{};
  Sprites().backgroundCopy->GetDesc(&desc);
  EXPECT_EQ(desc.width, 640u);
  EXPECT_EQ(desc.pool, uint32_t(gfx::POOL_SYSTEMMEM));

  RestoreBackBufferCopy();
  EXPECT_EQ(Rgb(BackBuffer().At(0, 0)), 0u);  // no sprite: left alone
  SolidImage(1, 4, 4, 0xFFFFFFFF);
  SetSprite(1, 0, 0, 1);
  EXPECT_EQ(Sprites().backgroundMode, 2);
  RestoreBackBufferCopy();
  EXPECT_EQ(BackBuffer().At(600, 400), 0xFF000080u);

  DeleteSprite(1);
  EXPECT_EQ(Sprites().backgroundMode, 0);
  SetSprite(1, 0, 0, 1);
  EXPECT_EQ(Sprites().backgroundMode, 0);  // only the first sprite of the run sets it
  ClearScreen(0, 0, 0);
  RestoreBackBufferCopy();
  EXPECT_EQ(Rgb(BackBuffer().At(600, 400)), 0u);

  SpriteModule::RefreshD3D(0);
  EXPECT_EQ(Sprites().list.records.Count(), 0);
  EXPECT_EQ(Sprites().backgroundCopy, nullptr);
  SpriteModule::RefreshD3D(1);
  SetSprite(1, 0, 0, 1);
  EXPECT_NE(FindSprite(1), nullptr);
}

// The game's first frames: a JPEG full-window, a magenta-keyed interface picture over it, and a
// sprite at alpha 120 blended over both, drawn through the frame's CoreTable hooks.
TEST_F(SpriteTest, SplashKeyedPictureAndTranslucentSpriteInOneFrame) {
  const CoreTable& t = GetCoreTable();
  ASSERT_EQ(t.DrawSpritePass, &DrawSpritePass);
  SetImageColorKey(255, 0, 255);

  const std::string jpg = WriteJpeg("splash.jpg", 64, 48, 0x3060A0);
  ASSERT_EQ(LoadImageWithMode(jpg.c_str(), 1, 1), 1);
  SetSprite(1, 0, 0, 1);
  SetSpriteSize(1, GetDisplayWidth(), GetDisplayHeight());

  d3dx::Picture keyed(32, 32, kMagenta);
  for (uint32_t y = 8; y < 24; ++y)
    for (uint32_t x = 8; x < 24; ++x) keyed.At(x, y) = 0xFFFFFF00;
  const std::string bmp = WritePicture("button.bmp", d3dx::IFF_BMP, keyed);
  ASSERT_EQ(LoadImageWithMode(bmp.c_str(), 2, 1), 1);
  SetSprite(2, 100, 100, 2);

  SolidImage(3, 50, 50, 0xFFFFFFFF);
  SetSprite(3, 300, 200, 3);
  SetSpriteAlpha(3, 120);

  Device()->BeginScene();
  t.SaveBackBufferCopy();
  t.DrawSpritePass();
  Device()->EndScene();
  EXPECT_EQ(word_, 0u);

  const d3dx::Picture screen = BackBuffer();
  const uint32_t splash = 0xFF3060A0;
  for (auto [x, y] : {std::pair{0u, 0u}, {639u, 479u}, {320u, 100u}, {639u, 0u}, {0u, 479u}})
    EXPECT_TRUE(Near(screen.At(x, y), splash)) << x << "," << y << " " << std::hex << screen.At(x, y);
  EXPECT_EQ(screen.At(115, 115), 0xFFFFFF00u);                // the picture
  EXPECT_TRUE(Near(screen.At(102, 102), splash));            // its magenta is transparent
  EXPECT_TRUE(Near(screen.At(130, 130), splash));
  // 120/255 of white over 135/255 of the splash colour.
  auto mix = [](uint32_t c) { return (120 * 255 + 135 * c + 127) / 255; };
  const uint32_t blended = 0xFF000000u | mix(0x30) << 16 | mix(0x60) << 8 | mix(0xA0);
  EXPECT_TRUE(Near(screen.At(325, 225), blended, 4)) << std::hex << screen.At(325, 225) << " " << blended;
  EXPECT_TRUE(Near(screen.At(351, 251), splash));
}

}  // namespace
}  // namespace media_test
