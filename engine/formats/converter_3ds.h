// The 3DS converter: a 3DS scene file is read twice, chunk by chunk, and written as an equivalent X
// text file ("kvotemp.x" in the model temporary folder), which the X converter loads; the temporary
// file is removed and the loaded tree is written as a KVO image. Convert3DSModel and Free3DSModel
// (model_converters.h) are its entries in the loader's dispatch.
//
// What survives: object names and the frame hierarchy of the keyframer's parent links, each object's
// local coordinate system, positions, faces, one material per mesh, per-corner face normals, texture
// coordinates, materials (diffuse, specular, shininess, texture file) and one animation set of the
// keyframer's position, rotation and scale tracks. Lights, cameras and viewports only print debug
// lines.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The same conversion from a 3DS file image in memory; the image stays the converter's until
// Free3DSModel.
bool Convert3DSModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize);

// The X text the converter writes for a 3DS file image; false when the image is not a 3DS file or
// is damaged.
bool Write3DSAsXText(const void* data, size_t size, std::string* text);

// Where the reader's chunk trace (its debug lines) goes; null, the start value, prints none: the
// game shows none, kvodump --trace and tests ask for them.
void Set3DSDebugOutput(FILE* stream);
