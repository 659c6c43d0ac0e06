// Fonts and sprite batches on a real device (offscreen GL) with a 320 x 160 back buffer, and the ink
// of what they drew.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/font.h"
#include "platform/d3dx/font_test_hooks.h"
#include "platform/d3dx/sprite.h"
#include "tests/platform/gfx/gfx_fixture.h"

namespace fonttest {

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// The smallest box (right and bottom exclusive) around every pixel that differs from the background.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int count = 0;
};

inline Ink FindInk(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t background) {
  Ink ink;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if ((pixels[i] & 0xFFFFFF) == (background & 0xFFFFFF)) continue;
    const int x = int(i % width), y = int(i / width);
    ink.left = std::min(ink.left, x);
    ink.top = std::min(ink.top, y);
    ink.right = std::max(ink.right, x + 1);
    ink.bottom = std::max(ink.bottom, y + 1);
    ++ink.count;
  }
  return ink;
}

class FontTest : public gfxtest::DeviceTest {
 protected:
  static constexpr uint32_t kTargetWidth = 320, kTargetHeight = 160;

  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    gfx::PresentParams params = gfxtest::WindowedParams(kTargetWidth, kTargetHeight);
    ASSERT_EQ(dev->Reset(&params), gfx::kOk);
  }
  void TearDown() override {
    // Fonts and batches hold the device: they go first.
    fonts_.clear();
    sprite_.reset();
    DeviceTest::TearDown();
  }

  d3dx::Font* MakeFont(const std::string& face, int32_t height, bool italic = false, uint32_t weight = 400) {
    d3dx::FontDesc desc;
    desc.height = height;
    desc.weight = weight;
    desc.italic = italic;
    desc.faceName = face;
    std::unique_ptr<d3dx::Font> font;
    EXPECT_EQ(d3dx::CreateFont(dev, desc, &font), gfx::kOk);
    fonts_.push_back(std::move(font));
    return fonts_.back().get();
  }
  d3dx::Sprite* MakeSprite() {
    EXPECT_EQ(d3dx::CreateSprite(dev, &sprite_), gfx::kOk);
    return sprite_.get();
  }

  void ClearTo(uint32_t color) { dev->Clear(0, nullptr, gfx::CLEAR_TARGET, color, 1.0f, 0); }
  std::vector<uint32_t> Read() { return ReadTarget(); }
  Ink InkOf(uint32_t background) { return FindInk(Read(), kTargetWidth, background); }

  // Draws the text alone, left and top at (x, y), white on black, and finds its ink.
  Ink DrawAlone(d3dx::Font* font, const char* text, int32_t x = 20, int32_t y = 20) {
    ClearTo(0xFF000000);
    gfx::Rect rect{x, y, 0, 0};
    font->DrawText(nullptr, text, -1, &rect, d3dx::DT_NOCLIP, kOpaqueWhite);
    return InkOf(0);
  }

  // Clears to black and draws the text in one sorted, blended batch at (10, 10).
  std::vector<uint32_t> DrawInBatch(d3dx::Font* font, d3dx::Sprite* sprite, const char* text, uint32_t color) {
    ClearTo(0xFF000000);
    EXPECT_EQ(sprite->Begin(d3dx::SPRITE_ALPHABLEND | d3dx::SPRITE_SORT_TEXTURE), gfx::kOk);
    gfx::Rect rect{10, 10, 0, 0};
    font->DrawText(sprite, text, -1, &rect, d3dx::DT_NOCLIP, color);
    EXPECT_EQ(sprite->End(), gfx::kOk);
    return Read();
  }

  std::vector<std::unique_ptr<d3dx::Font>> fonts_;
  std::unique_ptr<d3dx::Sprite> sprite_;
};

}  // namespace fonttest
