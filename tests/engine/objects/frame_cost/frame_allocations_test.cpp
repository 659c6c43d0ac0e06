// The renderer's per-frame path allocates nothing once a scene is placed: 100 frames of 2,000 boxes,
// some of them moved, turned and scaled every frame, with the global operator new of this binary
// counting every allocation made while the frames run.
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/objects/object_transform.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountedAllocation(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocation(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace render_test {
namespace {

constexpr int32_t kBoxes = 2000;

class FrameAllocationTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ObjectTable& table = GetObjectTable();
    table.slots.resize(kBoxes + 1);
    table.capacity = kBoxes + 1;
    ASSERT_TRUE(Manager().SetCapacity(kBoxes + 1));
  }
};

TEST_F(FrameAllocationTest, HundredFramesOfTwoThousandObjectsAllocateNothing) {
  for (int32_t i = 0; i < kBoxes; ++i) {
    const float x = float(i % 50) - 25.0f, y = float(i / 50) - 20.0f;
    ObjectRecord* box = AddBox(i + 1, {0.5f, 0.5f, 0.5f}, {x, y, 40});
    box->meshList[0]->stages[0].image = 1 + i % 3;  // three texture groups in the draw list
  }
  auto change = [](int frame) {
    SetObjectPosition(1, float(frame % 7), 0, 40);
    SetObjectRotation(2, 0, float(frame), 0);
    SetObjectScale(3, 100.0f + float(frame), 100, 100);
  };
  DrawFrame();  // places every mesh and builds the draw list
  // One frame with the changes made, so that the driver has compiled the programs a stretched
  // object needs before counting starts: that is the driver's once-only work, not the frame's.
  change(1);
  DrawFrame();
  g_allocations = 0;
  g_counting = true;
  delete new int(1);  // the counter sees this binary's allocations
  ASSERT_EQ(g_allocations.exchange(0), 1);
  for (int frame = 0; frame < 100; ++frame) {
    change(frame);
    DrawFrame();
  }
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0);
  EXPECT_GT(core_->drawCalls, uint32_t(kBoxes / 2));
}

}  // namespace
}  // namespace render_test
