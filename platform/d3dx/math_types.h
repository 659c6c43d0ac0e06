// Value types of our maths helpers. Matrices are row-vector 4 x 4 (a point is transformed as p x M,
// translation in m[3][0..2]), as the engine's records and stored model files expect.
#pragma once
#include "platform/gfx/types.h"

namespace platform::d3dx {

using gfx::Matrix;
using gfx::Vector3;
using gfx::Vector4;

struct Vector2 {
  float x, y;
};
struct Quaternion {
  float x, y, z, w;
};
// a x + b y + c z + d = 0; (a, b, c) is the normal.
struct Plane {
  float a, b, c, d;
};

constexpr float kPi = 3.14159265358979f;
// The engine keeps angles in degrees and converts them with exactly these factors.
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.295776f;

}  // namespace platform::d3dx
