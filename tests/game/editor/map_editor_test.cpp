// The editor's loop driven by keys, wheel and clock: the new map it starts on, the cursor and its
// highlight, placing, turning and deleting blocks, the guards, and the camera.
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

using Frames = std::vector<std::set<int32_t>>;

TEST_F(EditorTest, StartsOnANewMapWithTheGoalPadUnderTheCursorAndEscapeQuits) {
  CurrentMap().header.visId = 7;
  CurrentMap().header.gravity = 0.5f;
  RunEditor(Keys({{}, {kKeyEscape}, {}}));
  EXPECT_EQ(Game().state, uint32_t(kStateQuit));
  EXPECT_LE(g_frames, 2) << "Escape ends the loop at once";

  const MapHeader& h = CurrentMap().header;
  EXPECT_STREQ(h.music, "The Advanced - Qel.ogg");
  EXPECT_STREQ(h.nextMap, "Null");
  EXPECT_STREQ(h.mapName, "Untitled");
  EXPECT_STREQ(h.fileName, "Untitled");
  EXPECT_STREQ(h.comment, "No Comment");
  EXPECT_STREQ(h.texture, "TexPlain.jpg");
  EXPECT_EQ(h.planningTime, 420000);
  EXPECT_EQ(h.gameTime, 300000);
  EXPECT_EQ(h.visId, 7) << "vis id and gravity keep their values";
  EXPECT_EQ(h.gravity, 0.5f);
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 1);
  EXPECT_EQ(Record(0).shape, SHAPE_GOAL_PAD);
  EXPECT_EQ(Record(0).blockObject, kFirstBlockObject);
  EXPECT_EQ(Record(0).x, 10.0f);
  EXPECT_EQ(Record(0).z, 10.0f);
  EXPECT_NEAR(GetObjectSizeX(kFirstBlockObject), 60.0f, 0.01f);
  EXPECT_EQ(GetObjectY(kFirstHeartObject), 10.0f);
  EXPECT_EQ(RecordAtCursor(), 0);
  for (int32_t line = 500; line < 508; ++line) EXPECT_TRUE(ObjectExists(line)) << line;
  EXPECT_EQ(GetCameraPositionY(), 100.0f);
}

TEST_F(EditorTest, AWindowCloseLeavesTheStateAsItIs) {
  RunEditor([](int32_t) { return false; });
  EXPECT_EQ(Game().state, uint32_t(kStateEditor));
}

TEST_F(EditorTest, NumberKeysPlaceOnlyOnEmptyCellsAndTheBlockUnderTheCursorIsWireframe) {
  // 1 on the goal pad (nothing), Right, 1, 2 on the full cell, Right, Delete on an empty cell, Left.
  bool checked = false;
  RunKeys({{kKeyOne}, {kKeyRight}, {kKeyOne}, {kKeyOne + 1}, {kKeyRight}, {kKeyDelete}, {}, {kKeyLeft}}, [&] {
    checked = true;
    ASSERT_EQ(RecordCount(), 2);
    const MapRecord& box = Record(1);
    EXPECT_EQ(box.shape, SHAPE_BOX);
    EXPECT_EQ(box.blockObject, kFirstBlockObject + 1);
    EXPECT_EQ(box.x, 30.0f);
    EXPECT_EQ(box.y, 0.0f);
    EXPECT_EQ(box.z, 10.0f);
    EXPECT_EQ(GetObjectX(box.blockObject), 30.0f);
    EXPECT_EQ(Editor().cursorX, 20.0f);
    EXPECT_TRUE(Wireframe(box.blockObject)) << "back under the cursor";
    EXPECT_FALSE(Wireframe(Record(0).blockObject));
    MoveCursorBy(-1, 0, 0);
    EXPECT_FALSE(Wireframe(box.blockObject)) << "left: solid again";
    EXPECT_TRUE(Wireframe(Record(0).blockObject));
  });
  EXPECT_TRUE(checked);
}

TEST_F(EditorTest, BracketsTurnTheBlockAndDeleteRemovesItAndTheGoalPad) {
  Frames frames = {{kKeyRight}, {kKeyOne + 2}, {}, {}, {}, {}, {}, {kKeyBracketRight}, {}, {}, {kKeyBracketRight}};
  const int32_t turned = int32_t(frames.size());
  for (const std::set<int32_t>& keys : Frames{{}, {}, {kKeyDelete}, {}, {}, {kKeyLeft}, {}, {}, {kKeyDelete}})
    frames.push_back(keys);
  RunEditor([&](int32_t frame) {
    if (frame == turned + 1) {
      EXPECT_EQ(RecordCount(), 2);
      EXPECT_EQ(Record(1).shape, SHAPE_RAMP);
      EXPECT_NEAR(Record(1).ry, 180.0f, 0.01f);
      EXPECT_NEAR(GetObjectYAngle(Record(1).blockObject), 180.0f, 0.01f);
    }
    if (frame > int32_t(frames.size())) return false;
    g_keys = frames[size_t(frame - 1)];
    return true;
  });
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_FALSE(ObjectExists(kFirstBlockObject));
  EXPECT_FALSE(ObjectExists(kFirstBlockObject + 1));
}

