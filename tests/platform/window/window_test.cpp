// The window layer against a real X server (Xvfb, 1024 x 768).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/fs/save.h"
#include "platform/window/clock.h"
#include "platform/window/cursor.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

// After gtest: the X headers define None, True and False as macros.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace pw = platform::window;

namespace {

std::vector<pw::Message> g_dispatched;

intptr_t Record(pw::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  g_dispatched.push_back(pw::Message{window, message, wParam, lParam});
  return 0;
}

class WindowLayer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(pw::InitPlatform()); }
  void SetUp() override {
    window_ = pw::Window::Create("first", pw::WS_OVERLAPPEDWINDOW, 10, 20, 320, 240, Record);
    ASSERT_NE(window_, nullptr);
    pw::ClearMessageQueue();
    g_dispatched.clear();
  }
  void TearDown() override {
    pw::Window::Destroy(window_);
    pw::ClearMessageQueue();
  }

  std::vector<pw::Message> Drain() {
    std::vector<pw::Message> messages;
    pw::Message m{};
    while (pw::PeekMessage(m)) messages.push_back(m);
    return messages;
  }
  // Waits (pumping) until the X server has caught up with a request.
  template <typename Done>
  bool WaitFor(Done done) {
    const uint32_t start = pw::TimeGetTime();
    while (!done()) {
      SDL_PumpEvents();
      if (pw::TimeGetTime() - start > 3000) return false;
      SDL_Delay(5);
    }
    return true;
  }
  void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }
  SDL_Event KeyDown(SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window_->Id();
    e.key.keysym.sym = key;
    return e;
  }

  pw::Window* window_ = nullptr;
};

TEST_F(WindowLayer, TypedTextAndControlKeysBecomeCharacters) {
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = window_->Id();
  // a, e-acute, euro sign, Greek capital omega, a stray continuation byte
  std::strcpy(text.text.text, "a\xC3\xA9\xE2\x82\xAC\xCE\xA9\x80");
  Push(text);
  Push(KeyDown(SDLK_BACKSPACE));
  Push(KeyDown(SDLK_RETURN));
  Push(KeyDown(SDLK_ESCAPE));

  std::vector<std::pair<uint32_t, uintptr_t>> got;
  for (const pw::Message& m : Drain()) got.emplace_back(m.message, m.wParam);
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
      // Windows-1252 bytes; what the set cannot hold comes as the substitute byte, one per character
      {pw::WM_CHAR, 'a'}, {pw::WM_CHAR, 0xE9}, {pw::WM_CHAR, 0x80}, {pw::WM_CHAR, 0x1A}, {pw::WM_CHAR, 0x1A},
      {pw::WM_KEYDOWN, pw::VK_BACK}, {pw::WM_CHAR, 8},
      {pw::WM_KEYDOWN, pw::VK_RETURN}, {pw::WM_CHAR, 13},
      {pw::WM_KEYDOWN, pw::VK_ESCAPE}, {pw::WM_CHAR, 27}};
  EXPECT_EQ(got, expected);
}

// The frame's wait sleeps on the window's events: a quiet window's wait ends by its timeout, an event
// from another thread wakes it, and what woke it stays queued for PeekMessage.
TEST_F(WindowLayer, WaitForEventsSleepsUntilAnEventAndLeavesItQueued) {
  window_->Show(true);
  ASSERT_TRUE(WaitFor([&] {
    Drain();  // the showing's own events
    return !pw::WaitForEvents(20);
  }));

  std::thread pusher([this] {
    SDL_Delay(50);
    SDL_Event key = KeyDown(SDLK_ESCAPE);
    SDL_PushEvent(&key);
  });
  const uint32_t start = pw::TimeGetTime();
  EXPECT_TRUE(pw::WaitForEvents(20000));
  EXPECT_LT(pw::TimeGetTime() - start, 10000u) << "the event did not end the wait";
  pusher.join();
  std::vector<uint32_t> got;
  for (const pw::Message& m : Drain()) got.push_back(m.message);
  EXPECT_EQ(got, (std::vector<uint32_t>{pw::WM_KEYDOWN, pw::WM_CHAR}));

  // A message already queued, a queued paint and a posted quit need no wait.
  pw::PostMessage(window_, pw::WM_USER, 0, 0);
  EXPECT_TRUE(pw::WaitForEvents(20000));
  Drain();
  window_->Invalidate();
  EXPECT_TRUE(pw::WaitForEvents(20000));
  Drain();
  pw::PostQuitMessage(0);
  EXPECT_TRUE(pw::WaitForEvents(20000));
}

