// The opaque pass draws plain objects straight from its dense array and hands every other object to
// the record walk, and notes the objects the late pass draws: a scene where all kinds alternate, with
// neighbours whose states differ or repeat, must come out the same to the pixel either way.
#include "engine/objects/object_matrix.h"
#include "engine/objects/record_links.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

class DrawItemTest : public RenderTest {};

TEST_F(DrawItemTest, PlainAndRecordDrawnObjectsMakeTheSamePictureAsTheRecordWalkAlone) {
  GetRecordLinks().findObject = [](uint32_t number) { return FindObjectRecord(int32_t(number)); };
  SetLight({0.3f, -0.5f, 1});
  // A row of boxes at z = 12; x from -5 to 4. Plain boxes: lit (1, 2, 4, 8), unlit (7), red by their
  // own material (9). Others: an instance of the unlit box (3, between lit plain ones, so the plain
  // box after it must not take the lit boxes' states as still in force), a box glued to box 1 (5), an
  // invisible box (6), a two-stage box (10). Late: a translucent box in front of boxes 2 and 3 (11),
  // and a screen-locked one (12).
  const float xs[] = {-5, -4, -3, -2, -1, 0, 1, 2, 3, 4};
  ObjectRecord* boxes[13] = {};
  for (int i = 1; i <= 12; ++i) {
    boxes[i] = AddBox(i, {0.8f, 0.8f, 0.8f}, {i <= 10 ? xs[i - 1] : 0.0f, 0, 12});
    boxes[i]->placement.angles = {20.0f * float(i), 35, 0};
    MarkObjectPlaced(boxes[i]);
  }
  boxes[7]->meshList[0]->lighting = 0;
  boxes[3]->instanceSource = boxes[7];
  boxes[5]->placement.glued = 1;
  boxes[5]->placement.glueTarget = 1;
  boxes[5]->placement.position = {0, 1.5f, 0};  // from box 1
  boxes[6]->visible = 0;
  MeshRecord* red = boxes[9]->meshList[0];
  red->ownMaterial = 1;
  red->material.emissive = {1, 0, 0, 1};
  boxes[10]->meshList[0]->stages.emplace_back();
  boxes[10]->meshList[0]->stages[1].stage = 1;

  boxes[11]->placement.position = {-3.5f, 0, 8};
  boxes[11]->transparent = 1;
  boxes[11]->meshList[0]->translucent = 1;
  boxes[12]->placement.position = {2, -2, 6};
  boxes[12]->screenLocked = 1;

  auto draw = [&](uint8_t plain) {
    Manager().plainItems = plain;
    DrawFrame();
    DrawFrame();
    return BackBuffer();
  };
  const std::vector<uint32_t> records = draw(0);
  const std::vector<uint32_t> items = draw(1);
  ASSERT_EQ(items.size(), records.size());
  size_t differing = 0;
  for (size_t i = 0; i < items.size(); ++i) differing += items[i] != records[i];
  EXPECT_EQ(differing, 0u);

  // Every box that should show does, in the colour its states give.
  auto at = [&](int i) { return PixelAt(items, 320 + int(xs[i - 1] * 36.9f), 240); };
  EXPECT_EQ(at(6), kBackground & 0xFFFFFF);
  EXPECT_EQ(at(7), 0xFFFFFFu);  // unlit: white
  EXPECT_EQ(at(3), 0xFFFFFFu);  // instance of the unlit box
  EXPECT_NE(at(4), 0xFFFFFFu);  // lit again after the instance
  EXPECT_NE(at(4), kBackground & 0xFFFFFF);
  EXPECT_EQ(Red(at(9)), 255);  // its emissive red, plus the light
  EXPECT_LT(Green(at(9)), 128);
}

}  // namespace
}  // namespace render_test
