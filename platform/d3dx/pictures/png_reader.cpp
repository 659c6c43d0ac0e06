// PNG through libpng's whole-image interface, which checks the file's chunks and sizes itself.
#include <png.h>

#include "platform/d3dx/pictures/picture_readers.h"

namespace platform::d3dx {
namespace {

gfx::Format FileFormat(png_uint_32 format) {
  if (format & PNG_FORMAT_FLAG_COLORMAP) return gfx::FMT_P8;
  const bool alpha = format & PNG_FORMAT_FLAG_ALPHA;
  if (format & PNG_FORMAT_FLAG_COLOR) return alpha ? gfx::FMT_A8R8G8B8 : gfx::FMT_R8G8B8;
  return alpha ? gfx::FMT_A8L8 : gfx::FMT_L8;
}

}  // namespace

Result ReadPng(Bytes file, bool decode, PictureFile& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data, file.size)) return kInvalidData;
  if (gfx::Failed(CheckPictureSize(image.width, image.height))) {
    png_image_free(&image);
    return kInvalidData;
  }
  out.info = {.width = image.width, .height = image.height, .format = FileFormat(image.format), .imageFileFormat = IFF_PNG};
  if (!decode) {
    png_image_free(&image);
    return gfx::kOk;
  }
  // BGRA bytes are ARGB words on a little-endian machine.
  image.format = PNG_FORMAT_BGRA;
  out.images.assign(1, Picture(image.width, image.height));
  if (!png_image_finish_read(&image, nullptr, out.images[0].pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return kInvalidData;
  }
  return gfx::kOk;
}

}  // namespace platform::d3dx
