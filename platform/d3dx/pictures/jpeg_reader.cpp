// JPEG through libjpeg. Its errors jump back to one frame that owns nothing but plain data, so no
// destructor is skipped; the pixels go to a picture owned by the caller.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/d3dx/pictures/picture_readers.h"

namespace platform::d3dx {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OnOutput(j_common_ptr) {}  // nothing is printed

// libjpeg pads a cut-short or garbled stream with grey and only warns; such a picture is damaged.
void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
      OnError(info);
    default:
      break;
  }
}

uint32_t ToArgb(const JSAMPLE* p, int components, J_COLOR_SPACE space) {
  if (components == 1) return 0xFF000000u | uint32_t(p[0]) * 0x010101u;
  if (components == 4) {  // CMYK, stored inverted by the usual writers
    const uint32_t k = p[3];
    return 0xFF000000u | (p[0] * k / 255) << 16 | (p[1] * k / 255) << 8 | (p[2] * k / 255);
  }
  return 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

// Everything that libjpeg may jump out of; returns false on any error.
bool Decode(jpeg_decompress_struct* cinfo, ErrorManager* err, Bytes file, bool decode, ImageInfo* info,
            Picture* out) {
  if (setjmp(err->jump)) return false;
  jpeg_mem_src(cinfo, file.data, static_cast<unsigned long>(file.size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (gfx::Failed(CheckPictureSize(cinfo->image_width, cinfo->image_height))) return false;
  info->width = cinfo->image_width;
  info->height = cinfo->image_height;
  info->format = cinfo->num_components == 1 ? gfx::FMT_L8 : gfx::FMT_X8R8G8B8;
  info->imageFileFormat = IFF_JPG;
  if (!decode) return true;

  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE: cinfo->out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: cinfo->out_color_space = JCS_CMYK; break;
    default: cinfo->out_color_space = JCS_RGB;
  }
  jpeg_start_decompress(cinfo);
  const int components = cinfo->output_components;
  if (cinfo->output_width != info->width || cinfo->output_height != info->height ||
      (components != 1 && components != 3 && components != 4))
    return false;
  // The pixels grow with the scanlines that arrive: a cut-short file costs what it holds.
  out->width = info->width;
  out->height = info->height;
  out->pixels.clear();
  JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                               info->width * components, 1);
  while (cinfo->output_scanline < cinfo->output_height) {
    const uint32_t y = cinfo->output_scanline;
    if (jpeg_read_scanlines(cinfo, row, 1) != 1) return false;
    out->pixels.resize(size_t(y + 1) * info->width);
    uint32_t* dst = out->Row(y);
    for (uint32_t x = 0; x < info->width; ++x) dst[x] = ToArgb(row[0] + x * components, components, cinfo->out_color_space);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

Result ReadJpeg(Bytes file, bool decode, PictureFile& out) {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.output_message = OnOutput;
  err.base.emit_message = OnMessage;
  jpeg_create_decompress(&cinfo);
  if (decode) out.images.resize(1);
  const bool ok = Decode(&cinfo, &err, file, decode, &out.info, decode ? &out.images[0] : nullptr);
  jpeg_destroy_decompress(&cinfo);
  return ok ? gfx::kOk : kInvalidData;
}

}  // namespace platform::d3dx
