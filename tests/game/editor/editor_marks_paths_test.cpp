// Waypoint paths recorded in the editor, and the entity labels: their texts, the marks F2 and F3 set,
// and which labels are drawn.
#include "tests/engine/engine_fixture.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

// `count` repeats of the keys followed by `gap` empty frames each.
Frames Repeat(std::set<int32_t> keys, int32_t count, int32_t gap) {
  Frames frames;
  for (int32_t i = 0; i < count; ++i) {
    frames.push_back(keys);
    for (int32_t g = 0; g < gap; ++g) frames.push_back({});
  }
  return frames;
}

Frames Then(Frames a, const Frames& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(EditorTest, PathPointsAreAddedAtTheCursorUpToThirtyAndShownWithTheirPath) {
  // P, then 31 Returns, moving right between them (Return and the arrows share the cursor stamp: each
  // waits out the other's guard); then . to path 1 and P off.
  const Frames gap(8, std::set<int32_t>{});
  Frames frames = Then(Frames{{kKeyP}}, gap);
  for (int32_t i = 0; i < 31; ++i) frames = Then(Then(Then(frames, Frames{{kKeyReturn}}), gap), Then(Frames{{kKeyRight}}, gap));
  frames = Then(Then(Then(frames, Frames{{kKeyPeriod}}), gap), Frames{{}, {kKeyP}});
  RunKeys(frames, [] {
    const WaypointPath& path = CurrentMap().paths[0];
    EXPECT_EQ(path.pointCount, 30) << "the 31st Return adds nothing";
    EXPECT_EQ(path.points[0].x, 10.0f);
    EXPECT_EQ(path.points[1].x, 30.0f);
    EXPECT_EQ(path.points[29].x, 10.0f + 29 * 20.0f);
    EXPECT_EQ(path.points[29].z, 10.0f);
    EXPECT_TRUE(ObjectExists(4000 + 29));
    EXPECT_FALSE(ObjectExists(4000 + 30)) << "path 1's first marker was never made";
    EXPECT_EQ(Editor().currentPath, 1);
    EXPECT_EQ(Editor().waypointMode, 0);
    EXPECT_FALSE(Visible(4000)) << "path 0 was hidden when the path changed";
  });
}

TEST_F(EditorTest, PathsCycleWithinZeroToFortyNineAndOnlyInWaypointMode) {
  RunKeys(Repeat({kKeyComma}, 2, 3));
  EXPECT_EQ(Editor().currentPath, 0) << "outside waypoint mode";
  RunKeys(Then(Frames{{kKeyP}, {}, {}}, Repeat({kKeyComma}, 2, 3)));
  EXPECT_EQ(Editor().currentPath, 0);
  Editor().currentPath = 48;
  RunKeys(Repeat({kKeyPeriod}, 3, 3));
  EXPECT_EQ(Editor().currentPath, 49);
}

TEST_F(EditorTest, LabelsFollowTheEntityTypeAndAreCutToTheBuffer) {
  struct Case {
    int32_t type, p1, p2, p3, p4;
    float p5;
    const char* text;
    const char* label;  // null: no label
  };
  const Case cases[] = {
      {E_DOOR, 255, 0, 10, 90, 0, "null", "E_DOOR - R 255, G 0, B 10, Angle: 90"},
      {E_PAINTB, 30, -1, -1, -1, 0, "null", "E_PAINTB - Val: 30"},
      {E_BOOST, 12, 45, -1, -1, 0, "null", "E_BOOST - Speed: 12, Angle: 45"},
      {E_MOVER, 0, 0, 40, 0, 0.5f, "null", "E_MOVER - Y-Axis, Dir: Up. Dist: 40, Spd: 0.500000"},
      {E_MOVER, 0, 1, 40, 0, 0.5f, "null", "E_MOVER - Y-Axis, Dir: Down. Dist: 40, Spd: 0.500000"},
      {E_MOVER, 1, 90, 40, 0, 0.5f, "null", "E_MOVER - X/Z-Axis, Angle: 90. Dist: 40, Spd: 0.500000"},
      {E_MONSTERA, 0, 30, 0, 500, 1.5f, "null", "E_MONSTERA - Dir: Up, Dist: 30, Spd: 1.500000, Delay: 500"},
      {E_MONSTERA, 2, 30, 0, 500, 1.5f, "null", "E_MONSTERA - Dir: Down, Dist: 30, Spd: 1.500000, Delay: 500"},
      {E_MONSTERB, 4, 0, 0, 0, 2.0f, "null", "E_MONSTERB - Path: 4, Spd: 2.000000"},
      {E_TEXT, -1, -1, -1, -1, 0, "Hello", "E_TEXT - Hello"},
      {E_WARP, 1, 2, 3, -1, 0, "null", nullptr},
      {E_PLAYERSTART, 1, 2, 3, -1, 0, "null", nullptr},
      {E_PLASMA, -1, -1, -1, -1, 0, "null", nullptr},
      {5, 0, 0, 0, 0, 0, "null", nullptr},
  };
  MapRecord r{};
  char label[256];
  for (const Case& c : cases) {
    r.entityType = c.type, r.p1 = c.p1, r.p2 = c.p2, r.p3 = c.p3, r.p4 = c.p4, r.p5 = c.p5;
    std::strcpy(r.text, c.text);
    EXPECT_EQ(EntityLabel(r, label, sizeof label), c.label != nullptr) << c.type;
    if (c.label) {
      EXPECT_STREQ(label, c.label);
    }
  }
  r.entityType = E_TEXT;
  std::memset(r.text, 'x', 511);
  r.text[511] = 0;
  ASSERT_TRUE(EntityLabel(r, label, sizeof label));
  EXPECT_EQ(std::strlen(label), 255u) << "a record text of 511 characters is cut to the label buffer";
}

TEST_F(EditorTest, F2MarksAllF3TogglesTheEntityAtTheCursorAndOnlyMarkedLabelsAreDrawn) {
  // The goal pad carries a text entity whose marker lies in view below the camera.
  int32_t step = 0;
  RunEditor([&](int32_t frame) {
    MapRecord& pad = CurrentMap().records[0];
    switch (frame) {
      case 1:
        pad.entityType = E_TEXT;
        pad.entityObject = kFirstEntityObject;
        std::strcpy(pad.text, "Over here");
        if (!ObjectExists(kFirstEntityObject)) CreateBoxObject(kFirstEntityObject, 4, 4, 4);
        PositionObject(kFirstEntityObject, 10, 5, 10);
        g_keys = {kKeyF2};
        break;
      case 2:
        step = 1;
        EXPECT_EQ(pad.mark, 1) << "F2 marks every record";
        EXPECT_EQ(Editor().allMarks, 1);
        g_keys = {};
        break;
      case 9: g_keys = {kKeyF3}; break;
      case 10:
        EXPECT_EQ(pad.mark, 0) << "F3 unmarks the entity at the cursor";
        g_keys = {};
        break;
      case 17: g_keys = {kKeyF2}; break;
      case 18:
        EXPECT_EQ(pad.mark, 0) << "the second F2 unmarks all";
        EXPECT_EQ(Editor().allMarks, 0);
        g_keys = {};
        break;
      case 25: g_keys = {kKeyRight}; break;
      case 26: g_keys = {kKeyF3}; break;
      case 27:
        step = 2;
        EXPECT_EQ(pad.mark, 0) << "F3 on an empty cell toggles nothing";
        g_keys = {};
        break;
      default: break;
    }
    return frame < 28;
  });
  EXPECT_EQ(step, 2);

  // The label is drawn for the marked entity alone (the map stands after the loop).
  auto render = [] {
    ClearScreen(0, 0, 255);
    DescribeEntity();
    std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface);
    int32_t changed = 0;
    for (uint32_t p : pixels) changed += (p & 0xFFFFFF) != 0x0000FF;
    return changed;
  };
  ASSERT_EQ(IsObjectOnScreen(kFirstEntityObject), 1);
  CurrentMap().records[0].mark = 0;
  EXPECT_EQ(render(), 0);
  CurrentMap().records[0].mark = 1;
  EXPECT_GT(render(), 100);
  HideObject(kFirstEntityObject);
  PositionObject(kFirstEntityObject, 10, 500, 10);  // above the camera: off screen
  EXPECT_EQ(render(), 0);
}

}  // namespace
}  // namespace editor_test
