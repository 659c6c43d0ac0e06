#include "platform/input/key_codes.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <utility>

#include "tests/platform/input/named_keys.h"

namespace input = platform::input;

TEST(KeyCodes, EveryNamedKeyHasItsScanCode) {
  for (const NamedKey& key : kNamedKeys) {
    EXPECT_EQ(input::KeyCodeFromSdlScancode(key.sdl), key.code) << key.name;
  }
  // The engine's own queries.
  EXPECT_EQ(input::KEY_UP, 0xC8);
  EXPECT_EQ(input::KEY_DOWN, 0xD0);
  EXPECT_EQ(input::KEY_LEFT, 0xCB);
  EXPECT_EQ(input::KEY_RIGHT, 0xCD);
  EXPECT_EQ(input::KEY_ESCAPE, 0x01);
  EXPECT_EQ(input::KEY_RETURN, 0x1C);
}

TEST(KeyCodes, DistinctKeysGetDistinctCodes) {
  // Only two SDL names of one physical key may share a code.
  const std::set<std::pair<int, int>> aliases = {
      {SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_NONUSHASH}, {SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIOMUTE},
      {SDL_SCANCODE_WWW, SDL_SCANCODE_AC_HOME},         {SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_SYSREQ},
      {SDL_SCANCODE_APPLICATION, SDL_SCANCODE_MENU},    {SDL_SCANCODE_STOP, SDL_SCANCODE_AC_STOP},
  };
  std::map<uint8_t, int> first;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    const uint8_t code = input::KeyCodeFromSdlScancode(scancode);
    if (code == 0) continue;
    auto [it, inserted] = first.emplace(code, scancode);
    EXPECT_TRUE(inserted || aliases.count({it->second, scancode}))
        << "scancodes " << it->second << " and " << scancode << " share code " << int(code);
  }
  EXPECT_EQ(input::KeyCodeFromSdlScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(input::KeyCodeFromSdlScancode(-1), 0);
  EXPECT_EQ(input::KeyCodeFromSdlScancode(SDL_NUM_SCANCODES), 0);
}

TEST(KeyCodes, ScanCodesOutsideTheStateReadAsUp) {
  uint8_t state[input::kKeyboardStateSize] = {};
  state[0] = 0x80;
  state[255] = 0x80;
  state[0xC8] = 0x80;
  state[0x10] = 0x7F;  // only the high bit means down
  EXPECT_TRUE(input::IsScanCodeDown(state, 0));
  EXPECT_TRUE(input::IsScanCodeDown(state, 255));
  EXPECT_TRUE(input::IsScanCodeDown(state, 0xC8));
  EXPECT_FALSE(input::IsScanCodeDown(state, 0x10));
  for (int64_t code : {int64_t(-1), int64_t(256), int64_t(0xC8 + 256), int64_t(INT_MAX), int64_t(INT_MIN)}) {
    EXPECT_FALSE(input::IsScanCodeDown(state, code)) << code;
  }
}
