// Keys of play pressed for real: the engine in a window under an X server, play reading the engine's
// own keyboard, the X server's test extension pressing the keys as a player's keyboard does.
#include "tests/game/play/loop/loop_fixture.h"
// After the test framework: the X headers define macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "game/play/play_loop_steps.h"

namespace loop_test {
namespace {

class PlayDesktopTest : public LoopTest {
 protected:
  static Display* X() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
  }

  void SetUp() override {
    LoopTest::SetUp();
    ASSERT_NE(X(), nullptr) << "run under an X server (the ctest entry starts Xvfb)";
    SetControlInput(nullptr);  // the engine's own keyboard; the test clock stays
    SetPlayInput(nullptr);
    // Keyboard focus on the engine window, as with a player at the desk.
    platform::window::Window* window = GetCoreDataPointer()->window;
    window->Focus();
    for (int i = 0; i < 5000 && !window->HasFocus(); ++i) {
      ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(window->HasFocus());
  }
};

// A key pressed and let go back to back (held 0 ms), both arriving between two passes of play: it acts
// as a press does.
TEST_F(PlayDesktopTest, AKeyTapActs) {
  constexpr unsigned kLinuxPause = 119, kLinuxSpace = 57;
  struct Case {
    const char* what;
    unsigned linuxKey;
    std::function<bool()> acted;
  } cases[] = {
      {"Pause", kLinuxPause, [] { return Game().paused == 1; }},
      {"Space, the emergency brake", kLinuxSpace, [] { return Game().emergencyBrakes == 1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Game() = GameVariables{};
    LoadSmallMap();
    BeginLevel();
    StartPlay();
    RunPlayPass();
    ASSERT_FALSE(c.acted());
    XTestFakeKeyEvent(X(), c.linuxKey + 8, True, 0);
    XTestFakeKeyEvent(X(), c.linuxKey + 8, False, 0);
    XSync(X(), False);
    for (int pass = 0; pass < 2000 && !c.acted(); ++pass) {
      ASSERT_EQ(RunPlayPass(), PlayPass::kContinue);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(c.acted()) << "the tap was lost";
  }
}

}  // namespace
}  // namespace loop_test
