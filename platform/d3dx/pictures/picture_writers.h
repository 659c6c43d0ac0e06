// Writing pictures to files: BMP (24 bits, or 32 bits with an alpha mask when alpha is kept) and PNG.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/d3dx/pictures/picture.h"

namespace platform::d3dx {

// The file's bytes; kInvalidCall for a file format that cannot be written.
Result EncodePicture(ImageFileFormat fileFormat, const Picture& picture, bool keepAlpha, std::vector<uint8_t>& out);

// Writes through the file layer into a new file that then replaces the old one, so a failed save
// leaves the previous file as it was.
Result WritePictureBytes(std::string_view fileName, const std::vector<uint8_t>& bytes);

}  // namespace platform::d3dx
