// The buffer pools: places given and taken back, meshes that shared a released buffer put back, and
// records whose counts do not match their arrays drawn only within what they hold.
#include "engine/objects/render_objects.h"
#include "platform/gfx/test_hooks.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace render_test {
namespace {

using BufferPoolTest = RenderTest;

int PoolCount(const VertexBufferPool* node) {
  int n = 0;
  for (; node; node = node->next) ++n;
  return n;
}
int PoolCount(const IndexBufferPool* node) {
  int n = 0;
  for (; node; node = node->next) ++n;
  return n;
}

TEST_F(BufferPoolTest, EachMeshGetsBuffersOfItsOwnSizeAndGivesThemBack) {
  ObjectRecord* a = AddBox(1, {1, 1, 1}, {0, 0, 10});
  ObjectRecord* b = AddBox(2, {1, 1, 2}, {2, 0, 10});  // not the same vertices: nothing to share
  DrawFrame();
  EXPECT_EQ(PoolCount(Manager().vertexPools), 2);
  EXPECT_EQ(PoolCount(Manager().indexPools), 2);
  const DrawBufferInfo* place = a->meshList[0]->bufferPlace.get();
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->vertexPool->capacity, 24u);
  EXPECT_EQ(place->indexPool->capacity, 36u);
  EXPECT_EQ(place->primitiveCount, 12u);

  // A removed mesh has no place and is never drawn again.
  Manager().RemoveObjectFromBuffers(a);
  EXPECT_EQ(a->meshList[0]->bufferPlace, nullptr);
  EXPECT_EQ(b->meshList[0]->readdMark, 0) << "separate buffers: nothing shared, nothing evicted";
  uint32_t before = gfx::DrawCallCount(Device());
  EXPECT_TRUE(Manager().DrawMesh(a->meshList[0]));
  EXPECT_EQ(gfx::DrawCallCount(Device()), before);
  Manager().RemoveObjectFromBuffers(b);
  EXPECT_EQ(Manager().vertexPools, nullptr);
  EXPECT_EQ(Manager().indexPools, nullptr);

  // Making and removing objects over and over keeps no pool behind.
  for (int round = 0; round < 20; ++round) {
    ObjectRecord* o = AddBox(3, {1, 1, 1}, {0, 0, 10});
    DrawFrame();
    ASSERT_NE(o->meshList[0]->bufferPlace, nullptr);
    Manager().RemoveObjectFromBuffers(o);
    GetObjectTable().usedIds.pop_back();
    GetObjectTable().slots[3].reset();
    Manager().InvalidateDrawList();
  }
  EXPECT_EQ(Manager().vertexPools, nullptr);
  EXPECT_EQ(Manager().indexPools, nullptr);
}

TEST_F(BufferPoolTest, RemovingOneOfSharingMeshesEvictsTheOthersUntilTheyArePutBack) {
  ObjectRecord* boxes[3];
  for (int i = 0; i < 3; ++i) {
    boxes[i] = AddBox(i + 1, {1, 1, 1}, {float(i), 0, 10});
    boxes[i]->separateBuffers = 0;
  }
  DrawFrame();
  ASSERT_EQ(PoolCount(Manager().vertexPools), 1);
  const VertexBufferPool* shared = Manager().vertexPools;
  EXPECT_EQ(shared->verticesUsed, 72u);
  EXPECT_EQ(shared->capacity, 65535u) << "indexed meshes: at most 65535 vertices";
  EXPECT_EQ(boxes[2]->meshList[0]->bufferPlace->baseVertex, 48u);
  EXPECT_EQ(core_->drawCalls, 3u);

  boxes[2]->refreshBuffers = 1;  // dirty: its own refresh covers it
  Manager().RemoveMeshFromBuffers(boxes[0]->meshList[0]);
  for (ObjectRecord* o : {boxes[1], boxes[2]}) {
    EXPECT_EQ(o->meshList[0]->bufferPlace, nullptr);
    EXPECT_EQ(o->meshList[0]->readdMark, 1);
  }
  EXPECT_EQ(Manager().vertexPools, nullptr);
  Manager().ReaddMarkedMeshes();
  EXPECT_NE(boxes[1]->meshList[0]->bufferPlace, nullptr);
  EXPECT_EQ(boxes[2]->meshList[0]->bufferPlace, nullptr) << "left for its own refresh";
  EXPECT_EQ(boxes[2]->meshList[0]->readdMark, 1);
}

