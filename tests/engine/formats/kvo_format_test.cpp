// The KVO image: trees survive the trip to an image and back, the layout is what stored images have,
// and damaged images fail without a crash or a partial tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/engine/formats/formats_fixtures.h"

namespace {

using namespace formats_test;

TEST(KvoImage, TreeToImageToTreeKeepsEveryCarriedField) {
  const auto tree = FullTree();
  const std::vector<uint8_t> image = Save(*tree);
  const auto read = Load(image);
  ASSERT_TRUE(read);
  // Every carried field is written, so an image of the read tree equals the first one only when the
  // reader put every field back.
  EXPECT_EQ(Save(*read), image);

  const FrameRecord* root = read->root.get();
  EXPECT_STREQ(root->name, "root");
  const FrameRecord* arm = root->child.get();
  ASSERT_TRUE(arm && arm->mesh && arm->sibling && arm->sibling->child);
  EXPECT_EQ(arm->parent, root);
  EXPECT_EQ(arm->sibling->parent, root);
  EXPECT_EQ(arm->sibling->child->parent, arm->sibling.get());
  EXPECT_EQ(read->frameList.size(), 4u);
  EXPECT_EQ(read->meshList.size(), 2u);
  const MeshRecord& mesh = *arm->mesh;
  EXPECT_EQ(mesh.hasEffect, 1);
  EXPECT_STREQ(mesh.effectFileName, "shine.fx");
  ASSERT_EQ(mesh.attachedFrames.size(), 2u);
  EXPECT_STREQ(mesh.attachedFrames[1]->name, "pose1");
  EXPECT_EQ(mesh.bones[0].weights, (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(mesh.bones[1].InfluenceCount(), 0u);
  EXPECT_EQ(mesh.stages[1].spareWords[1], 6u);
  EXPECT_EQ(mesh.depthBias, -0.25f);
  const MeshRecord& declared = *arm->sibling->child->mesh;
  EXPECT_EQ(declared.fvf, 0u);
  EXPECT_EQ(declared.declaration[1].usage, platform::gfx::DECLUSAGE_NORMAL);
  EXPECT_EQ(declared.hasEffect, 0);
  // Only the first set travels.
  ASSERT_TRUE(read->firstSet);
  EXPECT_FALSE(read->firstSet->next);
  const AnimationRecord* baked = read->firstSet->firstTrack->next.get();
  ASSERT_TRUE(baked);
  EXPECT_EQ(baked->keyMode, 0u);
  ASSERT_EQ(baked->matrixTable.size(), 3u);
  EXPECT_EQ(std::memcmp(&baked->matrixTable[2][1], &tree->firstSet->firstTrack->next->matrixTable[2][1], 64), 0);
  EXPECT_EQ(read->workBlock, (std::vector<uint8_t>{9, 8, 7, 6, 5}));
}

TEST(KvoImage, LayoutOfHeaderAndAbsentRecords) {
  ObjectRecord object;
  object.root = NamedFrame("only");
  const std::vector<uint8_t> image = Save(object);
  ASSERT_GE(image.size(), 32u);
  EXPECT_EQ(U32At(image, 0), 8u);
  EXPECT_EQ(std::string(image.begin() + 4, image.begin() + 12), "MAGICKVO");
  EXPECT_EQ(U32At(image, 12), 1u);
  EXPECT_EQ(U32At(image, 16), 0u);
  EXPECT_EQ(U32At(image, 20), 0u);
  EXPECT_EQ(U32At(image, 24), uint32_t(kKvoRootFrame));
  // A frame without a mesh, child or sibling: each block's payload is the end block alone.
  for (uint32_t code : {kKvoFrameMesh, kKvoFrameChild, kKvoFrameSibling}) {
    const size_t at = FindBlock(image, code, 8);
    ASSERT_NE(at, std::string::npos) << code;
    EXPECT_EQ(U32At(image, at + 8), 0u);
    EXPECT_EQ(U32At(image, at + 12), 0u);
  }
  // No animation: block 2 holds only an end block, then the attached data (empty), then the end.
  const size_t set = FindBlock(image, kKvoAnimationSet, 8);
  ASSERT_NE(set, std::string::npos);
  EXPECT_EQ(FindBlock(image, kKvoAttachedData, 4), set + 16);
  EXPECT_EQ(image.size(), set + 16 + 12 + 8);
  const auto read = Load(image);
  ASSERT_TRUE(read);
  EXPECT_FALSE(read->firstSet);
  EXPECT_FALSE(read->root->mesh);
}

TEST(KvoImage, MeshBlocksWithSizesStoredImagesHave) {
  ObjectRecord object;
  object.root = NamedFrame("m");
  object.root->mesh = FullMesh(0x112, 1);
  ASSERT_TRUE(SetupMeshStorage(object.root->mesh.get(), 0x112, 24, 36));
  object.root->mesh->subsets.clear();
  object.root->mesh->attachedFrames.push_back(NamedFrame("a"));
  object.root->mesh->attachedFrames.push_back(NamedFrame("b"));
  std::vector<uint8_t> image = Save(object);
  // 117, 118 and 119 carry the index array's size (36 x 2) and one u32 each.
  for (uint32_t code : {kKvoMeshPrimitiveType, kKvoMeshDrawVertexCount, kKvoMeshDrawPrimitiveCount})
    EXPECT_NE(FindBlock(image, code, 72), std::string::npos) << code;
  const size_t primitive = FindBlock(image, kKvoMeshPrimitiveType, 72);
  EXPECT_EQ(U32At(image, primitive + 8), 4u);
  EXPECT_EQ(U32At(image, primitive + 12), uint32_t(kKvoMeshDrawVertexCount));
  // 138 is followed by its two frame records, then by the vertices.
  const size_t attached = FindBlock(image, kKvoMeshAttachedFrames, 4);
  ASSERT_NE(attached, std::string::npos);
  EXPECT_EQ(U32At(image, attached + 8), 2u);
  EXPECT_EQ(U32At(image, attached + 12), uint32_t(kKvoFrameName));
  const size_t vertices = FindBlock(image, kKvoMeshVertices, 24 * 32);
  ASSERT_NE(vertices, std::string::npos);
  EXPECT_GT(vertices, attached);
  EXPECT_EQ(U32At(image, vertices - 8), 0u);  // the second attached frame's end block
  auto read = Load(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->root->mesh->indexCount, 36);
  EXPECT_EQ(read->root->mesh->attachedFrames.size(), 2u);

  // A mesh described by its declaration: block 120 with size 4 and the 520 bytes of 65 elements.
  read->root->mesh->fvf = 0;
  read->root->mesh->declaration[0] = {0, 0, platform::gfx::DECLTYPE_FLOAT3, 0, 0, 0};
  read->root->mesh->declaration[1] = platform::gfx::kDeclEnd;
  image = Save(*read);
  const size_t declaration = FindBlock(image, kKvoMeshDeclaration, 4);
  ASSERT_NE(declaration, std::string::npos);
  EXPECT_EQ(U32At(image, declaration + 8 + kKvoDeclarationBytes), uint32_t(kKvoMeshAttachedFrames));
  EXPECT_TRUE(Load(image));
}

TEST(KvoImage, TracksWithKeysCarryNoBakedTable) {
  const auto tree = FullTree();
  tree->firstSet->firstTrack->next.reset();
  const std::vector<uint8_t> image = Save(*tree);
  EXPECT_EQ(FindBlock(image, kKvoTrackKeyMode, 4), std::string::npos);
  const auto read = Load(image);
  ASSERT_TRUE(read && read->firstSet && read->firstSet->firstTrack);
  EXPECT_EQ(read->firstSet->firstTrack->keyMode, 1u);
  EXPECT_EQ(read->firstSet->length, 30u);
}

TEST(KvoImage, MagicComparesWithoutCase) {
  ObjectRecord object;
  object.root = NamedFrame("m");
  std::vector<uint8_t> image = Save(object);
  std::memcpy(&image[4], "MagicKvo", 8);
  EXPECT_TRUE(Load(image));
  for (const char* wrong : {"MAGICKV0", "KVOMAGIC"}) {
    std::memcpy(&image[4], wrong, 8);
    EXPECT_FALSE(Load(image)) << wrong;
  }
  std::memcpy(&image[4], "MAGICKVO", 8);
  image[0] = 7;  // a string of another length
  EXPECT_FALSE(Load(image));
}

TEST(KvoImage, UnknownBlocksAreSkippedInEveryRecord) {
  const auto tree = FullTree();
  const std::vector<uint8_t> image = Save(*tree);
  const std::vector<uint8_t> unknown = Block(999, "skip me");
  struct Place {
    const char* record;
    uint32_t code, size;
  };
  const Place places[] = {{"frame", kKvoFrameMatrix, 64},     {"mesh", kKvoMeshVertexSize, 4},
                          {"stage", kKvoStageNumber, 4},      {"bone", kKvoBoneOffsetMatrix, 64},
                          {"track", kKvoTrackScaleKeyCount, 4}, {"set", kKvoSetLength, 4}};
  for (const Place& p : places) {
    const size_t at = FindBlock(image, p.code, p.size);
    ASSERT_NE(at, std::string::npos) << p.record;
    // Sizes of the enclosing blocks go stale, but nested records are read by their code.
    const auto read = Load(Insert(image, at, unknown));
    ASSERT_TRUE(read) << p.record;
    EXPECT_EQ(Save(*read), image) << p.record;
  }
  // Stage and subset codes met directly inside a mesh are not the mesh's.
  const size_t mesh = FindBlock(image, kKvoMeshVertexSize, 4);
  auto read = Load(Insert(image, mesh, Block(kKvoStageNumber, "abcd")));
  ASSERT_TRUE(read);
  EXPECT_EQ(Save(*read), image);
}

TEST(KvoImage, LongNamesKeepTheirFirst255Characters) {
  ObjectRecord object;
  object.root = NamedFrame("x");
  object.root->child = NamedFrame("after");
  const std::vector<uint8_t> image = Save(object);
  const size_t name = FindBlock(image, kKvoFrameName, 5);
  ASSERT_EQ(name, 32u);
  std::string payload(4, '\0');
  const uint32_t length = 300;
  std::memcpy(payload.data(), &length, 4);
  for (int i = 0; i < 300; ++i) payload.push_back(char('a' + i % 26));
  std::vector<uint8_t> longer(image.begin(), image.begin() + name);
  const std::vector<uint8_t> block = Block(kKvoFrameName, payload);
  longer.insert(longer.end(), block.begin(), block.end());
  longer.insert(longer.end(), image.begin() + name + 8 + 5, image.end());
  const auto read = Load(longer);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(read->root->name), payload.substr(4, 255));
  ASSERT_TRUE(read->root->child);
  EXPECT_STREQ(read->root->child->name, "after");
}

TEST(KvoImage, EveryTruncationFails) {
  const std::vector<uint8_t> image = Save(*FullTree());
  for (size_t length = 0; length < image.size(); ++length) {
    std::unique_ptr<ObjectRecord> object;
    EXPECT_FALSE(LoadModelFromMemory(image.data(), length, &object)) << length;
    EXPECT_FALSE(object);
  }
}

TEST(KvoImage, CorruptedBytesNeverCrash) {
  const std::vector<uint8_t> image = Save(*FullTree());
  for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0xFF)})
    for (size_t i = 24; i < image.size(); ++i) {
      std::vector<uint8_t> damaged = image;
      damaged[i] = value;
      Load(damaged);  // either result; the sanitizers judge the reading
    }
}

