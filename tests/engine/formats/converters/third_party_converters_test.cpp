// The 3DS, MD2 and MDL files of Debian's assimp-testmodels, loaded as the engine loads models. Face
// and mesh counts are those `assimp info -r FILE` gives (where the two readers cut a file into meshes
// differently, as noted), vertex counts the files' own. Copies cut short or with a damaged count must
// fail with 7018 and nothing else.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/formats/model_summary.h"
#include "engine/objects/mesh_storage.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

const std::filesystem::path kModels = "/usr/share/assimp/models";

struct Expected {
  const char* file;
  int meshes;
  int64_t triangles;
  int64_t vertices;
  int tracks;
};

class ThirdPartyConverters : public ConverterTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kModels / "3DS")) GTEST_SKIP() << "assimp-testmodels is not installed";
    ConverterTest::SetUp();
  }
  static std::string ReadModel(const std::string& file) { return Read((kModels / file).string()); }

  static void ExpectCounts(const Expected& e, const std::string& name) {
    RaisedErrors().clear();
    const auto object = LoadFile(name);
    ASSERT_TRUE(object) << e.file;
    EXPECT_TRUE(RaisedErrors().empty()) << e.file;
    const ModelCounts c = CountModel(*object);
    EXPECT_EQ(c.meshes, e.meshes) << e.file;
    EXPECT_EQ(c.triangles, e.triangles) << e.file;
    EXPECT_EQ(c.vertices, e.vertices) << e.file;
    EXPECT_EQ(c.tracks, e.tracks) << e.file;
    for (const MeshRecord* mesh : object->meshList) EXPECT_TRUE(ValidateMeshRecord(*mesh)) << e.file;
  }

  // The file cut at several places, each copy failing cleanly.
  void ExpectTruncationsFail(const std::string& file, const std::string& extension) {
    const std::string data = ReadModel(file);
    for (size_t length : {size_t(0), size_t(4), data.size() / 3, data.size() / 2, data.size() - 1}) {
      Write("cut." + extension, data.substr(0, length));
      ExpectLoadFails("cut." + extension, file + " cut at " + std::to_string(length));
    }
  }
};

TEST_F(ThirdPartyConverters, Scenes3DS) {
  // assimp gives every face its own three vertices; here vertices are the files' vertex lists. It
  // splits testFormatDetection's one object into four meshes by material; here an object is a mesh.
  const Expected files[] = {
      {"3DS/CameraRollAnim.3ds", 1, 12, 26, 1},
      {"3DS/CameraRollAnimWithChildObject.3ds", 2, 24, 52, 2},
      {"3DS/TargetCameraAnim.3ds", 1, 12, 26, 1},
      {"3DS/fels.3ds", 1, 768, 386, 0},
      {"3DS/test1.3ds", 9, 108, 288, 9},
      {"3DS/RotatingCube.3DS", 1, 12, 26, 1},
      {"3DS/cube_with_diffuse_texture.3DS", 1, 12, 32, 1},
      {"3DS/cube_with_specular_texture.3DS", 1, 12, 32, 1},
      {"3DS/cubes_with_alpha.3DS", 5, 60, 130, 5},
      {"3DS/testFormatDetection", 1, 1368, 762, 1},
  };
  for (const Expected& e : files) {
    Write("scene.3ds", ReadModel(e.file));
    ExpectCounts(e, "scene.3ds");
  }
  EXPECT_EQ(CountEntries(TempFolder()), 0u) << "no X text left behind";
  // The keyframer's rotation track of 182 keys reaches the tree.
  Write("cube.3ds", ReadModel("3DS/RotatingCube.3DS"));
  const auto cube = LoadFile("cube.3ds");
  ASSERT_TRUE(cube && cube->firstSet);
  EXPECT_EQ(cube->firstSet->firstTrack->rotationKeys.size(), 182u);
  EXPECT_STREQ(cube->firstSet->firstTrack->name, "Box01");
}

