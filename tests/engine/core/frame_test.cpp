// The frame step's order of module calls through the CoreTable, pacing and the quit path.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "platform/window/clock.h"
#include "platform/window/window.h"

namespace {

std::vector<std::string> g_calls;
int g_camerasLeft = 0;

#define RECORD(slot) t.slot = [] { g_calls.push_back(#slot); }

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCoreState();
    InitCoreTable();
    platform::window::ClearMessageQueue();
    g_calls.clear();
    CoreTable& t = GetCoreTable();
    t = CoreTable{};
    RECORD(FileModuleUpdate);
    RECORD(UpdateWorldCollisions);
    RECORD(RunResolveAutoCollision);
    RECORD(SaveBackBufferCopy);
    RECORD(DrawSpritePass);
    RECORD(EndScene);
    RECORD(PresentFrame);
    RECORD(BeginScene);
    RECORD(RestoreBackBufferCopy);
    RECORD(RunBeginStencilEffects);
    RECORD(RenderWorld);
    RECORD(CameraPassHook);
    RECORD(DrawTileGridsFirstPass);
    t.RunObjectMainPhase = [] {
      g_calls.push_back("RunObjectMainPhase " + std::to_string(GetCoreDataPointer()->renderPassIndex));
    };
    RECORD(RenderParticles);
    RECORD(RunEndStencilEffects);
    RECORD(DrawTileGridsSecondPass);
    RECORD(RunObjectLatePhase);
    RECORD(StoreWorldCollisionPositions);
    RECORD(RunPrepareAutoCollision);
    RECORD(MusicModuleUpdate);
    RECORD(SoundUpdate);
    RECORD(VideoUpdate);
    t.AdvanceCameraPass = [] {
      g_calls.push_back("AdvanceCameraPass");
      return uint32_t(--g_camerasLeft > 0 ? 0 : 1);
    };
    Core().startUpDone = 1;
  }
  void TearDown() override { platform::window::ClearMessageQueue(); }

  static std::vector<std::string> OnePass(int index) {
    return {"RunBeginStencilEffects", "RenderWorld", "CameraPassHook", "DrawTileGridsFirstPass",
            "RunObjectMainPhase " + std::to_string(index), "RenderParticles", "RunEndStencilEffects",
            "DrawTileGridsSecondPass", "RunObjectLatePhase"};
  }
};

TEST_F(Frame, FirstFrameBeginsTheSceneAndLaterFramesPresentTheOneBefore) {
  SyncFrame();  // no camera module: no camera passes
  const std::vector<std::string> first = {
      "MusicModuleUpdate", "SoundUpdate", "VideoUpdate",  // no frame period: media updates run here
      "FileModuleUpdate", "UpdateWorldCollisions", "RunResolveAutoCollision", "SaveBackBufferCopy",
      "DrawSpritePass", "BeginScene", "RestoreBackBufferCopy", "StoreWorldCollisionPositions",
      "RunPrepareAutoCollision"};
  EXPECT_EQ(g_calls, first);

  g_calls.clear();
  SyncFrame();
  std::vector<std::string> second = first;
  second.insert(second.begin() + 8, {"EndScene", "PresentFrame"});
  EXPECT_EQ(g_calls, second);
}

TEST_F(Frame, CameraLoopRunsEveryPassForEveryCamera) {
  CoreTable& t = GetCoreTable();
  RECORD(BeginCameraPasses);
  GetCoreDataPointer()->renderPassCount = 2;
  GetCoreDataPointer()->polygonsDrawn = 99;
  g_camerasLeft = 2;
  SyncFrame();

  std::vector<std::string> expected = {"MusicModuleUpdate", "SoundUpdate", "VideoUpdate", "FileModuleUpdate",
                                       "UpdateWorldCollisions", "RunResolveAutoCollision", "SaveBackBufferCopy",
                                       "DrawSpritePass", "BeginScene", "RestoreBackBufferCopy", "BeginCameraPasses"};
  for (int camera = 0; camera < 2; ++camera) {
    for (int pass = 0; pass < 2; ++pass) {
      auto calls = OnePass(pass);
      expected.insert(expected.end(), calls.begin(), calls.end());
    }
    expected.push_back("AdvanceCameraPass");
  }
  expected.insert(expected.end(), {"StoreWorldCollisionPositions", "RunPrepareAutoCollision"});
  EXPECT_EQ(g_calls, expected);
  EXPECT_EQ(GetCoreDataPointer()->polygonsDrawn, 0u);  // counters start afresh for the passes
}

