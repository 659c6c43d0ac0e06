// The engine brought up offscreen for the image and sprite tests: one 640 x 480 device per suite, the
// image and sprite modules constructed as start-up constructs them, picture files written to a scratch
// folder, and the back buffer read back.
#pragma once
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include <jpeglib.h>
#include <unistd.h>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "engine/media2d/image.h"
#include "engine/media2d/image_state.h"
#include "engine/media2d/sprite.h"
#include "engine/media2d/sprite_state.h"
#include "engine/system/result_list.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace media_test {

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;
namespace pw = platform::window;

constexpr uint32_t kMagenta = 0xFFFF00FFu;

class MediaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    core_ = engine_test::StartEngineDisplay(&word_);
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    // One folder per process: the image and sprite suites may run at the same time.
    folder_ = std::filesystem::temp_directory_path() / ("qel_media2d_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  static void TearDownTestSuite() {
    engine_test::StopEngineDisplay(core_);
    std::filesystem::remove_all(folder_);
  }

  // The modules as start-up makes them, on a black back buffer.
  void SetUp() override {
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    ImageModule::Constructor();
    ImageModule::LinkSpriteModule();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    SetImageColorKey(0, 0, 0);
    SpriteModule::Constructor();
    SpriteModule::PassCoreData(core_);
    SpriteModule::SetErrorHandler(&word_);
    Sprites().anySpriteCreated = false;
    Sprites().backgroundMode = 0;
    ClearScreen(0, 0, 0);
    word_ = 0;
  }
  void TearDown() override {
    SpriteModule::Destructor();
    ImageModule::Destructor();
    SetImageReleaseHandler(nullptr);
  }

  static gfx::Device* Device() { return GetDirect3DDevice(); }

  static std::string Path(const std::string& name) { return (folder_ / name).string(); }

  // A picture file made by the project's own writers (BMP without alpha, PNG with it).
  static std::string WritePicture(const std::string& name, d3dx::ImageFileFormat format, const d3dx::Picture& p) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(d3dx::EncodePicture(format, p, format == d3dx::IFF_PNG, bytes), gfx::kOk);
    EXPECT_EQ(d3dx::WritePictureBytes(Path(name), bytes), gfx::kOk);
    return Path(name);
  }

  // A JPEG of one colour at the best quality (its pixels come back within a step or two).
  static std::string WriteJpeg(const std::string& name, uint32_t w, uint32_t h, uint32_t rgb) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    for (uint32_t x = 0; x < w; ++x) {
      row[x * 3] = uint8_t(rgb >> 16);
      row[x * 3 + 1] = uint8_t(rgb >> 8);
      row[x * 3 + 2] = uint8_t(rgb);
    }
    while (cinfo.next_scanline < h) {
      JSAMPROW line = row.data();
      jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    EXPECT_EQ(d3dx::WritePictureBytes(Path(name), bytes), gfx::kOk);
    return Path(name);
  }

  // The back buffer as ARGB (alpha forced opaque).
  static d3dx::Picture BackBuffer() {
    uint32_t width = 0, height = 0;
    const std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(core_->backBufferSurface, &width, &height);
    d3dx::Picture p;
    if (pixels.empty()) return p;
    p = d3dx::Picture(width, height);
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < width; ++x) p.At(x, y) = pixels[size_t(y) * width + x] | 0xFF000000u;
    return p;
  }

  // Level 0 of an image's texture as ARGB.
  static d3dx::Picture TexturePixels(gfx::Texture* texture) {
    d3dx::Picture p;
    gfx::SurfaceDesc desc{};
    gfx::LockedRect locked{};
    if (!texture || gfx::Failed(texture->GetLevelDesc(0, &desc)) ||
        gfx::Failed(texture->LockRect(0, &locked, nullptr, gfx::LOCK_READONLY)))
      return p;
    p = d3dx::Picture(desc.width, desc.height);
    for (uint32_t y = 0; y < desc.height; ++y)
      std::memcpy(p.Row(y), static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch, size_t(desc.width) * 4);
    texture->UnlockRect(0);
    return p;
  }

  static gfx::SurfaceDesc Level0Desc(int32_t image) {
    gfx::SurfaceDesc desc{};
    if (gfx::Texture* texture = GetImageTexture(image)) texture->GetLevelDesc(0, &desc);
    return desc;
  }

  // Fills a rectangle of the back buffer with one colour.
  static void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    const gfx::Rect rect{left, top, right, bottom};
    Device()->Clear(1, &rect, gfx::CLEAR_TARGET, colour, 1.0f, 0);
  }

  // One frame's sprite pass drawn in a scene.
  static void DrawPass() {
    Device()->BeginScene();
    DrawSpritePass();
    Device()->EndScene();
  }

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
  static inline std::filesystem::path folder_;
};

// Channels within `tolerance` of each other (JPEG and filtering round-offs).
inline bool Near(uint32_t a, uint32_t b, int tolerance = 3) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int da = int((a >> shift) & 255) - int((b >> shift) & 255);
    if (da > tolerance || da < -tolerance) return false;
  }
  return true;
}

}  // namespace media_test