TEST_F(WindowLayer, MouseAndCloseMessages) {
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = window_->Id();
  motion.motion.x = 33;
  motion.motion.y = 44;
  Push(motion);
  SDL_Event button{};
  button.type = SDL_MOUSEBUTTONDOWN;
  button.button.windowID = window_->Id();
  button.button.button = SDL_BUTTON_RIGHT;
  Push(button);
  button.type = SDL_MOUSEBUTTONUP;
  Push(button);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = window_->Id();
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(close);

  std::vector<pw::Message> got;
  for (const pw::Message& m : Drain()) {
    if (m.message != pw::WM_MOVE && m.message != pw::WM_SIZE && m.message != pw::WM_PAINT &&
        m.message != pw::WM_SETFOCUS && m.message != pw::WM_KILLFOCUS) {
      got.push_back(m);
    }
  }
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, pw::WM_MOUSEMOVE);
  EXPECT_EQ(pw::LowWord(got[0].lParam), 33);
  EXPECT_EQ(pw::HighWord(got[0].lParam), 44);
  EXPECT_EQ(got[1].message, pw::WM_RBUTTONDOWN);
  EXPECT_EQ(got[2].message, pw::WM_RBUTTONUP);
  EXPECT_EQ(got[3].message, pw::WM_CLOSE);
  EXPECT_EQ(got[3].window, window_);
}

TEST_F(WindowLayer, QuitComesAfterQueuedMessagesAndPaintLast) {
  window_->Invalidate();
  window_->Invalidate();  // merged
  pw::PostQuitMessage(3);
  pw::PostMessage(window_, pw::WM_USER + 1, 1, 0);
  const auto messages = Drain();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].message, pw::WM_USER + 1);
  EXPECT_EQ(messages[1].message, pw::WM_QUIT);
  EXPECT_EQ(messages[1].wParam, 3u);
  EXPECT_EQ(messages[2].message, pw::WM_PAINT);
  pw::DispatchMessage(messages[2]);
  ASSERT_EQ(g_dispatched.size(), 1u);
  EXPECT_EQ(g_dispatched[0].message, pw::WM_PAINT);
}

TEST_F(WindowLayer, ApplicationQuitClosesTheMainWindow) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  bool closed = false;
  for (const pw::Message& m : Drain()) closed |= m.message == pw::WM_CLOSE && m.window == window_;
  EXPECT_TRUE(closed);
}

TEST_F(WindowLayer, DestroySendsWmDestroyAndDropsQueuedMessages) {
  pw::Window* second = pw::Window::Create("second", pw::WS_POPUP, 0, 0, 50, 50, Record);
  ASSERT_NE(second, nullptr);
  pw::PostMessage(second, pw::WM_USER, 0, 0);
  pw::Window::Destroy(second);
  ASSERT_FALSE(g_dispatched.empty());
  EXPECT_EQ(g_dispatched.back().message, pw::WM_DESTROY);
  for (const pw::Message& m : Drain()) EXPECT_NE(m.window, second);
}

TEST_F(WindowLayer, TitleStyleSizePositionAndFullScreen) {
  window_->SetTitle("Qel");
  EXPECT_EQ(window_->Title(), "Qel");
  EXPECT_FALSE(SDL_GetWindowFlags(window_->NativeWindow()) & SDL_WINDOW_BORDERLESS);
  window_->SetStyle(pw::WS_POPUP);
  EXPECT_TRUE(SDL_GetWindowFlags(window_->NativeWindow()) & SDL_WINDOW_BORDERLESS);
  EXPECT_EQ(window_->Style(), pw::WS_POPUP);

  window_->Show(true);
  EXPECT_TRUE(window_->IsVisible());
  window_->SetOuterSize(400, 300);
  int w = 0, h = 0;
  EXPECT_TRUE(WaitFor([&] { window_->GetClientSize(w, h); return w == 400 && h == 300; })) << w << "x" << h;
  window_->SetPosition(100, 50);
  int x = 0, y = 0;
  EXPECT_TRUE(WaitFor([&] { window_->GetPosition(x, y); return x == 100 && y == 50; })) << x << "," << y;

  int screenWidth = 0, screenHeight = 0;
  pw::GetScreenSize(screenWidth, screenHeight);
  EXPECT_EQ(screenWidth, 1024);
  EXPECT_EQ(screenHeight, 768);
  const pw::ScreenRect area = pw::GetWorkArea();
  EXPECT_GT(area.width, 0);
  EXPECT_LE(area.width, screenWidth);

  window_->SetFullscreen(true);
  EXPECT_TRUE(window_->IsFullscreen());
  EXPECT_TRUE(WaitFor([&] { window_->GetClientSize(w, h); return w == 1024 && h == 768; })) << w << "x" << h;
  window_->SetFullscreen(false);
  EXPECT_FALSE(window_->IsFullscreen());
  EXPECT_TRUE(WaitFor([&] { window_->GetClientSize(w, h); return w == 400 && h == 300; })) << w << "x" << h;
  window_->DrawableSize(w, h);
  EXPECT_EQ(w, 400);
  EXPECT_NE(window_->DeviceWindow(), nullptr);
}

