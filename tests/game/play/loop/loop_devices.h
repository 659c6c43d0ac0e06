// The test clock, keys, mouse and game commands of the play tests, a per-frame hook that moves the
// clock on and lets a test script the devices while a loop of the game runs, and the engine started
// offscreen in the current folder as the process entry starts it, with frames as fast as they draw.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "engine/core/core.h"
#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/scene/camera.h"
#include "game/play/game_state.h"
#include "game/play/play_loop_input.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"
#include "tests/game/play/media/media_files.h"
#include "tests/game/test_controls.h"

namespace loop_test {

using game_test::g_commandsDown;

// --- the test clock, devices and frame hook
inline uint32_t g_now = 100000;
inline uint32_t g_frameStep = 16;  // ms the clock moves on at every frame
inline int32_t g_frames = 0;
inline std::function<void()> g_onFrame;
inline int32_t g_scanCode = 0;  // the lowest key down, 0 none
inline bool g_escape = false, g_return = false;
inline int32_t g_mouseX = 0, g_mouseY = 0;
inline uint32_t g_buttons = 0;
inline HookFn g_fileUpdate = nullptr;

inline void FrameHook() {
  if (g_fileUpdate) g_fileUpdate();
  g_now += g_frameStep;
  ++g_frames;
  if (g_onFrame) g_onFrame();
}

inline const PlayInput kTestInput{
    [] { return g_scanCode; },           [] { return uint32_t(g_escape); }, [] { return uint32_t(g_return); },
    [] { return g_mouseX; },             [] { return g_mouseY; },           [] { return g_buttons; }};

// The game's timer, commands, keys and mouse from the test's values; the frame hook clears nothing.
inline void UseTestDevices() {
  SetGameTimerSource([] { return g_now; });
  SetControlInput(&game_test::kTestControls);
  SetPlayInput(&kTestInput);
}
inline void UseEngineDevices() {
  g_onFrame = nullptr;
  SetGameTimerSource(nullptr);
  SetControlInput(nullptr);
  SetPlayInput(nullptr);
}

// The engine in the current folder (the game folder), the frame hook in place.
inline bool StartLoopEngine() {
  if (InitEngine() != 0) {
    ADD_FAILURE() << StartUpFailureReason();
    return false;
  }
  EnableManualSync();
  SetFrameRateLimit(0);  // frames as fast as they draw; the test clock gives the time
  DisableAutoCamera();
  SetImageColorKey(255, 0, 255);
  StoreGameFolder();
  CoreTable& t = GetCoreTable();
  g_fileUpdate = t.FileModuleUpdate;
  t.FileModuleUpdate = FrameHook;
  return true;
}
// The frame hook out, then the engine down.
inline void StopLoopEngine() {
  GetCoreTable().FileModuleUpdate = g_fileUpdate;
  game_media_test::StopEngine();
}

}  // namespace loop_test
