// The renderer rebuilds world and frame matrices only for objects that changed: an object moved,
// turned, scaled, carried by the object it is glued to, or animated after it was drawn must show in
// its new place on the next frame.
#include <memory>

#include "engine/objects/animation.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/object_transform.h"
#include "engine/objects/record_links.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

class ChangedPlacementTest : public RenderTest {
 protected:
  // An unlit white box (so every face shows white), drawn once before the change.
  ObjectRecord* Box(int32_t number, gfx::Vector3 size, gfx::Vector3 position) {
    ObjectRecord* box = AddBox(number, size, position);
    box->meshList[0]->lighting = 0;
    return box;
  }
  // At z = 10, one unit is about 44 pixels from the centre of the screen.
  static void ExpectShown(const std::vector<uint32_t>& pixels, int x, int y, bool shown, const char* what) {
    SCOPED_TRACE(what);
    if (shown) ExpectColorNear(PixelAt(pixels, x, y), 0xFFFFFF, 3);
    else ExpectColorNear(PixelAt(pixels, x, y), kBackground, 0);
  }
};

TEST_F(ChangedPlacementTest, MovedTurnedAndScaledObjectsDrawInTheirNewPlace) {
  struct Case {
    const char* name;
    gfx::Vector3 size;
    void (*change)();
    int x, y;  // white after the change only
  };
  const Case cases[] = {
      {"moved", {2, 2, 2}, [] { SetObjectPosition(1, 3, 0, 10); }, 320 + 133, 240},
      {"turned", {4, 0.4f, 0.4f}, [] { SetObjectRotation(1, 0, 0, 90); }, 320, 240 - 66},
      {"scaled", {1, 1, 1}, [] { SetObjectScale(1, 400, 100, 100); }, 320 + 66, 240},
      {"rolled", {4, 0.4f, 0.4f}, [] { ApplyObjectRoll(1, 90); }, 320, 240 - 66},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Box(1, c.size, {0, 0, 10});
    DrawFrame();
    DrawFrame();  // a frame with nothing changed
    ExpectShown(BackBuffer(), c.x, c.y, false, "before");
    c.change();
    DrawFrame();
    ExpectShown(BackBuffer(), c.x, c.y, true, "after");
  }
}

TEST_F(ChangedPlacementTest, GluedObjectFollowsItsTargetAndIsLetGoWhenTheTargetGoes) {
  GetRecordLinks().findObject = [](uint32_t number) { return FindObjectRecord(int32_t(number)); };
  Box(1, {1, 1, 1}, {0, -3, 10});
  ObjectRecord* held = Box(2, {1, 1, 1}, {0, 3, 0});  // 3 above its target's frame
  held->placement.glued = 1;
  held->placement.glueTarget = 1;
  MarkObjectPlaced(held);
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  ExpectShown(pixels, 320, 240, true, "held over the target");
  ExpectShown(pixels, 320 + 133, 240, false, "not yet moved");

  SetObjectPosition(1, 3, -3, 10);
  DrawFrame();
  pixels = BackBuffer();
  ExpectShown(pixels, 320, 240, false, "left behind");
  ExpectShown(pixels, 320 + 133, 240, true, "carried along");

  // Glued to an object that is deleted: let go, and placed by its own position from then on.
  GetObjectTable().slots[1].reset();
  GetObjectTable().usedIds = {2};
  Manager().InvalidateDrawList();
  DrawFrame();
  EXPECT_EQ(held->placement.glueTarget, 0u);
  EXPECT_EQ(held->placement.worldMatrix.m[3][1], 3.0f);
  GetRecordLinks().findObject = nullptr;
}

TEST_F(ChangedPlacementTest, AnimatedFrameDrawsAtTheNewPoseAfterAStillFrame) {
  ObjectRecord* box = Box(1, {2, 2, 2}, {0, 0, 10});
  // A track that slides the root frame 3 to the right between frames 0 and 10.
  box->firstSet = std::make_unique<AnimationSet>();
  box->firstSet->firstTrack = std::make_unique<AnimationRecord>();
  AnimationRecord& track = *box->firstSet->firstTrack;
  CopyRecordName(track.name, box->root->name);
  track.positionKeys = {{0, {0, 0, 0}, {0, 0, 0}}, {10, {3, 0, 0}, {0, 0, 0}}};
  ASSERT_TRUE(PrepareAnimation(box));
  DrawFrame();
  ExpectShown(BackBuffer(), 320 + 133, 240, false, "frame 0");
  box->frame = 10.0f;
  DrawFrame();
  ExpectShown(BackBuffer(), 320 + 133, 240, true, "frame 10");
  // Back to a tree without animation: the frames are combined once more, then left alone.
  box->firstSet.reset();
  RefreshObjectFrames(box);
  DrawFrame();
  DrawFrame();
  std::vector<uint32_t> pixels = BackBuffer();
  ExpectShown(pixels, 320, 240, true, "rest pose");
  ExpectShown(pixels, 320 + 133, 240, false, "rest pose, not at frame 10");
}

}  // namespace
}  // namespace render_test
