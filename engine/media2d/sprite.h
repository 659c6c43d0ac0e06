// The sprite module: numbered screen-space quads that show an image, drawn by the sprite pass of every
// frame, and the immediate pastes of sprites, images and video frames. Sprite numbers run from 1 to
// 22000000.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace platform::gfx { class Texture; }

namespace SpriteModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 deletes every sprite and lets go of the back buffer (a device reset); 1 starts the module again.
void RefreshD3D(int mode);
}  // namespace SpriteModule

// --- commands (301 bad sprite number, 302 missing sprite)
// Makes the sprite on first use (501 when the image has no texture), else moves it and, when the image
// number changed, takes the new image's size, texture and extents.
void SetSprite(int32_t sprite, int32_t x, int32_t y, int32_t image);
// Draws the sprite at once at (x, y), visible or not, leaving its own position alone.
void DrawSpriteAt(int32_t sprite, int32_t x, int32_t y);
// Stretches the sprite's quad to width x height pixels (312 when negative).
void SetSpriteSize(int32_t sprite, int32_t width, int32_t height);
void HideSprite(int32_t sprite);
void ShowSprite(int32_t sprite);
void DeleteSprite(int32_t sprite);
void SetSpriteAlpha(int32_t sprite, int32_t alpha);                           // 314 outside 0..255
void SetSpriteColor(int32_t sprite, int32_t red, int32_t green, int32_t blue);  // 315 outside 0..255
// 1 when the two quads overlap (touching edges count); with other 0, the first other sprite in list
// order that overlaps, or 0.
int32_t CheckSpriteOverlap(int32_t sprite, int32_t other);

// --- the frame's hooks (CoreTable)
void SaveBackBufferCopy();
void DrawSpritePass();
void RestoreBackBufferCopy();

// --- pastes and links used by the image and video modules
// Draws the image at once with the given extents; the device result of the last state change.
int32_t PasteImage(int32_t image, int32_t x, int32_t y, float u, float v, int32_t blended);
// Draws a texture over a screen rectangle; a negative v draws it upside down.
void PasteTextureRect(platform::gfx::Texture* texture, float u, float v, int32_t left, int32_t top, int32_t right,
                      int32_t bottom);
// Every sprite reads its image's size, texture and extents again (the image module's change link).
void RefreshSpriteImages();