TEST_F(EditorTest, HeldKeysRepeatAtTheirGuardsRate) {
  // 50 ms a frame: an arrow held for 10 frames moves every third frame (more than 100 ms).
  Frames held(10, {kKeyUp});
  RunEditor(Keys(held));
  EXPECT_EQ(Editor().cursorZ, 20.0f * 4);  // frames 1, 4, 7, 10
  // X and Z share the cursor stamp: Z right after X waits.
  RunEditor(Keys({{}, {kKeyX}, {kKeyZ}, {kKeyX}}));
  EXPECT_EQ(Editor().cursorY, 10.0f);
}

TEST_F(EditorTest, PlaceBlockStopsAtTheTablesEnd) {
  RunEditor([](int32_t) { return false; });
  CurrentMap().header.recordCount = kMapRecordCapacity - 1;
  Editor().cursorX = 100;
  PlaceBlock(SHAPE_BOX_LONG);
  ASSERT_EQ(RecordCount(), kMapRecordCapacity);
  EXPECT_EQ(Record(kMapRecordCapacity - 1).shape, SHAPE_BOX_LONG);
  EXPECT_NEAR(GetObjectSizeZ(Record(kMapRecordCapacity - 1).blockObject), 30.0f, 0.01f);
  Editor().cursorX = 200;
  PlaceBlock(SHAPE_BOX);
  EXPECT_EQ(RecordCount(), kMapRecordCapacity) << "no record past the table";
  // Shapes without a key place nothing.
  CurrentMap().header.recordCount = 5;
  PlaceBlock(SHAPE_GOAL_PAD);
  PlaceBlock(SHAPE_EMPTY);
  EXPECT_EQ(RecordCount(), 5);
}

TEST_F(EditorTest, TheWheelRaisesTheCameraTurnsItWithShiftAndMovesTheCursorWithCtrl) {
  RunEditor([](int32_t frame) {
    if (frame == 1) g_wheel = 120;
    return frame < 2;
  });
  EXPECT_EQ(GetCameraPositionY(), 130.0f);
  const float angle = GetCameraAngleX();
  g_keys = {kKeyLeftShift};
  RunEditor([](int32_t frame) {
    if (frame == 1) g_wheel = 240;
    return frame < 2;
  });
  EXPECT_NEAR(GetCameraAngleX(), angle + 7.0f, 0.01f) << "120 / 16 is 7";

  // Ctrl moves the cursor a layer whatever the notch: down for a turn back.
  RunEditor([](int32_t frame) {
    if (frame == 1) g_keys = {kKeyLeftCtrl}, g_wheel = 600;
    if (frame == 3) g_wheel = 590;
    return frame < 4;
  });
  EXPECT_EQ(Editor().cursorY, 0.0f);
  EXPECT_EQ(GetCameraPositionY(), 100.0f) << "the new map puts the camera back";
}

// Points of the ground seen from above, far from the view's middle and on both sides of zero: a click
// on each puts the cursor on the cell holding it (cells are floored, -4 lies in the cell from -20).
TEST_F(EditorTest, ALeftClickPutsTheCursorOnTheCellUnderThePointerAnywhereInTheView) {
  struct Case { float x, z, cellX, cellZ; };
  const Case cases[] = {{-4, -4, -20, -20}, {4, -4, 0, -20},   {96, -76, 80, -80},
                        {-104, 64, -120, 60}, {-76, 76, -80, 60}, {150, 96, 140, 80}};
  constexpr int32_t kMarker = 9100;
  size_t at = 0;
  bool clicked = false;
  RunEditor([&](int32_t frame) {
    if (frame == 1) {
      PlaceCamera(0, 200, 0);
      AimCamera(0, 0, 0);
      for (size_t i = 0; i < std::size(cases); ++i) {
        CreateBoxObject(kMarker + int32_t(i), 1, 1, 1);
        PositionObject(kMarker + int32_t(i), cases[i].x, 0, cases[i].z);
      }
      return true;
    }
    if (clicked) {  // the pass after the click
      const Case& c = cases[at];
      EXPECT_EQ(Editor().cursorX, c.cellX) << c.x << ", " << c.z;
      EXPECT_EQ(Editor().cursorZ, c.cellZ) << c.x << ", " << c.z;
      g_buttons = 0;
      clicked = false;
      return ++at < std::size(cases);
    }
    if (frame == 3) {
      EXPECT_EQ(Editor().cursorZ, 0.0f) << "no pick with the right button held";
    }
    g_mouseX = GetObjectScreenX(kMarker + int32_t(at));
    g_mouseY = GetObjectScreenY(kMarker + int32_t(at));
    g_buttons = at == 0 && Editor().cursorX == 0 && frame == 2 ? 3 : 1;  // with the right button too: no pick
    if (g_buttons == 3) return true;
    clicked = true;
    return true;
  }, 100);
  EXPECT_EQ(at, std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) DeleteObject(kMarker + int32_t(i));
}

TEST_F(EditorTest, CameraKeysAndScreenEdgesMoveTheCamera) {
  g_mouseX = 5;  // at the left edge: -1.5 in x every pass
  RunEditor(Keys({{kKeyD, kKeyW}, {kKeyD, kKeyMinus}}));
  EXPECT_NEAR(GetCameraPositionX(), 4.0f - 4.5f, 0.01f);  // three passes at the edge
  EXPECT_NEAR(GetCameraPositionZ(), 2.0f, 0.01f);
  EXPECT_NEAR(GetCameraPositionY(), 101.0f, 0.01f);
}

}  // namespace
}  // namespace editor_test
