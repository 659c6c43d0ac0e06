// The look commands of objects reaching every mesh record, and textures found by file name.
#include <functional>
#include <string>
#include <vector>

#include "engine/formats/temp_folder.h"
#include "engine/objects/effect_binding.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_layout.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace objects_test {
namespace {

class MeshStateTest : public ObjectModuleTest {
 protected:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    CreateBoxObject(1, 2, 2, 2);
    ASSERT_NE(FirstMesh(1), nullptr);
  }
  static MeshRecord& Mesh() { return *FirstMesh(1); }

  // An object of one triangle whose vertices carry a diffuse colour (FVF position, diffuse, one set).
  static void MakeColouredTriangle(int32_t object) {
    constexpr uint32_t kFvf = 0x142;
    std::vector<uint8_t> data(3 * 24);
    for (uint32_t i = 0; i < 3; ++i) WriteVertex(kFvf, data.data(), i, float(i), float(i % 2), 0, 0, 0, 0, 0xFF102030, 0, 0);
    CreateMeshFromVertexData(1, kFvf, 24, data.data(), 3);
    CreateObjectFromMeshCommand(object, 1, 0);
  }
};

struct FlagCase {
  const char* what;
  void (*command)(int32_t object, int32_t flag);
  uint8_t MeshRecord::*field;
};

TEST_F(MeshStateTest, FlagCommandsCountOnlyOneAsOn) {
  const std::vector<FlagCase> cases = {
      {"wireframe", SetObjectWireframe, &MeshRecord::wireframe},
      {"lighting", SetObjectLighting, &MeshRecord::lighting},
      {"fog", SetObjectFogging, &MeshRecord::fog},
      {"culling", SetObjectCulling, &MeshRecord::culling},
  };
  for (const FlagCase& c : cases) {
    c.command(1, 1);
    EXPECT_EQ(Mesh().*c.field, 1) << c.what;
    c.command(1, 2);
    EXPECT_EQ(Mesh().*c.field, 0) << c.what << ": 2 is not on";
    c.command(1, -1);
    EXPECT_EQ(Mesh().*c.field, 0) << c.what;
  }
  DisableObjectZWrite(1);
  EXPECT_EQ(Mesh().zWrite, 0);
}

TEST_F(MeshStateTest, TransparencyModes) {
  struct Case {
    int32_t mode;
    uint8_t transparency;
    uint32_t alphaRef;
    uint8_t sorted;
  };
  for (const Case& c : {Case{1, 1, 0, 0}, Case{2, 1, 0, 1}, Case{3, 1, 0, 1}, Case{4, 1, 207, 0}, Case{0, 0, 0, 0}}) {
    SetObjectTransparency(1, c.mode);
    EXPECT_EQ(Mesh().transparency, c.transparency) << c.mode;
    EXPECT_EQ(Mesh().alphaRef, c.alphaRef) << c.mode;
    EXPECT_EQ(Object(1)->sortedTransparent, c.sorted) << c.mode;
    EXPECT_EQ(Object(1)->sortFlag, c.sorted) << c.mode;
  }
}

TEST_F(MeshStateTest, TranslucentKeepsTheBlendModeAndSortsTheObject) {
  Mesh().translucentMode = 5;
  SetObjectTranslucent(1);
  EXPECT_EQ(Mesh().translucent, 1);
  EXPECT_EQ(Mesh().translucentMode, 5u);
  EXPECT_EQ(Object(1)->transparent, 1);
  EXPECT_EQ(Object(1)->sortFlag, 1);
  ClearObjectTranslucent(1);
  EXPECT_EQ(Mesh().translucent, 0);
  EXPECT_EQ(Object(1)->sortFlag, 0);
}

TEST_F(MeshStateTest, ColourGivesAnUntexturedOwnMaterial) {
  ASSERT_NE(CreateImage(5, 16, 16), nullptr);
  SetObjectTexture(1, 5);
  GetObjectManager().drawListInvalid = 0;
  SetObjectColor(1, 0x80FF4000);
  const MeshRecord& mesh = Mesh();
  ASSERT_FALSE(mesh.stages.empty());
  EXPECT_EQ(mesh.stages[0].image, 0);
  EXPECT_EQ(mesh.stages[0].imageTexture, nullptr);
  EXPECT_EQ(mesh.stages[0].colorOp, 2u);
  EXPECT_EQ(mesh.ownMaterial, 1);
  EXPECT_NEAR(mesh.material.diffuse.r, 1.0f, 1e-6f);
  EXPECT_NEAR(mesh.material.diffuse.g, 64 / 255.0f, 1e-6f);
  EXPECT_NEAR(mesh.material.diffuse.b, 0.0f, 1e-6f);
  EXPECT_NEAR(mesh.material.diffuse.a, 128 / 255.0f, 1e-6f);
  EXPECT_EQ(mesh.material.power, 10.0f);
  EXPECT_EQ(GetObjectManager().drawListInvalid, 1) << "the draw order follows the first texture";
}

