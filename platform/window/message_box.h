// The one message-box function. Every box is logged to stderr; the dialog itself is skipped (and IDOK
// returned at once) under test (QEL_UNDER_TEST=1) or when no display is available.
#pragma once
#include <cstdint>

namespace platform::window {

class Window;

int MessageBox(Window* owner, const char* text, const char* caption, uint32_t type);
// True when dialogs are skipped.
bool MessageBoxesSilenced();

}  // namespace platform::window
