// The MD3 converter: a player model is a folder of three MD3 files (magic "IDP3", version 15),
// "lower.md3", "upper.md3" and "head.md3"; the name handed over is the folder followed by an
// extension. Every surface of the parts becomes a frame with one mesh, each frame the child of the
// one before (lower part first), and each mesh carries one attached frame per animation frame. Tags
// give the frames' matrices. ConvertMD3Model and FreeMD3Model (model_converters.h) are its entries in
// the loader's dispatch.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The three parts' file images (an empty one stands for a part that is missing), lower, upper, head.
struct MD3PartImages {
  const void* data[3] = {nullptr, nullptr, nullptr};
  size_t size[3] = {0, 0, 0};
};

// The same conversion from part images in memory; texture names are the folder followed by "/" and
// the shader's file name. The image stays the converter's until FreeMD3Model.
bool ConvertMD3ModelFromParts(const MD3PartImages& parts, const std::string& folder, const uint8_t** image,
                              uint32_t* imageSize);
