#include "platform/d3dx/pictures/picture_writers.h"

#include <cstdio>
#include <string>

#include <png.h>

#include "platform/fs/path.h"

namespace platform::d3dx {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Bottom-up rows; with alpha a 108-byte header whose bit fields name the alpha byte.
void EncodeBmp(const Picture& p, bool alpha, std::vector<uint8_t>& out) {
  const uint32_t headerBytes = alpha ? 108 : 40, bytesPerPixel = alpha ? 4 : 3;
  const uint32_t stride = (p.width * bytesPerPixel + 3) & ~3u, offset = 14 + headerBytes;
  out.clear();
  out.reserve(offset + size_t(stride) * p.height);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + stride * p.height);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, headerBytes);
  Put32(out, p.width);
  Put32(out, p.height);
  Put16(out, 1);
  Put16(out, bytesPerPixel * 8);
  Put32(out, alpha ? 3 : 0);  // bit fields or plain
  Put32(out, stride * p.height);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  if (alpha) {
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
    Put32(out, 0x73524742);  // "sRGB" colour space
    out.resize(out.size() + 48, 0);  // end points and gamma, unused with sRGB
  }
  for (uint32_t y = p.height; y-- > 0;) {
    const uint32_t* row = p.Row(y);
    for (uint32_t x = 0; x < p.width; ++x) {
      out.push_back(uint8_t(row[x]));
      out.push_back(uint8_t(row[x] >> 8));
      out.push_back(uint8_t(row[x] >> 16));
      if (alpha) out.push_back(uint8_t(row[x] >> 24));
    }
    out.resize(out.size() + (stride - p.width * bytesPerPixel), 0);
  }
}

Result EncodePng(const Picture& p, bool alpha, std::vector<uint8_t>& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = p.width;
  image.height = p.height;
  image.format = PNG_FORMAT_BGRA;
  // Without alpha the fourth byte is dropped by writing BGR from a copy.
  std::vector<uint8_t> bgr;
  const void* pixels = p.pixels.data();
  if (!alpha) {
    image.format = PNG_FORMAT_BGR;
    bgr.reserve(p.pixels.size() * 3);
    for (uint32_t v : p.pixels) {
      bgr.push_back(uint8_t(v));
      bgr.push_back(uint8_t(v >> 8));
      bgr.push_back(uint8_t(v >> 16));
    }
    pixels = bgr.data();
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr)) return gfx::kFail;
  out.resize(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr)) return gfx::kFail;
  out.resize(size);
  return gfx::kOk;
}

}  // namespace

Result EncodePicture(ImageFileFormat fileFormat, const Picture& picture, bool keepAlpha, std::vector<uint8_t>& out) {
  if (picture.width == 0 || picture.height == 0) return gfx::kInvalidCall;
  switch (fileFormat) {
    case IFF_BMP:
    case IFF_DIB:
      EncodeBmp(picture, keepAlpha, out);
      return gfx::kOk;
    case IFF_PNG:
      return EncodePng(picture, keepAlpha, out);
    default:
      return gfx::kInvalidCall;
  }
}

Result WritePictureBytes(std::string_view fileName, const std::vector<uint8_t>& bytes) {
  const std::string path = fs::ResolvePath(fileName), partial = path + ".part";
  FILE* f = fs::OpenFile(partial, "wb");
  if (!f) return gfx::kFail;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (ok && std::rename(partial.c_str(), path.c_str()) == 0) return gfx::kOk;
  std::remove(partial.c_str());
  return gfx::kFail;
}

}  // namespace platform::d3dx
