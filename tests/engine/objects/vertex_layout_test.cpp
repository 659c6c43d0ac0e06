#include <gtest/gtest.h>

#include "engine/objects/vertex_layout.h"

using namespace platform::gfx;

TEST(VertexLayout, FvfTable) {
  struct Case {
    uint32_t fvf;
    bool sizeAgrees;
    uint32_t sizeWords;
    uint32_t z, nx, diffuse, u0, v0;
  };
  const Case cases[] = {
      {0x112, true, 8, 2, 3, 0, 6, 7},    // position, normal, one texture set
      {0x142, true, 6, 2, 0, 3, 4, 5},    // position, diffuse, one texture set
      {0x152, true, 9, 2, 3, 6, 7, 8},    // position, normal, diffuse, one texture set
      {0x004, false, 1, 0, 0, 0, 0, 0},   // transformed position alone: one word, not the real 16 bytes
      {0x144, false, 4, 0, 0, 1, 2, 3},   // the same with diffuse and a texture set
      {0x002, true, 3, 2, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    FVFLayout layout;
    EXPECT_EQ(GetFVFLayout(c.fvf, &layout), c.sizeAgrees) << std::hex << c.fvf;
    EXPECT_EQ(layout.sizeWords, c.sizeWords) << std::hex << c.fvf;
    EXPECT_EQ(layout.sizeBytes, 4 * c.sizeWords);
    EXPECT_EQ(layout.z, c.z);
    EXPECT_EQ(layout.nx, c.nx);
    EXPECT_EQ(layout.diffuse, c.diffuse);
    EXPECT_EQ(layout.u[0], c.u0);
    EXPECT_EQ(layout.v[0], c.v0);
  }
  EXPECT_FALSE(GetFVFLayout(0x112, nullptr));
}

TEST(VertexLayout, TextureSetWidthsFollowTheirFormatBits) {
  FVFLayout layout;
  // Set 0 has one float: set 1 starts one word later. Set 2 has four.
  ASSERT_TRUE(GetFVFLayout(0x302 | FvfTexCoordSize1(0) | FvfTexCoordSize4(2), &layout));
  EXPECT_EQ(layout.u[0], 3u);
  EXPECT_EQ(layout.v[0], 0u);
  EXPECT_EQ(layout.u[1], 4u);
  EXPECT_EQ(layout.v[1], 5u);
  EXPECT_EQ(layout.u[2], 6u);
  EXPECT_EQ(layout.q[2], 9u);
  EXPECT_EQ(layout.sizeWords, 10u);
  ASSERT_TRUE(GetFVFLayout(0x0E2, &layout));  // psize, diffuse, specular in order
  EXPECT_EQ(layout.pointSize, 3u);
  EXPECT_EQ(layout.diffuse, 4u);
  EXPECT_EQ(layout.specular, 5u);
}

TEST(VertexLayout, FromADeclaration) {
  MeshRecord mesh;
  mesh.vertexSize = 60;
  const VertexElement decl[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                {0, 12, DECLTYPE_COLOR, 0, DECLUSAGE_COLOR, 1},
                                {0, 16, DECLTYPE_FLOAT3, 0, DECLUSAGE_TEXCOORD, 0},
                                {0, 28, DECLTYPE_FLOAT3, 0, DECLUSAGE_TANGENT, 0},
                                {0, 40, DECLTYPE_FLOAT3, 0, DECLUSAGE_NORMAL, 0},
                                {0, 56, DECLTYPE_FLOAT3, 0, DECLUSAGE_BINORMAL, 0},  // runs past the vertex
                                kDeclEnd};
  std::copy(std::begin(decl), std::end(decl), mesh.declaration);
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  EXPECT_EQ(layout.sizeBytes, 60u);
  EXPECT_EQ(layout.sizeWords, 15u);
  EXPECT_EQ(layout.z, 2u);
  EXPECT_EQ(layout.specular, 3u);
  EXPECT_EQ(layout.u[0], 4u);
  EXPECT_EQ(layout.t[0], 6u);
  EXPECT_EQ(layout.u[1], 7u);  // the tangent is texture set 1
  EXPECT_EQ(layout.t[1], 9u);
  EXPECT_EQ(layout.nx, 10u);
  EXPECT_EQ(layout.u[2], 0u);  // the binormal does not fit the vertex and is left out

  MeshRecord bare;
  bare.vertexSize = 20;
  GetMeshFVFLayout(&bare, &layout);  // a declaration that ends at once: sizes only
  EXPECT_EQ(layout.sizeWords, 5u);
  EXPECT_EQ(layout.z, 0u);
  EXPECT_EQ(layout.nz, 0u);
}

TEST(VertexLayout, WriteVertexFillsWhatTheCodeHas) {
  uint8_t data[2 * 40] = {};
  const uint32_t fvf = 0x172;  // position, normal, point size, diffuse, one texture set
  ASSERT_TRUE(WriteVertex(fvf, data, 1, 1, 2, 3, 0, 0, -1, 0xFF102030, 0.25f, 0.75f));
  FVFLayout layout;
  ASSERT_TRUE(GetFVFLayout(fvf, &layout));
  const uint8_t* vertex = data + layout.sizeBytes;
  EXPECT_EQ(ReadVertexPosition(vertex, layout).y, 2.0f);
  EXPECT_EQ(ReadVertexNormal(vertex, layout).z, -1.0f);
  EXPECT_EQ(ReadVertexFloat(vertex, layout.pointSize), 1.0f);
  EXPECT_EQ(ReadVertexWord(vertex, layout.diffuse), 0xFF102030u);
  EXPECT_EQ(ReadVertexFloat(vertex, layout.v[0]), 0.75f);
  for (uint32_t i = 0; i < layout.sizeBytes; ++i) EXPECT_EQ(data[i], 0) << "vertex 0 untouched";
  EXPECT_FALSE(WriteVertex(fvf, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
}
