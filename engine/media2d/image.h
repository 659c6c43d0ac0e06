// The image module: numbered textures made from picture files, made empty, captured from the screen or
// filled from memory, drawn through the sprite module and used as textures by other modules.
// Commands check numbers 1..22000000 where they say so; images that the lookup by file name makes get
// negative numbers and are reached through the functions without a range test.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace platform::gfx { class Texture; class CubeTexture; }

namespace ImageModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 deletes every image (a device reset), 1 starts the module again with the kept CoreData.
void RefreshD3D(int mode);
// Points the change link and the paste link at the sprite module.
void LinkSpriteModule();
}  // namespace ImageModule

// Called with an image's texture just before the module releases it (deletion, replacement, device
// reset), so holders that keep the texture itself can drop it.
using ImageReleaseHandler = void (*)(platform::gfx::Texture* texture);
void SetImageReleaseHandler(ImageReleaseHandler handler);

// --- creating images from picture files (1 or a number on success, 0 on failure)
// Mode 0: the picture stretched over a whole mip-mapped texture, extents 1.0. Mode 1: the picture
// unscaled in the top-left corner of a one-level texture, extents = picture / texture. Mode 2: a cube
// texture. Files are keyed (colour key, module format) unless their name ends in .dds, .png or .tga.
int32_t LoadImage(const char* fileName, int32_t image);                        // 506 on failure
int32_t LoadImageWithMode(const char* fileName, int32_t image, int32_t mode);  // 506 on failure
int32_t LoadImageUnscaled(const char* fileName, int32_t image);                // mode 1, no 506
// The number of an image already holding this file (any letter case), else the file loaded under the
// first free number of -1, -2, ...; 0 when it does not load. Load mode n > 0 divides both sides by n;
// 16384 makes a 1 x 1 empty texture.
int32_t LoadTextureByName(const char* fileName, int32_t loadMode);

// --- empty images (the new texture, or null)
platform::gfx::Texture* CreateImage(int32_t image, int32_t width, int32_t height);
platform::gfx::Texture* CreateImageWithUsage(int32_t image, int32_t width, int32_t height, uint32_t usage);
// A render target in the given format (render-to-image).
platform::gfx::Texture* CreateImageWithFormat(int32_t image, int32_t width, int32_t height, uint32_t format);

// --- deletion and queries
// 501 outside 1..22000000 (the lookup's own negative numbers excepted), 502 when missing.
void DeleteImage(int32_t image);
bool ImageExists(int32_t image);  // 501 outside the range
bool HasImage(int32_t image);     // no range test
// The image's flat texture (owned by the image), null when it does not exist or holds a cube texture.
platform::gfx::Texture* GetImageTexture(int32_t image);
int32_t GetImageWidth(int32_t image);   // -1 when missing
int32_t GetImageHeight(int32_t image);  // -1 when missing
float GetImageU(int32_t image);         // 1.0 when missing
float GetImageV(int32_t image);         // 1.0 when missing
// The name the image was loaded from (owned by the image; "" when not loaded from a file).
const char* GetImageFileName(int32_t image);
// Colour key of later keyed loads and captures: 0xFF000000 | r << 16 | g << 8 | b.
void SetImageColorKey(int32_t red, int32_t green, int32_t blue);

// --- commands on existing images
// Copies the rectangle (x1, y1)-(x2, y2) of the current render surface into the image, then stretches
// it over a power-of-two texture. 1 on success; 0 with 500, 501 or 504.
int32_t CaptureImage(int32_t image, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Makes the picture fill a whole new texture of the given size (extents 1.0, picture size kept).
void StretchImageToTexture(int32_t image, int32_t newWidth, int32_t newHeight);
int32_t NextPowerOfTwo(int32_t n);
// Draws the image at once through the sprite module: the device result (0 on success).
int32_t DrawImageAt(int32_t image, int32_t x, int32_t y);
int32_t DrawImageAtEx(int32_t image, int32_t x, int32_t y, int32_t blended);
int32_t DrawImage(int32_t image, int32_t x, int32_t y, int32_t blended);

// Pixel access to level 0 of 32-bit images.
void LockImage(int32_t image);
void UnlockImage(int32_t image);
void WriteImagePixel(int32_t image, int32_t y, int32_t x, int32_t alpha, int32_t red, int32_t green, int32_t blue);
// Every non-zero pixel of the picture gets this alpha; zero pixels stay zero.
void SetImageTranslucency(int32_t image, int32_t alpha);

// Sampler 0 of the device (they matter for the 3D passes; the sprite pass sets its own).
void SetImageFiltering(int32_t on);
void SetImageFilterMode(int32_t mode);
void SetImageMipBias(uint32_t value);
void SetImageMemoryMode(int32_t mode);

// Memory-block conversions. Mode 1 hands out a new block (std::malloc) of the picture's rows without
// gaps; a size of 1 and no block means the pixels could not be read. Any other mode frees *data.
void GetImageData(int32_t image, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data, uint32_t* size,
                  int32_t mode);
// Fills (or makes) the image from gapless rows of 16- or 32-bit pixels; `size` is the block's length.
void MakeImageFromData(int32_t image, int32_t width, int32_t height, int32_t depth, const uint8_t* data,
                       uint32_t size);

// Render-to-image link words.
void SetImageCubeTarget(int32_t image, platform::gfx::CubeTexture* cube, uint32_t face);
void GetImageCubeTarget(int32_t image, platform::gfx::CubeTexture** cube, uint32_t* face);
