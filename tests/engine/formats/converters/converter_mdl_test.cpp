// The MDL converter on studio models built in code: strips and fans as a chain of frames, bones and
// their pose, the baked first sequence, skins saved in the temporary folder, and damaged files.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>

#include "engine/formats/converter_mdl.h"
#include "platform/d3dx/pictures/picture_files.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

struct MDLFixture {
  struct Bone {
    int32_t parent = -1;
    std::array<float, 6> value{};  // position x, y, z, rotation x, y, z
    std::array<float, 6> scale{1, 1, 1, 1, 1, 1};
    std::array<std::vector<int16_t>, 6> runs;  // run-length entries per value; empty: not animated
  };
  struct Texture {
    std::string name;
    int32_t width, height;
    std::vector<uint8_t> indices;
    std::vector<std::array<uint8_t, 3>> palette;  // up to 256
  };
  struct Command {
    int16_t count;  // above 0 a strip, below 0 a fan
    std::vector<std::array<int16_t, 4>> corners;  // vertex, normal, s, t
  };
  struct Mesh {
    int32_t skinRef;
    std::vector<Command> commands;
  };
  int32_t frames = 1;
  int32_t sequenceGroup = 0;
  std::vector<Bone> bones;
  std::vector<Texture> textures;
  std::vector<int16_t> skinTable;
  std::vector<std::array<float, 3>> vertices;
  std::vector<uint8_t> vertexBones;
  std::vector<Mesh> meshes;

  std::string Build() const {
    FileBytes b;
    b.Zeros(244);
    const int32_t boneAt = int32_t(b.Size());
    for (const Bone& bone : bones) {
      b.Text("bone", 32).I32(bone.parent).I32(0).Zeros(24);
      for (float v : bone.value) b.F32(v);
      for (float s : bone.scale) b.F32(s);
    }
    const int32_t sequenceAt = int32_t(b.Size());
    b.Zeros(176);
    const int32_t groupAt = int32_t(b.Size());
    b.Zeros(104);
    const int32_t animationAt = int32_t(b.Size());
    b.Zeros(12 * bones.size());
    for (size_t i = 0; i < bones.size(); ++i)
      for (int c = 0; c < 6; ++c) {
        if (bones[i].runs[c].empty()) continue;
        b.SetU16(animationAt + 12 * i + 2 * c, uint16_t(b.Size() - (animationAt + 12 * i)));
        for (int16_t e : bones[i].runs[c]) b.I16(e);
      }
    const int32_t textureAt = int32_t(b.Size());
    b.Zeros(80 * textures.size());
    for (size_t i = 0; i < textures.size(); ++i) {
      const Texture& t = textures[i];
      FileBytes record;
      record.Text(t.name, 64).I32(0).I32(t.width).I32(t.height).I32(int32_t(b.Size()));
      b.data.replace(textureAt + 80 * i, 80, record.data);
      for (uint8_t index : t.indices) b.U8(index);
      for (size_t p = 0; p < 256; ++p) {
        const auto colour = p < t.palette.size() ? t.palette[p] : std::array<uint8_t, 3>{0, 0, 0};
        b.U8(colour[0]).U8(colour[1]).U8(colour[2]);
      }
    }
    const int32_t skinAt = int32_t(b.Size());
    for (int16_t s : skinTable) b.I16(s);
    const int32_t bodyPartAt = int32_t(b.Size());
    b.Text("body", 64).I32(1).I32(1).I32(bodyPartAt + 76);
    const int32_t modelAt = int32_t(b.Size());
    b.Zeros(112);
    const int32_t meshAt = int32_t(b.Size());
    b.Zeros(20 * meshes.size());
    for (size_t m = 0; m < meshes.size(); ++m) {
      b.SetI32(meshAt + 20 * m + 4, int32_t(b.Size()));
      b.SetI32(meshAt + 20 * m + 8, meshes[m].skinRef);
      for (const Command& c : meshes[m].commands) {
        b.I16(c.count);
        for (const auto& corner : c.corners)
          for (int16_t v : corner) b.I16(v);
      }
      b.I16(0);
    }
    const int32_t vertexBoneAt = int32_t(b.Size());
    for (uint8_t bone : vertexBones) b.U8(bone);
    const int32_t vertexAt = int32_t(b.Size());
    for (const auto& v : vertices) b.F32(v[0]).F32(v[1]).F32(v[2]);

    b.data.replace(0, 8, "IDST\x0A\0\0\0", 8);
    const std::pair<size_t, int32_t> fields[] = {
        {72, int32_t(b.Size())}, {140, int32_t(bones.size())}, {144, boneAt}, {164, 1}, {168, sequenceAt},
        {172, 1}, {176, groupAt}, {180, int32_t(textures.size())}, {184, textureAt},
        {192, int32_t(skinTable.size())}, {196, 1}, {200, skinAt}, {204, 1}, {208, bodyPartAt},
        {sequenceAt + 56, frames}, {sequenceAt + 124, animationAt}, {sequenceAt + 156, sequenceGroup},
        {modelAt + 72, int32_t(meshes.size())}, {modelAt + 76, meshAt}, {modelAt + 80, int32_t(vertices.size())},
        {modelAt + 84, vertexBoneAt}, {modelAt + 88, vertexAt}};
    for (const auto& [at, value] : fields) b.SetI32(at, value);
    return b.data;
  }
};

