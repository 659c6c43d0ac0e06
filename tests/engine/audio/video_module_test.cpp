// The video slots' frame work on a filled slot (filled here with stand-in interfaces and real
// textures, since nothing else opens a video): frame copies into the texture, drawing, events, the
// video window, copies into a target image, and freeing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/audio/video.h"
#include "engine/audio/video_state.h"
#include "platform/gfx/device.h"
#include "tests/engine/audio/media_fakes.h"
#include "tests/engine/engine_fixture.h"

namespace {

namespace gfx = platform::gfx;
namespace pa = platform::audio;
using namespace media_fakes;

struct Paste {
  gfx::Texture* texture;
  float u, v;
  int32_t left, top, right, bottom;
  int count;
};
Paste g_paste{};

void RecordPaste(gfx::Texture* texture, float u, float v, int32_t left, int32_t top, int32_t right,
                 int32_t bottom) {
  g_paste = Paste{texture, u, v, left, top, right, bottom, g_paste.count + 1};
}

// A bottom-up BGR frame whose pixel (x, y), counted from the top, is (blue x*10+1, green y*10+2,
// red x+y*16+3).
FrameGrabber* MakeGrabber(int32_t width, int32_t height, int32_t pad = 0) {
  auto* grabber = new FrameGrabber;
  grabber->width = width;
  grabber->height = height;
  grabber->stride = width * 3 + pad;
  grabber->frame.assign(size_t(grabber->stride) * size_t(height), 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = grabber->frame.data() + size_t(height - 1 - y) * size_t(grabber->stride) + size_t(x) * 3;
      p[0] = uint8_t(x * 10 + 1);
      p[1] = uint8_t(y * 10 + 2);
      p[2] = uint8_t(x + y * 16 + 3);
    }
  return grabber;
}

uint32_t FramePixel(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x + y * 16 + 3) << 16 | uint32_t(y * 10 + 2) << 8 | uint32_t(x * 10 + 1);
}

uint16_t Pack555(uint32_t argb) {
  return uint16_t(0x8000 | (argb >> 16 & 0xF8) << 7 | (argb >> 8 & 0xF8) << 2 | (argb & 0xFF) >> 3);
}

class VideoModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { core_ = engine_test::StartEngineDisplay(&word_); }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }
  void SetUp() override {
    VideoModule::Constructor();
    VideoModule::SetErrorHandler(&word_);
    VideoModule::PassCoreData(core_);
    Videos().pasteTextureRect = RecordPaste;
    SetVideoFrameCopyOff(0);
    g_paste = Paste{};
  }
  void TearDown() override { VideoModule::Destructor(); }

  static gfx::Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t format) {
    gfx::Texture* texture = nullptr;
    EXPECT_EQ(GetDirect3DDevice()->CreateTexture(width, height, 1, 0, format, gfx::POOL_MANAGED, &texture, nullptr),
              gfx::kOk);
    return texture;
  }
  template <typename T>
  static std::vector<T> Texels(gfx::Texture* texture) {
    gfx::SurfaceDesc desc{};
    texture->GetLevelDesc(0, &desc);
    gfx::LockedRect locked{};
    std::vector<T> texels;
    if (gfx::Failed(texture->LockRect(0, &locked, nullptr, gfx::LOCK_READONLY))) return texels;
    for (uint32_t y = 0; y < desc.height; ++y) {
      const auto* row = reinterpret_cast<const T*>(static_cast<const uint8_t*>(locked.bits) + locked.pitch * int32_t(y));
      texels.insert(texels.end(), row, row + desc.width);
    }
    texture->UnlockRect(0);
    return texels;
  }

  // Slot 0 playing a frame of width x height into a texture of the given size and format.
  VideoSlot& FillSlot(Control* control, int32_t frameWidth, int32_t frameHeight, uint32_t width, uint32_t height,
                      uint32_t format) {
    VideoSlot& slot = Videos().slots[0];
    slot.control = control;
    slot.texture = MakeTexture(width, height, format);
    slot.grabber = MakeGrabber(frameWidth, frameHeight);
    slot.grabber->texture = slot.texture;
    slot.u = 1.0f;
    slot.v = -1.0f;
    slot.rect = CoreRect{5, 6, 7, 8};
    Videos().side[0].playing = 1;
    return slot;
  }

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
  // Outlive the slot that holds them until TearDown frees it.
  Control control_;
  Event events_;
  Position position_;
  Window window_;
};

TEST_F(VideoModuleTest, FrameIsCopiedTopDownIntoTheTextureAndDrawn) {
  Control& control = control_;
  VideoSlot& slot = FillSlot(&control, 4, 2, 4, 2, gfx::FMT_A8R8G8B8);
  VideoUpdate();
  const std::vector<uint32_t> texels = Texels<uint32_t>(slot.texture);
  ASSERT_EQ(texels.size(), 8u);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(texels[size_t(y * 4 + x)], FramePixel(x, y)) << x << "," << y;
  EXPECT_EQ(g_paste.count, 1);
  EXPECT_EQ(g_paste.texture, slot.texture);
  EXPECT_EQ(g_paste.v, -1.0f);
  EXPECT_EQ(g_paste.right, 7);
  EXPECT_EQ(core_->videoRect.right, 0);
}