TEST_F(Frame, BeforeStartUpIsDoneOnlyTheFileUpdateRuns) {
  Core().startUpDone = 0;
  SetFrameRateLimit(1000);  // period 0: no wait
  SyncFrame();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"MusicModuleUpdate", "SoundUpdate", "VideoUpdate", "FileModuleUpdate"}));
}

TEST_F(Frame, ManualSyncEndsTheFirstSceneWithoutPresenting) {
  Sync();  // opens the first scene
  EnableManualSync();
  g_calls.clear();
  Sync();
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "EndScene"), 1);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "PresentFrame"), 0);
  g_calls.clear();
  Sync();
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "PresentFrame"), 1);

  g_calls.clear();
  PumpAndUpdate();  // automatic refresh is off: pumping draws no frame
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "BeginScene"), 0);
}

TEST(FrameRateLimit, PeriodArithmetic) {
  ResetCoreState();
  struct Case { int32_t rate; uint32_t period, skip; } cases[] = {
      {60, 15, 0}, {1, 900, 0}, {1000, 0, 0}, {901, 0, 0}, {7, 128, 0}, {0, 0, 0}, {-20, 0, 20},
  };
  for (const Case& c : cases) {
    SetFrameRateLimit(c.rate);
    EXPECT_EQ(Core().framePeriod, c.period) << c.rate;
    EXPECT_EQ(Core().skipPeriod, c.skip) << c.rate;
  }
}

TEST_F(Frame, FramePeriodWaitsAndSkipsMediaUpdates) {
  CoreTable& t = GetCoreTable();
  RECORD(FlushFrame);
  SetFrameRateLimit(60);
  SyncFrame();
  const uint32_t first = Core().lastFrameTime;
  g_calls.clear();
  SyncFrame();
  EXPECT_GE(Core().lastFrameTime - first, 15u);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "SoundUpdate"), 0);
  // The frame drawn so far goes to the renderer before the wait, once; the frame step follows the wait.
  ASSERT_GE(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0], "FlushFrame");
  EXPECT_EQ(g_calls[1], "FileModuleUpdate");
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "FlushFrame"), 1);
}

TEST_F(Frame, SkipPeriodDropsFramesThatComeTooSoon) {
  SetFrameRateLimit(-20);
  Core().lastFrameTime = platform::window::TimeGetTime();
  SyncFrame();
  EXPECT_TRUE(g_calls.empty());
  Core().lastFrameTime -= 25;
  SyncFrame();
  EXPECT_FALSE(g_calls.empty());
}

TEST_F(Frame, QuitMessageDuringTheWaitEndsEveryLaterFrame) {
  SetFrameRateLimit(60);
  Core().lastFrameTime = platform::window::TimeGetTime();
  platform::window::PostQuitMessage(0);
  SyncFrame();
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(Core().quitMessageSeen, 1);
  EXPECT_EQ(Sync(), 1u);
  EXPECT_EQ(ProcessMessages(), 1u);
}

TEST_F(Frame, LoopCheckTurnsTheQuitRequestIntoTheQuitMessage) {
  EXPECT_TRUE(LoopCheck());
  Core().quitRequest = 1;
  EXPECT_FALSE(LoopCheck());
  EXPECT_EQ(ProcessMessages(), 1u);
}

}  // namespace