MDLFixture::Texture Plain(const std::string& name, int32_t width, int32_t height) {
  return {name, width, height, std::vector<uint8_t>(size_t(width) * height, 1), {{0, 0, 0}, {10, 20, 30}}};
}

// Two bones (the second 10 units up its parent's z), one textured mesh holding a strip, a fan and a
// command too short to draw, and an untextured mesh with one strip.
MDLFixture Figure() {
  MDLFixture m;
  m.bones.resize(2);
  m.bones[1].parent = 0;
  m.bones[1].value = {0, 0, 10, 0, 0, 0};
  m.textures = {Plain("skins/body.bmp", 100, 60)};
  m.skinTable = {0};
  m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  m.vertexBones = {0, 1, 0, 1};
  m.meshes = {{0,
               {{4, {{0, 0, 0, 0}, {1, 0, 100, 0}, {2, 0, 0, 60}, {3, 0, 50, 30}}},
                {-4, {{3, 0, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}}},
                {2, {{0, 0, 0, 0}, {1, 0, 0, 0}}}}},
              {5, {{3, {{0, 0, 10, 10}, {1, 0, 0, 0}, {3, 0, 0, 0}}}}}};
  return m;
}

std::unique_ptr<ObjectRecord> Convert(const std::string& file) {
  return ConvertAndLoad(
      [&](const uint8_t** image, uint32_t* size) { return ConvertMDLModelFromMemory(file.data(), file.size(), image, size); },
      FreeMDLModel);
}

class ConverterMDLTest : public ConverterTest {
 protected:
  platform::d3dx::Picture Skin(const std::string& name) const {
    std::vector<uint8_t> bytes;
    platform::d3dx::PictureFile file;
    EXPECT_EQ(platform::d3dx::ReadPictureBytes(TempFolder() + name, bytes), platform::gfx::kOk) << name;
    EXPECT_EQ(platform::d3dx::DecodePicture(bytes.data(), bytes.size(), file), platform::gfx::kOk) << name;
    return file.images.empty() ? platform::d3dx::Picture() : file.images[0];
  }
  size_t SkinFiles() const {
    if (!std::filesystem::is_directory(TempFolder())) return 0;
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TempFolder())) n += entry.path().extension() == ".bmp";
    return n;
  }
};

