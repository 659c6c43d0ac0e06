// The unit cube both raw GL references and the device benchmark draw: position, normal and one
// texture coordinate set per vertex.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

// A unit cube of 24 vertices and 36 indices, faces wound clockwise seen from outside.
void MakeCube(std::vector<Vertex>* vertices, std::vector<uint16_t>* indices) {
  const float n[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (int f = 0; f < 6; ++f) {
    float nx = n[f][0], ny = n[f][1], nz = n[f][2];
    // Two axes across the face, chosen so that (a x b) points along the normal's opposite
    // (clockwise from outside in a left-handed world).
    float ax = std::fabs(ny) > 0 ? 1 : -nz, ay = 0, az = std::fabs(ny) > 0 ? 0 : nx;
    float bx = ny * az - nz * ay, by = nz * ax - nx * az, bz = nx * ay - ny * ax;
    uint16_t base = uint16_t(vertices->size());
    const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    for (const auto& c : corners)
      vertices->push_back({0.5f * (nx + c[0] * ax + c[1] * bx), 0.5f * (ny + c[0] * ay + c[1] * by),
                           0.5f * (nz + c[0] * az + c[1] * bz), nx, ny, nz, (c[0] + 1) / 2, (1 - c[1]) / 2});
    for (uint16_t i : {0, 1, 2, 2, 1, 3}) indices->push_back(uint16_t(base + i));
  }
}
