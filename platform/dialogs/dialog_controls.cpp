// Messages to controls: texts of every control, entries and selection of list boxes.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/dialogs/dialog_internal.h"

namespace platform::dialogs {

namespace {

const char* TextOf(intptr_t lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  return text ? text : "";
}

// Copies at most size - 1 characters and a terminator; the characters copied.
intptr_t CopyOut(const std::string& text, uintptr_t size, intptr_t lParam) {
  char* buffer = reinterpret_cast<char*>(lParam);
  if (!buffer || size == 0) return 0;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return intptr_t(n);
}

bool InList(const Control& c, uintptr_t index) { return index < c.items.size(); }

bool StartsWithIgnoringCase(const std::string& entry, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return entry.size() >= n && strncasecmp(entry.c_str(), prefix, n) == 0;
}

intptr_t AddString(Control& c, const char* text) {
  auto at = c.items.end();
  if (c.style & LBS_SORT) {
    at = std::upper_bound(c.items.begin(), c.items.end(), std::string(text),
                          [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
  }
  const intptr_t index = at - c.items.begin();
  c.items.insert(at, text);
  if (c.selected >= index) ++c.selected;
  return index;
}

// The first entry after `start` (-1: from the start) beginning with the text, wrapping round.
intptr_t SelectString(Control& c, intptr_t start, const char* text) {
  const intptr_t count = intptr_t(c.items.size());
  if (count == 0) return LB_ERR;
  const intptr_t first = start < 0 || start >= count ? 0 : start + 1;
  for (intptr_t k = 0; k < count; ++k) {
    const intptr_t i = (first + k) % count;
    if (StartsWithIgnoringCase(c.items[size_t(i)], text)) {
      c.selected = int32_t(i);
      c.scrollTo = int32_t(i);
      return i;
    }
  }
  return LB_ERR;
}

intptr_t ListMessage(Control& c, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case LB_ADDSTRING:
      return AddString(c, TextOf(lParam));
    case LB_RESETCONTENT:
      c.items.clear();
      c.selected = -1;
      return 0;
    case LB_SETCURSEL:
      if (intptr_t(wParam) == -1) {
        c.selected = -1;
        return LB_ERR;  // as documented: clearing the selection reports LB_ERR
      }
      if (!InList(c, wParam)) return LB_ERR;
      c.selected = int32_t(wParam);
      c.scrollTo = c.selected;
      return c.selected;
    case LB_GETCURSEL:
      return c.selected;
    case LB_GETTEXTLEN:
      return InList(c, wParam) ? intptr_t(c.items[wParam].size()) : LB_ERR;
    case LB_GETTEXT: {
      if (!InList(c, wParam) || !lParam) return LB_ERR;
      const std::string& item = c.items[wParam];
      std::memcpy(reinterpret_cast<char*>(lParam), item.c_str(), item.size() + 1);
      return intptr_t(item.size());
    }
    case LB_GETCOUNT:
      return intptr_t(c.items.size());
    case LB_SELECTSTRING:
      return SelectString(c, intptr_t(wParam), TextOf(lParam));
    default:
      return 0;
  }
}

}  // namespace

intptr_t SendMessage(Control* control, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const bool listMessage = message >= LB_ADDSTRING && message <= LB_SELECTSTRING;
  if (!control) return listMessage ? LB_ERR : 0;
  switch (message) {
    case WM_SETTEXT:
      control->text = TextOf(lParam);
      return 1;
    case WM_GETTEXT:
      return CopyOut(control->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return intptr_t(control->text.size());
    default:
      break;
  }
  if (!listMessage) return 0;
  if (control->kind != ControlKind::ListBox) return LB_ERR;
  return ListMessage(*control, message, wParam, lParam);
}

}  // namespace platform::dialogs
