// The loop of a modal dialog in the engine window: the UI library's context on the device's GL
// context, the window's input taken through the window's event hook, the last frame kept as the
// backdrop, one drawn frame per pass. Internal to platform/dialogs.
#pragma once
#include <vector>

#include "platform/dialogs/dialog_internal.h"

namespace platform::dialogs {

class ModalSession {
 public:
  ModalSession() = default;
  ModalSession(const ModalSession&) = delete;
  ModalSession& operator=(const ModalSession&) = delete;
  ~ModalSession() { End(); }

  // False, with nothing changed, when there is no window or device or another session is open.
  bool Begin(const DialogHost& host);
  // Frames until the dialog has ended; then, while a key or button that ended it is still held, frames
  // without it, so the program does not take that press for its own. A dialog run while another one
  // of the session is running (a message box over it) is drawn on top and takes the input; the one
  // below is drawn as it stands, inert, until the top one has ended.
  void Run(Dialog& dialog);
  void End();

  // The session open now, null when none is.
  static ModalSession* Active();

 private:
  // Window messages: true when the window was closed or the quit message came.
  bool PumpMessages();
  // One frame of the dialogs running; the top one takes input when `topActive`.
  void Frame(bool topActive);
  void WaitForReleasedInput();

  DialogHost host_{};
  bool open_ = false;
  std::vector<Dialog*> running_;  // the dialogs being run, the top one last
};

}  // namespace platform::dialogs
