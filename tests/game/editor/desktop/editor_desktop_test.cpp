// The editor and its dialogs with a real pointer and keyboard: clicks on list entries, fields and
// buttons do what they say at every window size, no click or key meant for a dialog reaches the
// editor, and a level designer's whole round trip (entities, settings, texture, save, open, test run)
// works with the mouse.
#include <sys/stat.h>

#include <memory>
#include <sstream>

#include "engine/file/file_state.h"
#include "game/editor/editor_dialogs.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/open_file.h"
#include "tests/game/editor/desktop/desktop_fixture.h"

namespace editor_desktop_test {
namespace {

namespace pd = platform::dialogs;
namespace ed = editor_dialogs;

struct WindowSize {
  int width, height;
  bool scaled;  // the window smaller than the back buffer
};

class DialogClickTest : public DesktopTest, public ::testing::WithParamInterface<WindowSize> {};

// A block placed, the cursor moved off it and back by a click on it, E: the door chosen and its values
// typed with the mouse and keys, OK; opened again, the door shows, E_NULL (scrolled to) and Cancel
// change nothing; E_NULL and OK remove it. The cursor stays on the block through every dialog click.
TEST_P(DialogClickTest, AddEntityTakesClicksOnEntriesFieldsAndButtons) {
  UseWindowSize(GetParam().width, GetParam().height, GetParam().scaled);
  Wait(3);
  PressKey(kLinuxRight);
  PressKey(kLinuxOne);  // a box at (20, 0, 0)
  PressKey(kLinuxLeft);
  Wait(3);  // drawn, so its place on screen is known
  ClickAt([this](float& x, float& y) {
    const int32_t block = CurrentMap().records[1].blockObject;
    x = WindowX(GetObjectScreenX(block));
    y = WindowY(GetObjectScreenY(block));
  });
  WaitFor([] { return Editor().cursorX == 20.0f && Editor().cursorZ == 0.0f; });
  PressKey(kLinuxE);
  WaitForDialog(ed::kAddEntityDialog);
  Do([] { EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{}) << "labels and entries fit their room"; });
  ClickEntry(ed::kEntityList, "E_DOOR");
  WaitFor([] { return pt::ControlText(ed::kLabel1) == "Red Val:"; });
  TypeInto(ed::kAttribute1, "200");
  TypeInto(ed::kAttribute2, "100");
  TypeInto(ed::kAttribute3, "50");
  TypeInto(ed::kAttribute4, "90");
  Do([] { EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{}); });
  ClickControl(pd::IDOK);
  WaitForNoDialog();
  Wait(5);
  Do([] {
    const MapRecord& r = CurrentMap().records[1];
    EXPECT_EQ(r.entityType, E_DOOR);
    EXPECT_EQ((std::vector<int32_t>{r.p1, r.p2, r.p3, r.p4}), (std::vector<int32_t>{200, 100, 50, 90}));
  });

  PressKey(kLinuxE);
  WaitForDialog(ed::kAddEntityDialog);
  Do([] {
    EXPECT_EQ(pt::ListSelection(ed::kEntityList), 0);
    EXPECT_EQ(pt::ControlText(ed::kAttribute1), "200");
  });
  ClickEntry(ed::kEntityList, "E_NULL");  // below the list's view: the wheel brings it in
  WaitFor([] { return pt::ListSelection(ed::kEntityList) == 14; });
  ClickControl(pd::IDCANCEL);
  WaitForNoDialog();
  Wait(5);
  Do([] { EXPECT_EQ(CurrentMap().records[1].entityType, E_DOOR) << "Cancel changed nothing"; });

  PressKey(kLinuxE);
  WaitForDialog(ed::kAddEntityDialog);
  ClickEntry(ed::kEntityList, "E_NULL");
  ClickControl(pd::IDOK);
  WaitForNoDialog();
  Wait(5);
  RunPlan();

