// A dialog as UI widgets: a window with the caption, centred in the engine window, and each control
// at its place. Clicks and keys become commands that the procedure gets after the frame.
#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/scripted_input.h"

namespace platform::dialogs {

namespace {

void Record(const Control& c, int32_t item) {
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  script::RecordRect(c.id, item, min.x, min.y, max.x, max.y);
}

constexpr float kEntryIndent = 2;  // list entries' text stands this far into their row

int DigitsOnly(ImGuiInputTextCallbackData* data) { return data->EventChar >= '0' && data->EventChar <= '9' ? 0 : 1; }

// Vertical padding that makes a one-line widget as tall as its control.
float PaddingFor(const Control& c) {
  const float padding = (c.height - ImGui::GetFontSize()) * 0.5f;
  return padding > 1.0f ? padding : 1.0f;
}

void DrawButton(Dialog& d, const Control& c) {
  const bool isDefault = c.kind == ControlKind::DefaultButton;
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(2, PaddingFor(c)));
  if (isDefault) ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
  if (ImGui::Button(c.text.c_str(), ImVec2(c.width, c.height))) d.QueueCommand(c.id, BN_CLICKED);
  if (isDefault) ImGui::PopStyleVar();
  ImGui::PopStyleVar();
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
      script::RecordText(c.items[size_t(i)], ImGui::CalcTextSize(c.items[size_t(i)].c_str()).x + kEntryIndent,
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
  script::RecordText(c.text, textWidth, width);
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

const Control* DefaultButton(const Dialog& d) {
  for (const Control& c : d.controls)
    if (c.kind == ControlKind::DefaultButton) return &c;
  return nullptr;
}

}  // namespace

bool FontBaseUnits(float& width, float& height) {
  if (!ImGui::GetCurrentContext()) return false;
  ImFontAtlas* atlas = ImGui::GetIO().Fonts;
  if (!atlas || atlas->Fonts.empty() || !atlas->Fonts[0]->IsLoaded()) return false;
  ImFont* font = atlas->Fonts[0];
  // As the dialog manager measures its font: the extent of the 52 letters, halved and rounded over 26.
  const float letters =
      font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz").x;
  width = float((int(letters) / 26 + 1) / 2);
  height = std::round(font->FontSize);
  return width > 0 && height > 0;
}

void DrawDialog(Dialog& d) {
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(d.clientWidth, d.clientHeight + ImGui::GetFrameHeight()), ImGuiCond_Always);
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Appearing,
                          ImVec2(0.5f, 0.5f));
  bool open = true;
  const std::string title = std::string(d.resource.caption ? d.resource.caption : "") + "###dialog";
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                                 ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoScrollbar |
                                 ImGuiWindowFlags_NoScrollWithMouse;
  if (ImGui::Begin(title.c_str(), &open, flags)) {
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    for (size_t i = 0; i < d.controls.size(); ++i) {
      ImGui::PushID(int(i));
      DrawControl(d, d.controls[i], origin);
      ImGui::PopID();
    }
  }
  ImGui::End();
  ImGui::PopStyleVar();
  // Return stands for the default button, Escape and the title bar's close box for Cancel.
  const Control* defaultButton = DefaultButton(d);
  const bool enter = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
                     ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false);
  if (enter && defaultButton) d.QueueCommand(defaultButton->id, BN_CLICKED);
  if (!open || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) d.QueueCommand(IDCANCEL, BN_CLICKED);
}

}  // namespace platform::dialogs
