// Hooks for tests of fonts and their callers: what a font has rasterised and sent to its device.
// Not for the game itself.
#pragma once
#include "platform/d3dx/font.h"

namespace platform::d3dx {

const FontWork& FontWorkDone(const Font& font);

}  // namespace platform::d3dx
