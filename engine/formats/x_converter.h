// The X converter: an X file (text or binary, plain or compressed) becomes a record tree with its
// frames, meshes, materials, bones and the file's last animation set, written as a KVO image.
// ConvertXModel and FreeXModel (model_converters.h) are its entries in the loader's dispatch.
#pragma once
#include <cstddef>
#include <cstdint>

// The same conversion from an X file image in memory; the image stays the converter's until
// FreeXModel.
bool ConvertXModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize);
