// Message boxes drawn in the engine window when the system's box cannot be shown: the same text, title,
// buttons and answer, by mouse and keys; over an open dialog; when the window closes under them; and
// where nothing can be drawn, the log and the default answer.
#include <SDL.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "engine/core/core_state.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"
#include "tests/platform/dialogs/dialog_fixture.h"

namespace dialog_test {
namespace {

namespace pw = platform::window;

int SystemBoxFails(const char*, const char*, uint32_t) { return -1; }

class MessageBoxTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    g_core->window->Show(true);
    pw::test::ShowMessageBoxes(true);
    pw::test::SetSystemMessageBox(SystemBoxFails);
  }
  void TearDown() override {
    pw::test::SetSystemMessageBox(nullptr);
    pw::test::ShowMessageBoxes(false);
    pw::test::AnswerUnshownBoxesWith(0);
    DialogTest::TearDown();
  }

  // Runs `check` once, in the third frame of the box (its controls placed by then).
  static void CheckInThirdFrame(std::function<void()> check) {
    auto frame = std::make_shared<int>(0);
    pd::test::SetFrameHook([frame, check] {
      if (++*frame == 3) check();
    });
  }
};

struct BoxCase {
  const char* what;
  uint32_t type;
  std::vector<int> buttons;  // answers of the buttons shown
  std::function<void()> act;
  int answer;
};

TEST_F(MessageBoxTest, TheBoxShowsItsTextTitleAndButtonsAndAnswersAsChosen) {
  const BoxCase cases[] = {
      {"OK, Return", pw::MB_OK | pw::MB_ICONERROR, {pw::IDOK}, [] { pd::test::PressEnter(); }, pw::IDOK},
      {"OK, Escape", pw::MB_OK, {pw::IDOK}, [] { pd::test::PressEscape(); }, pw::IDOK},
      {"OK/Cancel, Cancel clicked", pw::MB_OKCANCEL, {pw::IDOK, pw::IDCANCEL}, [] { pd::test::Click(pw::IDCANCEL); },
       pw::IDCANCEL},
      {"Yes/No/Cancel, No clicked", pw::MB_YESNOCANCEL, {pw::IDYES, pw::IDNO, pw::IDCANCEL},
       [] { pd::test::Click(pw::IDNO); }, pw::IDNO},
      {"Yes/No/Cancel, Return", pw::MB_YESNOCANCEL, {pw::IDYES, pw::IDNO, pw::IDCANCEL}, [] { pd::test::PressEnter(); },
       pw::IDYES},
      {"Yes/No/Cancel with No the default, Return", pw::MB_YESNOCANCEL | pw::MB_DEFBUTTON2,
       {pw::IDYES, pw::IDNO, pw::IDCANCEL}, [] { pd::test::PressEnter(); }, pw::IDNO},
      {"Yes/No/Cancel, Escape", pw::MB_YESNOCANCEL, {pw::IDYES, pw::IDNO, pw::IDCANCEL},
       [] { pd::test::PressEscape(); }, pw::IDCANCEL},
      {"Yes/No/Cancel, n typed", pw::MB_YESNOCANCEL, {pw::IDYES, pw::IDNO, pw::IDCANCEL},
       [] { pd::test::TypeCharacters("n"); }, pw::IDNO},
      {"Yes/No, Escape answers nothing, then Yes", pw::MB_YESNO, {pw::IDYES, pw::IDNO},
       [] {
         pd::test::PressEscape();
         pd::test::Click(pw::IDYES);
       },
       pw::IDYES},
      {"Abort/Retry/Ignore, I typed", pw::MB_ABORTRETRYIGNORE, {pw::IDABORT, pw::IDRETRY, pw::IDIGNORE},
       [] { pd::test::TypeCharacters("I"); }, pw::IDIGNORE},
      {"Retry/Cancel, Retry clicked", pw::MB_RETRYCANCEL, {pw::IDRETRY, pw::IDCANCEL},
       [] { pd::test::Click(pw::IDRETRY); }, pw::IDRETRY},
  };
  const int all[] = {pw::IDOK, pw::IDCANCEL, pw::IDABORT, pw::IDRETRY, pw::IDIGNORE, pw::IDYES, pw::IDNO};
  const int idle = pd::test::IdleEscapes();
  for (const BoxCase& c : cases) {
    CheckInThirdFrame([&c, &all] {
      EXPECT_EQ(pd::test::OpenDialogId(), pd::kMessageBoxDialog) << c.what;
      EXPECT_EQ(pd::test::OpenDialogCaption(), "Caption") << c.what;
      EXPECT_EQ(pd::test::ControlText(pd::kMessageBoxText), "The text.\nSecond line.") << c.what;
      for (int id : all) {
        float x0, y0, x1, y1;
        const bool shown = std::find(c.buttons.begin(), c.buttons.end(), id) != c.buttons.end();
        EXPECT_EQ(pd::test::ControlRect(id, x0, y0, x1, y1), shown) << c.what << ", button " << id;
      }
      EXPECT_EQ(pd::test::TextsCut(), std::vector<std::string>{}) << c.what;
    });
    c.act();
    EXPECT_EQ(pw::MessageBox(nullptr, "The text.\nSecond line.", "Caption", c.type), c.answer) << c.what;
    EXPECT_EQ(pd::test::PendingSteps(), 0u) << c.what;
  }
  EXPECT_EQ(pd::test::IdleEscapes(), idle);
}

