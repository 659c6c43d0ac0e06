// The one message-box function. Every box is logged to stderr. Where there is a display the system's
// box is shown; when that fails (no helper program, no fonts on the X server) the same box (text,
// title, buttons, answer) is drawn modally in the program's own window by the box set with
// SetWindowMessageBox. With neither (no display, or no window shown yet) stderr is all there is.
// Under test (QEL_UNDER_TEST=1) no box is shown unless the test asks for them.
#pragma once
#include <cstdint>

namespace platform::window {

class Window;

// `type` holds the buttons (MB_OK to MB_RETRYCANCEL), an icon (MB_ICON*) and the default button
// (MB_DEFBUTTONn). The answer is the id of the button chosen (IDOK to IDNO); Return chooses the
// default button, Escape and closing the box the box's Cancel, or OK when OK is its only button. A box
// without either (Yes/No, Abort/Retry/Ignore) is closed only by a button, or answers 0 when the
// program's window is closed under it. A box that could not be shown answers its default button.
int MessageBox(Window* owner, const char* text, const char* caption, uint32_t type);

// The buttons of a box kind, left to right. Texts mark their key letter with "&" ("&Yes").
struct MessageBoxButton {
  int answer;
  const char* text;
};
struct MessageBoxButtons {
  MessageBoxButton button[3];
  int count;
  int defaultAnswer;
  int escapeAnswer;  // 0 when Escape and closing do not answer the box
};
MessageBoxButtons MessageBoxButtonsOf(uint32_t type);

// A box drawn in the program's window: returns the answer, or -1 when it cannot be drawn there. Set by
// the layer that owns the window's device; null when there is none.
using WindowMessageBox = int (*)(const char* text, const char* caption, uint32_t type);
void SetWindowMessageBox(WindowMessageBox box);

// True when no box is shown: under test (unless a test shows them) or with no display at all.
bool MessageBoxesSilenced();

namespace test {
// Under test, boxes are shown as outside it (true) or only logged (false, the default).
void ShowMessageBoxes(bool shown);
// Stands in for the system's box (null: the real one again): returns the answer, or -1 as the system
// box does when it cannot be shown.
using SystemMessageBox = int (*)(const char* text, const char* caption, uint32_t type);
void SetSystemMessageBox(SystemMessageBox box);
// What a box that is not shown answers (0: its default button, as outside tests).
void AnswerUnshownBoxesWith(int answer);
}  // namespace test

}  // namespace platform::window
