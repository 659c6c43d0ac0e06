// The game's fonts: numbered font slots (0 to 20; start-up fills 1 to 5), one shared sprite batch for
// the text of a frame, and the current text colour. The HUD, menus and result panels draw with them.
#pragma once
#include <cstdint>

namespace platform::d3dx { class Font; }

// Keeps the engine's display device for the fonts; called before any font is made.
void StoreDisplayDevice();
// The colour (0 to 255 each) of the text drawn from now on; white at start.
void SetTextColour(int32_t red, int32_t green, int32_t blue, int32_t alpha);
// Makes the font of a slot from a face and a size in points; bold and italic are on only for 1.
// Slots outside 0 to 20 are refused. The first font also makes the shared sprite batch.
void CreateGameFont(int32_t slot, const char* faceName, int32_t points, int32_t bold, int32_t italic);
// Bracket a run of text: it is drawn at EndTextBatch, grouped by font.
void BeginTextBatch();
void EndTextBatch();
// Draws the text with its reference point at (x, y): alignment 0 left edge, 1 centre, 2 right edge;
// y is the top. Slots outside 0 to 20 and empty slots draw nothing.
void DrawGameText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text);
// Draws the text with a black outline in the title colour (157, 74, 248), which stays the text colour.
void DrawShadowedText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text);

// The font of a slot, null when the slot is empty or out of range.
platform::d3dx::Font* GetGameFont(int32_t slot);
// Releases the fonts, the sprite batch and the kept device (at shutdown, before the device goes).
void ReleaseGameFonts();