TEST_F(ThirdPartyConverters, ModelsMD2) {
  const Expected files[] = {{"MD2/faerie.md2", 1, 654, 1962, 0}, {"MD2/sydney.md2", 1, 679, 2037, 0}};
  for (const Expected& e : files) {
    ExpectCounts(e, (kModels / e.file).string());
    const auto object = LoadFile((kModels / e.file).string());
    ASSERT_TRUE(object);
    EXPECT_EQ(object->root->mesh->attachedFrames.size(), 198u) << e.file;
  }
}

TEST_F(ThirdPartyConverters, StudioModelsMDL) {
  // One mesh per strip or fan of the first body part's first model; its faces are those assimp gives
  // for that model's meshes.
  const Expected files[] = {
      {"alpha_test.mdl", 6, 12, 24, 1},        {"blend_additive.mdl", 2, 2, 6, 1},
      {"chrome_sphere.mdl", 91, 480, 662, 1},  {"duplicate_bodyparts.mdl", 1, 1, 3, 1},
      {"duplicate_sequences.mdl", 1, 1, 3, 1}, {"duplicate_submodels.mdl", 1, 1, 3, 1},
      {"man.mdl", 30, 60, 120, 1},             {"sequence_transitions.mdl", 1, 1, 3, 1},
      {"unnamed_bodyparts.mdl", 1, 1, 3, 1},   {"unnamed_bones.mdl", 48, 96, 192, 1},
      {"unnamed_sequences.mdl", 1, 1, 3, 1},
      {"duplicate_sequence_groups/duplicate_sequence_groups.mdl", 1, 1, 3, 1},
  };
  for (const Expected& e : files) ExpectCounts(e, (kModels / "MDL/MDL (HL1)" / e.file).string());
  // 221 frames are baked over their first 200; skins are in the temporary folder.
  const auto sphere = LoadFile((kModels / "MDL/MDL (HL1)/chrome_sphere.mdl").string());
  ASSERT_TRUE(sphere);
  EXPECT_EQ(sphere->firstSet->firstTrack->matrixTable.size(), 1990u);
  EXPECT_TRUE(std::filesystem::exists(TempFolder() + "chrome_texture.bmp"));
  // A sequence file, a texture-only file and the other MDL families are not studio models.
  for (const char* file : {"MDL (HL1)/man01.mdl", "MDL (HL1)/manT.mdl", "MDL3 (3DGS A4)/minigun.MDL",
                           "MDL5 (3DGS A5)/minigun_mdl5.mdl", "MDL7 (3DGS A7)/Sphere_DiffPinkBlueSpec_Alpha90.mdl"})
    ExpectLoadFails((kModels / "MDL" / file).string());
}

TEST_F(ThirdPartyConverters, CutFilesFail) {
  ExpectTruncationsFail("3DS/test1.3ds", "3ds");
  ExpectTruncationsFail("3DS/RotatingCube.3DS", "3ds");
  ExpectTruncationsFail("MD2/sydney.md2", "md2");
  ExpectTruncationsFail("MDL/MDL (HL1)/man.mdl", "mdl");
  ExpectTruncationsFail("MDL/MDL (HL1)/chrome_sphere.mdl", "mdl");
  EXPECT_EQ(CountEntries(TempFolder()), 0u);
}

// A count or offset of each format made to point past the file.
TEST_F(ThirdPartyConverters, DamagedCountsFail) {
  struct Case {
    const char* file;
    const char* extension;
    size_t at;
    int32_t value;
  };
  const Case cases[] = {
      {"MD2/faerie.md2", "md2", 24, 1 << 20},         // vertices per frame
      {"MD2/faerie.md2", "md2", 56, 1 << 30},         // frame offset
      {"MDL/MDL (HL1)/man.mdl", "mdl", 140, 300},     // bones
      {"MDL/MDL (HL1)/man.mdl", "mdl", 208, -4},      // body parts offset
      {"MDL/MDL (HL1)/chrome_sphere.mdl", "mdl", 184, 1 << 24},  // textures offset
      {"3DS/fels.3ds", "3ds", 2, 1 << 24},            // main chunk length
  };
  for (const Case& c : cases) {
    FileBytes file{ReadModel(c.file)};
    file.SetI32(c.at, c.value);
    Write(std::string("damaged.") + c.extension, file.data);
    ExpectLoadFails(std::string("damaged.") + c.extension, c.file);
  }
}

}  // namespace
