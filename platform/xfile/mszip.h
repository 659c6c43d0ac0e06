// The compressed X formats ("tzip", "bzip"): after the 16-byte header a u32 total size (header
// included), then blocks of u16 uncompressed size, u16 compressed size (counting the "CK" that
// follows), "CK" and a raw deflate stream that may refer back into the previous block's output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::xfile {

// Upper bound of a decompressed file; a larger announced size is taken as damage.
inline constexpr uint32_t kMaxDecompressedSize = 64u << 20;

// Inflates the blocks in `data` (everything after the 16-byte header) into `out`. False with a reason
// in `error` for a truncated or damaged stream, or when the output does not match the total size.
bool InflateCompressedBody(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error);

}  // namespace platform::xfile
