// Keyboard and mouse through a real X server: the test extension presses keys and buttons and turns
// the wheel, SDL receives them as from a user, and the devices read them.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros (None, Bool) that clash with its names.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/input/input.h"
#include "tests/platform/input/named_keys.h"

namespace input = platform::input;

namespace {

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window = SDL_CreateWindow("input", 100, 100, 320, 240, SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window, &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11) << "run under an X server (the ctest entry uses xvfb-run)";
    display = info.info.x11.display;

    // Keyboard focus and the pointer inside the window, as with a user at the desk.
    Pump(20);
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
    int x = 0, y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    XTestFakeMotionEvent(display, -1, x + 160, y + 120, 0);
    XSync(display, False);
    ASSERT_TRUE(PumpUntil([&] { return SDL_GetKeyboardFocus() == window && SDL_GetMouseFocus() == window; }));

    ASSERT_EQ(input::CreateInput(&api), input::kOk);
    ASSERT_EQ(api->CreateDevice(input::kSystemKeyboard, &keyboard), input::kOk);
    ASSERT_EQ(keyboard->SetDataFormat(input::DataFormat::Keyboard), input::kOk);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, input::COOP_FOREGROUND | input::COOP_NONEXCLUSIVE), input::kOk);
    ASSERT_EQ(keyboard->Acquire(), input::kOk);
    ASSERT_EQ(api->CreateDevice(input::kSystemMouse, &mouse), input::kOk);
    ASSERT_EQ(mouse->SetCooperativeLevel(window, input::COOP_FOREGROUND | input::COOP_NONEXCLUSIVE), input::kOk);
    ASSERT_EQ(mouse->SetDataFormat(input::DataFormat::Mouse), input::kOk);
    ASSERT_EQ(mouse->Acquire(), input::kOk);
  }

  void TearDown() override {
    if (keyboard) keyboard->Release();
    if (mouse) mouse->Release();
    if (api) api->Release();
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }

  // The window's pump: SDL reads the X queue and the engine polls SDL's until it is empty.
  static void Pump(int rounds = 1) {
    for (int i = 0; i < rounds; ++i) {
      SDL_Event event;
      while (SDL_PollEvent(&event)) {
      }
      if (rounds > 1) SDL_Delay(2);
    }
  }

  // Pumps until `done`, for up to about two seconds.
  static bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000; ++i) {
      Pump();
      if (done()) return true;
      SDL_Delay(2);
    }
    return false;
  }

  // `delay` ms after the request before the server sends the event.
  void Key(int linuxCode, bool down, unsigned long delay = 0) {
    XTestFakeKeyEvent(display, unsigned(linuxCode + 8), down ? True : False, delay);
    XSync(display, False);
  }

  void Button(unsigned button, bool down, unsigned long delay = 0) {
    XTestFakeButtonEvent(display, button, down ? True : False, delay);
    XSync(display, False);
  }

  std::vector<int> KeysDown() {
    uint8_t state[input::kKeyboardStateSize];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), input::kOk);
    std::vector<int> down;
    for (int code = 0; code < input::kKeyboardStateSize; ++code)
      if (state[code]) down.push_back(code);
    return down;
  }

  input::MouseState ReadMouse() {
    input::MouseState state;
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), input::kOk);
    return state;
  }

  // The buttons as the engine reports them: bit n for button byte n.
  static uint32_t ButtonBits(const input::MouseState& state) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
      if (state.buttons[i] & 0x80) bits |= 1u << i;
    return bits;
  }

  SDL_Window* window = nullptr;
  Display* display = nullptr;
  input::Input* api = nullptr;
  input::Device* keyboard = nullptr;
  input::Device* mouse = nullptr;
};

}  // namespace

TEST_F(Desktop, EveryNamedKeyReadsAsItsScanCode) {
  for (const NamedKey& key : kNamedKeys) {
    Key(key.linuxCode, true);
    std::vector<int> down;
    ASSERT_TRUE(PumpUntil([&] { return !(down = KeysDown()).empty(); })) << key.name << " never arrived";
    EXPECT_EQ(down, std::vector<int>{key.code}) << key.name;
    Key(key.linuxCode, false);
    ASSERT_TRUE(PumpUntil([&] { return KeysDown().empty(); })) << key.name << " stayed down";
  }
}

