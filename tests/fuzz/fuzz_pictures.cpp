// Every picture reader on arbitrary bytes, then the decoded pictures through the pixel formats and
// filters the loaders use.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/picture_filter.h"
#include "platform/d3dx/pictures/pixel_formats.h"

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d3dx::ImageInfo info;
  if (gfx::Failed(d3dx::ReadPictureInfo(data, size, info))) return 0;
  // Every size up to the engine's limit is decoded: a header claiming a huge picture from a few bytes
  // must cost what the file holds, and the fuzzer's memory limit catches a reader that does not.
  d3dx::PictureFile file;
  if (gfx::Failed(d3dx::DecodePicture(data, size, file))) return 0;
  const d3dx::Picture& picture = file.Image();
  if (picture.pixels.size() != size_t(picture.width) * picture.height) __builtin_trap();
  // The conversions below cost time in proportion to the picture; keep each run quick.
  if (picture.pixels.size() > (1u << 16)) return 0;
  for (gfx::Format format : {gfx::FMT_DXT1, gfx::FMT_DXT5, gfx::FMT_A4R4G4B4, gfx::FMT_R8G8B8}) {
    std::vector<uint8_t> bits(d3dx::FormatSurfaceBytes(format, picture.width, picture.height));
    const size_t pitch = d3dx::FormatRowBytes(format, picture.width);
    d3dx::WritePixels(format, picture, bits.data(), pitch);
    d3dx::Picture back;
    d3dx::ReadPixels(format, bits.data(), pitch, picture.width, picture.height, back);
  }
  d3dx::Picture mip = d3dx::NextMipLevel(picture, d3dx::kDefault);
  d3dx::Picture scaled(picture.height % 7 + 1, picture.width % 5 + 1);
  d3dx::ResamplePicture(picture, d3dx::FullRect(picture), scaled, d3dx::FullRect(scaled), data[size - 1] % 6);
  return 0;
}
