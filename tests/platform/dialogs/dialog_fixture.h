// The engine window and device for the dialog tests, started once offscreen, and a dialog procedure
// whose behaviour each test sets.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <SDL.h>

#include "engine/core/core_state.h"
#include "engine/display/display.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/test_hooks.h"
#include "tests/engine/engine_fixture.h"

namespace dialog_test {

namespace pd = platform::dialogs;

inline uint32_t g_errorWord = 0;
inline CoreData* g_core = nullptr;

class DialogEngine : public ::testing::Environment {
 public:
  void SetUp() override { g_core = engine_test::StartEngineDisplay(&g_errorWord, 640, 480); }
  void TearDown() override { engine_test::StopEngineDisplay(g_core); }
};
inline ::testing::Environment* const kDialogEngine = ::testing::AddGlobalTestEnvironment(new DialogEngine);

inline pd::DialogHost Host() { return pd::DialogHost{g_core->window, GetDirect3DDevice()}; }

// The window manager's close, as the window's events bring it.
inline void PushWindowClose() {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = g_core->window->Id();
  SDL_PushEvent(&close);
}

// After a close: the quit is still requested and its message left for the program's loop. Both are
// taken back for the next test.
inline void ExpectTheCloseLeftForTheProgram() {
  EXPECT_EQ(Core().quitRequest, 1u);
  platform::window::Message message{};
  bool quit = false;
  while (platform::window::PeekMessage(message)) quit |= message.message == platform::window::WM_QUIT;
  EXPECT_TRUE(quit) << "the quit message is left for the program's loop";
  Core().quitRequest = 0;
}

// What the procedure received, in order.
struct Received {
  uint32_t message;
  uint32_t id, code;
};

// The procedure of the dialogs under test: records every message and hands it to the test's handler.
inline std::vector<Received> g_received;
inline std::function<intptr_t(pd::Dialog*, uint32_t, uintptr_t, intptr_t)> g_handler;

inline intptr_t TestProc(pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  g_received.push_back(Received{message, pd::CommandId(wParam), pd::CommandCode(wParam)});
  return g_handler ? g_handler(dialog, message, wParam, lParam) : 0;
}

// Ends the dialog with the id of OK and Cancel, as the editor's procedures do.
inline intptr_t EndOnOkOrCancel(pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == pd::WM_COMMAND && (pd::CommandId(wParam) == pd::IDOK || pd::CommandId(wParam) == pd::IDCANCEL))
    pd::EndDialog(dialog, intptr_t(pd::CommandId(wParam)));
  return message == pd::WM_COMMAND ? 1 : 0;
}

enum : int32_t { kList = 1000, kSortedList = 1001, kEdit = 1002, kNumberEdit = 1003, kLabel = 1004 };

inline const pd::ControlResource kControls[] = {
    {pd::ControlKind::ListBox, kList, nullptr, 7, 7, 80, 60, pd::LBS_NOTIFY | pd::WS_VSCROLL | pd::WS_BORDER},
    {pd::ControlKind::ListBox, kSortedList, nullptr, 93, 7, 80, 60, pd::LBS_SORT | pd::WS_VSCROLL},
    {pd::ControlKind::Edit, kEdit, nullptr, 7, 72, 80, 13, pd::ES_AUTOHSCROLL},
    {pd::ControlKind::Edit, kNumberEdit, nullptr, 93, 72, 80, 13, pd::ES_NUMBER},
    {pd::ControlKind::Static, kLabel, "Label", 7, 90, 80, 8, 0},
    {pd::ControlKind::DefaultButton, pd::IDOK, "OK", 60, 104, 40, 12, 0},
    {pd::ControlKind::Button, pd::IDCANCEL, "Cancel", 110, 104, 40, 12, 0},
};
inline const pd::DialogResource kResource{500, "Test Dialog", 0, 0, 180, 122, "MS Sans Serif", 8,
                                          kControls, sizeof kControls / sizeof kControls[0]};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    g_handler = EndOnOkOrCancel;
    pd::test::ClearScript();
    pd::test::TakeScriptErrors();
    pd::test::SetIdleEscapeFrames(300);
    pd::test::SetFrameHook(nullptr);
  }
  void TearDown() override {
    EXPECT_TRUE(pd::test::TakeScriptErrors().empty());
    EXPECT_EQ(pd::test::PendingSteps(), 0u) << "steps left over";
    pd::test::ClearScript();
    pd::test::SetFrameHook(nullptr);
    g_handler = nullptr;
  }

  static intptr_t Open() { return pd::DialogBoxParam(kResource, Host(), TestProc, 77); }

  // The WM_COMMAND notifications received, as (id, code) pairs.
  static std::vector<std::pair<uint32_t, uint32_t>> Commands() {
    std::vector<std::pair<uint32_t, uint32_t>> commands;
    for (const Received& r : g_received)
      if (r.message == pd::WM_COMMAND) commands.emplace_back(r.id, r.code);
    return commands;
  }
};

}  // namespace dialog_test
