// The MD2 converter: an MD2 model (magic "IDP2", version 8) becomes one frame whose mesh is the
// file's first animation frame, carrying one attached frame per animation frame with that frame's
// complete mesh. ConvertMD2Model and FreeMD2Model (model_converters.h) are its entries in the
// loader's dispatch.
#pragma once
#include <cstddef>
#include <cstdint>

// The same conversion from an MD2 file image in memory; the image stays the converter's until
// FreeMD2Model.
bool ConvertMD2ModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize);
