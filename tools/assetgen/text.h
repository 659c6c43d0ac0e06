// Text painted into pictures with the project's font service: the glyphs' coverage becomes the alpha
// of one colour, so text sits on any background, keyed pictures included.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
  std::string face = "Liberation Sans";
  int pixels = 16;  // character height
  bool bold = false;
  bool italic = false;
  Colour colour = {1, 1, 1, 1};
  Align align = Align::kLeft;
};

// The text with its top at y and its reference point at x.
void DrawText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style);
// The same with a darker copy offset below and right, and an optional glow added behind.
void DrawShadowedText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style,
                      Colour shadow, int offset);
int TextWidth(const std::string& text, const TextStyle& style);
int TextHeight(const TextStyle& style);
