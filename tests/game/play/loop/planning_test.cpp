// The planning screen: icon clicks (held camera icons, once-only switches, both buttons), buying time,
// the background colours, warp links, colour labels, the hidden triggers, the planning clock and leaving.
#include <cmath>

#include "engine/media2d/sprite_state.h"
#include "game/play/play_loop_steps.h"
#include "game/play/visualiser.h"
#include "tests/game/play/loop/loop_fixture.h"

namespace loop_test {
namespace {

class PlanningTest : public LoopTest {
 protected:
  // Blocks 0 to 4: a text trigger, a respawn trigger, a warp to (100, 0, 100), a door of (128, 0, 0),
  // a red paint pot; the player start last.
  void SetUp() override {
    LoopTest::SetUp();
    LoadSmallMap("null", "planning",
                 {{20, 0, 0, E_TEXT, -1, -1, -1, "hello"},
                  {40, 0, 0, E_RESPAWN},
                  {-20, 0, 0, E_WARP, 100, 0, 100},
                  {0, 0, 20, E_DOOR, 128, 0, 0},
                  {0, 0, -20, E_PAINTR, 255}});
    BeginLevel();
    Game().planningArmed = 0;  // as play clears it before it opens the screen
    ASSERT_TRUE(EnterPlanning());
    ASSERT_TRUE(RunPlanningFrame());  // places the icons
  }
  void TearDown() override {
    LeavePlanning();
    LoopTest::TearDown();
  }