  EXPECT_EQ(CurrentMap().records[1].entityType, E_NONE);
  EXPECT_STREQ(CurrentMap().records[1].text, "null");
  EXPECT_EQ(Editor().cursorX, 20.0f) << "no dialog click moved the cursor";
  EXPECT_EQ(Editor().cursorZ, 0.0f);
  EXPECT_EQ(GetCameraPositionY(), 100.0f) << "the wheel turned over the list moved no camera";
  // The pointer moved in the dialogs is where the editor finds it afterwards (back-buffer pixels).
  EXPECT_NEAR(GetMouseX(), lastX_ * float(GetDisplayWidth()) / float(clientWidth_), 2.0f);
  EXPECT_NEAR(GetMouseY(), lastY_ * float(GetDisplayHeight()) / float(clientHeight_), 2.0f);
  EXPECT_EQ(pt::IdleEscapes(), 0);
}

// Taps: a key and a button pressed and let go back to back (held 0 ms, as a touchpad taps), so both
// events arrive between two editor passes. The key moves the cursor and the click picks the cell.
TEST_F(DesktopTest, TapsOfAKeyAndAButtonAct) {
  UseWindowSize(640, 480);
  Wait(3);
  PressKey(kLinuxRight);
  PressKey(kLinuxOne);  // a box at (20, 0, 0)
  Wait(3);
  Do([] {
    SDL_Delay(150);  // past the 100 ms the cursor keys wait after a move (the editor's timer is real time)
    Key(kLinuxLeft, true);
    Key(kLinuxLeft, false);
  });
  WaitFor([] { return Editor().cursorX == 0.0f; });
  Wait(3);  // the box drawn where the cursor no longer hides it
  Do([this] {
    const int32_t block = CurrentMap().records[1].blockObject;
    MoveTo(WindowX(GetObjectScreenX(block)), WindowY(GetObjectScreenY(block)));
  });
  Wait(3);
  Do([] {
    Button(1, true);
    Button(1, false);
  });
  WaitFor([] { return Editor().cursorX == 20.0f && Editor().cursorZ == 0.0f; });
  RunPlan(600);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, DialogClickTest,
                         ::testing::Values(WindowSize{640, 480, false}, WindowSize{800, 600, false},
                                           WindowSize{1024, 768, false}, WindowSize{1024, 768, true}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
                                  (info.param.scaled ? "Scaled" : "");
                         });

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every entity kind added with the mouse on a row of blocks, the map settings typed, a texture picked,
// F1, the saved map opened again through O and test-run with F5.
class RoundTripTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    own_ = OwnExecutable();
    // The test run starts the running executable: a stand-in for the game notes what it was given.
    WriteFile("stand-in", "#!/bin/sh\nprintf '%s\\n' \"$@\" > run.txt\n"
                          "test -f 'Maps/In Progress/Trip.qel' && echo saved >> run.txt\n");
    fs::permissions("stand-in", fs::perms::owner_all);
    SetOwnExecutableForTests((fs::current_path() / "stand-in").string());
  }
  void TearDown() override {
    SetOwnExecutableForTests(own_);
    fs::remove_all("Maps");
    fs::remove("stand-in");
    fs::remove("run.txt");
    DesktopTest::TearDown();
  }

  std::string own_;
};

struct EntityChoice {
  const char* entry;
  int32_t type;
  const char* first;  // typed into the first attribute ("" none)
};
const EntityChoice kEntities[] = {
    {"E_DOOR", E_DOOR, ""},         {"E_PLAYERSTART", E_PLAYERSTART, ""}, {"E_PAINTR", E_PAINTR, "64"},
    {"E_PAINTG", E_PAINTG, ""},     {"E_PAINTB", E_PAINTB, ""},           {"E_WARP", E_WARP, ""},
    {"E_BOOST", E_BOOST, ""},       {"E_MOVER", E_MOVER, ""},             {"E_MONSTERA", E_MONSTERA, ""},
    {"E_MONSTERB", E_MONSTERB, ""}, {"E_TEXT", E_TEXT, "Hello"},          {"E_RESPAWN", E_RESPAWN, ""},
    {"E_PLASMA", E_PLASMA, ""},     {"E_BOOSTV", E_BOOSTV, ""},
};

