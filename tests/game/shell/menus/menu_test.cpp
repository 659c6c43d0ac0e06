// The main menu's loop: how it ends, the click latch across screens, the class panel and "Begin!",
// the scene beside the menu.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "game/play/music.h"
#include "game/play/visualiser.h"
#include "tests/engine/engine_fixture.h"
#include "tests/game/play/media/media_files.h"
#include "tests/game/shell/menus/menu_fixture.h"

namespace menu_test {
namespace {

const auto* const g_engine = ::testing::AddGlobalTestEnvironment(new MenuEngine);

// The panel of screen 8 is centred on the display.
constexpr int kCentreX = kWidth / 2, kCentreY = kHeight / 2;

struct ClassRow {
  const char* name;
  int y;
  const char* mapPath;
  const char* folder;
};
const ClassRow kClassRows[] = {
    {"Tutorial", kCentreY - 140, "\\Tutorial\\tutor00.qel", "\\Tutorial\\"},
    {"Beginner", kCentreY - 125, "\\Beginner\\beginner00.qel", "\\Beginner\\"},
    {"Advanced", kCentreY - 110, "\\Advanced\\advanced00.qel", "\\Advanced\\"},
    {"Expert", kCentreY - 95, "\\Expert\\expert00.qel", "\\Expert\\"},
};

// A point over one class name only: the rows stand 15 pixels apart and their boxes overlap.
int ClassPointY(const ClassRow& row) {
  const int h = TextHeight(row.name);
  const int top = std::max(row.y, row.y - 15 + h), bottom = std::min(row.y + 15, row.y + h);
  EXPECT_LT(top + 1, bottom) << "no point over " << row.name << " alone";
  return (top + bottom + 1) / 2;
}
constexpr int kClassX = kCentreX - 288 + 3;
constexpr int kBeginX = kCentreX - 290 + 3;
int BeginY() { return kCentreY + 175 + TextHeight("Begin!==") / 2; }

TEST_F(MenuTest, EscapeExitAndAClosedWindowEndTheGame) {
  UseProfile("Ann");
  Enter();
  EXPECT_EQ(Passes(3), kMenuContinues);
  Key(kKeyEscape, true);
  EXPECT_EQ(Pass(), kMenuQuit);
  EXPECT_EQ(Game().state, kStateQuit);
  Key(kKeyEscape, false);

  Game().state = kStateMenu;
  Enter();
  EXPECT_EQ(Click(kColumn, ItemY(230)), kMenuQuit);  // "Exit"
  EXPECT_EQ(Game().state, kStateQuit);

  Game().state = kStateMenu;
  Enter();
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = GetCoreDataPointer()->window->Id();
  SDL_PushEvent(&close);
  EXPECT_EQ(Pass(), kMenuQuit);
  EXPECT_EQ(Game().state, kStateQuit);
  // An engine loop that has already ended ends the menu at its entry.
  Game().state = kStateMenu;
  EXPECT_EQ(MainMenu(), kMenuQuit);
  EXPECT_EQ(Game().state, kStateQuit);
  // The engine runs on for the other tests.
  Core().quitRequest = 0;
  Core().quitMessageSeen = 0;
  platform::window::ClearMessageQueue();
}

TEST_F(MenuTest, AClickActsOnceEvenWhenTheNextScreenHasAControlUnderTheButton) {
  UseProfile("Ann");
  Enter();
  Menu().screen = kOptionsScreen;
  // "Controls" opens the controls screen, whose table has a binding cell under the same point.
  const int x = kColumn + 10, y = ItemY(170);
  MoveMouse(x, y);
  Press();
  Passes(5);
  EXPECT_EQ(Menu().screen, kControlsScreen);
  EXPECT_EQ(Menu().captureCell, -1) << "the held button pressed the cell too";
  Release();
  Pass();
  Press();
  Pass();
  EXPECT_EQ(Menu().captureCell, 12) << "the second press takes the alternative key of \"Turn Left\"";
}

// A click whose press and release both arrive between two passes (a touchpad tap): the button acts.
TEST_F(MenuTest, AClickShorterThanAPassPressesTheButton) {
  UseProfile("Ann");
  Enter();
  MoveMouse(kColumn, ItemY(190));  // "Options"
  XTestFakeButtonEvent(MenuEngine::X(), 1, True, 0);
  XTestFakeButtonEvent(MenuEngine::X(), 1, False, 0);
  XSync(MenuEngine::X(), False);
  for (int pass = 0; pass < 2000 && Menu().screen == kMainScreen; ++pass) {
    Pass();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(Menu().screen, kOptionsScreen);
  Pass();
  EXPECT_EQ(GetMouseButtons(), 0u) << "let go after the pass that saw it";
}

TEST_F(MenuTest, BothButtonsTogetherPressNothing) {
  UseProfile("Ann");
  Enter();
  MoveMouse(kColumn, ItemY(190));  // "Options"
  Button(3, true);
  Press();
  Passes(3);
  EXPECT_EQ(Menu().screen, kMainScreen);
  Button(3, false);
  Pass();
  EXPECT_EQ(Menu().screen, kOptionsScreen) << "the left button alone, still down, is a new click";
}

TEST_F(MenuTest, WithoutAProfileTheMenuHoldsThePlayerOnNewProfile) {
  Settings().NoProfile = true;
  SetProfileName("None Loaded");
  Enter();
  Pass();
  EXPECT_EQ(Menu().screen, kNewProfileScreen);
  Click(kWidth - 450 + 3, 482 + LineHeight() / 2);  // "Back"
  Pass();
  EXPECT_EQ(Menu().screen, kNewProfileScreen);
}

TEST_F(MenuTest, PlayGameIsInertUntilAProfileIsLoaded) {
  Enter();
  Click(kColumn, ItemY(130));
  Pass();
  EXPECT_EQ(Menu().screen, kMainScreen);
  UseProfile("Ann");
  Click(kColumn, ItemY(130));
  EXPECT_EQ(Menu().screen, kGameModeScreen);
  EXPECT_EQ(Menu().mainFrame, 0);
  Click(kCentreX + 255 + 3, kCentreY + 180 + LineHeight() / 2);  // "Back"
  EXPECT_EQ(Menu().screen, kMainScreen);
  EXPECT_EQ(Menu().mainFrame, 1);
}

TEST_F(MenuTest, BeginStartsTheChosenClassFromItsFirstMap) {
  UseProfile("Ann");
  for (uint32_t c = 0; c < 4; ++c) {
    SCOPED_TRACE(kClassRows[c].name);
    Game().score = 1234;
    Game().lives = 1;
    Game().emergencyBrakes = 0;
    Game().state = kStateMenu;
    Enter();
    Click(kColumn, ItemY(130));  // "Play Game"
    ASSERT_EQ(Menu().screen, kGameModeScreen);
    Click(kClassX, ClassPointY(kClassRows[c]));
    EXPECT_EQ(Game().levelClass, c);
    AdvanceClock(1000);
    EXPECT_EQ(Click(kBeginX, BeginY()), kMenuBeginClass);
    EXPECT_EQ(Game().state, kStatePlayMap);
    EXPECT_EQ(Game().score, 0);
    EXPECT_EQ(Game().lives, 5);
    EXPECT_EQ(Game().emergencyBrakes, 2);
    EXPECT_STREQ(Game().mapPath, kClassRows[c].mapPath);
    EXPECT_STREQ(Game().classFolder, kClassRows[c].folder);
    EXPECT_EQ(Game().classStartTime, Now());
  }
}

TEST_F(MenuTest, AHeldButtonSweepsOverTheClassesWithoutTheLatch) {
  UseProfile("Ann");
  Enter();
  Click(kColumn, ItemY(130));
  MoveMouse(kClassX, ClassPointY(kClassRows[1]));
  Press();
  Pass();
  EXPECT_EQ(Game().levelClass, kClassBeginner);
  MoveMouse(kClassX, ClassPointY(kClassRows[3]));
  Pass();
  EXPECT_EQ(Game().levelClass, kClassExpert);
  MoveMouse(kBeginX, BeginY());
  EXPECT_EQ(Pass(), kMenuBeginClass);
  EXPECT_STREQ(Game().mapPath, "\\Expert\\expert00.qel");
}

TEST_F(MenuTest, TheModelBesideTheMenuChangesEveryTenSeconds) {
  UseProfile("Ann");
  Enter();
  EXPECT_EQ(Menu().menuModel, kMenuBall);
  Pass();
  EXPECT_NEAR(GetObjectY(24), 6.0f, 1.0f);
  EXPECT_FLOAT_EQ(GetObjectZ(24), 82.0f);
  uint32_t lastSwitch = Now();
  for (uint32_t next : {kMenuMonsterA, kMenuMonsterB, kMenuBall}) {
    AdvanceClock(lastSwitch + 10000 - Now());
    Pass();
    EXPECT_NE(Menu().menuModel, next) << "switched before its time";
    AdvanceClock(1);
    Pass();
    EXPECT_EQ(Menu().menuModel, next);
    lastSwitch = Now();
    // The model bobs one degree every 6 ms: at the top of the wave when the clock stands at 540 ms in
    // a period of 2160.
    AdvanceClock((2160 + 540 - Now() % 2160) % 2160);
    Pass();
    const float bob = next == kMenuBall ? 1.0f : 2.0f, centre = next == kMenuBall ? 6.0f : 10.0f;
    EXPECT_NEAR(GetObjectY(int32_t(next)), centre + bob, 0.01f);
  }
}

TEST_F(MenuTest, BoxesTravelAlongTheConveyorAndStartOverPastItsEnd) {
  UseProfile("Ann");
  Enter();
  for (int32_t i = 0; i < 20; ++i) EXPECT_FLOAT_EQ(GetObjectZ(2 + i), 20.0f * float(i));
  Pass();
  for (int32_t i = 0; i < 19; ++i) EXPECT_FLOAT_EQ(GetObjectZ(2 + i), 20.0f * float(i) + 1.0f);
  EXPECT_FLOAT_EQ(GetObjectZ(21), 0.0f) << "381 is past the end at 380";
}

TEST_F(MenuTest, EachEntryStartsOnTheMainScreenAndKeepsTheLevelClass) {
  UseProfile("Ann");
  MenuState& m = Menu();
  m.screen = kSoundScreen;
  m.restartRequired = 1;
  m.mainFrame = 0;
  m.menuModel = kMenuMonsterB;
  Game().levelClass = kClassAdvanced;
  Visualiser().colour[0] = Visualiser().colour[1] = Visualiser().colour[2] = 1;
  Enter();
  EXPECT_EQ(m.screen, kMainScreen);
  EXPECT_EQ(m.restartRequired, 0);
  EXPECT_EQ(m.mainFrame, 1);
  EXPECT_EQ(m.menuModel, kMenuBall);
  EXPECT_EQ(m.centreX, kWidth / 2);
  EXPECT_EQ(m.centreY, kHeight / 2);
  EXPECT_EQ(Game().levelClass, kClassAdvanced);
  EXPECT_EQ(Visualiser().colour[0], 28);
  EXPECT_EQ(Visualiser().colour[1], 12);
  EXPECT_EQ(Visualiser().colour[2], 169);
  EXPECT_STREQ(Game().lastMusic, kMenuMusic);
  EXPECT_NEAR(GetCameraPositionX(), -18.453f, 0.001f);
  EXPECT_NEAR(GetCameraPositionZ(), 19.163f, 0.001f);
  EXPECT_NEAR(GetCameraAngleY(), 43.99f, 0.001f);
}

// "Visualisation (Unavailiable)" takes the click and does nothing; screens 7 and 9 take nothing.
TEST_F(MenuTest, TheUnavailableItemAndTheMissingScreensDoNothing) {
  UseProfile("Ann");
  Enter();
  MoveMouse(kColumn, ItemY(210));
  Press();
  Pass();
  EXPECT_EQ(Menu().clickLatch, 0);
  EXPECT_EQ(Menu().screen, kMainScreen);
  Release();
  Pass();
  for (uint32_t screen : {7u, 9u}) {
    Menu().screen = screen;
    for (int y : {130, 150, 170, 190, 230}) EXPECT_EQ(Click(kColumn, ItemY(y)), kMenuContinues);
    EXPECT_EQ(Menu().screen, screen);
    EXPECT_EQ(Menu().clickLatch, 1);
  }
}

TEST_F(MenuTest, TheOptionsScreenLeadsToItsThreeScreensAndBack) {
  UseProfile("Ann");
  Enter();
  struct Case {
    int y;
    uint32_t screen;
  };
  for (const Case& c : {Case{130, kGraphicsScreen}, Case{150, kSoundScreen}, Case{170, kControlsScreen}}) {
    Menu().screen = kOptionsScreen;
    Click(kColumn, ItemY(c.y));
    EXPECT_EQ(Menu().screen, c.screen);
    ClickButton(kLabelX, 482);  // "Back"
    EXPECT_EQ(Menu().screen, kOptionsScreen);
  }
  Click(kColumn, ItemY(190));
  EXPECT_EQ(Menu().screen, kOptionsScreen) << "no item at y 190";
  Click(kColumn, ItemY(210));
  EXPECT_EQ(Menu().screen, kMainScreen);
}

// What a pass draws before its Sync: the menu frame picture at the right (the class panel's picture
// in the middle instead on screen 8) and the header in white.
TEST_F(MenuTest, APassDrawsTheBackdropPicturesAndTheHeaderText) {
  constexpr uint32_t kFrameColour = 0x20C040, kPanelColour = 0x3060F0;
  game_media_test::WritePicture("frame.bmp", 0xFF000000 | kFrameColour, 64);
  game_media_test::WritePicture("panel.bmp", 0xFF000000 | kPanelColour, 64);
  ASSERT_NE(LoadImage("frame.bmp", 922), 0);
  ASSERT_NE(LoadImage("panel.bmp", 921), 0);
  UseProfile("Ann");
  Enter();
  SetSpriteAlpha(921, 255);  // the panel picture at full strength, so its colour reads back exactly
  auto drawn = [] {
    EXPECT_EQ(DrawMenuPass(), kMenuContinues);
    std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    Sync();
    return pixels;
  };
  auto at = [](const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * kWidth + x); };

  std::vector<uint32_t> pixels = drawn();
  EXPECT_EQ(at(pixels, kWidth - 472 + 40, 56 + 40), kFrameColour);
  EXPECT_EQ(at(pixels, kWidth - 472 - 2, 56 + 40), at(pixels, 100, 300)) << "nothing of it left of its place";
  int white = 0;
  for (int y = 2; y < 16; ++y)
    for (int x = 2; x < 120; ++x) white += (at(pixels, x, y) & 0xC0C0C0) == 0xC0C0C0;
  EXPECT_GT(white, 30) << "\"Active Profile: Ann\" in white at the top left";

  Menu().screen = kGameModeScreen;
  drawn();
  pixels = drawn();
  EXPECT_EQ(at(pixels, kWidth / 2 - 300 + 4, kHeight / 2 - 250 + 60), kPanelColour) << "left of the panel's texts";
  EXPECT_NE(at(pixels, kWidth - 472 + 63, 56 + 40), kFrameColour) << "no menu frame behind the panel";
  for (int32_t image : {921, 922}) CreateImage(image, 64, 64);
}
}  // namespace
}  // namespace menu_test