  // The pointer over an icon's top-left corner.
  static void PointAt(int32_t icon) {
    for (const PlanningIcon& i : PlanningIcons()) {
      if (i.number != icon) continue;
      g_mouseX = (i.x < 0 ? GetDisplayWidth() + i.x : i.x) + 3;
      g_mouseY = GetDisplayHeight() + i.y + 3;
    }
  }
  // Holds the buttons over the icon for some frames, then lets go for one.
  static void Click(int32_t icon, int frames = 1, uint32_t buttons = 1) {
    PointAt(icon);
    g_buttons = buttons;
    for (int i = 0; i < frames; ++i) ASSERT_TRUE(RunPlanningFrame());
    g_buttons = 0;
    ASSERT_TRUE(RunPlanningFrame());
  }
  static int32_t EntityOf(int32_t record) { return CurrentMap().records[record].entityObject; }
};

TEST_F(PlanningTest, CameraIconsActEveryFrameWhileHeld) {
  Click(kIconTurnLeft, 10);
  EXPECT_FLOAT_EQ(Planning().angle, 190.0f);
  Click(kIconTurnRight, 3);
  EXPECT_FLOAT_EQ(Planning().angle, 187.0f);
  Click(kIconArrowRight, 4);
  EXPECT_FLOAT_EQ(Planning().pan, 4.0f);
  EXPECT_FLOAT_EQ(Planning().lookX, 4.0f);
  Click(kIconPlus, 2);
  EXPECT_FLOAT_EQ(Planning().height, 62.0f);
  EXPECT_FLOAT_EQ(Planning().lookY, 2.0f);
  Click(kIconArrowUp, 5);
  EXPECT_FLOAT_EQ(Planning().distance, 195.0f);

  Click(kIconTurnLeft, 10, 3);  // left and right together: nothing
  EXPECT_FLOAT_EQ(Planning().angle, 187.0f);
  g_mouseX = g_mouseY = 0;  // held away from every icon: nothing
  g_buttons = 1;
  ASSERT_TRUE(RunPlanningFrame());
  EXPECT_FLOAT_EQ(Planning().angle, 187.0f);
  g_buttons = 0;

  Click(kIconCircle, 5);
  EXPECT_FLOAT_EQ(Planning().angle, 180.0f);
  EXPECT_FLOAT_EQ(Planning().distance, 200.0f);
  EXPECT_FLOAT_EQ(Planning().lookX, 0.0f);
  // The camera stands at the distance in the orbit angle's direction.
  EXPECT_NEAR(GetCameraPositionX(), 0.0f, 0.01f);
  EXPECT_NEAR(GetCameraPositionY(), 60.0f, 0.01f);
  EXPECT_NEAR(GetCameraPositionZ(), -200.0f, 0.01f);
}

TEST_F(PlanningTest, BackgroundChangesOncePerClickAndCycles) {
  Click(kIconBackground, 10);
  EXPECT_EQ(PlanningBackground(), 2) << "held: once";
  for (int32_t expected : {3, 4, 5, 0, 1}) {
    Click(kIconBackground);
    EXPECT_EQ(PlanningBackground(), expected);
  }
}

TEST_F(PlanningTest, BuyingAMinuteCosts1000Points) {
  GameVariables& game = Game();
  game.score = 1000;
  const int32_t minutes = game.planningClock.minutes;
  Click(kIconBuyPlan, 5);
  EXPECT_EQ(game.score, 0);
  EXPECT_EQ(game.planningClock.minutes, minutes + 1);

  Click(kIconColourInfo);  // on and off: the tick sprite exists, hidden
  Click(kIconColourInfo);
  game.score = 999;
  Click(kIconBuyPlan);
  EXPECT_EQ(game.score, 999);
  EXPECT_EQ(game.planningClock.minutes, minutes + 1);
  EXPECT_EQ(game.overlay, 1);
  EXPECT_STREQ(game.message, "Sorry, you need at least 1000 points to buy time.#You have: 999");
  ASSERT_TRUE(RunPlanningFrame());
  const SpriteRecord* tick = FindSprite(kIconTick);
  ASSERT_NE(tick, nullptr);
  EXPECT_FALSE(tick->visible) << "the message shows no tick for an option that is off";
}

TEST_F(PlanningTest, WarpLinksComeAndGo) {
  Click(kIconShowWarp);
  EXPECT_EQ(WarpLinkCount(), 1);
  EXPECT_TRUE(ObjectExists(8000));
  EXPECT_FALSE(ObjectExists(8001));
  EXPECT_TRUE(Planning().warpLinksShown);
  Click(kIconShowWarp);
  EXPECT_FALSE(ObjectExists(8000));
  EXPECT_FALSE(Planning().warpLinksShown);
  Click(kIconShowWarp);
  LeavePlanning();
  EXPECT_FALSE(ObjectExists(8000)) << "leaving removes the links";
  ASSERT_TRUE(EnterPlanning());
  EXPECT_FALSE(Planning().warpLinksShown) << "each visit starts with the links off";
}

TEST_F(PlanningTest, TriggersStayHiddenWhileTheLevelShows) {
  LeavePlanning();
  for (int32_t record = 0; record < 5; ++record) HideObject(EntityOf(record));
  ASSERT_TRUE(EnterPlanning());
  EXPECT_FALSE(Visible(EntityOf(0))) << "text trigger";
  EXPECT_FALSE(Visible(EntityOf(1))) << "respawn trigger";
  for (int32_t record : {2, 3, 4}) EXPECT_TRUE(Visible(EntityOf(record))) << record;
  for (int32_t record = 0; record < 6; ++record) EXPECT_TRUE(Visible(CurrentMap().records[record].blockObject));
}

TEST_F(PlanningTest, ColourInfoLabelsDoorsAndPots) {
  const auto redPixels = [](const std::vector<uint32_t>& pixels) {
    int32_t count = 0;
    for (int y = 0; y < kHeight - 100; ++y)
      for (int x = 0; x < kWidth; ++x) count += At(pixels, x, y) == 0xFF0000;
    return count;
  };
  EXPECT_EQ(redPixels(Render([] {})), 0);
  const auto labelled = Render(ShowPaintColour);
  // Two labels framed in red: the door's and the pot's.
  EXPECT_GT(redPixels(labelled), 2 * 2 * 20);
  const int32_t door = EntityOf(3);
  ASSERT_TRUE(IsObjectOnScreen(door));
  const int32_t sx = GetObjectScreenX(door), sy = GetObjectScreenY(door);
  EXPECT_EQ(At(labelled, sx, sy - 21), 0xFF0000u) << "the frame's top edge";
  Click(kIconColourInfo);
  EXPECT_TRUE(Planning().colourInfoShown);
}

TEST_F(PlanningTest, PlanningKeyLeavesOnlyAfterARelease) {
  Game().planningArmed = 0;
  g_commandsDown = {kPlanningScreen};  // still held from opening the screen
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(RunPlanningFrame());
  g_commandsDown.clear();
  ASSERT_TRUE(RunPlanningFrame());
  g_commandsDown = {kPlanningScreen};
  EXPECT_FALSE(RunPlanningFrame());
  LeavePlanning();
  EXPECT_EQ(Game().planningArmed, 0) << "play re-arms it once the key is released";
  EXPECT_TRUE(Visible(kVisualiserBox));
}

TEST_F(PlanningTest, ExpiredPlanningTimeShowsItsMessageThenLeaves) {
  GameVariables& game = Game();
  game.planningClock = {0, 2, g_now};
  int frames = 0;
  while (!game.overlay) {
    ASSERT_TRUE(RunPlanningFrame());
    ASSERT_LT(++frames, 500);
  }
  EXPECT_STREQ(game.message, "Planning time has expired.");
  EXPECT_GT(frames * g_frameStep, 2000u);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(RunPlanningFrame()) << "the message waits for Return";
  g_return = true;
  ASSERT_TRUE(RunPlanningFrame());
  g_return = false;
  EXPECT_EQ(game.overlay, 0);
  EXPECT_FALSE(RunPlanningFrame());
}

}  // namespace
}  // namespace loop_test