TEST_F(ConverterMDLTest, StripsAndFansBecomeAChainOfFrames) {
  Write("figure.mdl", Figure().Build());
  const auto object = LoadFile("FIGURE.MDL");
  ASSERT_TRUE(object);
  const std::vector<const FrameRecord*> chain = Chain(*object);
  ASSERT_EQ(chain.size(), 3u);
  const uint32_t counts[] = {4, 4, 3};
  for (size_t i = 0; i < 3; ++i) {
    const MeshRecord& mesh = *chain[i]->mesh;
    EXPECT_EQ(mesh.fvf, 0x112u);
    EXPECT_EQ(mesh.vertexCount, int32_t(counts[i]));
    EXPECT_EQ(mesh.drawPrimitiveCount, int32_t(counts[i]) - 2);
    EXPECT_EQ(mesh.culling, 0);
    EXPECT_EQ(mesh.ownMaterial, 0);
    ASSERT_EQ(mesh.bones.size(), 2u);
    // The pose at time 0: the second bone 10 units up, a 3 x 4 transform completed by 0, 0, 0, 1.
    EXPECT_EQ(mesh.bones[1].offsetMatrix.m[2][3], 10.0f);
    EXPECT_EQ(mesh.bones[1].offsetMatrix.m[3][3], 1.0f);
    ASSERT_EQ(mesh.stages.size(), 1u);
    EXPECT_STREQ(mesh.stages[0].fileName, i < 2 ? "body.bmp" : "");
  }
  const MeshRecord& strip = *chain[0]->mesh;
  const VertexView corner = VertexOf(strip, 3);
  EXPECT_EQ(corner.position.x, 1.0f);
  EXPECT_EQ(corner.position.y, 1.0f);
  EXPECT_EQ(corner.u, 0.5f);
  EXPECT_EQ(corner.v, 0.5f);
  // Normals are stored as 1 - n: the flat strip's (0, 0, +-1) becomes (1, 1, 0 or 2).
  EXPECT_EQ(corner.normal.x, 1.0f);
  EXPECT_EQ(corner.normal.y, 1.0f);
  EXPECT_EQ(std::fabs(corner.normal.z - 1.0f), 1.0f);
  EXPECT_EQ(VertexOf(*chain[2]->mesh, 0).u, 0.0f) << "no texture: no coordinates";

  const AnimationRecord& track = *object->firstSet->firstTrack;
  EXPECT_EQ(track.keyMode, 0u);
  EXPECT_EQ(track.values, (std::vector<uint32_t>{0, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1}));
  EXPECT_EQ(track.tableColumns, 2u);
  EXPECT_TRUE(track.matrixTable.empty()) << "one frame: ten steps, none kept";

  const platform::d3dx::Picture skin = Skin("body.bmp");
  EXPECT_EQ(skin.width, 128u);
  EXPECT_EQ(skin.height, 64u);
  EXPECT_EQ(skin.At(5, 5), 0xFF0A141Eu);
}

