// A small deterministic random source: the same seed gives the same media on every machine, which no
// standard distribution promises.
#pragma once
#include <cstdint>

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint32_t Next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t((z ^ (z >> 31)) >> 32);
  }
  // 0 <= value < 1.
  double Unit() { return Next() * (1.0 / 4294967296.0); }
  double Range(double low, double high) { return low + (high - low) * Unit(); }
  int Int(int low, int high) { return low + int(Next() % uint32_t(high - low + 1)); }

 private:
  uint64_t state_;
};