TEST_F(BufferPoolTest, PoolsAreSharedOnlyWhileThereIsRoom) {
  MeshRecord a, b, c;
  for (MeshRecord* m : {&a, &b, &c}) ASSERT_TRUE(MakeBoxMesh(true, m, 0, 0, 0, 1, 1, 1, kBoxFvf, 0));
  // Unindexed meshes get pools of the device's largest vertex index; a pool with 1 vertex of room
  // left refuses a mesh of 1 vertex more.
  for (MeshRecord* m : {&a, &b}) {
    m->indices.clear();
    m->indexCount = 0;
    m->drawPrimitiveCount = 8;
  }
  ASSERT_TRUE(Manager().AddMeshToBuffers(&a, false));
  ASSERT_TRUE(Manager().AddMeshToBuffers(&b, false));
  EXPECT_EQ(a.bufferPlace->vertexPool, b.bufferPlace->vertexPool);
  EXPECT_EQ(b.bufferPlace->firstVertex, 24u);
  EXPECT_EQ(a.bufferPlace->vertexPool->capacity, Device() ? GetObjectModuleState().caps.maxVertexIndex : 0u);
  VertexBufferPool* pool = a.bufferPlace->vertexPool;
  pool->verticesUsed = pool->capacity - 24;  // 24 more would fill it exactly: not below the capacity
  ASSERT_TRUE(Manager().AddMeshToBuffers(&c, false));
  EXPECT_NE(c.bufferPlace->vertexPool, pool);
  // The meshes are not listed by any object: take them out by hand.
  for (MeshRecord* m : {&a, &b, &c}) Manager().RemoveMeshFromBuffers(m);
  EXPECT_EQ(Manager().vertexPools, nullptr);
}

TEST_F(BufferPoolTest, CountsFromARecordNeverReachPastItsArrays) {
  ObjectRecord* box = AddBox(1, {2, 2, 2}, {0, 0, 10});
  MeshRecord* mesh = box->meshList[0];
  mesh->drawPrimitiveCount = 1000;  // more than 36 indices hold
  mesh->drawVertexCount = 5000;
  mesh->stages[0].stage = 9;  // beyond the device's stages
  box->workBlock = {1};       // a visibility byte for the first frame only
  DrawFrame();
  ASSERT_NE(mesh->bufferPlace, nullptr);
  EXPECT_EQ(mesh->bufferPlace->primitiveCount, 12u);
  EXPECT_EQ(mesh->bufferPlace->vertexCount, 24u);
  EXPECT_EQ(core_->polygonsDrawn, 12u);

  // Subsets that claim more than the indices hold are cut to them.
  mesh->subsetTextures = 1;
  mesh->subsets.resize(3);
  mesh->subsets[0].firstIndex = 0, mesh->subsets[0].triangleCount = 10;
  mesh->subsets[1].firstIndex = 30, mesh->subsets[1].triangleCount = 10;   // 2 fit
  mesh->subsets[2].firstIndex = 300, mesh->subsets[2].triangleCount = 1;   // none fit
  DrawFrame();
  EXPECT_EQ(core_->polygonsDrawn, 12u);
  EXPECT_EQ(core_->drawCalls, 2u);

  // An index naming a vertex the mesh lacks gets no place, and no pool is left behind for it.
  ObjectRecord* broken = AddBox(2, {1, 1, 1}, {0, 0, 10});
  broken->meshList[0]->indices[5] = 500;
  int pools = PoolCount(Manager().vertexPools);
  EXPECT_FALSE(Manager().AddMeshToBuffers(broken->meshList[0], true));
  EXPECT_EQ(broken->meshList[0]->bufferPlace, nullptr);
  EXPECT_EQ(PoolCount(Manager().vertexPools), pools);
  // Arrays shorter than the counts say: no place either.
  broken->meshList[0]->indices[5] = 0;
  broken->meshList[0]->vertexCount = 25;
  EXPECT_FALSE(Manager().AddMeshToBuffers(broken->meshList[0], true));
}

TEST_F(BufferPoolTest, ChangedVerticesAreWrittenInPlaceOrPlacedAnewWhenTheyGrew) {
  ObjectRecord* box = AddBox(1, {2, 2, 2}, {0, 0, 10});
  box->meshList[0]->lighting = 0;
  DrawFrame();
  MeshRecord* mesh = box->meshList[0];
  const VertexBufferPool* pool = mesh->bufferPlace->vertexPool;
  // Moved 3 to the right in place: the same pool, the new position on screen.
  ASSERT_TRUE(MakeBoxMesh(false, mesh, 2, -1, -1, 4, 1, 1, kBoxFvf, 0xFFFFFFFF));
  MarkMeshVerticesChanged(mesh);
  DrawFrame();
  EXPECT_EQ(mesh->bufferPlace->vertexPool, pool);
  EXPECT_EQ(mesh->verticesChanged, 0);
  std::vector<uint32_t> pixels = BackBuffer();
  ExpectColorNear(PixelAt(pixels, 320, 240), kBackground, 0, "old place");
  ExpectColorNear(PixelAt(pixels, 320 + 133, 240), 0xFFFFFF, 3, "new place");

  // Grown beyond its place (a second box's worth of vertices): placed anew, not written past the end.
  MeshRecord bigger;
  ASSERT_TRUE(MakeBoxMesh(true, &bigger, -1, -1, -1, 1, 1, 1, kBoxFvf, 0xFFFFFFFF));
  mesh->vertices.resize(mesh->vertices.size() * 2);
  std::copy(bigger.vertices.begin(), bigger.vertices.end(), mesh->vertices.begin() + 24 * 32);
  mesh->vertexCount = 48;
  MarkMeshVerticesChanged(mesh);
  DrawFrame();
  ASSERT_NE(mesh->bufferPlace, nullptr);
  EXPECT_EQ(mesh->bufferPlace->vertexPool->capacity, 48u);
}

