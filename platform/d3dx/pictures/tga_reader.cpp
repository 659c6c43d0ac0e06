// TGA: colour-mapped, true-colour and grey pictures, plain or run-length encoded, in any of the four
// origins. The format has no signature: a header that holds together is the test.
#include "platform/d3dx/pictures/picture_readers.h"
#include "platform/d3dx/pictures/pixel_formats.h"

namespace platform::d3dx {
namespace {

enum : uint8_t { kMapped = 1, kTrueColour = 2, kGrey = 3, kRunLength = 8 };

struct TgaHeader {
  uint32_t kind = 0;  // kMapped, kTrueColour or kGrey
  bool runLength = false;
  uint32_t mapFirst = 0, mapLength = 0, mapEntryBits = 0;
  uint32_t width = 0, height = 0, bits = 0, alphaBits = 0;
  bool topOrigin = false, rightToLeft = false;
  uint64_t mapOffset = 0, pixelOffset = 0;
};

Result ParseHeader(Bytes f, TgaHeader& h) {
  if (!f.Has(0, 18)) return kInvalidData;
  const uint32_t idLength = f.U8(0), mapType = f.U8(1), type = f.U8(2);
  h.kind = type & 7;
  h.runLength = (type & kRunLength) != 0;
  if ((type & ~uint32_t(kRunLength | 7)) || h.kind < kMapped || h.kind > kGrey || mapType > 1) return kInvalidData;
  h.mapFirst = f.U16(3);
  h.mapLength = f.U16(5);
  h.mapEntryBits = f.U8(7);
  h.width = f.U16(12);
  h.height = f.U16(14);
  h.bits = f.U8(16);
  const uint32_t descriptor = f.U8(17);
  h.alphaBits = descriptor & 0xF;
  h.rightToLeft = (descriptor & 0x10) != 0;
  h.topOrigin = (descriptor & 0x20) != 0;
  if (gfx::Failed(CheckPictureSize(h.width, h.height))) return kInvalidData;

  switch (h.kind) {
    case kMapped:
      if (mapType != 1 || h.mapLength == 0 || (h.bits != 8 && h.bits != 16)) return kInvalidData;
      break;
    case kTrueColour:
      if (h.bits != 15 && h.bits != 16 && h.bits != 24 && h.bits != 32) return kInvalidData;
      break;
    default:
      if (h.bits != 8 && h.bits != 16) return kInvalidData;
  }
  uint64_t mapBytes = 0;
  if (mapType == 1) {
    if (h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 && h.mapEntryBits != 32)
      return kInvalidData;
    mapBytes = uint64_t(h.mapLength) * ((h.mapEntryBits + 7) / 8);
  }
  h.mapOffset = 18 + uint64_t(idLength);
  h.pixelOffset = h.mapOffset + mapBytes;
  if (!f.Has(h.mapOffset, mapBytes)) return kInvalidData;
  const uint64_t pixelBytes = (h.bits + 7) / 8;
  if (!f.Has(h.pixelOffset, h.runLength ? 1 + pixelBytes : uint64_t(h.width) * h.height * pixelBytes))
    return kInvalidData;
  return gfx::kOk;
}

gfx::Format FileFormat(const TgaHeader& h) {
  if (h.kind == kMapped) return gfx::FMT_P8;
  if (h.kind == kGrey) return h.bits == 16 ? gfx::FMT_A8L8 : gfx::FMT_L8;
  if (h.bits == 24) return gfx::FMT_R8G8B8;
  if (h.bits == 32) return h.alphaBits ? gfx::FMT_A8R8G8B8 : gfx::FMT_X8R8G8B8;
  return h.alphaBits ? gfx::FMT_A1R5G5B5 : gfx::FMT_X1R5G5B5;
}

// One true-colour value of `bits` bits at p; alpha is taken only when the file says it has some.
uint32_t TrueColour(const uint8_t* p, uint32_t bits, bool useAlpha) {
  if (bits == 15 || bits == 16) {
    uint32_t v = p[0] | p[1] << 8;
    uint32_t a = (useAlpha && bits == 16) ? (v >> 15) * 255 : 255;
    return a << 24 | ScaleTo8(v >> 10 & 31, 5) << 16 | ScaleTo8(v >> 5 & 31, 5) << 8 | ScaleTo8(v & 31, 5);
  }
  uint32_t a = (bits == 32 && useAlpha) ? p[3] : 255;
  return a << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

class TgaDecoder {
 public:
  TgaDecoder(Bytes f, const TgaHeader& h, Picture& out) : f_(f), h_(h), out_(out), pixelBytes_((h.bits + 7) / 8) {}

  Result Run() {
    if (h_.kind == kMapped) {
      palette_.resize(h_.mapLength);
      const uint32_t entryBytes = (h_.mapEntryBits + 7) / 8;
      for (uint32_t i = 0; i < h_.mapLength; ++i)
        palette_[i] = TrueColour(f_.data + h_.mapOffset + uint64_t(i) * entryBytes, h_.mapEntryBits, h_.alphaBits > 0);
    }
    out_ = Picture(h_.width, h_.height);
    const uint64_t total = uint64_t(h_.width) * h_.height;
    uint64_t at = h_.pixelOffset, done = 0;
    while (done < total) {
      uint64_t count = 1;
      bool repeat = false;
      if (h_.runLength) {
        if (!f_.Has(at, 1)) return kInvalidData;
        const uint32_t packet = f_.U8(at++);
        count = (packet & 0x7F) + 1;
        repeat = (packet & 0x80) != 0;
        if (count > total - done) return kInvalidData;  // a run past the last pixel
      }
      if (!f_.Has(at, (repeat ? 1 : count) * pixelBytes_)) return kInvalidData;
      for (uint64_t i = 0; i < count; ++i) {
        uint32_t pixel;
        if (!Convert(f_.data + at + (repeat ? 0 : i * pixelBytes_), pixel)) return kInvalidData;
        Place(done + i, pixel);
      }
      at += (repeat ? 1 : count) * pixelBytes_;
      done += count;
    }
    return gfx::kOk;
  }

 private:
  bool Convert(const uint8_t* p, uint32_t& pixel) const {
    if (h_.kind == kMapped) {
      const uint32_t index = h_.bits == 16 ? uint32_t(p[0] | p[1] << 8) : p[0];
      if (index < h_.mapFirst || index - h_.mapFirst >= h_.mapLength) return false;  // outside the map
      pixel = palette_[index - h_.mapFirst];
    } else if (h_.kind == kGrey) {
      const uint32_t a = h_.bits == 16 ? p[1] : 255;
      pixel = a << 24 | uint32_t(p[0]) * 0x010101u;
    } else {
      pixel = TrueColour(p, h_.bits, h_.alphaBits > 0);
    }
    return true;
  }

  void Place(uint64_t index, uint32_t pixel) {
    const uint32_t row = uint32_t(index / h_.width), column = uint32_t(index % h_.width);
    const uint32_t y = h_.topOrigin ? row : h_.height - 1 - row;
    const uint32_t x = h_.rightToLeft ? h_.width - 1 - column : column;
    out_.At(x, y) = pixel;
  }

  Bytes f_;
  const TgaHeader& h_;
  Picture& out_;
  const uint32_t pixelBytes_;
  std::vector<uint32_t> palette_;
};

}  // namespace

Result ReadTga(Bytes file, bool decode, PictureFile& out) {
  TgaHeader h;
  if (Result r = ParseHeader(file, h); gfx::Failed(r)) return r;
  out.info = {.width = h.width, .height = h.height, .format = FileFormat(h), .imageFileFormat = IFF_TGA};
  if (!decode) return gfx::kOk;
  out.images.resize(1);
  return TgaDecoder(file, h, out.images[0]).Run();
}

}  // namespace platform::d3dx
