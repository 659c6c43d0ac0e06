#include "engine/display/display.h"

uint32_t FormatToBits(uint32_t format) {
  switch (format) {
    case 20: return 24;
    case 21: case 22: case 31: case 34: return 32;
    case 23: case 24: case 25: case 26: case 29: case 30: case 51: return 16;
    case 27: case 28: case 40: case 41: case 50: case 52: return 8;
    default: return 0;
  }
}
