#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

#include "fixture_bytes.h"

namespace {

using namespace pictures_test;
namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

// A PNG made by libpng from bytes in one of its formats (PNG_FORMAT_*).
std::vector<uint8_t> MakePng(uint32_t w, uint32_t h, uint32_t format, const std::vector<uint8_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = format;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::vector<uint8_t> out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

// A JPEG made by libjpeg at the best quality from RGB (3 components) or grey (1) bytes.
std::vector<uint8_t> MakeJpeg(uint32_t w, uint32_t h, int components, const std::vector<uint8_t>& pixels) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < h) {
    JSAMPROW row = const_cast<JSAMPROW>(&pixels[size_t(cinfo.next_scanline) * w * components]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  return worst;
}

TEST(PngReader, ColourGreyAndAlphaPictures) {
  const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::vector<uint8_t> png = MakePng(3, 2, PNG_FORMAT_RGBA, rgba);
  d3dx::PictureFile file;
  ASSERT_EQ(Decode(png, file), gfx::kOk);
  EXPECT_EQ(file.info.format, gfx::FMT_A8R8G8B8);
  EXPECT_EQ(file.info.imageFileFormat, d3dx::IFF_PNG);
  EXPECT_EQ(file.Image().pixels,
            (std::vector<uint32_t>{0xFFFF0000, 0x8000FF00, 0x000000FF, 0x04010203, 0x08050607, 0x0C090A0B}));
  ExpectTruncationsRefused(png, 33);

  std::vector<uint8_t> grey = MakePng(2, 1, PNG_FORMAT_GRAY, {0x10, 0xF0});
  ASSERT_EQ(Decode(grey, file), gfx::kOk);
  EXPECT_EQ(file.info.format, gfx::FMT_L8);
  EXPECT_EQ(file.Image().pixels, (std::vector<uint32_t>{0xFF101010, 0xFFF0F0F0}));
}

TEST(PngReader, DamagedChunksAreRefused) {
  std::vector<uint8_t> png = MakePng(2, 2, PNG_FORMAT_RGB, std::vector<uint8_t>(12, 0x55));
  std::vector<uint8_t> badCrc = png;
  badCrc[29] ^= 0xFF;  // the header chunk's checksum
  std::vector<uint8_t> badData = png;
  badData[png.size() - 20] ^= 0xFF;  // inside the compressed pixels
  d3dx::PictureFile out;
  EXPECT_EQ(Decode(badCrc, out), d3dx::kInvalidData);
  EXPECT_EQ(Decode(badData, out), d3dx::kInvalidData);
}

TEST(JpegReader, ColourAndGreyPicturesDecodeCloseToTheirSource) {
  // 16 x 16: left half red, right half blue (whole 8 x 8 blocks, so the colours stay clean).
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) rgb.insert(rgb.end(), {uint8_t(x < 8 ? 220 : 20), 30, uint8_t(x < 8 ? 40 : 200)});
  std::vector<uint8_t> jpeg = MakeJpeg(16, 16, 3, rgb);
  d3dx::PictureFile file;
  ASSERT_EQ(Decode(jpeg, file), gfx::kOk);
  EXPECT_EQ(file.info.format, gfx::FMT_X8R8G8B8);
  EXPECT_EQ(file.info.imageFileFormat, d3dx::IFF_JPG);
  EXPECT_LE(ChannelDistance(file.Image().At(2, 3), 0xFFDC1E28), 6);
  EXPECT_LE(ChannelDistance(file.Image().At(13, 12), 0xFF141EC8), 6);
  ExpectTruncationsRefused(jpeg, 20);

  std::vector<uint8_t> grey = MakeJpeg(8, 8, 1, std::vector<uint8_t>(64, 0x80));
  ASSERT_EQ(Decode(grey, file), gfx::kOk);
  EXPECT_EQ(file.info.format, gfx::FMT_L8);
  EXPECT_LE(ChannelDistance(file.Image().At(4, 4), 0xFF808080), 2);
}

TEST(JpegReader, GarbledScanDataIsRefused) {
  std::vector<uint8_t> rgb(16 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 37);
  std::vector<uint8_t> jpeg = MakeJpeg(16, 16, 3, rgb);
  // A marker in the middle of the entropy-coded data ends the scan early.
  jpeg[jpeg.size() - 40] = 0xFF;
  jpeg[jpeg.size() - 39] = 0xD9;
  d3dx::PictureFile out;
  EXPECT_EQ(Decode(jpeg, out), d3dx::kInvalidData);
}

TEST(PictureFiles, UnknownAndEmptyInputIsRefused) {
  d3dx::ImageInfo info;
  EXPECT_EQ(d3dx::ReadPictureInfo(nullptr, 0, info), d3dx::kInvalidData);
  const char text[] = "GIF89a is a format this layer does not read";
  EXPECT_EQ(d3dx::ReadPictureInfo(text, sizeof text, info), d3dx::kInvalidData);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(d3dx::ReadPictureBytes("no/such/folder/picture.bmp", bytes), d3dx::kFileNotFound);
}

}  // namespace
