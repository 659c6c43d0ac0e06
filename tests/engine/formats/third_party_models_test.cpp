// The X files of Debian's assimp-testmodels, written by several exporters, loaded as the engine loads
// models and compared with each file's own counts and with `assimp info -r FILE`.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/formats/model_loader.h"
#include "engine/formats/model_summary.h"
#include "tests/engine/formats/formats_fixtures.h"
#include "tests/engine/objects/error_double.h"

namespace {

using namespace formats_test;

const std::filesystem::path kFolder = "/usr/share/assimp/models/X";

class ThirdPartyModels : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kFolder)) GTEST_SKIP() << "assimp-testmodels is not installed";
    RaisedErrors().clear();
  }
  static std::unique_ptr<ObjectRecord> LoadFile(const char* name) {
    std::unique_ptr<ObjectRecord> object;
    EXPECT_TRUE(LoadModelFile((kFolder / name).c_str(), &object)) << name;
    return object;
  }
};

TEST_F(ThirdPartyModels, CubeInTextBinaryAndCompressedFormGivesOneTree) {
  const auto text = LoadFile("test_cube_text.x");
  ASSERT_TRUE(text);
  const ModelCounts c = CountModel(*text);
  EXPECT_EQ(c.meshes, 1);
  EXPECT_EQ(c.vertices, 24);
  EXPECT_EQ(c.indices, 36);
  EXPECT_EQ(c.triangles, 12);
  EXPECT_EQ(c.bones, 1);
  const MeshRecord& mesh = *text->meshList.at(0);
  for (const char* other : {"test_cube_binary.x", "test_cube_compressed.x"}) {
    const auto object = LoadFile(other);
    ASSERT_TRUE(object) << other;
    EXPECT_EQ(DescribeModel(*object), DescribeModel(*text)) << other;
    const MeshRecord& same = *object->meshList.at(0);
    EXPECT_EQ(same.vertices, mesh.vertices) << other;
    EXPECT_EQ(same.indices, mesh.indices) << other;
    EXPECT_EQ(same.bones[0].vertexIndices, mesh.bones[0].vertexIndices) << other;
    // The text's weights are six-digit decimals of the binary's floats.
    for (size_t i = 0; i < mesh.bones[0].weights.size(); ++i)
      EXPECT_NEAR(same.bones[0].weights[i], mesh.bones[0].weights[i], 1e-6) << other;
  }
}

TEST_F(ThirdPartyModels, CountsOfEachFile) {
  struct Expected {
    const char* file;
    int meshes;
    int64_t triangles;
    int bones;
    int tracks;
    uint32_t length;
  };
  const Expected files[] = {
      {"fromtruespace_bin32.x", 1, 6656, 0, 0, 0},  // 0302 binary
      {"anim_test.x", 1, 840, 4, 4, 24},
      {"BCN_Epileptic.X", 3, 5126, 54, 57, 15840},
      {"Testwuson.X", 1, 3732, 37, 39, 0},  // three sets: the last, a bind pose, is kept
      {"test.x", 1, 12, 0, 0, 0},
      {"kwxport_test_cubewithvcolors.x", 1, 12, 0, 0, 0},
  };
  for (const Expected& e : files) {
    const auto object = LoadFile(e.file);
    ASSERT_TRUE(object) << e.file;
    const ModelCounts c = CountModel(*object);
    EXPECT_EQ(c.meshes, e.meshes) << e.file;
    EXPECT_EQ(c.triangles, e.triangles) << e.file;
    EXPECT_EQ(c.indices, 3 * e.triangles) << e.file;
    EXPECT_EQ(c.bones, e.bones) << e.file;
    EXPECT_EQ(c.tracks, e.tracks) << e.file;
    EXPECT_EQ(c.length, e.length) << e.file;
    for (const MeshRecord* mesh : object->meshList) EXPECT_TRUE(ValidateMeshRecord(*mesh)) << e.file;
  }
  EXPECT_TRUE(RaisedErrors().empty());
}

TEST_F(ThirdPartyModels, SummaryOfAnAnimatedModel) {
  const auto object = LoadFile("anim_test.x");
  ASSERT_TRUE(object);
  const std::string summary = DescribeModel(*object);
  EXPECT_EQ(summary.substr(0, summary.find('\n')),
            "frames 5 meshes 1 vertices 1720 indices 2520 triangles 840 stages 1 subsets 0 bones 4 animation-sets 1 "
            "tracks 4 keys 288");
  EXPECT_NE(summary.find("\n      bone \"joint3\" influences 1700\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\nanimation set \"cylinder_test\" length 24 tracks 4\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\n  track \"joint1\" keys position 24 rotation 24 scale 24 matrix 0\n"), std::string::npos)
      << summary;
}

TEST_F(ThirdPartyModels, TexturedCubeWithVertexColoursDrawsBySubsets) {
  const auto object = LoadFile("kwxport_test_cubewithvcolors.x");
  ASSERT_TRUE(object);
  const MeshRecord& m = *object->meshList.at(0);
  EXPECT_EQ(m.fvf, 0x152u);
  EXPECT_EQ(m.ownMaterial, 0);
  ASSERT_EQ(m.subsets.size(), 3u);
  EXPECT_NE(std::string(m.subsets[0].name).find("bottom.tga"), std::string::npos);
  EXPECT_EQ(m.subsets[0].triangleCount + m.subsets[1].triangleCount + m.subsets[2].triangleCount, 12u);
}

TEST_F(ThirdPartyModels, SkinnedBodyKeepsItsBonesAndTracks) {
  const auto object = LoadFile("BCN_Epileptic.X");
  ASSERT_TRUE(object);
  // Every bone and every track names a frame of the tree.
  for (const MeshRecord* mesh : object->meshList)
    for (const BoneRecord& bone : mesh->bones) EXPECT_TRUE(FindFrameByName(bone.name, object->root.get())) << bone.name;
  for (const AnimationRecord* t = object->firstSet->firstTrack.get(); t; t = t->next.get())
    EXPECT_TRUE(FindFrameByName(t->name, object->root.get())) << t->name;
}

TEST_F(ThirdPartyModels, DamagedCompressedFileFailsCleanly) {
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  EXPECT_FALSE(ConvertXModel((kFolder / "OV_GetNextToken").c_str(), &image, &size));
  EXPECT_EQ(image, nullptr);
  FreeXModel(image);
  // As a model file name: converted by extension, failing with 7018.
  const auto copy = std::filesystem::temp_directory_path() / "qel-formats-OV_GetNextToken.x";
  std::filesystem::copy_file(kFolder / "OV_GetNextToken", copy, std::filesystem::copy_options::overwrite_existing);
  std::unique_ptr<ObjectRecord> object;
  EXPECT_FALSE(LoadModelFile(copy.c_str(), &object));
  EXPECT_EQ(RaisedErrors(), std::vector<uint32_t>{7018});
  std::filesystem::remove(copy);
  // A well-formed file without an extension still converts through the converter itself.
  EXPECT_TRUE(ConvertXModel((kFolder / "TestFormatDetection").c_str(), &image, &size));
  FreeXModel(image);
}

}  // namespace