TEST_F(MeshStateTest, BrightnessWithoutVertexColoursSetsTheMaterial) {
  Mesh().verticesChanged = 0;
  SetObjectBrightness(1, 50);
  EXPECT_FLOAT_EQ(Mesh().material.diffuse.r, 0.5f);
  EXPECT_FLOAT_EQ(Mesh().material.ambient.b, 0.5f);
  EXPECT_FLOAT_EQ(Mesh().material.diffuse.a, 1.0f);
  EXPECT_EQ(Mesh().ownMaterial, 1);
  EXPECT_EQ(Mesh().verticesChanged, 1);
}

TEST_F(MeshStateTest, BrightnessWithVertexColoursWritesGrey) {
  MakeColouredTriangle(2);
  MeshRecord& mesh = *FirstMesh(2);
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  for (const auto& [percent, grey] : {std::pair{100.0f, 0xFFFFFFFFu}, std::pair{150.0f, 0x7E7E7E7Eu}}) {
    SetObjectBrightness(2, percent);
    for (int32_t i = 0; i < mesh.vertexCount; ++i)
      EXPECT_EQ(ReadVertexWord(&mesh.vertices[size_t(i) * mesh.vertexSize], layout.diffuse), grey) << percent;
  }
  SetObjectBrightness(2, 1e30f);  // far outside the integer range: some grey, no fault
}

TEST_F(MeshStateTest, TexturesOnStagesAndTheirRelease) {
  platform::gfx::Texture* texture = CreateImage(5, 16, 16);
  ASSERT_NE(texture, nullptr);
  SetObjectTexture(1, 5);
  ASSERT_EQ(Mesh().stages.size(), 1u);
  EXPECT_EQ(Mesh().stages[0].image, 5);
  EXPECT_EQ(Mesh().stages[0].imageTexture, texture);
  EXPECT_EQ(Mesh().stages[0].colorOp, 4u);
  EXPECT_EQ(Mesh().stages[0].colorArg1, 2u);
  EXPECT_EQ(Mesh().ownMaterial, 0);

  SetObjectSecondTexture(1, 5);
  ASSERT_EQ(Mesh().stages.size(), 2u);
  const TextureStage& second = Mesh().stages[1];
  EXPECT_EQ(second.stage, 1u);
  EXPECT_EQ(second.colorOp, 4u);
  EXPECT_EQ(second.colorArg2, 1u);
  EXPECT_EQ(second.texCoordMode, 1u);

  SetMeshTexture(&Mesh(), 3, 5);
  ASSERT_EQ(Mesh().stages.size(), 4u);
  EXPECT_EQ(Mesh().stages[0].imageTexture, texture) << "stage 0 keeps its texture when the array grows";
  SetMeshTexture(&Mesh(), kMaxTextureLayers, 5);
  EXPECT_EQ(Mesh().stages.size(), 4u) << "a stage beyond the device's is refused";

  DeleteImage(5);
  for (const TextureStage& stage : Mesh().stages) EXPECT_EQ(stage.imageTexture, nullptr);
}

TEST_F(MeshStateTest, ScrollMovesTheFirstTextureCoordinates) {
  FVFLayout layout;
  GetMeshFVFLayout(&Mesh(), &layout);
  const uint8_t* vertex = Mesh().vertices.data();
  const float u = ReadVertexFloat(vertex, layout.u[0]), v = ReadVertexFloat(vertex, layout.v[0]);
  ScrollObjectTexture(1, 0.25f, -0.5f);
  EXPECT_FLOAT_EQ(ReadVertexFloat(vertex, layout.u[0]), u + 0.25f);
  EXPECT_FLOAT_EQ(ReadVertexFloat(vertex, layout.v[0]), v - 0.5f);
}

// The texture lookup's tries, in order, through a recording link.
class TextureLookupTest : public MeshStateTest {
 protected:
  void SetUp() override {
    MeshStateTest::SetUp();
    tries_.clear();
    GetObjectModuleState().links.loadTextureByName = [](const char* name, int32_t mode) {
      tries_.push_back({name, mode});
      return int32_t(0);
    };
  }
  static inline std::vector<std::pair<std::string, int32_t>> tries_;
};

