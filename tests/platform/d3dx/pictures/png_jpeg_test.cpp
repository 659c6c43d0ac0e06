#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "fixture_bytes.h"

// The largest single allocation through operator new since the last reset: what a decoded picture's
// pixels cost.
namespace {
std::atomic<size_t> g_largestAllocation{0};
}  // namespace

void* operator new(size_t size) {
  size_t seen = g_largestAllocation.load();
  while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
// Not inlined: the compiler would then see free() meet a pointer from operator new and warn, not
// knowing that this operator new is malloc.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, size_t) noexcept { std::free(p); }

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

void PngChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  const uint32_t size = uint32_t(data.size());
  png.insert(png.end(), {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  const uint32_t crc = uint32_t(crc32(0, png.data() + start, uInt(png.size() - start)));
  png.insert(png.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
}

// Bytes of the filtered rows of a whole RGBA picture (each row a filter byte, then its pixels), pass by
// pass when interlaced.
size_t WholeRowBytes(uint32_t width, uint32_t height, bool interlaced) {
  if (!interlaced) return size_t(height) * (1 + size_t(width) * 4);
  const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  size_t bytes = 0;
  for (const auto& p : passes) {
    const size_t w = (width + p[2] - 1 - p[0]) / p[2], h = (height + p[3] - 1 - p[1]) / p[3];
    if (width > p[0] && height > p[1]) bytes += h * (1 + w * 4);
  }
  return bytes;
}

// An RGBA PNG whose header claims width x height but whose data holds `rowBytes` bytes of zero rows.
std::vector<uint8_t> ClaimingPng(uint32_t width, uint32_t height, bool interlaced, size_t rowBytes) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  for (uint32_t v : {width, height}) header.insert(header.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  header.insert(header.end(), {8, 6, 0, 0, uint8_t(interlaced ? 1 : 0)});
  PngChunk(png, "IHDR", header);
  std::vector<uint8_t> rows(rowBytes, 0);
  uLongf packedSize = compressBound(uLong(rows.size()));
  std::vector<uint8_t> packed(packedSize);
  EXPECT_EQ(compress(packed.data(), &packedSize, rows.data(), uLong(rows.size())), Z_OK);
  packed.resize(packedSize);
  PngChunk(png, "IDAT", packed);
  PngChunk(png, "IEND", {});
  return png;
}

// A header may claim the largest picture from a few bytes: the reader stops at the first missing row,
// so a truncated picture costs what it holds and not what it claims.
TEST(PngReader, ATruncatedPictureCostsWhatItHolds) {
  const struct {
    const char* name;
    std::vector<uint8_t> png;
  } cases[] = {
      {"no rows", ClaimingPng(16384, 4096, false, 0)},
      {"three rows", ClaimingPng(16384, 4096, false, 3 * (1 + 16384 * 4))},
      {"interlaced, three rows", ClaimingPng(16384, 4096, true, 3 * (1 + 16384 * 4))},
      {"tall and narrow", ClaimingPng(4096, 16384, false, 40 * (1 + 4096 * 4))},
  };
  EXPECT_LE(cases[0].png.size(), 68u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    d3dx::ImageInfo info;
    ASSERT_EQ(d3dx::ReadPictureInfo(c.png.data(), c.png.size(), info), gfx::kOk);
    EXPECT_EQ(uint64_t(info.width) * info.height, uint64_t(1) << 26);
    d3dx::PictureFile file;
    g_largestAllocation = 0;
    EXPECT_EQ(Decode(c.png, file), d3dx::kInvalidData);
    EXPECT_LT(g_largestAllocation.load(), size_t(4) << 20);
  }
  // The same kind of file, complete, decodes: a small one made the same way.
  d3dx::PictureFile file;
  for (bool interlaced : {false, true}) {
    ASSERT_EQ(Decode(ClaimingPng(13, 9, interlaced, WholeRowBytes(13, 9, interlaced)), file), gfx::kOk);
    EXPECT_EQ(file.Image().pixels, std::vector<uint32_t>(13 * 9, 0));
  }
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
