// PNG through libpng, row by row. A header may claim a picture of the largest size from a few bytes:
// the pixels are stored as the rows arrive and the first missing byte ends the read, so a truncated
// picture costs what it holds, not what it claims. An interlaced picture, whose passes each cover the
// whole picture, is read through once with a single row of memory before it is given its pixels.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/d3dx/pictures/picture_readers.h"

namespace platform::d3dx {
namespace {

struct Source {
  Bytes file;
  size_t at = 0;
};

void ReadSource(png_structp png, png_bytep out, size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (!source->file.Has(source->at, length)) png_error(png, "the file ends early");
  std::memcpy(out, source->file.data + source->at, length);
  source->at += length;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}  // nothing is printed

gfx::Format FileFormat(int colourType) {
  if (colourType == PNG_COLOR_TYPE_PALETTE) return gfx::FMT_P8;
  const bool alpha = colourType & PNG_COLOR_MASK_ALPHA;
  if (colourType & PNG_COLOR_MASK_COLOR) return alpha ? gfx::FMT_A8R8G8B8 : gfx::FMT_R8G8B8;
  return alpha ? gfx::FMT_A8L8 : gfx::FMT_L8;
}

// What one read of the file is for.
enum class Pass {
  kInfo,       // the header only
  kCheckRows,  // every row read into one row of memory, to find a file that ends early
  kDecode,     // every row into the picture
};

// Everything libpng may jump out of. Only plain data lives in this frame; the picture's pixels belong
// to the caller. False on any error.
bool ReadPass(png_structp png, png_infop info, Source* source, Pass pass, ImageInfo* out, bool* interlaced,
              Picture* picture, std::vector<uint8_t>* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, ReadSource);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
  if (gfx::Failed(CheckPictureSize(width, height))) return false;
  *out = {.width = width, .height = height, .format = FileFormat(colourType), .imageFileFormat = IFF_PNG};
  *interlaced = interlace != PNG_INTERLACE_NONE;
  if (pass == Pass::kInfo) return true;

  // 8-bit BGRA, which is ARGB words on a little-endian machine.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) return false;

  if (pass == Pass::kCheckRows) {
    row->resize(size_t(width) * 4);
    for (int p = 0; p < passes; ++p)
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row->data(), nullptr);
  } else if (passes > 1) {
    *picture = Picture(width, height);  // checked whole already
    for (int p = 0; p < passes; ++p)
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, reinterpret_cast<png_bytep>(picture->Row(y)), nullptr);
  } else {
    picture->width = width;
    picture->height = height;
    picture->pixels.clear();
    for (png_uint_32 y = 0; y < height; ++y) {
      picture->pixels.resize(size_t(y + 1) * width);  // grows with what arrives
      png_read_row(png, reinterpret_cast<png_bytep>(picture->Row(y)), nullptr);
    }
  }
  png_read_end(png, nullptr);
  return true;
}

bool Read(Bytes file, Pass pass, ImageInfo* info, bool* interlaced, Picture* picture) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop pngInfo = png_create_info_struct(png);
  Source source{file};
  std::vector<uint8_t> row;
  const bool ok = pngInfo && ReadPass(png, pngInfo, &source, pass, info, interlaced, picture, &row);
  png_destroy_read_struct(&png, pngInfo ? &pngInfo : nullptr, nullptr);
  return ok;
}

}  // namespace

Result ReadPng(Bytes file, bool decode, PictureFile& out) {
  if (!file.Has(0, 8) || png_sig_cmp(file.data, 0, 8) != 0) return kInvalidData;
  ImageInfo info;
  bool interlaced = false;
  if (!Read(file, Pass::kInfo, &info, &interlaced, nullptr)) return kInvalidData;
  out.info = info;
  if (!decode) return gfx::kOk;
  if (interlaced && !Read(file, Pass::kCheckRows, &info, &interlaced, nullptr)) return kInvalidData;
  out.images.assign(1, Picture());
  if (!Read(file, Pass::kDecode, &info, &interlaced, &out.images[0])) {
    out.images.clear();
    return kInvalidData;
  }
  return gfx::kOk;
}

}  // namespace platform::d3dx
