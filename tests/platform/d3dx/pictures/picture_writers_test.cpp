#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/picture_writers.h"

namespace {

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

d3dx::Picture Sample() {
  d3dx::Picture p(3, 2);
  p.pixels = {0x80FF0000, 0xFF00FF00, 0x000000FF, 0x40123456, 0xFFFFFFFF, 0x01020304};
  return p;
}

d3dx::Picture Opaque(d3dx::Picture p) {
  for (uint32_t& v : p.pixels) v |= 0xFF000000;
  return p;
}

TEST(PictureWriters, BmpAndPngReadBackAsWritten) {
  struct Case {
    d3dx::ImageFileFormat fileFormat;
    bool alpha;
    gfx::Format reported;
  };
  const Case cases[] = {
      {d3dx::IFF_BMP, false, gfx::FMT_R8G8B8},
      {d3dx::IFF_BMP, true, gfx::FMT_A8R8G8B8},
      {d3dx::IFF_PNG, false, gfx::FMT_R8G8B8},
      {d3dx::IFF_PNG, true, gfx::FMT_A8R8G8B8},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(d3dx::EncodePicture(c.fileFormat, Sample(), c.alpha, bytes), gfx::kOk);
    d3dx::PictureFile file;
    ASSERT_EQ(d3dx::DecodePicture(bytes.data(), bytes.size(), file), gfx::kOk);
    EXPECT_EQ(file.info.imageFileFormat, c.fileFormat);
    EXPECT_EQ(file.info.format, c.reported);
    EXPECT_EQ(file.Image().pixels, (c.alpha ? Sample() : Opaque(Sample())).pixels);
  }
}

TEST(PictureWriters, BmpRowsArePaddedAndSized) {
  std::vector<uint8_t> bytes;
  ASSERT_EQ(d3dx::EncodePicture(d3dx::IFF_BMP, Sample(), false, bytes), gfx::kOk);
  ASSERT_EQ(bytes.size(), 54u + 2 * 12);  // 3 pixels of 3 bytes padded to 12
  EXPECT_EQ(bytes[2] | bytes[3] << 8, 78);
  EXPECT_EQ(bytes[10], 54);
  EXPECT_EQ(d3dx::EncodePicture(d3dx::IFF_JPG, Sample(), false, bytes), gfx::kInvalidCall);
  EXPECT_EQ(d3dx::EncodePicture(d3dx::IFF_BMP, d3dx::Picture(), false, bytes), gfx::kInvalidCall);
}

TEST(PictureWriters, SavingReplacesTheFileOnlyWhenTheWriteSucceeds) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qel_picture_writers_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string name = (dir / "saved.bmp").string();

  ASSERT_EQ(d3dx::WritePictureBytes(name, {1, 2, 3}), gfx::kOk);
  ASSERT_EQ(d3dx::WritePictureBytes(name, {4, 5}), gfx::kOk);
  std::vector<uint8_t> back;
  ASSERT_EQ(d3dx::ReadPictureBytes(name, back), gfx::kOk);
  EXPECT_EQ(back, (std::vector<uint8_t>{4, 5}));
  EXPECT_FALSE(std::filesystem::exists(name + ".part"));

  // A folder in the way of the new file: the write fails and the old file stays.
  std::filesystem::create_directories(name + ".part");
  EXPECT_NE(d3dx::WritePictureBytes(name, {6}), gfx::kOk);
  ASSERT_EQ(d3dx::ReadPictureBytes(name, back), gfx::kOk);
  EXPECT_EQ(back, (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(d3dx::WritePictureBytes((dir / "missing" / "x.bmp").string(), {1}), gfx::kFail);
  std::filesystem::remove_all(dir);
}

}  // namespace
