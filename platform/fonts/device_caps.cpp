#include <cstdlib>
#include <limits>

#include "platform/fonts/fonts.h"

namespace platform::fonts {

int32_t DeviceCaps(const Context*, int32_t index) {
  return index == CAPS_LOGPIXELSX || index == CAPS_LOGPIXELSY ? kPixelsPerInch : 0;
}

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = int64_t(number) * numerator;
  int64_t quotient = product / denominator;
  const int64_t remainder = product % denominator;
  if (2 * std::llabs(remainder) >= std::llabs(int64_t(denominator))) quotient += (product < 0) != (denominator < 0) ? -1 : 1;
  if (quotient < std::numeric_limits<int32_t>::min() || quotient > std::numeric_limits<int32_t>::max()) return -1;
  return int32_t(quotient);
}

}  // namespace platform::fonts
