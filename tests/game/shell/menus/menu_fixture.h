// The main menu on the running engine under an X server: the engine is started once for the test
// program as the game starts it (window, device, modules, game fonts, the engine text font), the
// menu scene gets stand-in objects and pictures, and each test runs in a fresh game folder with the
// game's records as a first start leaves them. The X server's test extension moves the pointer,
// presses the buttons and types, as a player would; the menu reads it all through the engine.
#pragma once
#include <gtest/gtest.h>

#include "tests/platform/fs/scratch_folder.h"
// After the test framework: the X headers define macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/objects/object_module.h"
#include "engine/scene/light.h"
#include "engine/scene/particles.h"
#include "engine/input/input.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/system/system_module.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/shell/control_bindings.h"
#include "game/shell/menu.h"
#include "game/shell/menu_state.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "game/shell/start_up.h"
#include "game/shell/widget.h"
#include "platform/window/window.h"

namespace menu_test {

// The tests run at 800 x 600; layout_test.cpp runs the screens at 640 x 480 and 1024 x 768 as well.
constexpr int kWidth = 800, kHeight = 600;
constexpr int kColumn = kWidth - 245;  // centre of the menu column

// Linux input codes the X server is driven with (X key code = input code + 8); the same numbers as
// the game's scan codes for these keys.
enum LinuxKey : int {
  kKeyEscape = 1,
  kKeyBackspace = 14,
  kKeyQ = 16,
  kKeyW = 17,
  kKeyE = 18,
  kKeyReturn = 28,
  kKeyA = 30,
  kKeyB = 48,
  kKeyX = 45,
  kKeyZ = 44,
  kKeySlash = 53,
};

// Pumps the engine's messages until `done`, for ten seconds at least: a loaded machine may be slow to
// deliver what the X server was sent.
inline bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 5000; ++i) {
    ProcessMessages();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// The engine, started once for the whole program.
class MenuEngine : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(InitEngine(), 0) << StartUpFailureReason();
    ASSERT_NE(SetDisplayMode(kWidth, kHeight, 32), 0u);
    int clientWidth = 0, clientHeight = 0;
    GetCoreDataPointer()->window->GetClientSize(clientWidth, clientHeight);
    ASSERT_EQ(clientWidth, kWidth);
    ASSERT_EQ(clientHeight, kHeight);
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "run under an X server (the ctest entry starts Xvfb)";
    EnableManualSync();
    SetFrameRateLimit(0);  // passes as fast as they come; the tests count passes, not time
    TurnOffEscapeQuit();
    DisableAutoCamera();
    SetTextFont("Arial");
    SetTextSize(16);
    StoreDisplayDevice();
    CreateStartUpFonts();
    MakeSceneStandIns();

    // Keyboard focus on the engine window and the pointer inside it, as with a player at the desk.
    platform::window::Window* window = GetCoreDataPointer()->window;
    window->Focus();
    ASSERT_TRUE(PumpUntil([&] { return window->HasFocus(); }));
  }

  // The engine's modules free their items, as the game never does (the process ends).
  void TearDown() override {
    ReleaseGameFonts();
    ObjectModule::Destructor();
    CameraModule::Destructor();
    LightModule::Destructor();
    ParticleModule::Destructor();
    SpriteModule::Destructor();
    ImageModule::Destructor();
    BitmapModule::Destructor();
    TextModule::Destructor();
    Basic2DModule::Destructor();
    InputModule::Destructor();
    DisplayModule::Destructor();
    if (display_) XCloseDisplay(display_);
  }

  static Display* X() { return display_; }

  // What start-up loads for the menu: the scene's objects 2 to 24, the backdrop pictures 920 to 922,
  // and the level texture's images, bitmap and sprites that tinting draws with; the ball as object
  // 3000. Small pictures of any content do.
  static void MakeSceneStandIns() {
    for (int32_t box = 2; box <= 21; ++box) CreateBoxObject(box, 20.0f, 10.0f, 20.0f);
    for (int32_t model = 22; model <= 24; ++model) CreateBoxObject(model, 4.0f, 4.0f, 4.0f);
    CreateBoxObject(3000, 2.0f, 2.0f, 2.0f);
    HideObject(3000);
    for (int32_t image : {920, 921, 922}) CreateImage(image, 64, 64);
    CreateImage(2, 256, 256);
    CreateImage(3, 256, 256);
    NewBitmap(2, 256, 256);
    SelectBitmap(0);
    SetSprite(1, 0, 0, 2);
    HideSprite(1);
    SetSprite(2, 0, 0, 3);
    HideSprite(2);
  }

 private:

  static inline Display* display_ = nullptr;
};

// The pixel width of a text in the engine's text font, as the hit boxes measure it.
inline int TextWidth(const char* text) { return GetTextWidth(text); }
inline int TextHeight(const char* text) { return GetTextHeight(text); }
inline int LineHeight() { return GetTextHeight("WOOKIE"); }

// A point inside a centred item of the menu column standing at y.
inline int ItemY(int y) { return y + LineHeight() / 2; }
// Left edge of the option screens' labels and buttons, and the screens' anchor (lists, fields).
constexpr int kLabelX = kWidth - 450;
constexpr int kAnchorX = kWidth - 452, kAnchorY = 119;

// The game clock the menu reads while a test runs: it stands still unless the test moves it, so
// passes take no time however slowly they run.
inline uint32_t g_clock = 0;

class MenuTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    g_clock = 100000;
    SetGameTimerSource([] { return g_clock; });
    StoreGameFolder();
    Settings() = GameSettings{};
    Profile() = ProfileRecord{};
    Game() = GameVariables{};
    ResetMenuState();
    SetDefaultControls();
    SetControlInput(nullptr);
    Release();
    Button(3, false);
    ClearTypedText();
  }

  void TearDown() override {
    Release();
    Button(3, false);
    SetControlInput(nullptr);
    SetGameTimerSource(nullptr);
    ScratchFolderTest::TearDown();
  }

  // --- the clock
  static uint32_t Now() { return g_clock; }
  static void AdvanceClock(uint32_t ms) { g_clock += ms; }

  // --- the game's records
  // A profile of that name, saved and loaded, as after "Create".
  void UseProfile(const char* name) {
    MakeFolders("Profiles");
    ClearProfile();
    SetProfileName(name);
    SaveProfile();
    Settings().NoProfile = false;
  }

  // --- the menu
  // MainMenu's entry; the screen may then be changed by the test.
  void Enter() { ASSERT_TRUE(EnterMainMenu()); }
  // One menu pass; its result.
  int32_t Pass() { return RunMenuPass(); }
  // `count` passes, stopping at the first that ends the menu; its result, or kMenuContinues.
  int32_t Passes(int count) {
    for (int i = 0; i < count; ++i)
      if (const int32_t result = Pass(); result != kMenuContinues) return result;
    return kMenuContinues;
  }

  // --- the player
  // Moves the pointer to (x, y) of the back buffer and waits until the engine reports it there.
  void MoveMouse(int x, int y) {
    int left = 0, top = 0;
    GetCoreDataPointer()->window->GetPosition(left, top);
    XTestFakeMotionEvent(MenuEngine::X(), -1, left + x, top + y, 0);
    XSync(MenuEngine::X(), False);
    ASSERT_TRUE(PumpUntil([&] { return GetMouseX() == x && GetMouseY() == y; }))
        << "pointer at " << GetMouseX() << "," << GetMouseY() << ", not " << x << "," << y;
  }
  // Left button (X button 1) or right button (3) down or up, waiting until the engine sees it.
  void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(MenuEngine::X(), button, down ? True : False, 0);
    XSync(MenuEngine::X(), False);
    const uint32_t bit = button == 1 ? 1u : 2u;
    ASSERT_TRUE(PumpUntil([&] { return bool(GetMouseButtons() & bit) == down; })) << "button " << button;
  }
  void Press() { Button(1, true); }
  void Release() { Button(1, false); }
  // A click the menu sees: move, press, one pass, release, one pass; the first result that ends the
  // menu, or kMenuContinues.
  int32_t Click(int x, int y) {
    MoveMouse(x, y);
    Press();
    const int32_t pressed = Pass();
    Release();
    if (pressed != kMenuContinues) return pressed;
    return Pass();
  }
  // A click on a left-aligned text button at (x, y), a few pixels into its box.
  int32_t ClickButton(int x, int y) { return Click(x + 3, y + LineHeight() / 2); }
  // The left button held down at (x, y) (for held controls), before the next pass.
  void Hold(int x, int y) {
    MoveMouse(x, y);
    Press();
  }
  // A key down or up, waiting until the engine sees it.
  void Key(int linuxKey, bool down) {
    XTestFakeKeyEvent(MenuEngine::X(), unsigned(linuxKey + 8), down ? True : False, 0);
    XSync(MenuEngine::X(), False);
    ASSERT_TRUE(PumpUntil([&] { return IsKeyDown(linuxKey) == (down ? 1 : 0); })) << "key " << linuxKey;
  }
  // A key pressed for one pass and released for one.
  void TypeKey(int linuxKey) {
    Key(linuxKey, true);
    Pass();
    Key(linuxKey, false);
    Pass();
  }
  // A character typed the way an input method or a remapped key delivers it: a key of its own for the
  // keysym, one the keyboard has no scan code for, tapped between two passes (so no key is held while
  // the menu reads the typed text). The key goes back to no keysym afterwards.
  void TypeKeysym(KeySym keysym) {
    Display* x = MenuEngine::X();
    int first = 0, last = 0, perKey = 0;
    XDisplayKeycodes(x, &first, &last);
    KeySym* map = XGetKeyboardMapping(x, KeyCode(first), last - first + 1, &perKey);
    int spare = 0;
    for (int code = last; code >= first && !spare; --code) {
      bool empty = true;
      for (int i = 0; i < perKey; ++i) empty &= map[(code - first) * perKey + i] == NoSymbol;
      if (empty) spare = code;
    }
    XFree(map);
    ASSERT_NE(spare, 0) << "a key code without keysyms";
    // The keysym both unshifted and shifted: one alone would stand for its lower case unshifted.
    KeySym both[2] = {keysym, keysym};
    XChangeKeyboardMapping(x, spare, 2, both, 1);
    XSync(x, False);
    // The window layer reads the new mapping from the notice the server sends.
    for (int i = 0; i < 25; ++i) {
      ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    XTestFakeKeyEvent(x, unsigned(spare), True, 0);
    XTestFakeKeyEvent(x, unsigned(spare), False, 0);
    XSync(x, False);
    const CoreData* core = GetCoreDataPointer();
    const bool typed = PumpUntil([&] { return core->typedChars && core->typedChars[0] != 0; });
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(x, spare, 2, none, 1);
    XSync(x, False);
    ASSERT_TRUE(typed) << "keysym " << keysym << " typed nothing";
    Pass();
  }
  // Lower-case letters typed one key at a time.
  void TypeLetters(const char* letters) {
    static constexpr int kLetterKeys[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                            49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (const char* c = letters; *c; ++c) {
      ASSERT_TRUE(*c >= 'a' && *c <= 'z') << "a letter, not '" << *c << "'";
      TypeKey(kLetterKeys[*c - 'a']);
    }
  }
};

}  // namespace menu_test
