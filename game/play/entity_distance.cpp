// The game's distance and its square root.
#include <cstdint>
#include <cstring>

#include "game/play/entities.h"

double FastSqrt(double value) {
  // An estimate of 1 / sqrt(value) from the exponent bits, refined by four Newton steps.
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint32_t high = uint32_t(bits >> 32);
  const uint32_t estimate = (0xBFCD4600u - high) >> 1;
  bits = uint64_t(estimate) << 32 | (bits & 0xFFFFFFFFu);
  double r;
  std::memcpy(&r, &bits, sizeof r);
  for (int i = 0; i < 4; ++i) r = r * (1.5 - 0.5 * value * r * r);
  return value * r;
}

float GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2) {
  const double dx = double(x1) - x2, dy = double(y1) - y2, dz = double(z1) - z2;
  return float(FastSqrt(dx * dx + dy * dy + dz * dz));
}
