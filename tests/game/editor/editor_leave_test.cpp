// Leaving the editor with unsaved work: Escape and the window's close ask "Save changes to ...?" when
// the map differs from what was last saved or opened, and Yes, No and Cancel do what they say.
#include <SDL.h>

#include <algorithm>
#include <deque>
#include <memory>

#include "game/editor/editor_dialogs.h"
#include "platform/dialogs/dialogs.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

namespace pw = platform::window;
namespace pd = platform::dialogs;
namespace pt = platform::dialogs::test;
namespace ed = editor_dialogs;

// The boxes the editor shows ("caption: text"). A box with OK alone is answered OK; the others with the
// answers queued, in order, and No when none is left.
std::vector<std::string> g_boxes;
std::deque<int> g_answers;

int AnswerAsQueued(const char* text, const char* caption, uint32_t type) {
  g_boxes.push_back(std::string(caption) + ": " + text);
  if ((type & pw::MB_TYPEMASK) == pw::MB_OK) return pw::IDOK;
  if (g_answers.empty()) return pw::IDNO;
  const int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

int SystemBoxFails(const char*, const char*, uint32_t) { return -1; }

constexpr const char* kQuestion = "Qel: Save changes to Untitled?";

// The window manager's close, as the window's events bring it.
void PushWindowClose() {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = GetCoreDataPointer()->window->Id();
  SDL_PushEvent(&close);
}

class LeaveTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    g_boxes.clear();
    g_answers.clear();
    pw::test::ShowMessageBoxes(true);
    pw::test::SetSystemMessageBox(AnswerAsQueued);
  }
  void TearDown() override {
    pw::test::SetSystemMessageBox(nullptr);
    pw::test::ShowMessageBoxes(false);
    fs::remove_all("Maps");
    EditorTest::TearDown();
  }

  static size_t Questions() { return size_t(std::count(g_boxes.begin(), g_boxes.end(), kQuestion)); }
};

// Escape after each run of keys: an edit that changes what F1 writes is asked about (Cancel goes on
// editing, and the close that ends the run asks again), anything else quits at once.
TEST_F(LeaveTest, EscapeAsksExactlyWhenWhatF1WritesHasChanged) {
  struct Case {
    const char* what;
    Frames keys;
    bool changed;
  };
  const Frames wait(12, std::set<int32_t>{});  // past the longest guard
  auto then = [&wait](Frames keys, Frames more) {
    keys.insert(keys.end(), wait.begin(), wait.end());
    keys.insert(keys.end(), more.begin(), more.end());
    return keys;
  };
  const Case cases[] = {
      {"a block placed", {{kKeyRight}, {kKeyOne}}, true},
      {"the goal pad turned", {{kKeyBracketRight}}, true},
      {"the goal pad deleted", {{kKeyDelete}}, true},
      {"a path point added", then({{kKeyP}}, {{kKeyReturn}}), true},
      {"a block placed and saved", then({{kKeyRight}, {kKeyOne}}, {{kKeyF1}}), false},
      {"saved, then turned", then(then({{kKeyF1}}, {{kKeyBracketRight}}), {}), true},
      {"the cursor and camera moved, marks toggled", {{kKeyRight}, {kKeyX}, {kKeyA, kKeyW, kKeyMinus}, {kKeyF2}},
       false},
      {"the waypoint mode toggled", then({{kKeyP}}, {{kKeyP}}), false},
  };
  for (const Case& c : cases) {
    g_boxes.clear();
    g_answers = {pw::IDCANCEL};  // the close after the run is answered No
    Game().state = kStateEditor;
    Editor() = EditorState{};
    g_keys.clear();  // an Escape that ended the last run is let go
    g_now += 1000;
    const Frames keys = then(c.keys, {{kKeyEscape}});
    int32_t framesAfterEscape = -1;
    RunEditor([&](int32_t frame) {
      if (frame <= int32_t(keys.size())) {
        g_keys = keys[size_t(frame - 1)];
        return true;
      }
      g_keys = {};
      return ++framesAfterEscape < 3;
    });
    EXPECT_EQ(g_frames, int32_t(keys.size()) + framesAfterEscape + 1) << c.what << ": every key was taken";
    if (c.changed) {
      EXPECT_EQ(Questions(), 2u) << c.what << ": Escape, then the close";
      EXPECT_EQ(framesAfterEscape, 3) << c.what << ": Cancel went on editing";
      EXPECT_EQ(Game().state, uint32_t(kStateEditor)) << c.what;
    } else {
      EXPECT_EQ(Questions(), 0u) << c.what;
      EXPECT_EQ(Game().state, uint32_t(kStateQuit)) << c.what;
      EXPECT_EQ(framesAfterEscape, -1) << c.what << ": quit at once";
    }
  }
}

