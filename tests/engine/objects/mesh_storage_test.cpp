#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "engine/objects/mesh_storage.h"
#include "engine/objects/vertex_layout.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/d3dx/maths/math_expect.h"

using namespace platform::gfx;
using qel_test::ExpectNear;
using qel_test::MakeMesh;
using qel_test::PositionOf;

TEST(MeshStorage, AllocationIsZeroedAndLimitedTo65535Indices) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x112, 10, kMaxMeshIndices));
  EXPECT_EQ(mesh.vertexSize, 32u);
  EXPECT_EQ(mesh.vertices.size(), 320u);
  EXPECT_EQ(mesh.indices.size(), 65535u);
  EXPECT_TRUE(std::all_of(mesh.vertices.begin(), mesh.vertices.end(), [](uint8_t b) { return b == 0; }));

  mesh.vertices[0] = 7;
  EXPECT_FALSE(AllocateMeshStorage(&mesh, 10, 65536));
  EXPECT_FALSE(AllocateMeshStorage(&mesh, -1, 0));
  EXPECT_FALSE(AllocateMeshStorage(nullptr, 1, 0));
  EXPECT_EQ(mesh.vertices[0], 7);  // refused requests leave the mesh as it was
  EXPECT_EQ(mesh.indexCount, 65535);

  ASSERT_TRUE(AllocateMeshStorage(&mesh, 4, 0));
  EXPECT_TRUE(mesh.indices.empty());
  EXPECT_EQ(mesh.indexCount, 0);
  ASSERT_TRUE(AllocateWideMeshStorage(&mesh, 70000, 70002));
  EXPECT_EQ(mesh.wideIndices.size(), 70002u);
  EXPECT_TRUE(mesh.indices.empty());
}

TEST(MeshStorage, FailedSetupKeepsTheOldLayout) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x112, 3, 3));
  EXPECT_FALSE(SetupMeshStorage(&mesh, 0x152, 1 << 30, 0));  // far too large
  EXPECT_EQ(mesh.fvf, 0x112u);
  EXPECT_EQ(mesh.vertexSize, 32u);
  EXPECT_TRUE(ValidateMeshRecord(mesh));
}

TEST(MeshStorage, DeclarationStorage) {
  MeshRecord mesh;
  const VertexElement decl[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                {0, 12, DECLTYPE_FLOAT3, 0, DECLUSAGE_TANGENT, 0}, kDeclEnd};
  ASSERT_TRUE(SetupMeshStorageDecl(&mesh, decl, 24, 2, 3));
  EXPECT_EQ(mesh.fvf, 0u);
  EXPECT_EQ(mesh.vertices.size(), 48u);
  EXPECT_EQ(mesh.declaration[1].usage, DECLUSAGE_TANGENT);
  EXPECT_EQ(mesh.declaration[2].stream, 0xFF);
  EXPECT_EQ(mesh.declaration[64].stream, 0xFF);
  EXPECT_FALSE(SetupMeshStorageDecl(&mesh, decl, 20, 2, 3));  // the tangent would not fit a vertex
  EXPECT_EQ(mesh.vertexSize, 24u);
  ASSERT_TRUE(SetupMeshStorageDecl(&mesh, mesh.declaration, 24, 5, 0));  // its own declaration again
  EXPECT_EQ(mesh.declaration[1].usage, DECLUSAGE_TANGENT);
  EXPECT_EQ(mesh.vertexCount, 5);
}

TEST(MeshStorage, RawVertexCopiesMustMatchTheirCode) {
  std::vector<float> raw(9 * 8);
  std::iota(raw.begin(), raw.end(), 0.0f);
  MeshRecord mesh;
  ASSERT_TRUE(SetMeshFromRawVertices(&mesh, 0x112, 32, raw.data(), 9, PT_TRIANGLELIST));
  EXPECT_EQ(mesh.drawVertexCount, 9);
  EXPECT_EQ(mesh.drawPrimitiveCount, 3);
  EXPECT_EQ(mesh.indexCount, 0);
  ExpectNear(PositionOf(mesh, 1), {8, 9, 10});

  EXPECT_FALSE(SetMeshFromRawVertices(&mesh, 0x112, 36, raw.data(), 8, PT_TRIANGLELIST));  // size disagrees
  EXPECT_FALSE(SetMeshFromRawVertices(&mesh, 0x004, 4, raw.data(), 8, PT_TRIANGLELIST));   // layout is not the code's size
  EXPECT_FALSE(SetMeshFromRawVertices(&mesh, 0x112, 32, raw.data(), 0x7FFFFFFF, PT_TRIANGLELIST));  // overflows
  EXPECT_FALSE(SetMeshFromRawVertices(&mesh, 0x112, 32, nullptr, 3, PT_TRIANGLELIST));
  EXPECT_EQ(mesh.vertexCount, 9);
}

