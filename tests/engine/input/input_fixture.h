// The input module on the engine window under an X server: the test extension types and clicks as a
// user would, the core's message pump carries the window messages, and the module reads the devices.
#pragma once
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
// After the test framework: the X headers define macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"
#include "platform/window/window.h"

class InputTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 320, kHeight = 240;

  void SetUp() override {
    namespace pw = platform::window;
    core_ = engine_test::StartCore(&word_, kWidth, kHeight);
    core_->escapeQuits = 0;  // Escape is one of the keys pressed here
    core_->window = pw::Window::Create("input", pw::WS_OVERLAPPEDWINDOW, 100, 100, kWidth, kHeight, WindowProc);
    ASSERT_NE(core_->window, nullptr);
    core_->window->Show(true);
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "run under an X server (the ctest entry uses xvfb-run)";

    // Keyboard focus and the pointer inside the window, as with a user at the desk.
    Pump(20);
    core_->window->Focus();
    MovePointer(kWidth / 2, kHeight / 2);
    ASSERT_TRUE(PumpUntil([&] { return core_->window->HasFocus(); }));

    InputModule::Constructor();
    InputModule::SetErrorHandler(&word_);
    InputModule::PassCoreData(core_);
    ASSERT_NE(InputModuleState().keyboard, nullptr) << LastErrorText();
    ASSERT_NE(InputModuleState().mouse, nullptr) << LastErrorText();
  }

  void TearDown() override {
    InputModule::Destructor();
    CoreAllocFree(&core_->typedChars, 0);
    if (core_->window) platform::window::Window::Destroy(core_->window);
    core_->window = nullptr;
    if (display_) XCloseDisplay(display_);
    SetCoreErrorHandler(nullptr);
    platform::window::ClearMessageQueue();
  }

  // The engine's message pump, as between frames.
  static void Pump(int rounds = 1) {
    for (int i = 0; i < rounds; ++i) {
      ProcessMessages();
      if (rounds > 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // Pumps until `done`, for up to about two seconds.
  static bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000; ++i) {
      Pump();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  void Key(int linuxCode, bool down) {
    XTestFakeKeyEvent(display_, unsigned(linuxCode + 8), down ? True : False, 0);
    XSync(display_, False);
  }
  void Tap(int linuxCode) {
    Key(linuxCode, true);
    Key(linuxCode, false);
  }
  void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(display_, button, down ? True : False, 0);
    XSync(display_, False);
  }
  // Moves the pointer to a point of the window's client area.
  void MovePointer(int x, int y) {
    int left = 0, top = 0;
    core_->window->GetPosition(left, top);
    XTestFakeMotionEvent(display_, -1, left + x, top + y, 0);
    XSync(display_, False);
  }

  uint32_t word_ = 0;
  CoreData* core_ = nullptr;
  Display* display_ = nullptr;
};