TEST_F(ConverterMDLTest, SkinsArePowerOfTwoAveragesInTheTempFolder) {
  MDLFixture m = Figure();
  MDLFixture::Texture strip{"../../strip.bmp", 3, 1, {0, 1, 2}, {{0, 0, 0}, {200, 100, 40}, {255, 255, 255}}};
  m.textures = {Plain("wide.bmp", 320, 200), strip, Plain("", 4, 4)};
  ASSERT_TRUE(Convert(m.Build()));
  const platform::d3dx::Picture wide = Skin("wide.bmp");
  EXPECT_EQ(wide.width, 256u);
  EXPECT_EQ(wide.height, 256u);
  // Three texels become four, each the average of four samples; the name keeps its file name only.
  const platform::d3dx::Picture averaged = Skin("strip.bmp");
  ASSERT_EQ(averaged.width, 4u);
  ASSERT_EQ(averaged.height, 1u);
  EXPECT_EQ(averaged.At(0, 0), 0xFF000000u);
  EXPECT_EQ(averaged.At(1, 0), 0xFF643214u);
  EXPECT_EQ(averaged.At(2, 0), 0xFFE3B193u);
  EXPECT_EQ(averaged.At(3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(SkinFiles(), 2u) << "a texture without a name saves no skin";
  EXPECT_FALSE(std::filesystem::exists(root_ + "/strip.bmp"));
}

// Without a temporary folder the model still loads; its skins are written nowhere else.
TEST_F(ConverterMDLTest, NoTemporaryFolderNoSkins) {
  BlockTempFolder();
  Write("figure.mdl", Figure().Build());
  ASSERT_TRUE(LoadFile("figure.mdl"));
  EXPECT_FALSE(Exists("body.bmp"));
  EXPECT_FALSE(Exists("/body.bmp"));
}

TEST_F(ConverterMDLTest, FirstSequenceIsBakedAtTenStepsPerFrame) {
  MDLFixture m = Figure();
  m.frames = 3;
  m.bones[1].scale[3 + 2] = 0.01f;
  m.bones[1].runs[5] = {2 | 3 << 8, 0, 100};  // rotation z: 0, 1 radian, then 1 repeated
  m.bones[1].runs[0] = {3 | 3 << 8, 0, 10, 20};  // position x: 0, 10, 20
  const auto object = Convert(m.Build());
  ASSERT_TRUE(object);
  const AnimationRecord& track = *object->firstSet->firstTrack;
  ASSERT_EQ(track.matrixTable.size(), 20u);
  ASSERT_EQ(track.tableColumns, 2u);
  for (const auto& row : track.matrixTable) {
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].m[0][0], 1.0f) << "the first bone is not animated";
    EXPECT_EQ(row[0].m[0][3], 0.0f);
  }
  const Matrix& half = track.matrixTable[5][1];
  EXPECT_NEAR(half.m[0][3], 5.0f, 1e-4);
  EXPECT_NEAR(half.m[0][0], std::cos(0.5f), 1e-4);
  const Matrix& one = track.matrixTable[10][1];
  EXPECT_NEAR(one.m[0][3], 10.0f, 1e-4);
  EXPECT_NEAR(one.m[0][0], std::cos(1.0f), 1e-4);
  EXPECT_NEAR(one.m[1][0], std::sin(1.0f), 1e-4);
  EXPECT_NEAR(one.m[2][3], 10.0f, 1e-4);
  EXPECT_EQ(track.matrixTable[19][1].m[3][3], 1.0f);

  // The same sequence kept in a group file of its own: the bones stay as they are.
  m.sequenceGroup = 1;
  const auto unanimated = Convert(m.Build());
  ASSERT_TRUE(unanimated);
  EXPECT_EQ(unanimated->firstSet->firstTrack->matrixTable.at(10)[1].m[0][3], 0.0f);
}

TEST_F(ConverterMDLTest, DamagedFilesFailAndSaveNoSkin) {
  const std::string good = Figure().Build();
  struct Case {
    const char* what;
    std::string file;
  };
  std::vector<Case> cases = {
      {"another MDL family", "MDL7" + good.substr(4)},
      {"cut short", good.substr(0, good.size() - 1)},
      {"header cut", good.substr(0, 200)},
  };
  const auto with = [](const MDLFixture& m) { return m.Build(); };
  MDLFixture m = Figure();
  m.bones[0].parent = 1;
  cases.push_back({"parent after its child", with(m)});
  m = Figure();
  m.meshes[0].commands[0].corners[1][0] = 4;
  cases.push_back({"vertex index", with(m)});
  m = Figure();
  m.vertexBones[2] = 2;
  cases.push_back({"vertex bone", with(m)});
  m = Figure();
  m.bones.resize(129);
  cases.push_back({"too many bones", with(m)});
  m = Figure();
  m.meshes[0].commands.assign(801, m.meshes[0].commands[0]);
  cases.push_back({"too many strips", with(m)});
  m = Figure();
  m.frames = 2;
  m.bones[1].runs[0] = {0 | 0 << 8, 0};
  cases.push_back({"a run of no frames", with(m)});
  std::string file = good;
  FileBytes patch{file};
  patch.SetI32(I32At(good, 184) + 76, int32_t(good.size()) - 100);  // texture data past the end
  cases.push_back({"texture data", patch.data});
  patch = FileBytes{good};
  patch.SetI32(I32At(good, 208) + 72, 1 << 30);  // the model outside the file
  cases.push_back({"model record", patch.data});
  for (const Case& c : cases) {
    Write("broken.mdl", c.file);
    ExpectLoadFails("broken.mdl", c.what);
  }
  EXPECT_EQ(SkinFiles(), 0u);
}

}  // namespace
