// A picture being painted: straight-alpha colours in floats, shapes drawn with 4 x 4 supersampled
// coverage, and the two ways a picture leaves the generator: opaque, or colour-keyed on magenta with
// hard edges (an antialiased edge would leave pink pixels that the key does not remove).
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/d3dx/pictures/picture.h"

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};
// From 0-255 channels.
Colour Rgb(int r, int g, int b, float a = 1.0f);
Colour Mix(Colour x, Colour y, float t);
Colour Scaled(Colour c, float brightness);
Colour WithAlpha(Colour c, float a);

struct Point {
  double x = 0, y = 0;
};

class Canvas {
 public:
  Canvas(int width, int height, Colour fill = {0, 0, 0, 0});

  int width() const { return width_; }
  int height() const { return height_; }
  Colour& At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
  const Colour& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

  // Source-over with the colour's alpha times the coverage; outside the canvas nothing happens.
  void Blend(int x, int y, Colour c, float coverage = 1.0f);
  // Adds light: the colour times the amount, alpha raised alike.
  void Add(int x, int y, Colour c, float amount);

  void Fill(Colour c);
  void FillRect(int x0, int y0, int x1, int y1, Colour c);  // x1, y1 exclusive
  void VerticalGradient(int x0, int y0, int x1, int y1, Colour top, Colour bottom);
  void HorizontalGradient(int x0, int y0, int x1, int y1, Colour left, Colour right);
  // Any shape given by an inside test over its bounding box, antialiased.
  void Shape(double x0, double y0, double x1, double y1, const std::function<bool(double, double)>& inside,
             Colour c);
  void Circle(double cx, double cy, double radius, Colour c);
  void Ring(double cx, double cy, double inner, double outer, Colour c);
  void Polygon(const std::vector<Point>& points, Colour c);
  void Line(double x0, double y0, double x1, double y1, double width, Colour c);
  void RoundedRect(double x0, double y0, double x1, double y1, double radius, Colour c);
  // A soft light falling off from the centre to nothing at the radius, added.
  void Glow(double cx, double cy, double radius, Colour c, float strength = 1.0f);
  // Draws another canvas over this one at (dx, dy).
  void Composite(const Canvas& layer, int dx, int dy);

  // Flattened onto black; colours near the key colour (255, 0, 255) are moved off it, in both forms.
  platform::d3dx::Picture Opaque() const;
  // Pixels of alpha 0.5 or more keep their colour, the rest become the key colour.
  platform::d3dx::Picture Keyed() const;

 private:
  int width_, height_;
  std::vector<Colour> pixels_;
};

// Smooth value noise in 0..1 with `octaves` layers, tiling every `period` units.
double TiledNoise(double x, double y, int period, int octaves, uint32_t seed);