TEST(MeshStorage, CopyIntoSmallerCountsCopiesOnlyWhatFits) {
  auto source = MakeMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 0}}, {0, 1, 2, 2, 3, 0});
  MeshRecord copy;
  ASSERT_TRUE(CopyMeshInto(&copy, source.get(), 3, 2));
  EXPECT_EQ(copy.vertexCount, 2);
  EXPECT_EQ(copy.indexCount, 3);
  ExpectNear(PositionOf(copy, 1), {4, 5, 6});
  EXPECT_EQ(copy.drawPrimitiveCount, 2);  // copied as they stand

  MeshRecord whole;
  ASSERT_TRUE(CopyMeshRecord(&whole, source.get()));
  EXPECT_EQ(whole.vertices, source->vertices);
  EXPECT_EQ(whole.indices, source->indices);
  EXPECT_FALSE(CopyMeshRecord(source.get(), source.get()));
}

TEST(MeshStorage, StripOfFiveBecomesNineListIndices) {
  auto mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 2, 0}, {1, 2, 0}}, {5, 4, 3, 2, 1},
                       PT_TRIANGLESTRIP);
  ASSERT_TRUE(ConvertStripsToList(mesh.get()));
  EXPECT_EQ(mesh->primitiveType, uint32_t(PT_TRIANGLELIST));
  EXPECT_EQ(mesh->indexCount, 9);
  EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{5, 4, 3, 3, 4, 2, 3, 2, 1}));
  EXPECT_EQ(mesh->layoutChanged, 1);
  EXPECT_FALSE(ConvertStripsToList(mesh.get()));  // a list is left alone
}

TEST(MeshStorage, UnindexedStripsAndFansGetListIndices) {
  auto strip = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {}, PT_TRIANGLESTRIP);
  ASSERT_TRUE(ConvertStripsToList(strip.get()));
  EXPECT_EQ(strip->indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));

  auto fan = MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 1, 0}}, {}, PT_TRIANGLEFAN);
  ASSERT_TRUE(ConvertStripsToList(fan.get()));
  EXPECT_EQ(fan->indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
}

TEST(MeshStorage, IndexedFanKeepsItsTriangles) {
  auto fan = MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {3, 0, 1, 2}, PT_TRIANGLEFAN);
  ASSERT_TRUE(ConvertStripsToList(fan.get()));
  EXPECT_EQ(fan->indices, (std::vector<uint16_t>{3, 0, 1, 3, 1, 2}));
  EXPECT_EQ(fan->indexCount, 6);
}

TEST(MeshStorage, StripsThatCannotBeListedStayOrBecomeVertices) {
  auto broken = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 9}, PT_TRIANGLESTRIP);
  EXPECT_FALSE(ConvertStripsToList(broken.get()));  // names a vertex that does not exist
  EXPECT_EQ(broken->primitiveType, uint32_t(PT_TRIANGLESTRIP));

  // 30,000 strip vertices make 89,994 corners: more than 16-bit indices hold.
  MeshRecord big;
  ASSERT_TRUE(SetupMeshStorage(&big, 0x002, 30000, 0));
  for (int v = 0; v < 30000; ++v) WriteVertexFloat(&big.vertices[size_t(v) * 12], 0, float(v));
  big.primitiveType = PT_TRIANGLESTRIP;
  big.drawPrimitiveCount = 29998;
  ASSERT_TRUE(ConvertStripsToList(&big));
  EXPECT_EQ(big.indexCount, 0);
  EXPECT_EQ(big.vertexCount, 3 * 29998);
  EXPECT_EQ(ReadVertexFloat(&big.vertices[3 * 12], 0), 2.0f);  // triangle 1 is (2, 1, 3)
  EXPECT_EQ(ReadVertexFloat(&big.vertices[4 * 12], 0), 1.0f);
  EXPECT_TRUE(ValidateMeshRecord(big));
}

