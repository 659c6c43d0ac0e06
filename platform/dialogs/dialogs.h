// Modal dialog boxes drawn in the engine window, shaped after the dialog services the editor's code
// calls: a dialog is made from a resource (controls placed in dialog units), its procedure
// receives WM_INITDIALOG and WM_COMMAND, and reads and fills its controls through GetDlgItem,
// SendMessage and the Get/SetDlgItem calls until it calls EndDialog. Message and notification values
// keep their documented numbers because the dialog procedures test them.
//
// While a dialog is open its own loop runs: it takes the window's keyboard and mouse events, passes
// the other window messages on to the window's procedure, and draws the dialog over the last frame.
// Closing the window cancels the dialog (its procedure gets IDCANCEL) and the close stays requested.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform::window { class Window; }
namespace platform::gfx { class Device; }

namespace platform::dialogs {

// Messages.
enum : uint32_t {
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  LB_ADDSTRING = 0x0180,
  LB_RESETCONTENT = 0x0184,
  LB_SETCURSEL = 0x0186,
  LB_GETCURSEL = 0x0188,
  LB_GETTEXT = 0x0189,
  LB_GETTEXTLEN = 0x018A,
  LB_GETCOUNT = 0x018B,
  LB_SELECTSTRING = 0x018C,
};
constexpr intptr_t LB_ERR = -1;

// Command ids of the standard buttons; a dialog's result is what its procedure passes to EndDialog.
enum : int32_t { IDOK = 1, IDCANCEL = 2 };

// Notification codes in the high word of a WM_COMMAND's wParam (the low word is the control id).
enum : uint32_t { BN_CLICKED = 0, LBN_SELCHANGE = 1, LBN_DBLCLK = 2 };

constexpr uintptr_t MakeWParam(uint32_t low, uint32_t high) { return uintptr_t((low & 0xFFFF) | ((high & 0xFFFF) << 16)); }
constexpr uint32_t CommandId(uintptr_t wParam) { return uint32_t(wParam & 0xFFFF); }
constexpr uint32_t CommandCode(uintptr_t wParam) { return uint32_t((wParam >> 16) & 0xFFFF); }

// Control styles the resources use.
enum : uint32_t {
  LBS_NOTIFY = 0x0001,      // the list box reports LBN_SELCHANGE and LBN_DBLCLK
  LBS_SORT = 0x0002,        // added strings are kept in order (letter case ignored)
  ES_AUTOHSCROLL = 0x0080,  // the edit scrolls sideways; all edits here do
  ES_NUMBER = 0x2000,       // the edit takes digits alone
  WS_BORDER = 0x00800000,
  WS_VSCROLL = 0x00200000,
};

enum class ControlKind : uint8_t { Button, DefaultButton, Static, Edit, ListBox };

// One control of a dialog resource; place and size in dialog units.
struct ControlResource {
  ControlKind kind;
  int32_t id;  // -1 for statics nothing refers to
  const char* text;
  int16_t x, y, width, height;
  uint32_t style;
};

// A dialog resource; place and size in dialog units of its font. The dialog is shown centred in the
// window, with the caption in its title bar.
struct DialogResource {
  int32_t id;
  const char* caption;
  int16_t x, y, width, height;
  const char* font;
  int32_t pointSize;
  const ControlResource* controls;
  size_t controlCount;
};

// An open dialog and one of its controls; valid from WM_INITDIALOG until DialogBoxParam returns.
class Dialog;
class Control;

using DialogProc = intptr_t (*)(Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Where a dialog is drawn: the engine window and the device whose GL context draws into it.
struct DialogHost {
  window::Window* window;
  gfx::Device* device;
};

// Makes the dialog, sends WM_INITDIALOG (lParam = parameter) and runs the dialog's loop until the
// procedure calls EndDialog; returns the result given there. -1 when the dialog cannot be shown (no
// window or device, no procedure, or another dialog is open).
intptr_t DialogBoxParam(const DialogResource& resource, const DialogHost& host, DialogProc procedure,
                        intptr_t parameter);
// Ends the dialog with the result once the message being handled returns. False for a null dialog.
bool EndDialog(Dialog* dialog, intptr_t result);

// The control of the id, null when the dialog has none.
Control* GetDlgItem(Dialog* dialog, int32_t id);
// Messages to a control:
//  - any control: WM_SETTEXT (lParam the text), WM_GETTEXT (wParam the buffer size, lParam the buffer;
//    returns the characters copied), WM_GETTEXTLENGTH;
//  - list boxes: LB_ADDSTRING (lParam the text; returns its index), LB_RESETCONTENT, LB_SETCURSEL
//    (wParam the index, -1 none), LB_GETCURSEL, LB_GETTEXTLEN (wParam the index), LB_GETTEXT (wParam
//    the index, lParam a buffer of at least LB_GETTEXTLEN + 1 characters), LB_GETCOUNT, LB_SELECTSTRING
//    (wParam the index after which to search, -1 from the start; lParam the text, matched as the
//    beginning of an entry, letter case ignored; returns the index selected).
// LB_ERR for an index outside the list, a list message to another kind of control or a null control.
intptr_t SendMessage(Control* control, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The text of a control. False when the dialog has no such control.
bool SetDlgItemText(Dialog* dialog, int32_t id, const char* text);
// Copies at most size - 1 characters and a terminator into the buffer; returns the characters copied.
uint32_t GetDlgItemText(Dialog* dialog, int32_t id, char* buffer, int32_t size);
// The control's text as a whole number: blanks around it allowed, a minus sign only when isSigned.
// Anything else, or a number out of range, reads 0 with *translated false.
uint32_t GetDlgItemInt(Dialog* dialog, int32_t id, bool* translated, bool isSigned);

// The number of a text as GetDlgItemInt reads it (for dialogs and tests alike).
bool ParseDialogInt(const char* text, bool isSigned, uint32_t* value);

// A message box (the kinds and answers of platform/window/message_box.h) drawn as a dialog in the
// window: the text, wrapped to fit the window, over a centred row of buttons whose ids are their
// answers; Return chooses the default button, a button's key letter chooses it, Escape and the close
// box answer as the box's Cancel (or OK when OK is its only button). Opened from a dialog's procedure
// it stands over that dialog. Returns the answer; -1 when it cannot be shown (no device, no window or
// a hidden one).
int MessageBoxInWindow(const DialogHost& host, const char* text, const char* caption, uint32_t type);
enum : int32_t { kMessageBoxDialog = 0x7FFF, kMessageBoxText = 0xFFFF };  // its resource and text ids

}  // namespace platform::dialogs
