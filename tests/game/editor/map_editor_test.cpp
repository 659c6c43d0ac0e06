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

TEST_F(EditorTest, SnapToGridRoundsAtTheHalfCellAndNegativesTowardZero) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 0},   {9, 0},     {10, 20},  {29, 20}, {30, 40},
                                               {-9, 0},  {-10, 0},   {-25, -20}, {-39, -20}, {-40, -40}};
  for (const auto& [value, snapped] : cases) EXPECT_EQ(SnapToGrid(value), snapped) << value;
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

TEST_F(EditorTest, ALeftClickPutsTheCursorOnTheCellUnderThePointer) {
  int32_t clicked = -1;
  RunEditor([&](int32_t frame) {
    if (frame == 1) {
      // Near the middle of the view: the pick reaches the camera's height below the camera along the
      // ray, which falls short of the ground the further the pointer is from the middle.
      MoveCursorTo(20, 0, 20);
      PlaceBlock(SHAPE_BOX);  // centred at (30, 0, 30)
      MoveCursorTo(0, 0, 0);
    }
    if (frame == 2) {  // drawn once: its place on screen is known
      clicked = RecordCount() - 1;
      g_mouseX = GetObjectScreenX(Record(clicked).blockObject);
      g_mouseY = GetObjectScreenY(Record(clicked).blockObject);
      g_buttons = 3;  // with the right button as well: no pick
    }
    if (frame == 3) {
      EXPECT_EQ(Editor().cursorX, 0.0f);
      g_buttons = 1;
    }
    return frame < 4;
  });
  ASSERT_EQ(clicked, 1);
  EXPECT_EQ(Editor().cursorX, 20.0f);
  EXPECT_EQ(Editor().cursorZ, 20.0f);
  EXPECT_EQ(RecordAtCursor(), clicked);
  EXPECT_TRUE(Wireframe(Record(clicked).blockObject));
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
