// Helpers the level builder's files share; not for other callers.
#pragma once
#include <cstdint>

// True for a number in the object range that names an existing object; numbers from a map (-1, 0,
// anything stored) never reach the engine's checks, which would raise errors.
bool LevelObjectExists(int32_t object);
// Deletes the object when it exists.
void DeleteLevelObject(int32_t object);

// Draws a 256 x 256 box of the colour under the block frame into bitmap 2 and captures it as the
// image.
void MakeDoorImage(int32_t image, int32_t red, int32_t green, int32_t blue);
// Packs a colour with each channel held to 0..255.
uint32_t ClampedColour(int32_t red, int32_t green, int32_t blue);