TEST(MeshStorage, ExpandIndexedListIntoPlainVertices) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorage(&mesh, 0x112, 24, 36));
  for (int v = 0; v < 24; ++v) WriteVertexFloat(&mesh.vertices[size_t(v) * 32], 0, float(v));
  for (int i = 0; i < 36; ++i) mesh.indices[size_t(i)] = uint16_t((i * 7) % 24);
  mesh.drawPrimitiveCount = 12;
  mesh.backupVertices = mesh.vertices;
  std::vector<uint32_t> map;
  ASSERT_TRUE(ExpandMeshIndices(&mesh, &map));
  EXPECT_EQ(mesh.vertexCount, 36);
  EXPECT_EQ(mesh.drawVertexCount, 36);
  EXPECT_EQ(mesh.indexCount, 0);
  EXPECT_TRUE(mesh.indices.empty());
  EXPECT_EQ(mesh.drawPrimitiveCount, 12);
  EXPECT_TRUE(mesh.backupVertices.empty());  // the old backup no longer matches the vertices
  for (int i = 0; i < 36; ++i) EXPECT_EQ(ReadVertexFloat(&mesh.vertices[size_t(i) * 32], 0), float((i * 7) % 24));
  ASSERT_EQ(map.size(), 24u);
  EXPECT_EQ(map[0], 24u);  // vertex 0 was used at indices 0 and 24: the last one counts
  EXPECT_EQ(map[7], 25u);
  EXPECT_TRUE(ValidateMeshRecord(mesh));
}

TEST(MeshStorage, ExpandCases) {
  // A strip is listed first, then expanded.
  auto strip = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 3}, PT_TRIANGLESTRIP);
  ASSERT_TRUE(ExpandMeshIndices(strip.get()));
  EXPECT_EQ(strip->vertexCount, 6);
  ExpectNear(PositionOf(*strip, 3), {0, 1, 0});

  // Nothing to expand: the map is the identity.
  auto plain = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
  std::vector<uint32_t> map;
  ASSERT_TRUE(ExpandMeshIndices(plain.get(), &map));
  EXPECT_EQ(map, (std::vector<uint32_t>{0, 1, 2}));

  // An index beyond the vertices refuses the expansion and leaves the mesh alone.
  auto bad = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 3});
  EXPECT_FALSE(ExpandMeshIndices(bad.get()));
  EXPECT_EQ(bad->indexCount, 3);

  // A model reader's mesh with 32-bit indices; vertex 1 is never used.
  MeshRecord wide;
  wide.vertexSize = 12;
  wide.fvf = 0x002;
  ASSERT_TRUE(AllocateWideMeshStorage(&wide, 70000, 3));
  wide.wideIndices = {69999, 0, 65536};
  WriteVertexFloat(&wide.vertices[69999u * 12], 0, 5.0f);
  ASSERT_TRUE(ExpandMeshIndices(&wide, &map));
  EXPECT_EQ(wide.vertexCount, 3);
  EXPECT_TRUE(wide.wideIndices.empty());
  EXPECT_EQ(ReadVertexFloat(wide.vertices.data(), 0), 5.0f);
  EXPECT_EQ(map[69999], 0u);
  EXPECT_EQ(map[65536], 2u);
  EXPECT_EQ(map[1], kNoVertex);
}

TEST(MeshStorage, ValidateCatchesWhatWouldReadOutside) {
  auto good = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  EXPECT_TRUE(ValidateMeshRecord(*good));

  auto badIndex = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 3});
  EXPECT_FALSE(ValidateMeshRecord(*badIndex));

  auto shortVertices = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  shortVertices->vertexCount = 4;
  EXPECT_FALSE(ValidateMeshRecord(*shortVertices));

  auto tooManyDrawn = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  tooManyDrawn->drawPrimitiveCount = 2;
  EXPECT_FALSE(ValidateMeshRecord(*tooManyDrawn));

  auto badBone = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  badBone->bones.resize(1);
  badBone->bones[0].vertexIndices = {0, 3};
  badBone->bones[0].weights = {1, 1};
  EXPECT_FALSE(ValidateMeshRecord(*badBone));
  badBone->bones[0].vertexIndices = {0, 2};
  EXPECT_TRUE(ValidateMeshRecord(*badBone));
  badBone->bones[0].weights = {1};
  EXPECT_FALSE(ValidateMeshRecord(*badBone));

  auto badSubset = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  badSubset->subsets.resize(1);
  badSubset->subsets[0].firstIndex = 3;
  badSubset->subsets[0].indexCount = 3;
  EXPECT_FALSE(ValidateMeshRecord(*badSubset));

  auto badAttached = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  badAttached->attachedFrames.push_back(std::make_unique<FrameRecord>());
  badAttached->attachedFrames[0]->mesh = MakeMesh({{0, 0, 0}}, {0, 0, 1});
  EXPECT_FALSE(ValidateMeshRecord(*badAttached));
}