// Buttons in one centred row under the text, the text wrapped to the window and every line whole.
TEST_F(MessageBoxTest, ALongTextIsWrappedInsideTheWindow) {
  const std::string path(300, 'x');  // one word wider than the window
  const std::string text = "The file " + path + " could not be found, and this sentence is long enough to be "
                           "wrapped at a space more than once in a window of 640 pixels.";
  CheckInThirdFrame([] {
    float x0, y0, x1, y1;
    ASSERT_TRUE(pd::test::ControlRect(pd::kMessageBoxText, x0, y0, x1, y1));
    EXPECT_GE(x0, 0.0f);
    EXPECT_LE(x1, 640.0f);
    EXPECT_GE(std::count(pd::test::ControlText(pd::kMessageBoxText).begin(),
                         pd::test::ControlText(pd::kMessageBoxText).end(), '\n'),
              3);
    EXPECT_EQ(pd::test::TextsCut(), std::vector<std::string>{});
    float yes[4], no[4], cancel[4];
    ASSERT_TRUE(pd::test::ControlRect(pw::IDYES, yes[0], yes[1], yes[2], yes[3]));
    ASSERT_TRUE(pd::test::ControlRect(pw::IDNO, no[0], no[1], no[2], no[3]));
    ASSERT_TRUE(pd::test::ControlRect(pw::IDCANCEL, cancel[0], cancel[1], cancel[2], cancel[3]));
    EXPECT_GT(yes[1], y1) << "below the text";
    EXPECT_EQ(yes[1], cancel[1]);
    EXPECT_LT(yes[2], no[0]);
    EXPECT_LT(no[2], cancel[0]);
    EXPECT_NEAR((yes[0] + cancel[2]) / 2, 320.0f, 2.0f) << "the row is centred";
  });
  pd::test::PressEscape();
  EXPECT_EQ(pw::MessageBox(nullptr, text.c_str(), "Open", pw::MB_YESNOCANCEL), pw::IDCANCEL);
}

