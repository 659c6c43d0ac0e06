// Small worlds for the tree world's tests, described in engine units (y up) and handed to the world
// builder in world units (z up).
#pragma once
#include <cstdint>
#include <vector>

#include "engine/world/tree_world.h"
#include "engine/world/tree_world_state.h"
#include "platform/gfx/types.h"

namespace world_test {

namespace gfx = platform::gfx;

inline WorldSourceVertex SourceVertex(gfx::Vector3 engine, float u, float v, gfx::Vector3 engineNormal,
                                      uint32_t color = 0xFFFFFFFF) {
  const gfx::Vector3 p = EngineToWorldUnits(engine);
  return {p.x, p.y, p.z, u, v, u, v, engineNormal.x, engineNormal.z, engineNormal.y, color};
}

// The four corners, in fan order, of a square of side 2 x half centred on `centre` and facing along
// `normal`, one of the six engine axis directions.
inline std::vector<WorldSourceVertex> SquareCorners(gfx::Vector3 centre, float half, gfx::Vector3 normal,
                                                    uint32_t color = 0xFFFFFFFF) {
  gfx::Vector3 a{1, 0, 0}, b{0, 1, 0};
  if (normal.y != 0) b = {0, 0, 1};
  if (normal.x != 0) a = {0, 0, 1};
  const float signs[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
  std::vector<WorldSourceVertex> corners;
  for (const auto& s : signs) {
    const gfx::Vector3 p{centre.x + (a.x * s[0] + b.x * s[1]) * half, centre.y + (a.y * s[0] + b.y * s[1]) * half,
                         centre.z + (a.z * s[0] + b.z * s[1]) * half};
    corners.push_back(SourceVertex(p, (s[0] + 1) / 2, (s[1] + 1) / 2, normal, color));
  }
  return corners;
}

inline int32_t AddSquare(gfx::Vector3 centre, float half, gfx::Vector3 normal, int32_t texture, int32_t lightmap = -1,
                         int32_t stageSet = -1) {
  const std::vector<WorldSourceVertex> corners = SquareCorners(centre, half, normal);
  return AddWorldPolygon(corners.data(), 4, texture, lightmap, stageSet);
}

// The same square as a patch of two triangles.
inline int32_t AddSquarePatch(gfx::Vector3 centre, float half, gfx::Vector3 normal, int32_t texture,
                              int32_t stageSet = -1) {
  const std::vector<WorldSourceVertex> corners = SquareCorners(centre, half, normal);
  const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
  return AddWorldPatch(corners.data(), 4, indices, 6, texture, -1, stageSet);
}

constexpr int32_t kWorldExtent = 100000;  // world units, far beyond anything the tests place

// One node whose both sides are leaf 0, a leaf of cluster `cluster` holding faces 0 .. faceCount - 1.
inline void SetSingleLeafTree(int32_t faceCount, int32_t cluster = 0) {
  const WorldPlane plane{0, 0, 1, 0};
  const int32_t e = kWorldExtent;
  const WorldNode node{0, -1, -1, {-e, -e, -e}, {e, e, e}};
  const WorldLeaf leaf{cluster, 0, {-e, -e, -e}, {e, e, e}, 0, faceCount, 0, 0};
  std::vector<int32_t> faces;
  for (int32_t f = 0; f < faceCount; ++f) faces.push_back(f);
  SetWorldTree(&plane, 1, &node, 1, &leaf, 1, faces.data(), faceCount, nullptr, 0, 0);
}

}  // namespace world_test
