#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace platform::window {

namespace {

WindowMessageBox g_windowBox = nullptr;
bool g_shownUnderTest = false;
test::SystemMessageBox g_systemBoxForTests = nullptr;
int g_unshownAnswer = 0;

bool UnderTest() {
  const char* underTest = std::getenv("QEL_UNDER_TEST");
  return underTest && *underTest && std::strcmp(underTest, "0") != 0;
}

// An X or Wayland display the system's box could open on.
bool HaveDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver) return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display && *display) || (wayland && *wayland);
}

// A button's text without its key-letter mark ("&&" stands for "&").
std::string WithoutMark(const char* text) {
  std::string plain;
  for (const char* p = text; *p; ++p) {
    if (*p == '&' && p[1]) ++p;
    plain += *p;
  }
  return plain;
}

uint32_t IconFlag(uint32_t type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

// The system's box: the answer, or -1 when it could not be shown.
int ShowSystemBox(Window* owner, const char* text, const char* caption, uint32_t type) {
  const MessageBoxButtons buttons = MessageBoxButtonsOf(type);
  std::string texts[3];
  SDL_MessageBoxButtonData data[3] = {};
  for (int i = 0; i < buttons.count; ++i) {
    const MessageBoxButton& b = buttons.button[i];
    texts[i] = WithoutMark(b.text);
    data[i].buttonid = b.answer;
    data[i].text = texts[i].c_str();
    if (b.answer == buttons.defaultAnswer) data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (b.answer == buttons.escapeAnswer) data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  }
  const SDL_MessageBoxData box{IconFlag(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                               owner ? owner->NativeWindow() : nullptr,
                               caption,
                               text,
                               buttons.count,
                               data,
                               nullptr};
  int chosen = -1;
  if (SDL_ShowMessageBox(&box, &chosen) < 0) return -1;
  return chosen < 0 ? buttons.escapeAnswer : chosen;  // -1: closed by the window manager
}

}  // namespace

MessageBoxButtons MessageBoxButtonsOf(uint32_t type) {
  MessageBoxButtons b{};
  const auto set = [&b](std::initializer_list<MessageBoxButton> buttons, int escapeAnswer) {
    for (const MessageBoxButton& button : buttons) b.button[b.count++] = button;
    b.escapeAnswer = escapeAnswer;
  };
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: set({{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDCANCEL); break;
    case MB_ABORTRETRYIGNORE: set({{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}}, 0); break;
    case MB_YESNOCANCEL: set({{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "&Cancel"}}, IDCANCEL); break;
    case MB_YESNO: set({{IDYES, "&Yes"}, {IDNO, "&No"}}, 0); break;
    case MB_RETRYCANCEL: set({{IDRETRY, "&Retry"}, {IDCANCEL, "&Cancel"}}, IDCANCEL); break;
    default: set({{IDOK, "OK"}}, IDOK); break;
  }
  const int defaultIndex = int((type & MB_DEFMASK) >> 8);
  b.defaultAnswer = b.button[defaultIndex < b.count ? defaultIndex : 0].answer;
  return b;
}

void SetWindowMessageBox(WindowMessageBox box) { g_windowBox = box; }

bool MessageBoxesSilenced() { return (UnderTest() && !g_shownUnderTest) || (!HaveDisplay() && !g_windowBox); }

int MessageBox(Window* owner, const char* text, const char* caption, uint32_t type) {
  text = text ? text : "";
  caption = caption ? caption : "";
  std::fprintf(stderr, "%s: %s\n", *caption ? caption : "qel", text);
  const int unshown = g_unshownAnswer ? g_unshownAnswer : MessageBoxButtonsOf(type).defaultAnswer;
  if (UnderTest() && !g_shownUnderTest) return unshown;
  int answer = -1;
  if (g_systemBoxForTests) answer = g_systemBoxForTests(text, caption, type);
  else if (HaveDisplay()) answer = ShowSystemBox(owner, text, caption, type);
  if (answer < 0 && g_windowBox) answer = g_windowBox(text, caption, type);
  return answer < 0 ? unshown : answer;
}

namespace test {
void ShowMessageBoxes(bool shown) { g_shownUnderTest = shown; }
void SetSystemMessageBox(SystemMessageBox box) { g_systemBoxForTests = box; }
void AnswerUnshownBoxesWith(int answer) { g_unshownAnswer = answer; }
}  // namespace test

}  // namespace platform::window
