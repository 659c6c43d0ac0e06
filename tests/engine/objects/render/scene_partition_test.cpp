// The scene partition walked through the camera passes: the camera's area and the areas seen through
// its portals are drawn, the frustum narrows at each portal, a portal behind the camera leads
// nowhere, objects in areas not reached are hidden, and the debug view, debug line and the mesh
// drawn after the traversal.
#include "engine/objects/scene_partition.h"

#include "platform/gfx/test_hooks.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

// The camera (at the origin, looking along +z) stands in area 0, a room of 10 around it. Through a
// window in its +z wall (z 5) lies area 1, a hall from z 5 to 25 holding a box at z 20; behind the
// camera, through a window in the -z wall, lies area 2 with a box at z -20. Area 1 has a window in
// its +x wall (x 5) at z 15 into area 3, which the camera would see without the walls (18 degrees
// off its axis). Area 4 has no portal into it.
class ScenePartitionTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    Build(0);
  }
  void TearDown() override {
    GetObjectModuleState().partition = nullptr;
    delete partition_;
    RenderTest::TearDown();
  }

  // The scene, with a window of half size `window` from the room into the hall (none for 0).
  void Build(float window) {
    GetObjectModuleState().partition = nullptr;
    delete partition_;
    partition_ = new ScenePartition;
    GetObjectModuleState().partition = partition_;
    ASSERT_TRUE(partition_->CreateRootArea(0, 0, 0));
    room_ = partition_->AddArea({0, 0, 0}, {5, 5, 5});
    hall_ = partition_->AddArea({0, 0, 15}, {5, 5, 10});
    behind_ = partition_->AddArea({0, 0, -15}, {5, 5, 10});
    side_ = partition_->AddArea({15, 0, 15}, {10, 5, 10});
    closed_ = partition_->AddArea({0, 100, 0}, {5, 5, 5});
    EXPECT_GE(partition_->AddAreaMesh(hall_, Box({0, 0, 20})), 0);
    EXPECT_GE(partition_->AddAreaMesh(behind_, Box({0, 0, -20})), 0);
    if (window > 0) {
      EXPECT_TRUE(partition_->AddPortal(room_, Window(hall_, 0, {0, 0, 5}, window)));
    }
    EXPECT_TRUE(partition_->AddPortal(room_, Window(behind_, 1, {0, 0, -5}, 1)));
    EXPECT_TRUE(partition_->AddPortal(hall_, SideWindow(side_)));
  }

  // A box mesh of 2 around `at`, in world coordinates, in the device buffers of the partition.
  static std::unique_ptr<MeshRecord> Box(gfx::Vector3 at) {
    auto mesh = std::make_unique<MeshRecord>();
    EXPECT_TRUE(MakeBoxMesh(true, mesh.get(), at.x - 1, at.y - 1, at.z - 1, at.x + 1, at.y + 1, at.z + 1, kBoxFvf,
                            0xFFFFFFFF));
    mesh->stages.emplace_back();
    return mesh;
  }
  // A square window of half size `half` in a wall of constant z.
  static AreaPortal Window(int32_t target, uint32_t side, gfx::Vector3 centre, float half) {
    AreaPortal portal;
    portal.target = target;
    portal.side = side;
    portal.point = centre;
    portal.corners[0] = {centre.x - half, centre.y - half, centre.z};
    portal.corners[1] = {centre.x + half, centre.y - half, centre.z};
    portal.corners[2] = {centre.x + half, centre.y + half, centre.z};
    portal.corners[3] = {centre.x - half, centre.y + half, centre.z};
    return portal;
  }
  // The hall's window at x 5 into the side area, facing the camera (side 4, normal -x).
  static AreaPortal SideWindow(int32_t target) {
    AreaPortal portal;
    portal.target = target;
    portal.side = 4;
    portal.point = {5, 0, 15};
    portal.corners[0] = {5, -1, 14};
    portal.corners[1] = {5, -1, 16};
    portal.corners[2] = {5, 1, 16};
    portal.corners[3] = {5, 1, 14};
    return portal;
  }
  std::vector<uint8_t> Visited() const {
    std::vector<uint8_t> visited;
    for (const AreaBox& area : partition_->Areas()) visited.push_back(area.visited);
    return visited;
  }

  ScenePartition* partition_ = nullptr;
  int32_t room_ = 0, hall_ = 0, behind_ = 0, side_ = 0, closed_ = 0;
};

