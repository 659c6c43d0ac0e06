// Scripted input for tests (test_hooks.h) as the modal loop sees it: queued steps fed into the UI
// library's input record each frame, the screen rectangles of the last frame's controls, and frame
// captures. Internal to platform/dialogs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform::dialogs::script {

// A session starts and ends: the layout is forgotten and the virtual pointer let go.
void SessionStarted();
void SessionEnded();
// After the window's input reached the UI library and before its frame starts: the next step.
void FeedFrame();
// While a frame is drawn: where a control (item -1) or a list entry stands on screen.
void BeginLayout();
void RecordRect(int32_t control, int32_t item, float x0, float y0, float x1, float y1);
// While a frame is drawn: a text (a static's or a list entry's), its width in the font drawn in and
// the room it had.
void RecordText(const std::string& text, float width, float room);
// After a frame was rendered, before it is shown.
bool CaptureWanted();
void StoreCapture(std::vector<uint32_t>&& pixels, int width, int height);
void FrameDrawn();

}  // namespace platform::dialogs::script
