// Profiles and control configurations come from the player's folders: any bytes must be read or
// refused, and what was read must be written back in a form that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "game/shell/control_file.h"
#include "game/shell/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto profile = std::make_unique<ProfileRecord>();
  if (ParseProfile(data, size, *profile)) {
    const std::vector<uint8_t> image = BuildProfile(*profile);
    auto again = std::make_unique<ProfileRecord>();
    if (!ParseProfile(image.data(), image.size(), *again) || BuildProfile(*again) != image) __builtin_trap();
  }
  ControlBindings bindings{};
  if (ParseControlConfig(data, size, bindings)) {
    const std::vector<uint8_t> image = BuildControlConfig(bindings);
    if (image.size() != kControlConfigSize || std::memcmp(image.data(), data, kControlConfigSize) != 0)
      __builtin_trap();
  } else if (size >= kControlConfigSize) {
    __builtin_trap();
  }
  return 0;
}