// A box from a dialog's procedure stands over the dialog: the box takes the input, the dialog none,
// and the dialog goes on afterwards.
TEST_F(MessageBoxTest, ABoxOpenedFromADialogStandsOverIt) {
  int boxAnswer = 0;
  g_handler = [&](pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
    if (message == pd::WM_COMMAND && pd::CommandId(wParam) == pd::IDOK) {
      boxAnswer = pw::MessageBox(nullptr, "Over the dialog", "Box", pw::MB_YESNO);
      return 1;
    }
    return EndOnOkOrCancel(dialog, message, wParam, lParam);
  };
  // In the box's second frame: the box is drawn and takes input, the dialog under it reports nothing.
  int boxFrames = 0;
  pd::test::SetFrameHook([&boxFrames] {
    if (pd::test::OpenDialogId() != pd::kMessageBoxDialog || ++boxFrames != 2) return;
    float x0, y0, x1, y1;
    EXPECT_TRUE(pd::test::ControlRect(pw::IDNO, x0, y0, x1, y1));
    EXPECT_FALSE(pd::test::ControlRect(kList, x0, y0, x1, y1));
  });
  pd::test::Click(pd::IDOK);
  pd::test::Click(pw::IDNO);
  pd::test::Run([] { EXPECT_EQ(pd::test::OpenDialogId(), kResource.id) << "the box has gone, the dialog stays"; });
  pd::test::PressEscape();
  EXPECT_EQ(Open(), pd::IDCANCEL);
  EXPECT_EQ(boxAnswer, pw::IDNO);
  EXPECT_GE(boxFrames, 2);
  EXPECT_EQ(Commands(), (std::vector<std::pair<uint32_t, uint32_t>>{{pd::IDOK, pd::BN_CLICKED},
                                                                   {pd::IDCANCEL, pd::BN_CLICKED}}));
}

// Closing the window answers Cancel where the box has one, else 0; the close stays requested.
TEST_F(MessageBoxTest, ClosingTheWindowUnderABoxAnswersCancelOrNothing) {
  const std::pair<uint32_t, int> cases[] = {{pw::MB_YESNOCANCEL, pw::IDCANCEL}, {pw::MB_YESNO, 0}};
  for (const auto& [type, answer] : cases) {
    pd::test::Run(PushWindowClose);
    EXPECT_EQ(pw::MessageBox(nullptr, "Closing", "Box", type), answer) << type;
    ExpectTheCloseLeftForTheProgram();
  }
}

// The system's box, when it shows, is the only one; where no box can be drawn (hidden window, no
// device, boxes off under test) the default button answers.
TEST_F(MessageBoxTest, WhereTheWindowCannotShowABoxTheDefaultAnswers) {
  const int frames = pd::test::FramesDrawn();
  pw::test::SetSystemMessageBox([](const char* text, const char* caption, uint32_t type) {
    EXPECT_STREQ(text, "Shown by the system");
    EXPECT_STREQ(caption, "System");
    EXPECT_EQ(type, uint32_t(pw::MB_RETRYCANCEL));
    return int(pw::IDRETRY);
  });
  EXPECT_EQ(pw::MessageBox(nullptr, "Shown by the system", "System", pw::MB_RETRYCANCEL), pw::IDRETRY);

  pw::test::SetSystemMessageBox(SystemBoxFails);
  g_core->window->Show(false);
  EXPECT_EQ(pw::MessageBox(nullptr, "Hidden", "Box", pw::MB_YESNOCANCEL | pw::MB_DEFBUTTON3), pw::IDCANCEL);
  g_core->window->Show(true);
  EXPECT_EQ(pd::MessageBoxInWindow(pd::DialogHost{g_core->window, nullptr}, "No device", "Box", pw::MB_OK), -1);
  EXPECT_EQ(pd::MessageBoxInWindow(pd::DialogHost{nullptr, GetDirect3DDevice()}, "No window", "Box", pw::MB_OK), -1);

  pw::test::ShowMessageBoxes(false);
  EXPECT_EQ(pw::MessageBox(nullptr, "Logged", "Box", pw::MB_YESNO | pw::MB_DEFBUTTON2), pw::IDNO);
  pw::test::AnswerUnshownBoxesWith(pw::IDYES);
  EXPECT_EQ(pw::MessageBox(nullptr, "Logged", "Box", pw::MB_YESNO | pw::MB_DEFBUTTON2), pw::IDYES);
  EXPECT_EQ(pd::test::FramesDrawn(), frames) << "no box was drawn";
}

}  // namespace
}  // namespace dialog_test
