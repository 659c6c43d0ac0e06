#include "platform/d3dx/pictures/picture_files.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/d3dx/pictures/picture_readers.h"
#include "platform/d3dx/pictures/pixel_formats.h"
#include "platform/fs/path.h"

namespace platform::d3dx {
namespace {

using Reader = Result (*)(Bytes, bool, PictureFile&);

bool StartsWith(Bytes b, const char* magic, size_t n) { return b.Has(0, n) && std::memcmp(b.data, magic, n) == 0; }

Reader PickReader(Bytes b) {
  if (StartsWith(b, "BM", 2)) return ReadBmp;
  if (StartsWith(b, "\x89PNG\r\n\x1a\n", 8)) return ReadPng;
  if (StartsWith(b, "\xFF\xD8\xFF", 3)) return ReadJpeg;
  if (StartsWith(b, "DDS ", 4)) return ReadDds;
  return ReadTga;
}

Result Read(const void* data, size_t size, bool decode, PictureFile& out) {
  out = PictureFile{};
  if (!data || size == 0) return kInvalidData;
  Bytes bytes{static_cast<const uint8_t*>(data), size};
  Result r = PickReader(bytes)(bytes, decode, out);
  if (gfx::Failed(r)) out = PictureFile{};
  return r;
}

}  // namespace

MaskChannel::MaskChannel(uint32_t m) : mask(m) {
  if (m) {
    shift = uint32_t(std::countr_zero(m));
    bits = uint32_t(std::bit_width(m >> shift));
  }
}

uint32_t MaskChannel::Get(uint32_t pixel, uint32_t absent) const {
  if (!mask) return absent;
  uint32_t v = (pixel & mask) >> shift;
  return bits > 8 ? v >> (bits - 8) : ScaleTo8(v, bits);
}

Result CheckPictureSize(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      width * height > kMaxPicturePixels)
    return kInvalidData;
  return gfx::kOk;
}

Result ReadPictureInfo(const void* data, size_t size, ImageInfo& info) {
  PictureFile file;
  Result r = Read(data, size, false, file);
  if (gfx::Succeeded(r)) info = file.info;
  return r;
}

Result DecodePicture(const void* data, size_t size, PictureFile& out) { return Read(data, size, true, out); }

Result ReadPictureBytes(std::string_view fileName, std::vector<uint8_t>& bytes) {
  fs::ReadFailure why = fs::ReadFailure::kNone;
  if (fs::ReadWholeFile(fileName, bytes, kMaxPictureFileBytes, &why)) return gfx::kOk;
  if (why != fs::ReadFailure::kTooLarge) return kFileNotFound;
  // A missing picture is common and reported by its caller; one too large to be a picture is not.
  std::fprintf(stderr, "qel: picture \"%.*s\" not loaded: the file is larger than a picture may be (%llu MB)\n",
               int(fileName.size()), fileName.data(), static_cast<unsigned long long>(kMaxPictureFileBytes >> 20));
  return kFileTooLarge;
}

}  // namespace platform::d3dx
