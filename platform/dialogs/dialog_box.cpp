// Dialogs made from their resources, their procedures, and the calls that read and fill their
// controls.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/modal_session.h"

namespace platform::dialogs {

namespace {

Dialog* g_open = nullptr;

// Base units of the resource font in pixels: 6 x 13 for the 8-point font the resources name, in
// proportion for other sizes. A dialog unit is a quarter of the width and an eighth of the height.
constexpr float kBaseWidthAt8 = 6.0f, kBaseHeightAt8 = 13.0f;

}  // namespace

void DialogUnits(const DialogResource& resource, float& perUnitX, float& perUnitY) {
  const float scale = resource.pointSize > 0 ? float(resource.pointSize) / 8.0f : 1.0f;
  float baseWidth = kBaseWidthAt8, baseHeight = kBaseHeightAt8;
  FontBaseUnits(baseWidth, baseHeight);
  perUnitX = baseWidth * scale / 4.0f;
  perUnitY = baseHeight * scale / 8.0f;
}

namespace {

// The room a static may take to its right: up to the next control beside it, or to the dialog's
// right margin (as wide as its left one).
void PlaceStaticRoom(std::vector<Control>& controls, float clientWidth, float gap) {
  float margin = clientWidth;
  for (const Control& c : controls) margin = std::min(margin, c.x);
  for (Control& s : controls) {
    if (s.kind != ControlKind::Static) continue;
    float limit = clientWidth - margin;
    for (const Control& o : controls) {
      const bool beside = o.y < s.y + s.height && s.y < o.y + o.height;
      if (&o != &s && beside && o.x >= s.x + s.width - 0.5f) limit = std::min(limit, o.x - gap);
    }
    s.maxWidth = std::max(s.width, limit - s.x);
  }
}

}  // namespace

Dialog::Dialog(const DialogResource& resource, DialogProc procedure) : resource(resource), procedure(procedure) {
  float ux = 0, uy = 0;
  DialogUnits(resource, ux, uy);
  clientWidth = resource.width * ux;
  clientHeight = resource.height * uy;
  for (size_t i = 0; i < resource.controlCount; ++i) {
    const ControlResource& r = resource.controls[i];
    Control c;
    c.kind = r.kind;
    c.id = r.id;
    c.style = r.style;
    c.x = r.x * ux;
    c.y = r.y * uy;
    c.width = r.width * ux;
    c.height = r.height * uy;
    c.text = r.text ? r.text : "";
    controls.push_back(std::move(c));
  }
  PlaceStaticRoom(controls, clientWidth, 2 * ux);
}

Control* Dialog::Find(int32_t id) {
  if (id < 0) return nullptr;
  for (Control& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

void Dialog::QueueCommand(int32_t id, uint32_t code) { pending_.push_back(Command{id, code}); }

void Dialog::DeliverCommands() {
  while (!ended && !pending_.empty()) {
    const Command command = pending_.front();
    pending_.pop_front();
    Send(WM_COMMAND, MakeWParam(uint32_t(command.id), command.code), reinterpret_cast<intptr_t>(Find(command.id)));
  }
  if (ended) pending_.clear();
}

void Dialog::Cancel() {
  if (ended) return;
  pending_.clear();
  Send(WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED), reinterpret_cast<intptr_t>(Find(IDCANCEL)));
  if (!ended) {
    ended = true;
    result = IDCANCEL;
  }
}

intptr_t Dialog::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return procedure ? procedure(this, message, wParam, lParam) : 0;
}

Dialog* OpenDialog() { return g_open; }

namespace {

// The dialog made, initialised and run in the session; the dialog it stands over is the open one again
// afterwards.
intptr_t RunIn(ModalSession& session, const DialogResource& resource, DialogProc procedure, intptr_t parameter) {
  Dialog* under = g_open;
  Dialog dialog(resource, procedure);
  g_open = &dialog;
  dialog.Send(WM_INITDIALOG, 0, parameter);
  session.Run(dialog);
  g_open = under;
  return dialog.result;
}

}  // namespace

intptr_t DialogBoxParam(const DialogResource& resource, const DialogHost& host, DialogProc procedure,
                        intptr_t parameter) {
  if (!procedure || g_open) return -1;
  ModalSession session;
  if (!session.Begin(host)) return -1;
  const intptr_t result = RunIn(session, resource, procedure, parameter);
  session.End();
  return result;
}

intptr_t DialogBoxOver(const DialogResource& resource, const DialogHost& host, DialogProc procedure,
                       intptr_t parameter) {
  if (!g_open) return DialogBoxParam(resource, host, procedure, parameter);
  ModalSession* session = ModalSession::Active();
  if (!procedure || !session) return -1;
  return RunIn(*session, resource, procedure, parameter);
}

bool EndDialog(Dialog* dialog, intptr_t result) {
  if (!dialog) return false;
  dialog->ended = true;
  dialog->result = result;
  return true;
}

Control* GetDlgItem(Dialog* dialog, int32_t id) { return dialog ? dialog->Find(id) : nullptr; }

bool SetDlgItemText(Dialog* dialog, int32_t id, const char* text) {
  Control* control = GetDlgItem(dialog, id);
  if (!control) return false;
  SendMessage(control, WM_SETTEXT, 0, reinterpret_cast<intptr_t>(text));
  return true;
}

uint32_t GetDlgItemText(Dialog* dialog, int32_t id, char* buffer, int32_t size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  Control* control = GetDlgItem(dialog, id);
  if (!control) return 0;
  return uint32_t(SendMessage(control, WM_GETTEXT, uintptr_t(size), reinterpret_cast<intptr_t>(buffer)));
}

bool ParseDialogInt(const char* text, bool isSigned, uint32_t* value) {
  *value = 0;
  if (!text) return false;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' && isSigned) {
    negative = true;
    ++p;
  }
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  uint64_t n = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    n = n * 10 + uint64_t(*p - '0');
    if (n > uint64_t(UINT32_MAX) + 1) return false;
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (*p) return false;
  if (isSigned) {
    if (negative ? n > uint64_t(INT32_MAX) + 1 : n > uint64_t(INT32_MAX)) return false;
    *value = uint32_t(negative ? -int64_t(n) : int64_t(n));
  } else {
    if (n > UINT32_MAX) return false;
    *value = uint32_t(n);
  }
  return true;
}

uint32_t GetDlgItemInt(Dialog* dialog, int32_t id, bool* translated, bool isSigned) {
  uint32_t value = 0;
  Control* control = GetDlgItem(dialog, id);
  const bool ok = control && ParseDialogInt(control->text.c_str(), isSigned, &value);
  if (translated) *translated = ok;
  return ok ? value : 0;
}

}  // namespace platform::dialogs
