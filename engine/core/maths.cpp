// Random numbers and angle helpers for the game.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/core/core.h"

namespace {
// The generator is used as a 15-bit source (0..32767) whatever the C library's RAND_MAX, so the
// sums below stay within 32 bits.
int64_t Rand15() { return std::rand() & 0x7FFF; }

constexpr float kDegreesToRadians = 0.017453292f;  // bits 0x3C8EFA35
}  // namespace

int32_t Rnd(int32_t n) {
  if (n < 1) return 0;
  int64_t r = 0;
  if (n > 1000) r = Rand15() * 1000;
  if (n > 100) r += Rand15() * 100;
  if (n > 10) r += Rand15() * 10;
  r += Rand15();
  return int32_t(r % (int64_t(n) + 1));
}

float WrapValue(float a) {
  // Not-a-number, infinities and values beyond 32 bits have no integer part to take: 0, as for any
  // value that never settles.
  if (!std::isfinite(a) || std::fabs(a) >= 2147483648.0f) return 0.0f;
  const int32_t t = int32_t(a);
  a = a - float(t - t % 360);
  for (int step = 0; step < 10000; ++step) {
    if (a < 0) {
      a += 360.0f;
    } else if (a < 360.0f) {
      return a;
    }
    if (a >= 360.0f) a -= 360.0f;
  }
  return 0.0f;
}

float NewXValue(float x, float angle, float distance) {
  return x + std::sin(angle * kDegreesToRadians) * distance;
}

float NewZValue(float z, float angle, float distance) {
  return z + std::cos(angle * kDegreesToRadians) * distance;
}

int32_t RandomInt(int32_t n) { return Rnd(n); }
float SinDegrees(float angle) { return float(std::sin(double(angle) * 0.017453293)); }
float NormalizeAngle(float angle) { return WrapValue(angle); }
float MoveXByAngle(float x, float angle, float distance) { return NewXValue(x, angle, distance); }
float MoveZByAngle(float z, float angle, float distance) { return NewZValue(z, angle, distance); }
