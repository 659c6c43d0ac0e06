// The message box as a dialog of its own, for when the system's box cannot be shown: a static with the
// text and a row of buttons, laid out once the dialog's font is known.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/dialogs/dialog_internal.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

namespace platform::dialogs {

namespace {

namespace pw = platform::window;

// Places and sizes in dialog units.
constexpr float kMargin = 7, kTextToButtons = 10, kButtonWidth = 50, kButtonHeight = 14, kButtonGap = 4;
constexpr float kCaptionRoom = 40;  // pixels beside the caption: the close box and its padding

// The box being shown (one at a time: its procedure opens nothing).
struct Box {
  pw::MessageBoxButtons buttons;
  float widestText = 0;  // pixels the text may take before it is wrapped
};
const Box* g_box = nullptr;

float TextWidth(const std::string& text) {
  float width = 0, height = 0;
  MeasureText(text.c_str(), width, height);
  return width;
}

// The longest start of a word that fits the width (one character at least).
size_t FittingPart(const std::string& word, float limit) {
  size_t length = 1;
  while (length < word.size() && TextWidth(word.substr(0, length + 1)) <= limit) ++length;
  return length;
}

// The text with line breaks put between words so no line is wider than the limit; a word wider than
// the limit on its own is broken where it has to be.
std::string Wrap(const std::string& text, float limit) {
  std::string wrapped, line;
  const auto endLine = [&] {
    wrapped += line + "\n";
    line.clear();
  };
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find_first_of(" \n", start), text.size());
    std::string word = text.substr(start, end - start);
    if (!line.empty() && TextWidth(line + " " + word) > limit) endLine();
    while (line.empty() && word.size() > 1 && TextWidth(word) > limit) {
      line = word.substr(0, FittingPart(word, limit));
      word.erase(0, line.size());
      endLine();
    }
    line += (line.empty() ? "" : " ") + word;
    if (end == text.size()) break;
    if (text[end] == '\n') endLine();
    start = end + 1;
  }
  return wrapped + line;
}

// The text and buttons placed in pixels: the text at the top left, the buttons in a centred row below.
void LayOut(Dialog& dialog, const Box& box) {
  float ux = 0, uy = 0, textWidth = 0, textHeight = 0, captionWidth = 0, unused = 0;
  DialogUnits(dialog.resource, ux, uy);
  Control& text = dialog.controls[0];
  text.text = Wrap(text.text, box.widestText);
  MeasureText(text.text.c_str(), textWidth, textHeight);
  MeasureText(dialog.resource.caption, captionWidth, unused);
  const int count = box.buttons.count;
  const float buttonWidth = kButtonWidth * ux, buttonHeight = kButtonHeight * uy, gap = kButtonGap * ux;
  const float row = float(count) * buttonWidth + float(count - 1) * gap;
  const float marginX = kMargin * ux, marginY = kMargin * uy;
  dialog.clientWidth = std::ceil(std::max({textWidth, row, captionWidth + kCaptionRoom}) + 2 * marginX);
  text.x = marginX;
  text.y = marginY;
  text.width = text.maxWidth = std::ceil(textWidth);
  text.height = std::ceil(textHeight);
  const float buttonsY = text.y + text.height + kTextToButtons * uy;
  float x = std::floor((dialog.clientWidth - row) / 2);
  for (int i = 0; i < count; ++i, x += buttonWidth + gap) {
    Control& button = dialog.controls[size_t(i) + 1];
    button.x = x;
    button.y = buttonsY;
    button.width = buttonWidth;
    button.height = buttonHeight;
  }
  dialog.clientHeight = std::ceil(buttonsY + buttonHeight + marginY);
  dialog.closeBox = box.buttons.escapeAnswer != 0;
}

intptr_t MessageBoxProc(Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == WM_INITDIALOG) {
    LayOut(*dialog, *g_box);
    return 0;
  }
  if (message != WM_COMMAND) return 0;
  const int id = int(CommandId(wParam));
  for (int i = 0; i < g_box->buttons.count; ++i) {
    if (g_box->buttons.button[i].answer == id) {
      EndDialog(dialog, id);
      return 1;
    }
  }
  // Escape and the close box send Cancel: the box's escape answer, if it has one.
  if (id == IDCANCEL && g_box->buttons.escapeAnswer) EndDialog(dialog, g_box->buttons.escapeAnswer);
  return 1;
}

bool HasAnswer(const pw::MessageBoxButtons& buttons, int answer) {
  for (int i = 0; i < buttons.count; ++i)
    if (buttons.button[i].answer == answer) return true;
  return false;
}

}  // namespace

int MessageBoxInWindow(const DialogHost& host, const char* text, const char* caption, uint32_t type) {
  if (!host.window || !host.device || !host.window->IsVisible()) return -1;
  Box box;
  box.buttons = pw::MessageBoxButtonsOf(type);
  int width = 0, height = 0;
  host.window->GetClientSize(width, height);
  ControlResource controls[4] = {{ControlKind::Static, kMessageBoxText, text ? text : "", 0, 0, 0, 0, 0}};
  for (int i = 0; i < box.buttons.count; ++i) {
    const pw::MessageBoxButton& b = box.buttons.button[i];
    const ControlKind kind = b.answer == box.buttons.defaultAnswer ? ControlKind::DefaultButton : ControlKind::Button;
    controls[i + 1] = ControlResource{kind, b.answer, b.text, 0, 0, 0, 0, 0};
  }
  const DialogResource resource{kMessageBoxDialog, caption ? caption : "", 0, 0, 0, 0, "MS Sans Serif", 8, controls,
                                size_t(box.buttons.count) + 1};
  // The text keeps clear of the window's edges: its margins and a tenth of the window.
  float ux = 0, uy = 0;
  DialogUnits(resource, ux, uy);
  box.widestText = std::max(float(width) * 0.9f - 2 * kMargin * ux, 8 * ux);

  const Box* outer = g_box;
  g_box = &box;
  const intptr_t result = DialogBoxOver(resource, host, MessageBoxProc, 0);
  g_box = outer;
  if (result < 0) return -1;
  // Ended by the window's closing without an answer of its own.
  if (result == IDCANCEL && !HasAnswer(box.buttons, IDCANCEL)) return box.buttons.escapeAnswer;
  return int(result);
}

}  // namespace platform::dialogs
