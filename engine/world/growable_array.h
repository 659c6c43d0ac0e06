// The world modules' growable arrays: a resize to n grows the storage to n plus a fixed step and
// shrinks it only when more than the step would be spare, so small changes never reallocate. Entries
// own what they hold (their destructors free it), so entries that a shrink drops, or that a growth
// clears, give their blocks and device objects back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Above this many entries a resize is refused, so n plus the step never overflows.
constexpr int32_t kMaxGrowableEntries = 1 << 24;

template <class T>
struct GrowableArray {
  std::vector<T> entries;  // its size is the capacity
  int32_t count = 0;       // entries in use; never above the capacity

  int32_t Capacity() const { return int32_t(entries.size()); }
  // The entry in use at `index`, null outside 0..count - 1.
  T* At(int32_t index) { return index >= 0 && index < count ? &entries[size_t(index)] : nullptr; }
  const T* At(int32_t index) const { return index >= 0 && index < count ? &entries[size_t(index)] : nullptr; }

  // False (nothing changes) for a negative size or step, or a size past kMaxGrowableEntries.
  bool Resize(int32_t n, int32_t step) {
    if (n < 0 || step < 0 || n > kMaxGrowableEntries) return false;
    const int32_t capacity = Capacity();
    if (n > capacity) {
      for (int32_t i = count; i < capacity; ++i) entries[size_t(i)] = T{};
      entries.resize(size_t(n) + size_t(step));
    } else if (capacity - n > step) {
      entries.resize(size_t(n));
      entries.shrink_to_fit();
      if (count > n) count = n;
    }
    return true;
  }

  // Every entry and the storage.
  void Free() {
    entries.clear();
    entries.shrink_to_fit();
    count = 0;
  }
};
