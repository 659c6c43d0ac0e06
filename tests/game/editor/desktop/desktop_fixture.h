// The editor in a real window under an X server, as a level designer uses it: the engine started as
// the editor tests start it (scratch game folder, small media), the editor reading the engine's own
// keyboard and mouse, and the X server's test extension moving the pointer, pressing the buttons,
// turning the wheel and typing. A plan of steps runs one step at a time from the frames of the
// editor and of its dialogs alike, since a dialog's loop stands in for the editor's while it is open.
#pragma once
#include "tests/game/editor/editor_fixture.h"
// After the test framework: the X headers define macros (None, Bool) that clash with its names.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <deque>
#include <memory>
#include <string>

#include "engine/input/input.h"
#include "game/shell/settings.h"
#include "platform/dialogs/test_hooks.h"

namespace editor_desktop_test {

using namespace editor_test;
namespace pt = platform::dialogs::test;

// Linux input codes (X key code = code + 8); the same numbers as the editor's scan codes.
enum : int {
  kLinuxEscape = 1,
  kLinuxOne = 2,
  kLinuxBackspace = 14,
  kLinuxE = 18,
  kLinuxT = 20,
  kLinuxO = 24,
  kLinuxReturn = 28,
  kLinuxCtrl = 29,
  kLinuxShift = 42,
  kLinuxN = 49,
  kLinuxM = 50,
  kLinuxF1 = 59,
  kLinuxF5 = 63,
  kLinuxLeft = 105,
  kLinuxRight = 106,
};

// The key and shift of a character typed on a US keyboard; false for characters not needed here.
inline bool KeyOf(char c, int& key, bool& shift) {
  static constexpr int kLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                       49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
  shift = false;
  if (c >= 'a' && c <= 'z') return key = kLetters[c - 'a'], true;
  if (c >= 'A' && c <= 'Z') return key = kLetters[c - 'A'], shift = true, true;
  if (c >= '1' && c <= '9') return key = 2 + (c - '1'), true;
  switch (c) {
    case '0': return key = 11, true;
    case '-': return key = 12, true;
    case '_': return key = 12, shift = true, true;
    case '.': return key = 52, true;
    case '/': return key = 53, true;
    case ' ': return key = 57, true;
    default: return false;
  }
}

// A plan of steps: each is called once a frame until it reports done, then the next waits a few
// frames so the X server's events have reached the program.
class Plan {
 public:
  using Step = std::function<bool()>;
  void Add(Step step) { steps_.push_back(std::move(step)); }
  bool Done() const { return steps_.empty(); }
  size_t Left() const { return steps_.size(); }
  void Tick() {
    ++frames_;
    if (pause_ > 0) {
      --pause_;
      return;
    }
    if (steps_.empty()) return;
    if (steps_.front()()) {
      steps_.pop_front();
      pause_ = 1;
    }
  }
  int Frames() const { return frames_; }
  void Clear() { steps_.clear(); }

 private:
  std::deque<Step> steps_;
  int pause_ = 0, frames_ = 0;
};

class DesktopTest : public EditorTest {
 protected:
  static Display* X() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
  }

  void SetUp() override {
    EditorTest::SetUp();
    ASSERT_NE(X(), nullptr) << "run under an X server (the ctest entry starts Xvfb)";
    SetEditorInput(nullptr);  // the engine's own keyboard and mouse
    Editor().previousWheel = GetMouseWheel();  // as a first start finds it: the wheel where it stands
    pt::SetIdleEscapeFrames(0);
    ClearLevel();
    ClearWaypointPaths();
    CurrentMapCounts() = MapCounts{};
  }

  void TearDown() override {
    pt::SetFrameHook(nullptr);
    // Nothing stays held for the next test, whatever step a failure stopped at.
    XTestFakeButtonEvent(X(), 1, False, 0);
    for (int key = 1; key < 128; ++key) XTestFakeKeyEvent(X(), unsigned(key + 8), False, 0);
    XSync(X(), False);
    for (int i = 0; i < 20; ++i) {
      ProcessMessages();
      SDL_Delay(2);
    }
    EditorTest::TearDown();
  }

