// Unsaved work and message boxes with a real keyboard and pointer, where the system's message box
// cannot be shown (as on this X server): the question about unsaved work and the other boxes are drawn
// in the editor's window and answered by keys, quick clicks and the window's close, at every size.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/open_file.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"
#include "tests/game/editor/desktop/desktop_fixture.h"

namespace editor_desktop_test {
namespace {

namespace pd = platform::dialogs;
namespace pw = platform::window;

// The system's box fails here as it does on an X server without fonts or helper programs; made sure
// of, so the test does not hang on a system box where one can show.
int SystemBoxFails(const char*, const char*, uint32_t) { return -1; }

struct WindowSize {
  int width, height;
};

class LeaveDesktopTest : public DesktopTest, public ::testing::WithParamInterface<WindowSize> {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    pw::test::ShowMessageBoxes(true);
    pw::test::SetSystemMessageBox(SystemBoxFails);
    pt::CaptureFrames(true);
  }
  void TearDown() override {
    pt::CaptureFrames(false);
    pw::test::SetSystemMessageBox(nullptr);
    pw::test::ShowMessageBoxes(false);
    fs::remove_all("Maps");
    DesktopTest::TearDown();
  }

  std::string Size() const { return std::to_string(GetParam().width) + "x" + std::to_string(GetParam().height); }

  // With QEL_SCREENSHOTS set to a folder, the window as the last dialog frame drew it, as "<name>.png".
  void Screenshot(const std::string& name) {
    Do([name] {
      const char* folder = std::getenv("QEL_SCREENSHOTS");
      int width = 0, height = 0;
      const std::vector<uint32_t>& pixels = pt::LastFrame(&width, &height);
      if (!folder || !*folder || pixels.empty()) return;
      platform::d3dx::Picture picture(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
      picture.pixels = pixels;
      std::vector<uint8_t> bytes;
      platform::d3dx::EncodePicture(platform::d3dx::IFF_PNG, picture, false, bytes);
      std::ofstream(fs::path(folder) / (name + ".png"), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    });
  }

  // A press and release of the left button on the control, both sent between two frames.
  void QuickClick(int32_t control) {
    WaitFor([control] {
      float x0, y0, x1, y1;
      return pt::ControlRect(control, x0, y0, x1, y1);
    });
    Do([this, control] {
      float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      pt::ControlRect(control, x0, y0, x1, y1);
      MoveTo((x0 + x1) / 2, (y0 + y1) / 2);
    });
    Do([] {
      Button(1, true);
      Button(1, false);
    });
  }

  // The window manager's close: the X client message asking the window to close.
  static void CloseWindow() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(GetCoreDataPointer()->window->NativeWindow(), &info));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = info.info.x11.window;
    event.xclient.message_type = XInternAtom(X(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(X(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(X(), info.info.x11.window, False, NoEventMask, &event);
    XSync(X(), False);
  }

  void WaitForQuestion() {
    WaitForDialog(pd::kMessageBoxDialog);
    WaitFor([] { return pt::ControlText(pd::kMessageBoxText) == "Save changes to Untitled?"; });
  }
};

// A block placed. Escape asks; Escape there is Cancel. Escape asks again; a quick click on Cancel.
// The window's close asks; Return is Yes: the map is saved, "Map Saved." shows in the window and a
// click on its OK ends the editor with the close still requested.
TEST_P(LeaveDesktopTest, TheQuestionTakesKeysQuickClicksAndTheWindowsClose) {
  UseWindowSize(GetParam().width, GetParam().height);
  Wait(3);
  PressKey(kLinuxRight);
  PressKey(kLinuxOne);
  PressKey(kLinuxEscape);
  WaitForQuestion();
  Wait(3);
  Do([] {
    EXPECT_EQ(pt::OpenDialogCaption(), "Qel");
    EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{});
  });
  Screenshot("question-" + Size());
  PressKey(kLinuxEscape);
  WaitForNoDialog();
  Wait(5);
  Do([] { EXPECT_EQ(Game().state, uint32_t(kStateEditor)); });

  PressKey(kLinuxEscape);
  WaitForQuestion();
  QuickClick(pw::IDCANCEL);
  WaitForNoDialog();
  Wait(5);
  Do([] { EXPECT_EQ(CurrentMap().header.recordCount, 2) << "the work is still there"; });

  Do([] { CloseWindow(); });
  WaitForQuestion();
  PressKey(kLinuxReturn);
  WaitFor([] { return pt::OpenDialogId() == pd::kMessageBoxDialog && pt::ControlText(pd::kMessageBoxText) == "Map Saved."; });
  Wait(3);
  Do([] { EXPECT_EQ(pt::OpenDialogCaption(), "Success"); });
  Screenshot("map-saved-" + Size());
  QuickClick(pw::IDOK);
  RunPlan();

  EXPECT_EQ(Game().state, uint32_t(kStateEditor)) << "the close leaves the state as it is";
  EXPECT_TRUE(fs::exists("Maps/In Progress/Untitled.qel"));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, LeaveDesktopTest,
                         ::testing::Values(WindowSize{640, 480}, WindowSize{800, 600}, WindowSize{1024, 768}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

class BoxesDesktopTest : public LeaveDesktopTest {};

// N answers No: the editor ends at once and nothing is written. A file name refused in the open-file
// dialog is said in a box over it; its OK leaves the open-file dialog as it was.
TEST_P(BoxesDesktopTest, NoByItsKeyLetterAndABoxOverTheOpenFileDialog) {
  UseWindowSize(GetParam().width, GetParam().height);
  Wait(3);
  PressKey(kLinuxO);
  WaitFor([] {
    float x0, y0, x1, y1;
    return pt::ControlRect(pd::kFileListControl, x0, y0, x1, y1);
  });
  TypeInto(pd::kFileNameControl, "missing.qel");
  PressKey(kLinuxReturn);
  WaitFor([] { return pt::OpenDialogId() == pd::kMessageBoxDialog; });
  Wait(3);
  Do([] {
    EXPECT_EQ(pt::OpenDialogCaption(), "Open");
    EXPECT_EQ(pt::ControlText(pd::kMessageBoxText).rfind("missing.qel\nFile not found.", 0), 0u)
        << pt::ControlText(pd::kMessageBoxText);
  });
  Screenshot("open-refused-" + Size());
  QuickClick(pw::IDOK);
  WaitFor([] { return pt::OpenDialogId() != pd::kMessageBoxDialog; });
  Wait(3);
  Do([] {
    EXPECT_EQ(pt::ControlText(pd::kFileNameControl), "missing.qel") << "the open-file dialog stays as it was";
  });
  ClickControl(pd::IDCANCEL);
  WaitForNoDialog();
  Wait(3);

  PressKey(kLinuxRight);
  PressKey(kLinuxOne);
  PressKey(kLinuxEscape);
  WaitForQuestion();
  PressKey(kLinuxN);
  RunPlan();

  EXPECT_EQ(Game().state, uint32_t(kStateQuit));
  EXPECT_FALSE(fs::exists("Maps/In Progress/Untitled.qel"));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, BoxesDesktopTest,
                         ::testing::Values(WindowSize{640, 480}, WindowSize{800, 600}, WindowSize{1024, 768}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
}  // namespace editor_desktop_test
