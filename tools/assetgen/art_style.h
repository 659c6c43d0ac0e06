// The colours and faces the game's pictures share with its interface: the title purple of the game's
// text, the menu's frame purple and pressed pink, the message box's cyan.
#pragma once
#include "tools/assetgen/canvas.h"

inline const Colour kTitlePurple = Rgb(157, 74, 248);
inline const Colour kFramePurple = Rgb(119, 18, 230);
inline const Colour kPressedPink = Rgb(219, 78, 230);
inline const Colour kCyan = Rgb(8, 247, 244);
inline const Colour kPanelDark = Rgb(16, 8, 40);
inline constexpr const char* kLogoFace = "DejaVu Sans";