TEST_F(VideoModuleTest, LargerFrameIsScaledIntoA16BitTexture) {
  Control& control = control_;
  VideoSlot& slot = FillSlot(&control, 8, 4, 4, 2, gfx::FMT_A1R5G5B5);
  VideoUpdate();
  const std::vector<uint16_t> texels = Texels<uint16_t>(slot.texture);
  ASSERT_EQ(texels.size(), 8u);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(texels[size_t(y * 4 + x)], Pack555(FramePixel(2 * x, 2 * y)));
}

TEST_F(VideoModuleTest, NothingIsCopiedWhenSwitchedOffOrWhenTheGrabberDoesNotAddUp) {
  Control& control = control_;
  VideoSlot& slot = FillSlot(&control, 4, 2, 4, 2, gfx::FMT_A8R8G8B8);
  SetVideoFrameCopyOff(1);
  VideoUpdate();
  EXPECT_EQ(Texels<uint32_t>(slot.texture)[0], 0u);
  SetVideoFrameCopyOff(0);
  slot.grabber->stride = 4 * 3 * 100;  // rows past the end of the frame buffer
  VideoUpdate();
  EXPECT_EQ(Texels<uint32_t>(slot.texture)[0], 0u);
  EXPECT_EQ(g_paste.count, 2);  // the texture is still drawn
}

TEST_F(VideoModuleTest, CompletionRewindsALoopingSlotAndStopsAnotherOne) {
  Control& control = control_;
  Event& events = events_;
  Position& position = position_;
  VideoSlot& slot = FillSlot(&control, 2, 2, 2, 2, gfx::FMT_A8R8G8B8);
  slot.event = &events;
  slot.position = &position;
  slot.eventCheck = 1;
  slot.looping = 1;
  events.pending = {3, pa::kEventComplete, pa::kEventComplete};
  VideoUpdate();  // one event per frame: not the end yet
  EXPECT_EQ(position.calls, 0);
  VideoUpdate();
  EXPECT_EQ(position.calls, 1);
  EXPECT_EQ(position.last, 0.0);
  EXPECT_EQ(Videos().side[0].playing, 1);
  slot.looping = 0;
  VideoUpdate();
  EXPECT_EQ(Videos().side[0].playing, 0);
  EXPECT_EQ(events.freed, 3);
}

TEST_F(VideoModuleTest, VideoWindowIsPlacedOverItsRectangleInsteadOfDrawing) {
  Control& control = control_;
  Window& window = window_;
  VideoSlot& slot = FillSlot(&control, 2, 2, 2, 2, gfx::FMT_A8R8G8B8);
  slot.window = &window;
  slot.rect = CoreRect{10, 20, 110, 220};
  int clientWidth = 0, clientHeight = 0;
  core_->window->GetClientSize(clientWidth, clientHeight);
  VideoUpdate();
  EXPECT_EQ(core_->videoRect.left, 10);
  EXPECT_EQ(core_->videoRect.bottom, 220);
  EXPECT_EQ(window.placed, 1);
  EXPECT_EQ(window.left, int32_t(10.0 * clientWidth / core_->displayWidth));
  EXPECT_EQ(window.height, int32_t(220.0 * clientHeight / core_->displayHeight) -
                               int32_t(20.0 * clientHeight / core_->displayHeight));
  EXPECT_EQ(g_paste.count, 0);
  EXPECT_EQ(Texels<uint32_t>(slot.texture)[0], 0u);  // the window shows the video itself

  VideoModule::Destructor();  // hides the window and gives the screen area back
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(window.owner, nullptr);
  EXPECT_EQ(window.releases, 1);
  EXPECT_EQ(control.stops, 1);
  EXPECT_EQ(control.releases, 1);
  EXPECT_EQ(core_->videoRect.right, 0);
}

TEST_F(VideoModuleTest, FrameIsCopiedIntoATargetImageOfEitherDepth) {
  Control& control = control_;
  VideoSlot& slot = FillSlot(&control, 4, 4, 4, 4, gfx::FMT_A8R8G8B8);
  slot.targetImage = 7;
  for (uint32_t format : {gfx::FMT_A8R8G8B8, gfx::FMT_A1R5G5B5}) {
    slot.imageTexture = MakeTexture(2, 2, format);
    VideoUpdate();
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 2; ++x) {
        const uint32_t pixel = FramePixel(2 * x, 2 * y);
        if (format == gfx::FMT_A8R8G8B8) {
          EXPECT_EQ(Texels<uint32_t>(slot.imageTexture)[size_t(y * 2 + x)], pixel);
        } else {
          auto five = [](uint32_t channel) { return std::min<uint32_t>(31, uint32_t(channel * 0.12048192771084336)); };
          const uint16_t packed = uint16_t(0x8000 | five(pixel >> 16 & 0xFF) << 10 | five(pixel >> 8 & 0xFF) << 5 |
                                           five(pixel & 0xFF));
          EXPECT_EQ(Texels<uint16_t>(slot.imageTexture)[size_t(y * 2 + x)], packed);
        }
      }
    slot.imageTexture->Release();
    slot.imageTexture = nullptr;
  }
  EXPECT_EQ(g_paste.count, 0);
}

}  // namespace
