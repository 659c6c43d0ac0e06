// Every model the game loads goes through the engine's loader with its meshes and textures, moves
// when the game plays its animation, and has its origin where the game places it.
#include <algorithm>
#include <memory>
#include <string>

#include "engine/formats/model_loader.h"
#include "platform/fs/path.h"
#include "tests/assets/assets_fixture.h"

namespace {

// kBottom: stands on its origin; kMiddle: centred on it; kInBall: starts inside the ball's 8 x 8 x 8
// space above its origin, where the game puts it in the ball's place.
enum class Origin { kBottom, kMiddle, kInBall };

struct Expected {
  const char* name;
  Origin origin;
  bool animated;
};

const Expected kModels[] = {
    {"Models\\Zevo.x", Origin::kBottom, true},        {"Models\\GryoExplode.x", Origin::kInBall, true},
    {"Models\\Explosion.x", Origin::kMiddle, true},   {"Models\\Heart1.x", Origin::kBottom, true},
    {"Models\\Heart2.x", Origin::kBottom, false},     {"Models\\Heart3.x", Origin::kBottom, false},
    {"Models\\Heart4.x", Origin::kBottom, false},     {"Models\\HeartCenter.x", Origin::kMiddle, true},
    {"Models\\MonsterA.x", Origin::kMiddle, true},    {"Models\\MonsterB.x", Origin::kMiddle, true},
    {"Models\\PRed.x", Origin::kMiddle, false},       {"Models\\PGreen.x", Origin::kMiddle, false},
    {"Models\\PBlue.x", Origin::kMiddle, false},      {"Models\\PaintRed.x", Origin::kMiddle, false},
    {"Models\\PaintGreen.x", Origin::kMiddle, false}, {"Models\\PaintBlue.x", Origin::kMiddle, false},
    {"Models\\Plasma.x", Origin::kMiddle, true},      {"Models\\Boost.x", Origin::kBottom, false},
    {"Models\\BoostV.x", Origin::kBottom, true},      {"Models\\Warp.x", Origin::kBottom, false},
};

struct Bounds {
  float low[3] = {1e30f, 1e30f, 1e30f};
  float high[3] = {-1e30f, -1e30f, -1e30f};
};

platform::gfx::Matrix Multiply(const platform::gfx::Matrix& a, const platform::gfx::Matrix& b) {
  platform::gfx::Matrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

// The meshes' vertices placed by their frames' own matrices (the pose before any animation).
void Measure(const FrameRecord* frame, const platform::gfx::Matrix& parent, Bounds& bounds, int& triangles,
             std::vector<std::string>& textures) {
  for (; frame; frame = frame->sibling.get()) {
    const platform::gfx::Matrix world = Multiply(frame->localMatrix, parent);
    if (const MeshRecord* mesh = frame->mesh.get()) {
      triangles += mesh->drawPrimitiveCount;
      for (const TextureStage& stage : mesh->stages)
        if (stage.fileName[0]) textures.push_back(stage.fileName);
      for (int v = 0; v < mesh->vertexCount; ++v) {
        const float* p = reinterpret_cast<const float*>(mesh->vertices.data() + size_t(v) * mesh->vertexSize);
        for (int axis = 0; axis < 3; ++axis) {
          const float value = p[0] * world.m[0][axis] + p[1] * world.m[1][axis] + p[2] * world.m[2][axis] + world.m[3][axis];
          bounds.low[axis] = std::min(bounds.low[axis], value);
          bounds.high[axis] = std::max(bounds.high[axis], value);
        }
      }
    }
    Measure(frame->child.get(), world, bounds, triangles, textures);
  }
}

class ModelsTest : public AssetsTest {};

TEST_F(ModelsTest, EveryModelLoadsWithItsTexturesAnimationAndOrigin) {
  for (const Expected& expected : kModels) {
    SCOPED_TRACE(expected.name);
    std::unique_ptr<ObjectRecord> object;
    uint32_t error = 0;
    ASSERT_TRUE(TryLoadModelFile(expected.name, &object, &error)) << "error " << error;
    platform::gfx::Matrix identity{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
    Bounds bounds;
    int triangles = 0;
    std::vector<std::string> textures;
    Measure(object->root.get(), identity, bounds, triangles, textures);
    EXPECT_GT(triangles, 0);
    // The object module looks for a model's textures in the model's own folder first.
    for (const std::string& texture : textures) EXPECT_TRUE(platform::fs::FileExists("Models\\" + texture)) << texture;
    EXPECT_EQ(object->firstSet != nullptr, expected.animated);
    if (expected.animated && object->firstSet) {
      EXPECT_GT(object->firstSet->length, 0u);
    }
    switch (expected.origin) {
      case Origin::kBottom: EXPECT_NEAR(bounds.low[1], 0.0f, 0.35f); break;
      case Origin::kMiddle: EXPECT_NEAR(bounds.low[1] + bounds.high[1], 0.0f, 0.5f); break;
      case Origin::kInBall:
        EXPECT_GE(bounds.low[1], 0.0f);
        EXPECT_LE(bounds.high[1], 8.0f);
        for (int axis : {0, 2}) EXPECT_LE(std::max(-bounds.low[axis], bounds.high[axis]), 4.0f);
        break;
    }
  }
}

TEST_F(ModelsTest, TheBallAndThePadsHaveTheSizesThePhysicsExpects) {
  const auto measure = [](const char* name) {
    std::unique_ptr<ObjectRecord> object;
    uint32_t error = 0;
    EXPECT_TRUE(TryLoadModelFile(name, &object, &error)) << name;
    platform::gfx::Matrix identity{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
    Bounds bounds;
    int triangles = 0;
    std::vector<std::string> textures;
    if (object) Measure(object->root.get(), identity, bounds, triangles, textures);
    return bounds;
  };
  // The ball stands on its origin and is 8 high: under an open door (12.5 clear), into a pot's reach.
  const Bounds ball = measure("Models\\Zevo.x");
  EXPECT_NEAR(ball.high[1] - ball.low[1], 8.0f, 0.1f);
  EXPECT_LE(ball.high[0] - ball.low[0], 8.0f);
  EXPECT_LE(ball.high[2] - ball.low[2], 8.0f);
  // Boosts set the ball down one unit above the block: their pads are one unit high.
  for (const char* pad : {"Models\\Boost.x", "Models\\BoostV.x"}) {
    const Bounds b = measure(pad);
    EXPECT_LE(b.high[1], 2.0f) << pad;
    EXPECT_LE(b.high[0] - b.low[0], 20.0f) << pad;
  }
}

}  // namespace