// Counts and arrays that disagree with each other or with the mesh fail the read.
TEST(KvoImage, InconsistentCountsFail) {
  const std::vector<uint8_t> image = Save(*FullTree());
  struct Damage {
    const char* what;
    uint32_t code, size;
    uint32_t value;
  };
  const Damage damages[] = {
      {"vertex count past the image", kKvoMeshVertexCount, 4, 0x10000000},
      {"vertex count above the data", kKvoMeshVertexCount, 4, 5},
      {"index count above the data", kKvoMeshIndexCount, 4, 7},
      {"more bones than records", kKvoMeshBoneCount, 4, 3},
      {"fewer stages than records", kKvoMeshStageCount, 4, 1},
      {"influences past the image", kKvoBoneInfluenceCount, 4, 0x40000000},
      {"key count past the image", kKvoTrackPositionKeyCount, 4, 0x08000000},
      {"table rows past the image", kKvoTrackTableRows, 4, 1000},
      {"attached frames past the image", kKvoMeshAttachedFrames, 4, 0x20000000},
  };
  for (const Damage& d : damages) {
    const size_t at = FindBlock(image, d.code, d.size);
    ASSERT_NE(at, std::string::npos) << d.what;
    std::vector<uint8_t> damaged = image;
    std::memcpy(&damaged[at + 8], &d.value, 4);
    EXPECT_FALSE(Load(damaged)) << d.what;
  }
  // An index naming a vertex the mesh lacks, and a subset past the indices.
  auto tree = FullTree();
  tree->root->child->mesh->indices[4] = 4;
  EXPECT_FALSE(Load(Save(*tree)));
  tree = FullTree();
  tree->root->child->mesh->subsets[1].indexCount = 4;
  EXPECT_FALSE(Load(Save(*tree)));
}

