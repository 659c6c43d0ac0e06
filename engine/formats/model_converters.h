// The converters that turn a model file into a KVO image, chosen by the file's extension. Each keeps
// its working state in statics (one conversion at a time) and follows one contract:
//   convert(file name, out image, out size): reads the file, builds a record tree, writes it as a KVO
//     image and hands out a pointer to that image, which stays the converter's. False on failure.
//   free(image): releases the image (null allowed), the tree and the working state; called once after
//     every conversion attempt, successful or not.
// Converters report failure only by their result; the loader raises the engine errors.
#pragma once
#include <cstdint>

using ModelConvertFunction = bool (*)(const char* fileName, const uint8_t** image, uint32_t* size);
using ModelFreeFunction = void (*)(const uint8_t* image);

// X files, text or binary, plain or compressed.
bool ConvertXModel(const char* fileName, const uint8_t** image, uint32_t* size);
void FreeXModel(const uint8_t* image);

// MD2 models, MD3 player models (the name is a folder's, with an extension), 3DS scenes (through an
// intermediate X text file) and MDL studio models.
bool ConvertMD2Model(const char* fileName, const uint8_t** image, uint32_t* size);
void FreeMD2Model(const uint8_t* image);
bool ConvertMD3Model(const char* folderName, const uint8_t** image, uint32_t* size);  // names a folder
void FreeMD3Model(const uint8_t* image);
bool Convert3DSModel(const char* fileName, const uint8_t** image, uint32_t* size);
void Free3DSModel(const uint8_t* image);
bool ConvertMDLModel(const char* fileName, const uint8_t** image, uint32_t* size);
void FreeMDLModel(const uint8_t* image);
