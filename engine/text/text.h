// The text module: strings drawn on the current render target from one font texture (an atlas of the
// character codes 32..255 of the current font), measured, and the font settings behind them.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace TextModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 releases the device objects before a device reset; 1 makes the module anew: face, size, requested
// character set and colours return to their defaults ("fixedsys" 12); the effective character set
// survives. The game sets its font after the only mode change of its start-up, and "Apply Settings"
// changes no mode without a restart, so no game screen is measured in the default font.
void RefreshD3D(int mode);
}  // namespace TextModule

// Draws with the top-left corner at (x, y) in the ink foreground; a line feed starts the next line at x.
void DrawTextAt(int32_t x, int32_t y, const char* text);
// Draws centred on x.
void DrawTextCentered(int32_t x, int32_t y, const char* text);
// Sum of the advances of the bytes; 0 for null or empty.
int32_t GetTextWidth(const char* text);
// Tallest cell among the bytes; 0 for null or empty.
int32_t GetTextHeight(const char* text);
// The CoreTable forms of the two above.
int32_t MeasureTextWidth(const char* text);
int32_t MeasureTextHeight(const char* text);
// Font settings; each change rebuilds the atlas. A null face leaves the font as it is; sizes above 100
// (and negative ones) become 100.
void SetTextFont(const char* face);
void SetTextFontCharset(const char* face, uint32_t charset);
void SetTextSize(uint32_t size);
// The colour for the next atlas build (the next draw takes the ink foreground again when it differs).
void SetTextColorArgb(int32_t a, int32_t r, int32_t g, int32_t b);

// Steps of the atlas build, in the order PassCoreData runs them.
void ChooseFontTextureFormat();
void CreateFontTexture();
void CreateTextVertexBuffer();
// Releases texture and vertex buffer and builds both again.
void RebuildFontTexture();
// Draws one string with the module's colours (no follow-up of the ink colours).
void RenderTextString(int32_t x, int32_t y, const char* text);
