// A dialog as UI widgets: a window with the caption, centred in the engine window, and each control
// at its place. Clicks and keys become commands that the procedure gets after the frame.
#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <string>

#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/scripted_input.h"

namespace platform::dialogs {

namespace {

// Whether the dialog being drawn takes input: an inert one (under a message box) reports nothing.
bool g_drawingActive = true;

void Record(const Control& c, int32_t item) {
  if (!g_drawingActive) return;
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  script::RecordRect(c.id, item, min.x, min.y, max.x, max.y);
}

void RecordText(const std::string& text, float width, float room) {
  if (g_drawingActive) script::RecordText(text, width, room);
}

// A text with its key-letter mark taken out ("&&" stands for "&"); `marked` is where the letter
// stands in the plain text, -1 when there is none.
std::string PlainText(const std::string& text, int& marked) {
  std::string plain;
  marked = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && marked < 0) marked = int(plain.size());
    }
    plain += text[i];
  }
  return plain;
}

// True when the letter was typed in this frame (either case) and no edit takes the typing.
bool LetterTyped(char letter) {
  const ImGuiIO& io = ImGui::GetIO();
  if (io.WantTextInput) return false;
  const int wanted = std::tolower(static_cast<unsigned char>(letter));
  for (int i = 0; i < io.InputQueueCharacters.Size; ++i) {
    const ImWchar typed = io.InputQueueCharacters[i];
    if (typed < 128 && std::tolower(int(typed)) == wanted) return true;
  }
  return false;
}

constexpr float kEntryIndent = 2;  // list entries' text stands this far into their row

int DigitsOnly(ImGuiInputTextCallbackData* data) { return data->EventChar >= '0' && data->EventChar <= '9' ? 0 : 1; }

// Vertical padding that makes a one-line widget as tall as its control.
float PaddingFor(const Control& c) {
  const float padding = (c.height - ImGui::GetFontSize()) * 0.5f;
  return padding > 1.0f ? padding : 1.0f;
}

// The key letter of a button drawn underlined, where the UI library centres the button's text.
void UnderlineKeyLetter(const std::string& plain, int marked) {
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  const ImVec2 size = ImGui::CalcTextSize(plain.c_str());
  const float x = std::floor((min.x + max.x - size.x) * 0.5f) + ImGui::CalcTextSize(plain.c_str(), plain.c_str() + marked).x;
  const float width = ImGui::CalcTextSize(plain.c_str() + marked, plain.c_str() + marked + 1).x;
  const float y = std::floor((min.y + max.y + size.y) * 0.5f);
  ImGui::GetWindowDrawList()->AddLine(ImVec2(x, y), ImVec2(x + width, y), ImGui::GetColorU32(ImGuiCol_Text));
}

void DrawButton(Dialog& d, const Control& c) {
  const bool isDefault = c.kind == ControlKind::DefaultButton;
  int marked = -1;
  const std::string plain = PlainText(c.text, marked);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(2, PaddingFor(c)));
  if (isDefault) ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
  const bool clicked = ImGui::Button((plain + "##button").c_str(), ImVec2(c.width, c.height));
  if (isDefault) ImGui::PopStyleVar();
  ImGui::PopStyleVar();
  if (marked >= 0) UnderlineKeyLetter(plain, marked);
  if (g_drawingActive && (clicked || (marked >= 0 && LetterTyped(plain[size_t(marked)]))))
    d.QueueCommand(c.id, BN_CLICKED);
  Record(c, -1);
}

void DrawEdit(Control& c) {
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(3, PaddingFor(c)));
  ImGui::SetNextItemWidth(c.width);
  const bool numbers = (c.style & ES_NUMBER) != 0;
  ImGui::InputText("##edit", &c.text, numbers ? ImGuiInputTextFlags_CallbackCharFilter : 0,
                   numbers ? DigitsOnly : nullptr);
  ImGui::PopStyleVar();
  Record(c, -1);
}

// Entries are drawn as plain text beside an unlabelled selectable, so no entry text is read as
// widget markup.
// The list shows whole entries: its height is cut to a whole number of them, as a list box does.
void DrawListBox(Dialog& d, Control& c) {
  const float padding = ImGui::GetStyle().FramePadding.y * 2, row = ImGui::GetFontSize();
  const float rows = std::max(1.0f, std::floor((c.height - padding) / row));
  if (ImGui::BeginListBox("##list", ImVec2(c.width, std::min(c.height, rows * row + padding)))) {
    const bool notify = (c.style & LBS_NOTIFY) != 0;
    for (int32_t i = 0; i < int32_t(c.items.size()); ++i) {
      ImGui::PushID(i);
      if (ImGui::Selectable("##entry", c.selected == i, ImGuiSelectableFlags_AllowDoubleClick)) {
        c.selected = i;
        if (notify) d.QueueCommand(c.id, LBN_SELCHANGE);
        if (notify && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) d.QueueCommand(c.id, LBN_DBLCLK);
      }
      Record(c, i);
      const ImVec2 entryMin = ImGui::GetItemRectMin(), entryMax = ImGui::GetItemRectMax();
      ImGui::GetWindowDrawList()->AddText(ImVec2(entryMin.x + kEntryIndent, entryMin.y), ImGui::GetColorU32(ImGuiCol_Text),
                                          c.items[size_t(i)].c_str());
      RecordText(c.items[size_t(i)], ImGui::CalcTextSize(c.items[size_t(i)].c_str()).x + kEntryIndent,
                 entryMax.x - entryMin.x);
      if (c.scrollTo == i) {
        ImGui::SetScrollHereY();
        c.scrollTo = -1;
      }
      ImGui::PopID();
    }
    if (c.scrollTo >= int32_t(c.items.size())) c.scrollTo = -1;
    ImGui::EndListBox();
  }
  Record(c, -1);
}