TEST_F(TextureLookupTest, NameTriesFolderThenDdsThenStoredThenBare) {
  EXPECT_EQ(LoadMeshTexture("Art\\wood.bmp", "Models\\", 0), 0);
  EXPECT_EQ(tries_, (std::vector<std::pair<std::string, int32_t>>{
                        {"Models\\wood.bmp", 0}, {"Models\\wood.dds", 0}, {"Art\\wood.bmp", 0}, {"wood.bmp", 0}}));
  tries_.clear();
  LoadMeshTexture("ab.x", "Models\\", 0);
  EXPECT_EQ(tries_.size(), 1u) << "a bare name of 4 characters stops after the first try";
  tries_.clear();
  LoadMeshTexture("abc.x", "", 0);
  EXPECT_EQ(tries_.size(), 4u);
  tries_.clear();
  LoadMeshTexture("", "Models\\", 0);
  EXPECT_TRUE(tries_.empty());
}

TEST_F(TextureLookupTest, PrefixKeepsTheLoadModeForItsStagesOnly) {
  Mesh().stages.resize(2);
  CopyRecordName(Mesh().stages[0].fileName, "lm_floor.bmp");
  CopyRecordName(Mesh().stages[1].fileName, "floor.bmp");
  ApplyMeshTextures(&Mesh(), "", 0, 3, "LM_");
  ASSERT_GE(tries_.size(), 2u);
  EXPECT_EQ(tries_.front(), (std::pair<std::string, int32_t>{"lm_floor.bmp", 3}));
  EXPECT_EQ(tries_.back(), (std::pair<std::string, int32_t>{"floor.bmp", 0}));
}

TEST(ModelTextureFolderTest, FolderOfTheNameOrTheTemporaryFolderForMdl) {
  EXPECT_EQ(ModelTextureFolder("Models\\ball.x"), "Models\\");
  EXPECT_EQ(ModelTextureFolder("a/b\\c.3ds"), "a/b\\");
  EXPECT_EQ(ModelTextureFolder("ball.x"), "");
  SetupTempFolder();
  EXPECT_EQ(ModelTextureFolder("Models\\ogre.MDL"), ModelTempFolder());
}

// An effect that stands in for a compiled one: it records what the mesh asks of it.
class RecordingEffect : public EffectObject {
 public:
  explicit RecordingEffect(bool converts) : converts_(converts) { CopyRecordName(fileName, "glow.fx"); }
  bool ConvertMesh(MeshRecord*) override { return converts_; }
  void GenerateTangents(MeshRecord*) override { ++tangentCalls; }
  int tangentCalls = 0;

 private:
  bool converts_;
};

TEST_F(MeshStateTest, EffectAttachesOnlyWithVertexShadersAndDetachesAgain) {
  InstallEffectRecordLinks();
  const uint32_t version = GetObjectModuleState().caps.vertexShaderVersion;
  MeshRecord& mesh = Mesh();
  CopyRecordName(mesh.effectFileName, "old.fx");
  EXPECT_TRUE(SetMeshEffect(&mesh, nullptr));
  EXPECT_STREQ(mesh.effectFileName, "") << "detaching nothing only clears the name";

  GetObjectModuleState().caps.vertexShaderVersion = 0xFFFE0000u;  // no vertex shaders
  RecordingEffect refused(true);
  EXPECT_FALSE(SetMeshEffect(&mesh, &refused));
  EXPECT_EQ(mesh.effect, nullptr);

  GetObjectModuleState().caps.vertexShaderVersion = 0xFFFE0101u;
  RecordingEffect failing(false);
  EXPECT_FALSE(SetMeshEffect(&mesh, &failing));
  EXPECT_EQ(mesh.effect, nullptr) << "an effect whose conversion fails is not kept";

  auto* effect = new RecordingEffect(true);
  ASSERT_TRUE(SetMeshEffect(&mesh, effect));
  EXPECT_EQ(mesh.effect, effect);
  EXPECT_EQ(mesh.hasEffect, 1);
  EXPECT_EQ(mesh.effectAttached, 1);
  EXPECT_EQ(effect->inUse, 1u);
  EXPECT_EQ(effect->tangentCalls, 1);
  EXPECT_TRUE(mesh.backupVertices.empty());
  EXPECT_STREQ(mesh.effectFileName, "glow.fx");
  EXPECT_EQ(mesh.savedFvf, 274u);
  SetObjectColor(1, 0xFFFFFFFF);  // resets the stages, which detaches (and deletes) the own effect
  EXPECT_EQ(mesh.effect, nullptr);
  EXPECT_EQ(mesh.hasEffect, 0);
  GetObjectModuleState().caps.vertexShaderVersion = version;
}

}  // namespace
}  // namespace objects_test