TEST_F(RoundTripTest, ALevelDesignersRoundTripWithTheMouse) {
  UseWindowSize(640, 480);
  Wait(3);
  for (const EntityChoice& choice : kEntities) {
    PressKey(kLinuxRight);
    PressKey(kLinuxOne);
    PressKey(kLinuxE);
    WaitForDialog(ed::kAddEntityDialog);
    ClickEntry(ed::kEntityList, choice.entry);
    if (*choice.first) TypeInto(ed::kAttribute1, choice.first);
    ClickControl(pd::IDOK);
    WaitForNoDialog();
  }

  PressKey(kLinuxM);
  WaitForDialog(ed::kMapSettingsDialog);
  Do([] { EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{}); });
  TypeInto(ed::kMapNameEdit, "Round Trip");
  TypeInto(ed::kFileNameEdit, "Trip");
  TypeInto(ed::kGravityEdit, "0.06");
  TypeInto(ed::kVisIdEdit, "3");
  TypeInto(ed::kPlanningTimeEdit, "60000");
  TypeInto(ed::kParTimeEdit, "45000");
  ClickControl(pd::IDOK);
  WaitForNoDialog();
  PressKey(kLinuxM);
  WaitForDialog(ed::kMapSettingsDialog);
  Do([] { EXPECT_EQ(pt::ControlText(ed::kGravityEdit), "0.06") << "shown as typed"; });
  ClickControl(pd::IDCANCEL);
  WaitForNoDialog();

  PressKey(kLinuxT);
  WaitForDialog(ed::kTextureDialog);
  Do([] { EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{}); });
  ClickEntry(ed::kTextureList, "Wood.jpg");
  ClickControl(pd::IDOK);
  WaitForNoDialog();

  PressKey(kLinuxF1);
  WaitFor([] { return fs::exists("Maps/In Progress/Trip.qel"); });
  // The map in memory is changed, then the saved one opened again over it.
  Do([] { std::strcpy(CurrentMap().header.mapName, "Changed"); });
  PressKey(kLinuxO);
  WaitFor([] {  // the open-file dialog has no resource number: its list tells it is open
    float x0, y0, x1, y1;
    return pt::ControlRect(pd::kFileListControl, x0, y0, x1, y1);
  });
  ClickEntry(pd::kFileListControl, "Maps/");
  TypeInto(pd::kFileNameControl, "Maps/In Progress/Trip.qel");
  ClickControl(pd::IDOK);
  WaitFor([] { return std::string(CurrentMap().header.mapName) == "Round Trip"; });
  PressKey(kLinuxF5);
  WaitFor([] { return fs::exists("run.txt"); });
  Wait(5);
  RunPlan();

  const MapHeader& h = CurrentMap().header;
  EXPECT_STREQ(h.mapName, "Round Trip");
  EXPECT_STREQ(h.fileName, "Trip");
  EXPECT_STREQ(h.texture, "Wood.jpg");
  EXPECT_EQ(h.gravity, 0.06f);
  EXPECT_EQ(h.visId, 3);
  EXPECT_EQ(h.planningTime, 60000);
  EXPECT_EQ(h.parTime, 45000);
  ASSERT_EQ(h.recordCount, int32_t(std::size(kEntities)) + 1);
  for (size_t i = 0; i < std::size(kEntities); ++i) {
    const MapRecord& r = CurrentMap().records[i + 1];
    EXPECT_EQ(r.entityType, kEntities[i].type) << kEntities[i].entry;
    EXPECT_EQ(r.x, 30.0f + 20.0f * float(i)) << kEntities[i].entry;
  }
  EXPECT_EQ(CurrentMap().records[3].p1, 64);  // E_PAINTR's amount
  EXPECT_STREQ(CurrentMap().records[11].text, "Hello");
  EXPECT_EQ(ReadWhole("run.txt"), "-map\nIn Progress\\Trip.qel\nsaved\n");
  EXPECT_EQ(pt::IdleEscapes(), 0);
}

}  // namespace
}  // namespace editor_desktop_test
