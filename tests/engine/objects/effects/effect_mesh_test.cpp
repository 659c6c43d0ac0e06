// The model an effect names, read from X files written by the test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/objects/effect_mesh.h"
#include "engine/objects/effect_object.h"
#include "tests/engine/objects/effects/effect_fixture.h"

namespace effect_test {
namespace {

using EffectMeshTest = EffectTest;

// A cube of 8 corners, 6 quads and one normal per face: 24 vertices, 12 triangles once split.
const char* kCube = R"(xof 0303txt 0032
Frame Box {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
 Mesh {
  8;
  0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;0;1;, 1;0;1;, 1;1;1;, 0;1;1;;
  6;
  4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;2,3,7,6;, 4;1,2,6,5;, 4;0,4,7,3;;
  MeshNormals {
   6;
   0;0;-1;, 0;0;1;, 0;-1;0;, 0;1;0;, 1;0;0;, -1;0;0;;
   6;
   4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;;
  }
  MeshTextureCoords {
   8;
   0;0;, 1;0;, 1;1;, 0;1;, 0;0;, 1;0;, 1;1;, 0;1;;
  }
 }
}
)";

TEST_F(EffectMeshTest, AModelOfTwelveTrianglesDrawsTwentyFourVertices) {
  WriteText(Scratch("cube.x"), kCube);
  MeshRecord* mesh = nullptr;
  EXPECT_TRUE(LoadEffectMesh(Scratch("cube.x").c_str(), &mesh));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->fvf, 0x112u);
  EXPECT_EQ(mesh->vertexCount, 24);
  EXPECT_EQ(mesh->indexCount, 36);
  EXPECT_EQ(mesh->drawVertexCount, 24);
  EXPECT_EQ(mesh->drawPrimitiveCount, 12);
  EXPECT_EQ(mesh->primitiveType, 4u);
  // The frame moves every vertex 10 along x.
  for (int v = 0; v < mesh->vertexCount; ++v) {
    float x;
    std::memcpy(&x, &mesh->vertices[size_t(v) * mesh->vertexSize], 4);
    EXPECT_TRUE(x == 10.0f || x == 11.0f) << x;
  }
  EXPECT_TRUE(mesh->stages.empty() || mesh->stages[0].fileName[0] == '\0');
  EXPECT_TRUE(DeleteMeshRecord(mesh));
}

TEST_F(EffectMeshTest, AFileThatDoesNotLoadLeavesThePointerAlone) {
  MeshRecord* mesh = reinterpret_cast<MeshRecord*>(0x10);
  EXPECT_TRUE(LoadEffectMesh(Scratch("missing.x").c_str(), &mesh));
  EXPECT_EQ(mesh, reinterpret_cast<MeshRecord*>(0x10));
  WriteText(Scratch("broken.x"), "xof 0303txt 0032\nMesh { 8; 0;0;0;; }");
  EXPECT_TRUE(LoadEffectMesh(Scratch("broken.x").c_str(), &mesh));
  EXPECT_EQ(mesh, reinterpret_cast<MeshRecord*>(0x10));
  EXPECT_TRUE(DeleteMeshRecord(nullptr));
}

TEST_F(EffectMeshTest, AnEffectsOwnMeshReplacesTheGeometryOfItsMeshes) {
  WriteText(Scratch("cube.x"), kCube);
  MeshEffect effect;
  ASSERT_TRUE(LoadEffectMesh(Scratch("cube.x").c_str(), &effect.effectMesh));
  MeshRecord target;
  EXPECT_TRUE(effect.ConvertMesh(&target));
  EXPECT_EQ(target.vertexCount, 24);
  EXPECT_EQ(target.drawPrimitiveCount, 12);
  MeshEffect without;
  MeshRecord untouched;
  EXPECT_TRUE(without.ConvertMesh(&untouched));
  EXPECT_EQ(untouched.vertexCount, 0);
}

}  // namespace
}  // namespace effect_test
