// The MDL converter: a skeletal studio model (magic "IDST", version 10) becomes a chain of frames, one
// per triangle strip or fan of its first body part's first model, each frame the only child of the one
// before. The first sequence is baked at ten steps per frame into the track's table of bone matrices,
// and the 8-bit paletted skins are saved as BMP files in the model temporary folder, where the object
// module finds them by the names the meshes' texture stages give. ConvertMDLModel and FreeMDLModel
// (model_converters.h) are its entries in the loader's dispatch.
#pragma once
#include <cstddef>
#include <cstdint>

// The same conversion from an MDL file image in memory; the image stays the converter's until
// FreeMDLModel.
bool ConvertMDLModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize);