// A static's text, cut to the room it has (its rectangle, widened into free room beside it) so a
// long label never runs over its neighbour.
void DrawStatic(const Control& c) {
  const ImVec2 min = ImGui::GetCursorScreenPos();
  const float textWidth = ImGui::CalcTextSize(c.text.c_str()).x;
  const float width = std::min(std::max(c.width, textWidth), c.maxWidth);
  ImGui::PushClipRect(min, ImVec2(min.x + width, min.y + std::max(c.height, ImGui::GetFontSize())), true);
  ImGui::TextUnformatted(c.text.c_str());
  ImGui::PopClipRect();
  Record(c, -1);
  RecordText(c.text, textWidth, width);
}

void DrawControl(Dialog& d, Control& c, ImVec2 origin) {
  ImGui::SetCursorScreenPos(ImVec2(origin.x + c.x, origin.y + c.y));
  switch (c.kind) {
    case ControlKind::Static:
      DrawStatic(c);
      break;
    case ControlKind::Button:
    case ControlKind::DefaultButton:
      DrawButton(d, c);
      break;
    case ControlKind::Edit:
      DrawEdit(c);
      break;
    case ControlKind::ListBox:
      DrawListBox(d, c);
      break;
  }
}

// The font dialogs are drawn in, null while no dialog session is open.
ImFont* DialogFont() {
  if (!ImGui::GetCurrentContext()) return nullptr;
  ImFontAtlas* atlas = ImGui::GetIO().Fonts;
  if (!atlas || atlas->Fonts.empty() || !atlas->Fonts[0]->IsLoaded()) return nullptr;
  return atlas->Fonts[0];
}

const Control* DefaultButton(const Dialog& d) {
  for (const Control& c : d.controls)
    if (c.kind == ControlKind::DefaultButton) return &c;
  return nullptr;
}

}  // namespace

bool FontBaseUnits(float& width, float& height) {
  ImFont* font = DialogFont();
  if (!font) return false;
  // As the dialog manager measures its font: the extent of the 52 letters, halved and rounded over 26.
  const float letters =
      font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz").x;
  width = float((int(letters) / 26 + 1) / 2);
  height = std::round(font->FontSize);
  return width > 0 && height > 0;
}

bool MeasureText(const char* text, float& width, float& height) {
  ImFont* font = DialogFont();
  if (!font || !text) return false;
  const ImVec2 size = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, text);
  width = size.x;
  height = size.y;
  return true;
}

void DrawDialog(Dialog& d, bool active, int depth) {
  const ImGuiIO& io = ImGui::GetIO();
  g_drawingActive = active;
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(d.clientWidth, d.clientHeight + ImGui::GetFrameHeight()), ImGuiCond_Always);
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Appearing,
                          ImVec2(0.5f, 0.5f));
  if (active && depth > 0) ImGui::SetNextWindowFocus();  // over the dialog it was opened from
  bool open = true;
  const std::string title =
      std::string(d.resource.caption ? d.resource.caption : "") + "###dialog" + std::to_string(depth);
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                           ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse;
  if (!active) flags |= ImGuiWindowFlags_NoInputs;
  if (ImGui::Begin(title.c_str(), d.closeBox ? &open : nullptr, flags)) {
    // An inert dialog looks as it did; it only takes nothing.
    ImGui::PushStyleVar(ImGuiStyleVar_DisabledAlpha, 1.0f);
    ImGui::BeginDisabled(!active);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    for (size_t i = 0; i < d.controls.size(); ++i) {
      ImGui::PushID(int(i));
      DrawControl(d, d.controls[i], origin);
      ImGui::PopID();
    }
    ImGui::EndDisabled();
    ImGui::PopStyleVar();
  }
  ImGui::End();
  ImGui::PopStyleVar();
  g_drawingActive = true;
  if (!active) return;
  // Return stands for the default button, Escape and the title bar's close box for Cancel.
  const Control* defaultButton = DefaultButton(d);
  const bool enter = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
                     ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false);
  if (enter && defaultButton) d.QueueCommand(defaultButton->id, BN_CLICKED);
  if (!open || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) d.QueueCommand(IDCANCEL, BN_CLICKED);
}

}  // namespace platform::dialogs
