// The opaque pass draws plain objects straight from its dense array and hands every other object to
// the record walk, and notes the objects the late pass draws: a scene where all kinds alternate, with
// neighbours whose states differ or repeat, must come out the same to the pixel either way.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine/objects/effect_object.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/record_links.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

class DrawItemTest : public RenderTest {
 protected:
  // The picture drawn from the items, expected equal to the pixel to the one of the record walk alone.
  static std::vector<uint32_t> ItemsPictureAsTheRecordWalks() {
    auto draw = [](uint8_t plain) {
      Manager().plainItems = plain;
      DrawFrame();
      DrawFrame();
      return BackBuffer();
    };
    const std::vector<uint32_t> records = draw(0);
    const std::vector<uint32_t> items = draw(1);
    EXPECT_EQ(items.size(), records.size());
    size_t differing = 0;
    for (size_t i = 0; i < items.size() && i < records.size(); ++i) differing += items[i] != records[i];
    EXPECT_EQ(differing, 0u);
    return items;
  }
};

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

  const std::vector<uint32_t> items = ItemsPictureAsTheRecordWalks();

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

// Meshes of an effect are drawn from their items too: one effect shared by boxes in a row, between
// plain boxes, with a wireframe box among them (its states must not be taken from the effect box
// before it) and one whose states repeat those of the effect box before it.
TEST_F(DrawItemTest, EffectMeshesMakeTheSamePictureFromTheirItemsAsFromTheRecordWalk) {
  const std::string file = "/tmp/qel_draw_items_" + std::to_string(::getpid()) + ".fx";
  std::ofstream(file) << R"(
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
float4 Solid() : COLOR { return float4(0.25, 0.5, 0, 1); }
technique Plain { pass { VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(); } }
)";
  MeshEffect effect;
  const bool loaded = effect.Load(file.c_str(), 0, 0);
  std::remove(file.c_str());
  ASSERT_TRUE(loaded);

  // Boxes 1 to 7 at x = -3, -2 ... 3: plain (1, 5), effect (2, 3, 4, 6, 7), box 3 drawn as a wireframe.
  ObjectRecord* boxes[8] = {};
  const bool withEffect[8] = {false, false, true, true, true, false, true, true};
  for (int i = 1; i <= 7; ++i) {
    boxes[i] = AddBox(i, {0.8f, 0.8f, 0.8f}, {float(i - 4), 0, 12});
    MarkObjectPlaced(boxes[i]);
    MeshRecord* mesh = boxes[i]->meshList[0];
    if (!withEffect[i]) continue;
    ASSERT_TRUE(SetMeshEffect(mesh, &effect));
    mesh->effectShared = 1;
  }
  boxes[3]->meshList[0]->wireframe = 1;

  const std::vector<uint32_t> items = ItemsPictureAsTheRecordWalks();

  // Off the faces' diagonals, where a wireframe leaves the backdrop.
  auto at = [&](int i) { return PixelAt(items, 320 + int(float(i - 4) * 36.9f) + 4, 240 + 3); };
  for (int i : {2, 4, 6, 7}) EXPECT_EQ(at(i), 0x408000u) << "box " << i;
  EXPECT_EQ(at(3), kBackground & 0xFFFFFF);
  for (int i : {1, 5}) {
    EXPECT_NE(at(i), 0x408000u) << "box " << i;
    EXPECT_NE(at(i), kBackground & 0xFFFFFF) << "box " << i;
  }
  for (int i = 1; i <= 7; ++i) SetMeshEffect(boxes[i]->meshList[0], nullptr);
}

}  // namespace
}  // namespace render_test