// The dialogs change the map only when OK writes something new.
TEST_F(LeaveTest, DialogOkCountsAsAChangeOnlyWhenItChangesTheMap) {
  struct Case {
    const char* what;
    int32_t key;
    std::function<void()> script;
    bool changed;
  };
  const Case cases[] = {
      {"map settings unchanged", kKeyM, [] { pt::Click(pd::IDOK); }, false},
      {"map settings, a new name", kKeyM,
       [] {
         pt::TypeText(ed::kMapNameEdit, "Named");
         pt::Click(pd::IDOK);
       },
       true},
      {"map settings typed in and cancelled", kKeyM,
       [] {
         pt::TypeText(ed::kMapNameEdit, "Named");
         pt::PressEscape();
       },
       false},
      {"the same texture", kKeyT,
       [] {
         pt::ClickItem(ed::kTextureList, "TexPlain.jpg");
         pt::Click(pd::IDOK);
       },
       false},
      {"another texture", kKeyT,
       [] {
         pt::ClickItem(ed::kTextureList, "Wood.jpg");
         pt::Click(pd::IDOK);
       },
       true},
      {"an entity on the goal pad", kKeyE,
       [] {
         pt::ClickItem(ed::kEntityList, "E_PLASMA");
         pt::Click(pd::IDOK);
       },
       true},
  };
  for (const Case& c : cases) {
    g_boxes.clear();
    g_answers = {pw::IDCANCEL};
    Game().state = kStateEditor;
    Editor() = EditorState{};
    g_keys.clear();  // an Escape that ended the last run is let go
    c.script();
    RunKeys({{c.key}, {}, {kKeyEscape}, {}});
    EXPECT_EQ(pt::PendingSteps(), 0u) << c.what << ": the dialog took its steps";
    EXPECT_EQ(Questions(), c.changed ? 2u : 0u) << c.what;
  }
}

TEST_F(LeaveTest, YesSavesAndQuitsNoQuitsAndAFailedSaveStays) {
  g_answers = {pw::IDYES};  // then OK for "Map Saved."
  RunKeys({{kKeyRight}, {kKeyOne}, {kKeyEscape}, {}});
  EXPECT_EQ(g_boxes, (std::vector<std::string>{kQuestion, "Success: Map Saved."}));
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));
  auto saved = std::make_unique<MapTables>();
  ResetMapTables(*saved);
  ASSERT_TRUE(ReadMapFile("Maps\\In Progress\\Untitled.qel", *saved));
  EXPECT_EQ(saved->header.recordCount, 2) << "the goal pad and the block";

  g_boxes.clear();
  g_answers = {pw::IDNO};
  Game().state = kStateEditor;
  Editor() = EditorState{};  // the cursor back on the goal pad
  g_keys.clear();
  RunKeys({{kKeyDelete}, {kKeyEscape}, {}});
  EXPECT_EQ(g_boxes, std::vector<std::string>{kQuestion});
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));
  ASSERT_TRUE(ReadMapFile("Maps\\In Progress\\Untitled.qel", *saved));
  EXPECT_EQ(saved->header.recordCount, 2) << "No wrote nothing";

  // A file name the save refuses: Yes shows why and the editor stays, the work still unsaved.
  g_boxes.clear();
  g_answers = {pw::IDYES, pw::IDCANCEL};
  Game().state = kStateEditor;
  g_keys.clear();
  RunEditor([](int32_t frame) {
    if (frame == 1) std::strcpy(CurrentMap().header.fileName, "a/b");
    g_keys = frame == 2 ? std::set<int32_t>{kKeyEscape} : std::set<int32_t>{};
    return frame < 5;
  });
  ASSERT_EQ(g_boxes.size(), 4u);
  EXPECT_EQ(g_boxes[0], "Qel: Save changes to a/b?");
  EXPECT_EQ(g_boxes[1].rfind("Error: Map not saved", 0), 0u) << g_boxes[1];
  EXPECT_EQ(g_boxes[2], "Qel: Save changes to a/b?") << "the close asks again: Cancel";
  EXPECT_EQ(g_boxes[3], "Qel: Save changes to a/b?") << "and again: No";
  EXPECT_EQ(Game().state, uint32_t(kStateEditor));
  EXPECT_FALSE(fs::exists("Maps/In Progress/a"));
}