TEST_F(Desktop, LeftAndRightButtonsReadThree) {
  Button(1, true);
  Button(3, true);
  input::MouseState state;
  ASSERT_TRUE(PumpUntil([&] { return ButtonBits(state = ReadMouse()) == 3; })) << ButtonBits(state);
  Button(2, true);
  ASSERT_TRUE(PumpUntil([&] { return ButtonBits(state = ReadMouse()) == 7; })) << ButtonBits(state);
  Button(1, false);
  Button(2, false);
  Button(3, false);
  ASSERT_TRUE(PumpUntil([&] { return ButtonBits(ReadMouse()) == 0; }));
}

TEST_F(Desktop, WheelMoves120PerNotchAndMotionIsRelative) {
  ReadMouse();
  int32_t wheel = 0;
  for (int notch = 0; notch < 2; ++notch) {
    Button(4, true);
    Button(4, false);
  }
  EXPECT_TRUE(PumpUntil([&] { return (wheel += ReadMouse().z) == 240; })) << wheel;
  Button(5, true);
  Button(5, false);
  EXPECT_TRUE(PumpUntil([&] { return (wheel += ReadMouse().z) == 120; })) << wheel;

  int32_t x = 0, y = 0;
  XTestFakeRelativeMotionEvent(display, 7, -3, 0);
  XSync(display, False);
  EXPECT_TRUE(PumpUntil([&] {
    const input::MouseState state = ReadMouse();
    x += state.x;
    y += state.y;
    return x == 7 && y == -3;
  })) << x << "," << y;
  // Movement is counted once: the next read sees none.
  Pump(5);
  const input::MouseState after = ReadMouse();
  EXPECT_EQ(after.x, 0);
  EXPECT_EQ(after.y, 0);
  EXPECT_EQ(after.z, 0);
}

// Presses shorter than a frame: pressed and let go back to back (held 0 ms, as touchpad taps and quick
// keys under load arrive), all before the device is read. The press reads as down for every read until
// the next pump, then up; two of them within one frame count once, as a key held through it would.
TEST_F(Desktop, PressesBetweenTwoReadsReadDownUntilTheNextPump) {
  constexpr int kLinuxA = 30, kCodeA = 0x1E;
  struct Case {
    const char* what;
    bool key;  // the A key, else the left button
    int presses;
  } cases[] = {{"key tap", true, 1}, {"key double tap", true, 2}, {"click", false, 1}, {"double click", false, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto down = [&] { return c.key ? KeysDown() == std::vector<int>{kCodeA} : ButtonBits(ReadMouse()) == 1; };
    for (int press = 0; press < c.presses; ++press) {
      // The second press comes a little later, as from a person: SDL takes a release and a press with
      // the same time stamp for the keyboard's auto-repeat.
      const unsigned long delay = press == 0 ? 0 : 5;
      if (c.key) {
        Key(kLinuxA, true, delay);
        Key(kLinuxA, false);
      } else {
        Button(1, true, delay);
        Button(1, false);
      }
    }
    SDL_Delay(50);  // everything has reached SDL's connection before the first pump
    ASSERT_TRUE(PumpUntil(down)) << "the press was lost";
    EXPECT_TRUE(down()) << "a second read before the next pump";
    for (int pump = 0; pump < 3; ++pump) {
      Pump();
      EXPECT_FALSE(down()) << "pump " << pump;
    }
  }
}

// A key held past the server's auto-repeat delay reads down at every read, and up from the first pump
// after its release on: the repeated presses are not taken for new ones.
TEST_F(Desktop, AHeldKeyReadsAsItsStateThroughAutoRepeat) {
  constexpr int kLinuxD = 32, kCodeD = 0x20;
  Key(kLinuxD, true);
  ASSERT_TRUE(PumpUntil([&] { return !KeysDown().empty(); }));
  for (int frame = 0; frame < 60; ++frame) {
    Pump();
    ASSERT_EQ(KeysDown(), std::vector<int>{kCodeD}) << "frame " << frame;
    SDL_Delay(15);
  }
  Key(kLinuxD, false);
  ASSERT_TRUE(PumpUntil([&] { return KeysDown().empty(); }));
  for (int frame = 0; frame < 5; ++frame) {
    Pump();
    EXPECT_TRUE(KeysDown().empty()) << "frame " << frame;
  }
}
