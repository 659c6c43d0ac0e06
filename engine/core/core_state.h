// The core's own state beside CoreData (start-up, window procedure, frame step). Internal to the core
// and its tests.
#pragma once
#include <cstdint>
#include <string>

namespace platform::window { class Cursor; }

constexpr int kCustomCursorCount = 32;  // numbers 2..31 are used

struct CoreState {
  uint32_t hostErrorWord = 0;
  int32_t screenWidth = 0, screenHeight = 0;
  platform::window::Cursor* arrowCursor = nullptr;
  platform::window::Cursor* hourglassCursor = nullptr;
  platform::window::Cursor* customCursors[kCustomCursorCount] = {};
  platform::window::Cursor* currentCursor = nullptr;
  uint32_t quitRequest = 0;  // sticky once the window is closed
  uint8_t active3D = 0;
  uint8_t startUpDone = 0;
  uint32_t typedCapacity = 0, typedLength = 0;
  std::string title;      // the core's title buffer, empty at start-up
  std::string className;  // the window's class name (title + "12345")
  std::string commandLine;

  // Frame step.
  uint8_t automaticRefresh = 1;
  uint8_t presentAllowed = 1;
  uint8_t sceneOpen = 0;
  uint32_t framePeriod = 0, skipPeriod = 0;
  uint32_t lastFrameTime = 0;
  uint8_t quitMessageSeen = 0;
  uint8_t spriteDrawOrder = 0;
};

CoreState& Core();

struct CoreData;
// Module construction in its fixed order (start-up).
void ConstructModules(CoreData* data);
void ConstructRemainingModules(CoreData* data);
// Pointer position in back-buffer pixels from client coordinates; an empty (minimised) client area
// leaves the position as it was.
void ScaleMousePosition(int32_t backBufferWidth, int32_t backBufferHeight, int clientWidth, int clientHeight, int x,
                        int y, int32_t& mouseX, int32_t& mouseY);
// Back to the start values (tests; start-up runs once in the program).
void ResetCoreState();