TEST_F(BufferPoolTest, IdenticalMeshesShareOnePlaceUntilOneIsRewritten) {
  // Three identical unlit boxes and a longer one, side by side.
  ObjectRecord* boxes[4];
  for (int i = 0; i < 4; ++i) {
    boxes[i] = AddBox(i + 1, {1, 1, i == 3 ? 2.0f : 1.0f}, {float(i - 2) * 2, 0, 10});
    boxes[i]->meshList[0]->lighting = 0;
  }
  DrawFrame();
  EXPECT_EQ(PoolCount(Manager().vertexPools), 2);
  EXPECT_EQ(PoolCount(Manager().indexPools), 2);
  const DrawBufferInfo* first = boxes[0]->meshList[0]->bufferPlace.get();
  for (int i = 1; i < 3; ++i) {
    const DrawBufferInfo* place = boxes[i]->meshList[0]->bufferPlace.get();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->vertexBuffer, first->vertexBuffer);
    EXPECT_EQ(place->indexBuffer, first->indexBuffer);
    EXPECT_EQ(place->primitiveCount, 12u);
  }
  EXPECT_NE(boxes[3]->meshList[0]->bufferPlace->vertexBuffer, first->vertexBuffer);
  EXPECT_EQ(core_->drawCalls, 4u);
  auto shown = [](const std::vector<uint32_t>& pixels, float x) {
    return PixelAt(pixels, 320 + int(x * 44.3f), 240) != (kBackground & 0xFFFFFF);
  };
  std::vector<uint32_t> pixels = BackBuffer();
  for (float x : {-4.0f, -2.0f, 0.0f, 2.0f}) EXPECT_TRUE(shown(pixels, x)) << x;

  // The first leaves: the others keep drawing from the same place.
  Manager().RemoveObjectFromBuffers(boxes[0]);
  GetObjectTable().usedIds.erase(GetObjectTable().usedIds.begin());
  Manager().InvalidateDrawList();
  EXPECT_EQ(boxes[1]->meshList[0]->readdMark, 0);
  EXPECT_EQ(PoolCount(Manager().vertexPools), 2);

  // The second's vertices are rewritten (moved up by 1): it gets a place of its own, the third is
  // unchanged.
  MeshRecord* moved = boxes[1]->meshList[0];
  ASSERT_TRUE(MakeBoxMesh(false, moved, -0.5f, 0.5f, -0.5f, 0.5f, 1.5f, 0.5f, kBoxFvf, 0xFFFFFFFF));
  MarkMeshVerticesChanged(moved);
  DrawFrame();
  EXPECT_EQ(PoolCount(Manager().vertexPools), 3);
  EXPECT_NE(moved->bufferPlace->vertexBuffer, boxes[2]->meshList[0]->bufferPlace->vertexBuffer);
  pixels = BackBuffer();
  EXPECT_FALSE(shown(pixels, -4.0f));
  EXPECT_FALSE(shown(pixels, -2.0f)) << "the rewritten box moved up";
  EXPECT_NE(PixelAt(pixels, 320 - 89, 240 - 44), kBackground & 0xFFFFFF);
  EXPECT_TRUE(shown(pixels, 0.0f));
  // Rewritten again: now in its own place, without placing it anew.
  const VertexBufferPool* own = moved->bufferPlace->vertexPool;
  MarkMeshVerticesChanged(moved);
  DrawFrame();
  EXPECT_EQ(moved->bufferPlace->vertexPool, own);

  // A box made identical to the third later shares its place; all gone, no pool is left.
  ObjectRecord* late = AddBox(5, {1, 1, 1}, {0, 2, 10});
  late->meshList[0]->lighting = 0;
  DrawFrame();
  EXPECT_EQ(late->meshList[0]->bufferPlace->vertexBuffer, boxes[2]->meshList[0]->bufferPlace->vertexBuffer);
  for (ObjectRecord* o : {boxes[1], boxes[2], boxes[3], late}) Manager().RemoveObjectFromBuffers(o);
  EXPECT_EQ(Manager().vertexPools, nullptr);
  EXPECT_EQ(Manager().indexPools, nullptr);
}

}  // namespace
}  // namespace render_test
