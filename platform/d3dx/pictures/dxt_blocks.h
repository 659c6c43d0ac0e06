// 4 x 4 block compression (DXT1 to DXT5), decoded and encoded in software. Texels are ARGB, row by
// row. DXT2 and DXT4 store colours multiplied by alpha; they are decoded to plain colours.
#pragma once
#include <cstdint>

#include "platform/gfx/types.h"

namespace platform::d3dx {

// 8 for DXT1, 16 for DXT2 to DXT5.
uint32_t DxtBlockBytes(gfx::Format format);
void DecodeDxtBlock(gfx::Format format, const uint8_t* block, uint32_t texels[16]);
void EncodeDxtBlock(gfx::Format format, const uint32_t texels[16], uint8_t* block);

}  // namespace platform::d3dx
