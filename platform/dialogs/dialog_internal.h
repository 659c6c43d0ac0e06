// An open dialog and its controls, as the dialog calls, the drawing and the modal loop share them.
// Internal to platform/dialogs.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"

namespace platform::dialogs {

class Control {
 public:
  ControlKind kind = ControlKind::Static;
  int32_t id = -1;
  uint32_t style = 0;
  // Place and size in pixels of the dialog's client area.
  float x = 0, y = 0, width = 0, height = 0;
  // Statics: how wide the text may be drawn, its own width or more where nothing stands to its right
  // (a label longer than its rectangle takes the free room beside it rather than being cut).
  float maxWidth = 0;
  std::string text;
  // List boxes.
  std::vector<std::string> items;
  int32_t selected = -1;
  int32_t scrollTo = -1;  // an entry to bring into view at the next frame (tests)
};

class Dialog {
 public:
  Dialog(const DialogResource& resource, DialogProc procedure);

  Control* Find(int32_t id);
  // A command from a control, delivered to the procedure after the frame that raised it.
  void QueueCommand(int32_t id, uint32_t code);
  void DeliverCommands();
  // The window was closed or the program is quitting: the procedure gets IDCANCEL, and the dialog
  // ends whatever it does with it.
  void Cancel();
  intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

  const DialogResource& resource;
  DialogProc procedure;
  std::vector<Control> controls;
  float clientWidth = 0, clientHeight = 0;  // pixels
  bool closeBox = true;  // the title bar's close box (it cancels)
  bool ended = false;
  intptr_t result = 0;

 private:
  struct Command {
    int32_t id;
    uint32_t code;
  };
  std::deque<Command> pending_;
};

// Pixels per dialog unit of a resource's font, across and down: a quarter of the font's average
// character width and an eighth of its height, measured in the font the dialogs are drawn in while a
// dialog session is open (6 x 13 pixels, the 8-point font's, otherwise).
void DialogUnits(const DialogResource& resource, float& perUnitX, float& perUnitY);
// The base units (average character width, line height) of the font dialogs are drawn in; false when
// no dialog session is open.
bool FontBaseUnits(float& width, float& height);

// The width and height in pixels of a text (lines broken at "\n") in the font dialogs are drawn in;
// false when no dialog session is open.
bool MeasureText(const char* text, float& width, float& height);

// The dialog on screen (the top one), null when none is.
Dialog* OpenDialog();

// Like DialogBoxParam, but while a dialog is open the new one is run over it (message boxes from a
// dialog's procedure) in that dialog's session. -1 when it cannot be shown.
intptr_t DialogBoxOver(const DialogResource& resource, const DialogHost& host, DialogProc procedure,
                       intptr_t parameter);

// One frame of the dialog's widgets (between the frame's start and its rendering). Only an `active`
// dialog takes input and reports where its controls are; `depth` stacks dialogs drawn in one frame.
// A control's text may mark a key letter with "&" ("&Yes"): it is drawn underlined, and typing the
// letter presses the button.
void DrawDialog(Dialog& dialog, bool active, int depth);

}  // namespace platform::dialogs
