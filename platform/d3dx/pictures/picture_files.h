// Picture files in memory and on disk: information and decoding to ARGB. The kind of file is told by
// its content, not its name: BMP, JPEG, PNG and DDS by their signatures, TGA (which has none) by a
// plausible header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/d3dx/pictures/picture.h"

namespace platform::d3dx {

Result ReadPictureInfo(const void* data, size_t size, ImageInfo& info);
// Decodes every level of every face. kInvalidData for a damaged, truncated or unknown file.
Result DecodePicture(const void* data, size_t size, PictureFile& out);

// The whole file through the file layer; kFileNotFound when it cannot be read, kFileTooLarge (said on
// stderr) when it is larger than kMaxPictureFileBytes: such a file is not read at all.
Result ReadPictureBytes(std::string_view fileName, std::vector<uint8_t>& bytes);

}  // namespace platform::d3dx
