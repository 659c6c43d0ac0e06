// The MD2 converter on models built in code: the root mesh and its attached frames, skin names, and
// files whose counts, offsets or indices leave the file or the arrays.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/formats/converter_md2.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

struct MD2Fixture {
  struct Frame {
    float scale[3];
    float translate[3];
    std::vector<std::array<uint8_t, 3>> vertices;
  };
  int32_t skinWidth = 64, skinHeight = 32;
  std::vector<std::string> skins;
  std::vector<std::array<int16_t, 2>> texCoords;
  std::vector<std::array<uint16_t, 6>> triangles;  // three vertex indices, three texture-coordinate indices
  std::vector<Frame> frames;

  std::string Build() const {
    const int32_t vertices = frames.empty() ? 0 : int32_t(frames[0].vertices.size());
    const int32_t skinAt = 68, texAt = skinAt + 64 * int32_t(skins.size());
    const int32_t triAt = texAt + 4 * int32_t(texCoords.size()), frameAt = triAt + 12 * int32_t(triangles.size());
    const int32_t end = frameAt + (40 + 4 * vertices) * int32_t(frames.size());
    FileBytes b;
    b.Raw("IDP2", 4).I32(8).I32(skinWidth).I32(skinHeight).I32(40 + 4 * vertices).I32(int32_t(skins.size()));
    b.I32(vertices).I32(int32_t(texCoords.size())).I32(int32_t(triangles.size())).I32(0).I32(int32_t(frames.size()));
    b.I32(skinAt).I32(texAt).I32(triAt).I32(frameAt).I32(end).I32(end);
    for (const std::string& skin : skins) b.Text(skin, 64);
    for (const auto& st : texCoords) b.I16(st[0]).I16(st[1]);
    for (const auto& t : triangles)
      for (uint16_t i : t) b.U16(i);
    for (const Frame& f : frames) {
      for (float s : f.scale) b.F32(s);
      for (float t : f.translate) b.F32(t);
      b.Text("frame", 16);
      for (const auto& v : f.vertices) b.U8(v[0]).U8(v[1]).U8(v[2]).U8(0);
    }
    return b.data;
  }
};

MD2Fixture TwoFrames() {
  MD2Fixture m;
  m.skins = {"models/monsters/ogre/skin.pcx"};
  m.texCoords = {{0, 0}, {64, 0}, {0, 32}, {32, 16}};
  m.triangles = {{0, 1, 2, 0, 1, 2}, {0, 2, 3, 0, 2, 3}};
  const std::vector<std::array<uint8_t, 3>> packed = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
  m.frames = {{{0.5f, 1, 2}, {1, 2, 3}, packed}, {{1, 1, 1}, {5, 5, 5}, packed}};
  return m;
}

std::unique_ptr<ObjectRecord> Convert(const std::string& file) {
  return ConvertAndLoad(
      [&](const uint8_t** image, uint32_t* size) { return ConvertMD2ModelFromMemory(file.data(), file.size(), image, size); },
      FreeMD2Model);
}

class ConverterMD2Test : public ConverterTest {};