// The icon the X server holds for the window (_NET_WM_ICON: width, height, then ARGB pixels).
std::vector<unsigned long> IconProperty(pw::Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window->NativeWindow(), &info) || info.subsystem != SDL_SYSWM_X11) return {};
  Display* display = info.info.x11.display;
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 16, False,
                     AnyPropertyType, &type, &format, &count, &after, &data);
  std::vector<unsigned long> values;
  if (data) values.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
  if (data) XFree(data);
  return values;
}

// Windows show the class icon from the start; hiding it leaves one transparent pixel (SDL keeps the
// last icon when handed none); showing it again restores it. Without a class icon there is none.
TEST_F(WindowLayer, WindowsShowTheClassIconUntilItIsTakenAway) {
  EXPECT_FALSE(pw::LoadClassIcon("no such icon.bmp"));
  EXPECT_FALSE(pw::HasClassIcon());
  platform::d3dx::Picture picture(16, 16, 0xFF3060C0);
  picture.At(0, 0) = 0x80FFFFFF;  // its alpha survives
  std::vector<uint8_t> bytes;
  ASSERT_EQ(platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, true, bytes), platform::gfx::kOk);
  const std::string file = testing::TempDir() + "icon.bmp";
  ASSERT_TRUE(platform::fs::SaveWholeFile(file, bytes.data(), bytes.size()));
  ASSERT_TRUE(pw::LoadClassIcon(file));

  pw::Window* second = pw::Window::Create("second", pw::WS_OVERLAPPEDWINDOW, 30, 40, 200, 100, Record);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->ShowsIcon());
  std::vector<unsigned long> icon = IconProperty(second);
  ASSERT_EQ(icon.size(), 2u + 16 * 16);
  EXPECT_EQ(icon[0], 16u);
  EXPECT_EQ(icon[1], 16u);
  // Rows top down; the pixel at (0, 0) keeps its alpha.
  EXPECT_EQ(icon[2] & 0xFFFFFFFFu, 0x80FFFFFFu);
  EXPECT_EQ(icon[3] & 0xFFFFFFFFu, 0xFF3060C0u);

  second->SetIcon(false);
  EXPECT_FALSE(second->ShowsIcon());
  icon = IconProperty(second);
  ASSERT_EQ(icon.size(), 3u);
  EXPECT_EQ(icon[2] & 0xFF000000u, 0u);
  second->SetIcon(true);
  EXPECT_EQ(IconProperty(second).size(), 2u + 16 * 16);
  pw::Window::Destroy(second);

  EXPECT_FALSE(pw::LoadClassIcon("no such icon.bmp"));  // and the old one is gone
  window_->SetIcon(true);
  EXPECT_FALSE(window_->ShowsIcon());
}

TEST(Platform, MessageBoxesAreSkippedUnderTestAndClocksRun) {
  EXPECT_TRUE(pw::MessageBoxesSilenced());
  EXPECT_EQ(pw::MessageBox(nullptr, "logged only", "qel", pw::MB_ICONERROR), pw::IDOK);

  const uint32_t ms = pw::TimeGetTime();
  const uint64_t ticks = pw::QueryPerformanceCounter();
  SDL_Delay(20);
  EXPECT_GE(pw::TimeGetTime() - ms, 19u);
  EXPECT_GE(pw::QueryPerformanceCounter() - ticks, pw::QueryPerformanceFrequency() / 100);

  // The counter places every reading of the millisecond clock: a sleep to the counter's reading of a
  // millisecond never wakes before the millisecond clock reads it.
  for (int i = 0; i < 10; ++i) {
    const uint32_t now = pw::TimeGetTime();
    const uint64_t counter = pw::QueryPerformanceCounter();
    if (pw::TimeGetTime() != now) continue;  // a millisecond ended in between
    EXPECT_LE(pw::CounterAtTime(now), counter);
    EXPECT_GT(pw::CounterAtTime(now + 1), counter);
    EXPECT_EQ(pw::CounterAtTime(now + 5) - pw::CounterAtTime(now - 3), 8 * pw::QueryPerformanceFrequency() / 1000);
    pw::SleepUntilCounter(pw::CounterAtTime(now + 2));
    EXPECT_GE(int32_t(pw::TimeGetTime() - (now + 2)), 0);
  }

  EXPECT_EQ(pw::ShowCursor(false), -1);
  EXPECT_EQ(pw::ShowCursor(true), 0);
}

}  // namespace