TEST_F(ScenePartitionTest, AreasSeenThroughPortalsAreDrawnAndTheFrustumNarrowsAtEach) {
  const struct {
    const char* what;
    float window;  // half size of the room's window into the hall; 0: no window
    std::vector<uint8_t> visited;  // room, hall, behind, side, closed
    uint32_t centre;               // the hall's box straight ahead
  } cases[] = {
      {"no window: the room alone", 0, {1, 0, 0, 0, 0}, kBackground},
      // 1 at z 5 is 11 degrees off the axis: the side window (18 degrees) lies outside it.
      {"a narrow window", 1, {1, 1, 0, 0, 0}, 0xFFFFFF},
      {"a wide window shows the side window too", 4, {1, 1, 0, 1, 0}, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    Build(c.window);
    DrawFrame();
    EXPECT_EQ(partition_->CameraArea(), room_ + 1) << c.what;
    EXPECT_EQ(Visited(), c.visited) << c.what;
    ExpectColorNear(PixelAt(BackBuffer(), 320, 240), c.centre, 3, c.what);
  }
}

// The window behind the camera is out of every frustum: its area and box stay undrawn, and the
// room's own meshes are what the camera area's counters hold.
TEST_F(ScenePartitionTest, PortalBehindTheCameraLeadsNowhere) {
  ASSERT_GE(partition_->AddAreaMesh(room_, Box({0, -3, 4})), 0);
  DrawFrame();
  EXPECT_EQ(Visited()[size_t(behind_)], 0);
  EXPECT_EQ(partition_->CameraAreaDrawCalls(), 1u);
  EXPECT_EQ(partition_->CameraAreaPolygons(), 12u);
  EXPECT_EQ(core_->drawCalls, 1u);  // the box behind was not drawn

  // Turned around (the window and area 2 now ahead), the area behind is reached.
  SetCameraRotation(0, 0, 180, 0);
  DrawFrame();
  EXPECT_EQ(Visited()[size_t(behind_)], 1);
  EXPECT_EQ(Visited()[size_t(hall_)], 0);
  EXPECT_EQ(core_->drawCalls, 2u);
}

// Objects registered with the partition are shown only while their area was reached; one that
// moves into a reached area is shown again, and one that leaves the partition is always shown.
TEST_F(ScenePartitionTest, ObjectsInAreasNotReachedAreHidden) {
  Build(1);
  ObjectRecord* inHall = AddBox(1, {1, 1, 1}, {0, 0, 12});
  ObjectRecord* inClosed = AddBox(2, {1, 1, 1}, {0, 100, 0});
  ObjectRecord* outside = AddBox(3, {1, 1, 1}, {500, 0, 0});  // in no area: keeps its byte
  for (ObjectRecord* object : {inHall, inClosed, outside}) partition_->AddObject(object);
  DrawFrame();
  EXPECT_EQ(inHall->areaVisible, 1);
  EXPECT_EQ(inHall->partitionArea, hall_);
  EXPECT_EQ(inClosed->areaVisible, 0);
  EXPECT_EQ(inClosed->partitionArea, closed_);
  EXPECT_EQ(outside->areaVisible, 1);
  EXPECT_EQ(outside->partitionArea, -1);

  inClosed->placement.position = {0, 0, 14};
  DrawFrame();
  EXPECT_EQ(inClosed->partitionArea, hall_);
  EXPECT_EQ(inClosed->areaVisible, 1);

  inHall->placement.position = {0, 100, 0};
  DrawFrame();
  EXPECT_EQ(inHall->areaVisible, 0);
  partition_->RemoveObjectFromPartition(inHall);
  EXPECT_EQ(inHall->areaVisible, 1);
  DrawFrame();
  EXPECT_EQ(inHall->areaVisible, 1);
}

// After the areas: the mesh drawn after the traversal, then (with the debug byte) the other areas as
// line boxes and the debug line, drawn unlit without a texture; lighting is as it was afterwards.
TEST_F(ScenePartitionTest, DebugViewDrawsLineBoxesTheDebugLineAndTheMeshAfterTheTraversal) {
  const auto deviceCalls = [] {
    const uint32_t before = gfx::DrawCallCount(Device());
    DrawFrame();
    return gfx::DrawCallCount(Device()) - before;
  };
  const uint32_t plain = deviceCalls();
  partition_->SetAfterTraversalMesh(Box({0, 0, 3}));
  EXPECT_EQ(deviceCalls(), plain + 1);
  ExpectColorNear(PixelAt(BackBuffer(), 320, 240), 0xFFFFFF, 3, "the mesh after the traversal");

  partition_->SetAfterTraversalMesh(nullptr);
  partition_->SetDebugLine(true, {-1, 0, 4}, {1, 0, 4});
  EXPECT_EQ(deviceCalls(), plain);  // the debug byte is off
  partition_->debugDraw = 1;
  EXPECT_EQ(deviceCalls(), plain + 2);  // the line boxes, the line
  // The line crosses the middle of the picture, drawn unlit in the vertices' default white.
  std::vector<uint32_t> pixels = BackBuffer();
  bool lineSeen = false;
  for (int y = 238; y <= 242; ++y) lineSeen = lineSeen || PixelAt(pixels, 320, y) == 0xFFFFFF;
  EXPECT_TRUE(lineSeen);
  partition_->SetDebugLine(false, {}, {});
  EXPECT_EQ(deviceCalls(), plain + 1);
}

}  // namespace
}  // namespace render_test