  // The back buffer at the size the game's settings give it, as the game applies them, with keyboard
  // focus. The window is as large, unless `scaled`: then it is made 7/8 of that, and the back buffer is
  // presented scaled into it.
  void UseWindowSize(int width, int height, bool scaled = false) {
    Settings().width = width;
    Settings().height = height;
    Settings().depth = 32;
    Settings().windowed = true;
    Settings().ModeChanged = true;
    ApplyDisplayMode();
    platform::window::Window* window = GetCoreDataPointer()->window;
    // The window sized here: the display module leaves it at its earlier size after a mode change.
    window->SetOuterSize(scaled ? width * 7 / 8 : width, scaled ? height * 7 / 8 : height);
    ProcessMessages();
    window->Focus();
    for (int i = 0; i < 500 && !window->HasFocus(); ++i) {
      ProcessMessages();
      SDL_Delay(2);
    }
    ASSERT_TRUE(window->HasFocus());
    window->GetClientSize(clientWidth_, clientHeight_);
    EXPECT_EQ(clientWidth_, scaled ? width * 7 / 8 : width);
    EXPECT_EQ(clientHeight_, scaled ? height * 7 / 8 : height);
  }

  // The window's top-left corner on the X screen, as the X server has it.
  static void WindowOrigin(int& x, int& y) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    x = y = 0;
    if (!SDL_GetWindowWMInfo(GetCoreDataPointer()->window->NativeWindow(), &info)) return;
    ::Window child;
    XTranslateCoordinates(X(), info.info.x11.window, DefaultRootWindow(X()), 0, 0, &x, &y, &child);
  }

  // --- X input (window pixels)
  static void MoveTo(float x, float y) {
    int left = 0, top = 0;
    WindowOrigin(left, top);
    XTestFakeMotionEvent(X(), -1, left + int(x), top + int(y), 0);
    XSync(X(), False);
  }
  static void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(X(), button, down ? True : False, 0);
    XSync(X(), False);
  }
  static void Key(int linuxKey, bool down) {
    XTestFakeKeyEvent(X(), unsigned(linuxKey + 8), down ? True : False, 0);
    XSync(X(), False);
  }
  // A back-buffer pixel of the editor's view as a window pixel (the back buffer is scaled to the window).
  float WindowX(int32_t backBufferX) const { return (float(backBufferX) + 0.5f) * float(clientWidth_) / float(GetDisplayWidth()); }
  float WindowY(int32_t backBufferY) const { return (float(backBufferY) + 0.5f) * float(clientHeight_) / float(GetDisplayHeight()); }

  // --- plan steps
  void Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    plan_.Add([left] { return --*left <= 0; });
  }
  void WaitFor(std::function<bool()> condition) { plan_.Add(std::move(condition)); }
  void Do(std::function<void()> action) {
    plan_.Add([action] {
      action();
      return true;
    });
  }
  // A key pressed until the engine sees it down (so the next editor pass does), then let go.
  static int32_t ScanCodeOf(int linuxKey) {
    switch (linuxKey) {
      case 105: return 203;  // Left
      case 106: return 205;  // Right
      case 103: return 200;  // Up
      case 108: return 208;  // Down
      default: return linuxKey;
    }
  }
  void PressKey(int linuxKey, bool shift = false) {
    if (shift) Do([] { Key(kLinuxShift, true); });
    // One step, so the key is let go at the first frame that finds it down: one editor pass sees it,
    // however long the pass takes (a held key repeats at its guard's rate).
    auto pressed = std::make_shared<bool>(false);
    plan_.Add([linuxKey, pressed] {
      if (!*pressed) {
        Key(linuxKey, true);
        *pressed = true;
        return false;
      }
      if (!IsKeyDown(ScanCodeOf(linuxKey))) return false;
      Key(linuxKey, false);
      return true;
    });
    if (shift) Do([] { Key(kLinuxShift, false); });
  }
  void TypeText(const std::string& text) {
    for (char c : text) {
      int key = 0;
      bool shift = false;
      ASSERT_TRUE(KeyOf(c, key, shift)) << "no key for '" << c << "'";
      PressKey(key, shift);
    }
  }
  void ClickAt(std::function<void(float&, float&)> where) {
    Do([this, where] {
      where(lastX_, lastY_);
      MoveTo(lastX_, lastY_);
    });
    Do([] { Button(1, true); });
    Do([] { Button(1, false); });
  }
  // A click on the middle of a dialog's control, where the last frame drew it.
  void ClickControl(int32_t control) {
    WaitFor([control] {
      float x0, y0, x1, y1;
      return pt::ControlRect(control, x0, y0, x1, y1);
    });
    ClickAt([control](float& x, float& y) {
      float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      pt::ControlRect(control, x0, y0, x1, y1);
      x = (x0 + x1) / 2, y = (y0 + y1) / 2;
    });
  }
  // A click into an edit, its text selected (Ctrl+A) and typed over.
  void TypeInto(int32_t control, const std::string& text) {
    ClickControl(control);
    Do([] { Key(kLinuxCtrl, true); });
    PressKey(30);  // A
    Do([] { Key(kLinuxCtrl, false); });
    PressKey(kLinuxBackspace);
    TypeText(text);
  }
  // A click on a list's entry, the wheel turned over the list first until the entry is in view.
  void ClickEntry(int32_t list, const std::string& entry, bool doubleClick = false) {
    plan_.Add([list, entry] {
      float lx0, ly0, lx1, ly1, x0, y0, x1, y1;
      if (!pt::ControlRect(list, lx0, ly0, lx1, ly1) || !pt::ItemRect(list, entry, x0, y0, x1, y1)) return false;
      if (y0 >= ly0 && y1 <= ly1) return true;
      MoveTo((lx0 + lx1) / 2, (ly0 + ly1) / 2);
      const unsigned wheel = y0 < ly0 ? 4 : 5;  // X buttons 4 and 5: the wheel up and down
      Button(wheel, true);
      Button(wheel, false);
      return false;
    });
    Do([list, entry] {
      float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      pt::ItemRect(list, entry, x0, y0, x1, y1);
      MoveTo(x0 + 12, (y0 + y1) / 2);
    });
    for (int n = doubleClick ? 2 : 1; n > 0; --n) {
      Do([] { Button(1, true); });
      Do([] { Button(1, false); });
    }
  }
  void WaitForDialog(int32_t id) {
    WaitFor([id] { return pt::OpenDialogId() == id; });
  }
  void WaitForNoDialog() {
    WaitFor([] { return pt::OpenDialogId() == 0; });
  }

  // Runs the editor until the plan is done (then a few more passes), from either loop's frames; a plan
  // that does not finish within `limit` frames fails the test and the editor is closed.
  void RunPlan(int limit = 6000) {
    pt::SetFrameHook([this, limit] { Step(limit); });
    RunEditor([this, limit](int32_t) {
      Step(limit);
      if (plan_.Done() && ++after_ > 3) return EndEditor(), false;
      return true;
    }, 1 << 30);
    pt::SetFrameHook(nullptr);
    EXPECT_TRUE(plan_.Done()) << plan_.Left() << " steps left after " << plan_.Frames() << " frames";
    plan_.Clear();
    after_ = 0;
  }

  Plan plan_;
  int clientWidth_ = 0, clientHeight_ = 0;
  float lastX_ = 0, lastY_ = 0;  // where the last click was, in window pixels

 private:
  void Step(int limit) {
    plan_.Tick();
    if (plan_.Frames() > limit && !plan_.Done()) {
      ADD_FAILURE() << "the plan did not finish; " << plan_.Left() << " steps left";
      plan_.Clear();
      EndEditor();
      Core().quitRequest = 1;
      platform::window::PostQuitMessage(0);  // ends an open dialog too
    }
  }
  // The editor is closed by the test: a question about unsaved work is answered No unseen.
  static void EndEditor() { platform::window::test::ShowMessageBoxes(false); }
  int after_ = 0;
};

}  // namespace editor_desktop_test
