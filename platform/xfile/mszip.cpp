#include "platform/xfile/mszip.h"

#include <zlib.h>

#include <cstring>

namespace platform::xfile {
namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// One block: a raw deflate stream that must yield exactly `expected` bytes. The output before it (the
// previous block, up to the 32 KiB a deflate stream can reach back) is its dictionary.
bool InflateBlock(const uint8_t* in, size_t in_size, const uint8_t* dictionary, size_t dictionary_size,
                  uint8_t* out, size_t expected, std::string& error) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
    error = "inflate set-up failed";
    return false;
  }
  bool ok = true;
  if (dictionary_size > 0) ok = inflateSetDictionary(&z, dictionary, uInt(dictionary_size)) == Z_OK;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = uInt(in_size);
  z.next_out = out;
  z.avail_out = uInt(expected);
  int result = ok ? inflate(&z, Z_FINISH) : Z_DATA_ERROR;
  // A block whose stream ends early, runs past its size or is corrupt counts as damage.
  ok = result == Z_STREAM_END && z.total_out == expected;
  if (!ok) error = "damaged compressed block";
  inflateEnd(&z);
  return ok;
}

}  // namespace

bool InflateCompressedBody(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  if (size < 4) {
    error = "compressed file truncated before its size";
    return false;
  }
  uint32_t total = U32(data);
  if (total < 16 || total - 16 > kMaxDecompressedSize) {
    error = "compressed file announces an impossible size";
    return false;
  }
  size_t body = total - 16;
  size_t pos = 4;
  while (out.size() < body) {
    if (size - pos < 6) {
      error = "compressed file truncated in a block header";
      return false;
    }
    uint16_t uncompressed = U16(data + pos);
    uint16_t compressed = U16(data + pos + 2);
    if (compressed < 2 || size - pos - 4 < compressed || std::memcmp(data + pos + 4, "CK", 2) != 0) {
      error = "damaged compressed block header";
      return false;
    }
    if (uncompressed == 0 || out.size() + uncompressed > body) {
      error = "compressed blocks do not add up to the announced size";
      return false;
    }
    size_t start = out.size();
    out.resize(start + uncompressed);
    size_t window = start > 32768 ? 32768 : start;
    if (!InflateBlock(data + pos + 6, compressed - 2u, out.data() + start - window, window, out.data() + start,
                      uncompressed, error))
      return false;
    pos += 4 + compressed;
  }
  return true;
}

}  // namespace platform::xfile