// The window's close on a changed map asks too. Cancel takes the close back and editing goes on, the
// window's messages still taken (the second close arrives); No leaves with the close still requested,
// so the game ends.
TEST_F(LeaveTest, ClosingTheWindowAsksAndCancelTakesTheCloseBack) {
  g_answers = {pw::IDCANCEL, pw::IDNO};
  bool quitAfterCancel = true, quitAfterNo = false;
  g_frames = 0;
  g_onFrame = [&](int32_t frame) {
    g_keys = frame == 1 ? std::set<int32_t>{kKeyOne + 1} : frame == 5 ? std::set<int32_t>{kKeyRight} : std::set<int32_t>{};
    if (frame == 1) Editor().cursorX = 40;
    if (frame == 3 || frame == 7) PushWindowClose();
    if (frame == 4) quitAfterCancel = !LoopCheck();
    if (frame == 30) Core().quitRequest = 1;  // ends the run should the second close be lost
  };
  MapEditor();
  quitAfterNo = Core().quitRequest != 0;
  g_onFrame = nullptr;
  Core().quitRequest = 0;
  pw::ClearMessageQueue();
  EXPECT_EQ(Questions(), 2u);
  EXPECT_FALSE(quitAfterCancel) << "Cancel took the close back";
  EXPECT_EQ(Editor().cursorX, 60.0f) << "the editor took keys after Cancel";
  EXPECT_LT(g_frames, 10) << "the second close was taken at once";
  EXPECT_TRUE(quitAfterNo) << "No left the close requested";
  EXPECT_EQ(Game().state, uint32_t(kStateEditor)) << "a close leaves the state as it is";
}

// Where the system's box fails the question is drawn in the editor's window: a second Escape there is
// Cancel, so a double tap loses nothing, and closing the window while it is open is Cancel too.
TEST_F(LeaveTest, TheQuestionInTheWindowTakesEscapeAndTheCloseAsCancel) {
  pw::test::SetSystemMessageBox(SystemBoxFails);
  pt::Run([] {
    EXPECT_EQ(pt::OpenDialogId(), pd::kMessageBoxDialog);
    EXPECT_EQ(pt::OpenDialogCaption(), "Qel");
    EXPECT_EQ(pt::ControlText(pd::kMessageBoxText), "Save changes to Untitled?");
  });
  pt::PressEscape();  // the second tap
  pt::Run(PushWindowClose);
  pt::Click(pw::IDNO);
  bool closedAfterCancel = true;
  RunEditor([&](int32_t frame) {
    switch (frame) {
      case 1: g_keys = {kKeyRight}; break;
      case 2: g_keys = {kKeyOne}; break;
      case 3: g_keys = {kKeyEscape}; break;  // asked: Escape in the question
      case 6: g_keys = {kKeyEscape}; break;  // asked: the window closed under the question
      case 8: closedAfterCancel = !LoopCheck(); break;
      case 9: g_keys = {kKeyEscape}; break;  // asked: No
      default: g_keys = {};
    }
    // Should the script go wrong, the close that ends the run is answered No without a window.
    if (frame > 20) pw::test::SetSystemMessageBox(AnswerAsQueued);
    return frame < 30;
  });
  EXPECT_FALSE(closedAfterCancel) << "the close under the question was its Cancel";
  EXPECT_EQ(Game().state, uint32_t(kStateQuit)) << "No quit";
  EXPECT_EQ(pt::PendingSteps(), 0u);
}

}  // namespace
}  // namespace editor_test
