// Meshes into blocks and back, through the object module's table of free-standing meshes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/object_table.h"
#include "engine/objects/records.h"
#include "tests/engine/media2d/memory_blocks/block_fixture.h"

namespace block_test {
namespace {

constexpr uint32_t kFvf = 0x112;  // position, normal, one texture set: 32 bytes
constexpr uint32_t kVertexSize = 32;

class MeshBlockTest : public BlockTest {
 protected:
  void TearDown() override {
    MeshTable& table = GetMeshTable();
    table.slots.clear();
    table.capacity = 0;
    BlockTest::TearDown();
  }

  // An indexed box of 24 vertices and 36 indices filed under the number.
  static MeshRecord* AddBox(int32_t mesh) {
    auto box = std::make_unique<MeshRecord>();
    EXPECT_TRUE(MakeBoxMesh(true, box.get(), -1, -2, -3, 1, 2, 3, kFvf, 0));
    MeshTable& table = GetMeshTable();
    if (mesh >= table.capacity) {
      EXPECT_TRUE(GrowMeshTable(mesh));
    }
    return (table.slots[size_t(mesh)] = std::move(box)).get();
  }

  static size_t MeshesFiled() {
    size_t n = 0;
    for (const auto& slot : GetMeshTable().slots) n += slot != nullptr;
    return n;
  }
};

TEST_F(MeshBlockTest, AnIndexedMeshBecomesABlockOfPlainTriangles) {
  const MeshRecord* box = AddBox(4);
  ASSERT_EQ(MakeMemoryBlockFromMesh(1, 4), 1);
  EXPECT_EQ(HeaderOf(1, 3), (std::vector<uint32_t>{kFvf, kVertexSize, 36}));
  const std::vector<uint8_t> data = DataOf(1, 3);
  ASSERT_EQ(data.size(), 36u * kVertexSize);
  for (size_t i = 0; i < 36; ++i)
    EXPECT_EQ(std::memcmp(&data[i * kVertexSize], &box->vertices[box->indices[i] * kVertexSize], kVertexSize), 0) << i;
  EXPECT_EQ(box->indexCount, 36);  // the mesh itself keeps its indices
  EXPECT_EQ(word_, 0u);
}

TEST_F(MeshBlockTest, AMeshComesBackFromItsBlockAsATriangleList) {
  AddBox(4);
  ASSERT_EQ(MakeMemoryBlockFromMesh(1, 4), 1);
  AddBox(9);  // replaced by the block's mesh
  ASSERT_EQ(MakeMeshFromMemoryBlock(9, 1), 1);
  const MeshRecord* mesh = FindMeshRecord(9);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->fvf, kFvf);
  EXPECT_EQ(mesh->vertexCount, 36);
  EXPECT_EQ(mesh->indexCount, 0);
  EXPECT_EQ(mesh->primitiveType, uint32_t(platform::gfx::PT_TRIANGLELIST));
  EXPECT_EQ(mesh->drawPrimitiveCount, 12);
  EXPECT_EQ(mesh->vertices, DataOf(1, 3));
  EXPECT_EQ(word_, 0u);
}

TEST_F(MeshBlockTest, NumbersAndMissingMeshesRaiseTheirErrors) {
  AddBox(4);
  struct Case {
    const char* what;
    int32_t (*call)();
    uint32_t code;
  } cases[] = {
      {"block from mesh, both bad", [] { return MakeMemoryBlockFromMesh(0, 0); }, 5101},
      {"mesh 0", [] { return MakeMemoryBlockFromMesh(1, 0); }, 7001},
      {"mesh 22000000", [] { return MakeMemoryBlockFromMesh(1, 22000000); }, 7001},
      {"mesh missing", [] { return MakeMemoryBlockFromMesh(1, 5); }, 7003},
      {"mesh from block, both bad", [] { return MakeMeshFromMemoryBlock(-3, 300); }, 7001},
      {"mesh from block 0", [] { return MakeMeshFromMemoryBlock(5, 0); }, 5101},
      {"mesh from missing block", [] { return MakeMeshFromMemoryBlock(5, 2); }, 5103},
  };
  for (const Case& c : cases) {
    int32_t result = -1;
    EXPECT_EQ(ErrorOf([&] { result = c.call(); }), c.code) << c.what;
    EXPECT_EQ(result, 0) << c.what;
  }
  EXPECT_EQ(MemoryBlockExists(1), 0);
  EXPECT_EQ(MeshesFiled(), 1u);
}

// A vertex size that is not the format's, or vertices the block does not hold, are refused and the
// mesh of that number stays.
TEST_F(MeshBlockTest, ABadHeaderChangesNoMesh) {
  const MeshRecord* kept = AddBox(6);
  const std::vector<uint8_t> vertices(3 * kVertexSize, 0);
  struct Case {
    const char* what;
    std::vector<uint32_t> header;
    size_t dataBytes;
  } cases[] = {
      {"vertex size not the format's", {kFvf, 28, 3}, 3 * kVertexSize},
      {"more vertices than the block", {kFvf, kVertexSize, 4}, 3 * kVertexSize},
      {"count 0", {kFvf, kVertexSize, 0}, 3 * kVertexSize},
      {"negative count", {kFvf, kVertexSize, 0xFFFFFFFDu}, 3 * kVertexSize},
      {"size overflow", {kFvf, 0x7FFFFFFFu, 0x7FFFFFFFu}, 3 * kVertexSize},
      {"unknown format", {0xFFFFFFFFu, kVertexSize, 3}, 3 * kVertexSize},
  };
  for (const Case& c : cases) {
    MakeItemBlock(1, c.header, std::vector<uint8_t>(vertices.begin(), vertices.begin() + ptrdiff_t(c.dataBytes)));
    EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeMeshFromMemoryBlock(6, 1), 0); }), 5105u) << c.what;
    EXPECT_EQ(FindMeshRecord(6), kept) << c.what;
  }
  MakeItemBlock(1, {kFvf, kVertexSize}, {});
  EXPECT_EQ(ErrorOf([] { MakeMeshFromMemoryBlock(6, 1); }), 5105u);
}

// The links are the object module's own: without them no mesh is found and none can be filed.
TEST_F(MeshBlockTest, WithoutTheObjectModuleLinksNoMeshIsReached) {
  AddBox(4);
  MemoryBlockLinks& links = MemoryBlocks().links;
  links.getMeshVertexData = nullptr;
  links.createMeshFromVertexData = nullptr;
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeMemoryBlockFromMesh(1, 4), 0); }), 7003u);
  MakeItemBlock(1, {kFvf, kVertexSize, 3}, std::vector<uint8_t>(3 * kVertexSize));
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeMeshFromMemoryBlock(5, 1), 0); }), 7002u);
  EXPECT_EQ(FindMeshRecord(5), nullptr);
}

}  // namespace
}  // namespace block_test