TEST_F(ConverterMD2Test, FramesBecomeTheRootMeshAndItsAttachedFrames) {
  Write("ogre.md2", TwoFrames().Build());
  const auto object = LoadFile("Ogre.MD2");
  ASSERT_TRUE(object);
  const MeshRecord& mesh = *object->root->mesh;
  EXPECT_EQ(mesh.fvf, 0x112u);
  EXPECT_EQ(mesh.vertexCount, 6);
  EXPECT_EQ(mesh.indexCount, 0);
  EXPECT_EQ(mesh.drawPrimitiveCount, 2);
  EXPECT_EQ(mesh.primitiveType, platform::gfx::PT_TRIANGLELIST);
  // Corner 1 of triangle 0 is vertex 1: x = 10 x 0.5 + 1, y from the file's z, z from its y.
  const VertexView corner = VertexOf(mesh, 1);
  EXPECT_EQ(corner.position.x, 6.0f);
  EXPECT_EQ(corner.position.y, 3.0f);
  EXPECT_EQ(corner.position.z, 2.0f);
  EXPECT_EQ(corner.u, 1.0f);
  EXPECT_EQ(corner.v, 0.0f);
  const VertexView last = VertexOf(mesh, 5);
  EXPECT_EQ(last.position.y, 23.0f);
  EXPECT_EQ(last.u, 0.5f);
  EXPECT_EQ(last.v, 0.5f);
  EXPECT_NEAR(std::sqrt(corner.normal.x * corner.normal.x + corner.normal.y * corner.normal.y +
                        corner.normal.z * corner.normal.z),
              1.0f, 1e-5);
  ASSERT_EQ(mesh.stages.size(), 1u);
  EXPECT_STREQ(mesh.stages[0].fileName, "skin.bmp");

  ASSERT_EQ(mesh.attachedFrames.size(), 2u);
  const MeshRecord& first = *mesh.attachedFrames[0]->mesh;
  EXPECT_EQ(first.vertices, mesh.vertices);
  EXPECT_TRUE(first.stages.empty());
  const MeshRecord& second = *mesh.attachedFrames[1]->mesh;
  EXPECT_EQ(second.vertexCount, 6);
  EXPECT_EQ(VertexOf(second, 0).position.x, 5.0f);
  EXPECT_EQ(VertexOf(second, 1).position.x, 15.0f);
}

TEST_F(ConverterMD2Test, SkinNamesKeepTheirFileNameAsBmp) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"models/players/x/skin.pcx", "second.pcx"}, "skin.bmp"},
      {{"skin.pcx"}, "skin.bmp"},
      {{"ab"}, "ab"},
      {{"folder/"}, ""},
      {{}, ""},
  };
  for (const auto& [skins, expected] : cases) {
    MD2Fixture m = TwoFrames();
    m.skins = skins;
    const auto object = Convert(m.Build());
    ASSERT_TRUE(object) << expected;
    ASSERT_EQ(object->root->mesh->stages.size(), 1u);
    EXPECT_STREQ(object->root->mesh->stages[0].fileName, expected);
  }
}

TEST_F(ConverterMD2Test, FilesOutsideWhatTheyDeclareFail) {
  const std::string good = TwoFrames().Build();
  struct Case {
    const char* what;
    size_t at;
    int32_t value;
  };
  const Case words[] = {
      {"magic IDP3", 0, 0x33504449}, {"version 7", 4, 7},       {"no frame", 40, 0},
      {"frames past the end", 40, 3}, {"negative vertices", 24, -1}, {"triangles past the end", 32, 100000},
      {"skin table outside", 44, 1 << 30}, {"declared length", 64, int32_t(good.size()) + 1},
  };
  for (const Case& c : words) {
    std::string file = good;
    FileBytes patch{file};
    patch.SetI32(c.at, c.value);
    EXPECT_FALSE(Convert(patch.data)) << c.what;
  }
  MD2Fixture m = TwoFrames();
  m.triangles[1][2] = 4;  // vertex 4 of 4
  EXPECT_FALSE(Convert(m.Build())) << "vertex index";
  m = TwoFrames();
  m.triangles[1][5] = 4;  // texture coordinate 4 of 4
  EXPECT_FALSE(Convert(m.Build())) << "texture coordinate index";
  EXPECT_FALSE(Convert(good.substr(0, good.size() - 1))) << "cut short";
  EXPECT_FALSE(Convert(good.substr(0, 40))) << "header cut";
  Write("cut.md2", good.substr(0, good.size() / 2));
  ExpectLoadFails("cut.md2");
}

// A small file may claim many frames of a large mesh; what it would make is bounded.
TEST_F(ConverterMD2Test, ModelTooLargeToBuildFails) {
  MD2Fixture m;
  m.texCoords = {{0, 0}};
  m.triangles.assign(30000, {0, 0, 0, 0, 0, 0});
  m.frames.assign(50000, {{1, 1, 1}, {0, 0, 0}, {{1, 2, 3}}});
  const std::string file = m.Build();
  ASSERT_LT(file.size(), 3u << 20);
  EXPECT_FALSE(Convert(file));
  m.frames.resize(2);
  EXPECT_TRUE(Convert(m.Build()));
}

}  // namespace