TEST(KvoImage, WriterRefusesArraysThatDisagreeWithTheirCounts) {
  auto tree = FullTree();
  tree->root->child->mesh->indices.pop_back();
  std::vector<uint8_t> image;
  EXPECT_FALSE(SaveModelToMemory(tree.get(), &image));
  tree = FullTree();
  tree->firstSet->firstTrack->next->matrixTable[1].pop_back();
  EXPECT_FALSE(SaveModelToMemory(tree.get(), &image));
  EXPECT_FALSE(SaveModelToMemory(nullptr, &image));
}

// Frames nested or chained far deeper than any stack would allow recursion for.
TEST(KvoImage, DeepFrameTreesAndLongChains) {
  ObjectRecord object;
  object.root = NamedFrame("top");
  FrameRecord* f = object.root.get();
  for (int i = 0; i < 100000; ++i) {
    f->child = NamedFrame("c");
    f = f->child.get();
    f->sibling = NamedFrame("s");
  }
  object.firstSet = std::make_unique<AnimationSet>();
  std::unique_ptr<AnimationRecord>* track = &object.firstSet->firstTrack;
  for (int i = 0; i < 100000; ++i) {
    *track = std::make_unique<AnimationRecord>();
    track = &(*track)->next;
  }
  const std::vector<uint8_t> image = Save(object);
  const auto read = Load(image);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->frameList.size(), 200001u);
  EXPECT_EQ(Save(*read), image);
}

}  // namespace
