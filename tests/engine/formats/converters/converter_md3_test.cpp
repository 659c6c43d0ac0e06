// The MD3 converter on player folders built in code: the chain of surface frames over the three
// parts, tag matrices, texture names, parts that are missing or foreign, and damaged parts.
#include <gtest/gtest.h>

#include <array>

#include "engine/formats/converter_md3.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

struct MD3SurfaceFixture {
  std::string name;
  std::vector<std::string> shaders;
  std::vector<std::vector<std::array<int16_t, 3>>> frames;  // vertex positions in 1/64 units
  std::vector<std::array<int32_t, 3>> triangles;
  std::vector<std::array<float, 2>> texCoords;

  std::string Build() const {
    const int32_t vertices = int32_t(texCoords.size());
    const int32_t shaderAt = 108, triangleAt = shaderAt + 68 * int32_t(shaders.size());
    const int32_t texAt = triangleAt + 12 * int32_t(triangles.size()), vertexAt = texAt + 8 * vertices;
    const int32_t end = vertexAt + 8 * vertices * int32_t(frames.size());
    FileBytes b;
    b.Raw("IDP3", 4).Text(name, 64).I32(0).I32(int32_t(frames.size())).I32(int32_t(shaders.size())).I32(vertices);
    b.I32(int32_t(triangles.size())).I32(triangleAt).I32(shaderAt).I32(texAt).I32(vertexAt).I32(end);
    for (const std::string& shader : shaders) b.Text(shader, 64).I32(0);
    for (const auto& t : triangles) b.I32(t[0]).I32(t[1]).I32(t[2]);
    for (const auto& st : texCoords) b.F32(st[0]).F32(st[1]);
    for (const auto& frame : frames)
      for (const auto& v : frame) b.I16(v[0]).I16(v[1]).I16(v[2]).U16(0);
    return b.data;
  }
};

struct MD3TagFixture {
  float origin[3];
  float axis[9];
};

struct MD3PartFixture {
  int32_t frames = 1;
  int32_t tagsPerFrame = 0;
  std::vector<MD3TagFixture> tags;  // frames x tagsPerFrame
  std::vector<MD3SurfaceFixture> surfaces;

  std::string Build() const {
    std::string body;
    for (const MD3SurfaceFixture& s : surfaces) body += s.Build();
    const int32_t tagAt = 108 + 56 * frames, surfaceAt = tagAt + 112 * int32_t(tags.size());
    FileBytes b;
    b.Raw("IDP3", 4).I32(15).Text("part", 64).I32(0).I32(frames).I32(tagsPerFrame).I32(int32_t(surfaces.size()));
    b.I32(0).I32(108).I32(tagAt).I32(surfaceAt).I32(surfaceAt + int32_t(body.size())).Zeros(56 * size_t(frames));
    for (const MD3TagFixture& t : tags) {
      b.Text("tag_torso", 64);
      for (float o : t.origin) b.F32(o);
      for (float a : t.axis) b.F32(a);
    }
    return b.Append(body).data;
  }
};

constexpr float kIdentityAxis[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr float kHalfTurnAboutX[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};
constexpr float kQuarterTurnAboutZ[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};

MD3TagFixture Tag(float x, float y, float z, const float (&axis)[9]) {
  MD3TagFixture t{{x, y, z}, {}};
  std::copy(axis, axis + 9, t.axis);
  return t;
}

MD3SurfaceFixture Triangle(const std::string& name, const std::string& shader, int frames = 1) {
  MD3SurfaceFixture s{name, {shader}, {}, {{0, 1, 2}}, {{0, 0}, {1, 0}, {0.5f, 1}}};
  for (int f = 0; f < frames; ++f) s.frames.push_back({{64, 128, -64}, {0, 0, int16_t(64 * f)}, {64, 0, 0}});
  return s;
}

MD3PartFixture Lower() {
  MD3PartFixture p;
  p.frames = 2;
  p.tagsPerFrame = 1;
  p.tags = {Tag(1, 2, 3, kIdentityAxis), Tag(4, 5, 6, kHalfTurnAboutX)};
  p.surfaces = {Triangle("l_legs", "models/players/x/legs.tga", 2)};
  return p;
}

MD3PartFixture Upper() {
  MD3PartFixture p;
  p.tagsPerFrame = 1;
  p.tags = {Tag(0, 0, 10, kQuarterTurnAboutZ)};
  p.surfaces = {Triangle("u_a", "x/torso.tga"), Triangle("u_b", "nopath"), Triangle("u_c", "x\\arm.tga")};
  return p;
}

MD3PartFixture Head() {
  MD3PartFixture p;
  p.surfaces = {Triangle("h_head", "h/head.tga")};
  return p;
}

class ConverterMD3Test : public ConverterTest {
 protected:
  void WritePlayer(const std::string& folder, const std::string& lower, const std::string& upper,
                   const std::string& head) {
    MakeFolders(folder);
    if (!lower.empty()) Write(folder + "/lower.md3", lower);
    if (!upper.empty()) Write(folder + "/upper.md3", upper);
    if (!head.empty()) Write(folder + "/head.md3", head);
  }
};

TEST_F(ConverterMD3Test, PartsChainTheirSurfacesLowerFirst) {
  WritePlayer("models/player", Lower().Build(), Upper().Build(), Head().Build());
  const auto object = LoadFile("Models\\PLAYER.md3");
  ASSERT_TRUE(object);
  const std::vector<const FrameRecord*> chain = Chain(*object);
  ASSERT_EQ(chain.size(), 6u);
  const char* names[] = {"l_legs", "u_a", "u_b", "u_c", "h_head"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_STREQ(chain[i]->name, names[i]);
    ASSERT_TRUE(chain[i]->mesh) << names[i];
    EXPECT_EQ(chain[i]->mesh->ownMaterial, 1);
    EXPECT_EQ(chain[i]->mesh->rendererFlag, 1);
  }
  EXPECT_FALSE(chain[5]->mesh);

  // The tag's origin (1, 2, 3) placed with the axes turned; vertex (64, 128, -64) / 64 likewise.
  const FrameRecord& legs = *chain[0];
  EXPECT_EQ(legs.localMatrix.m[3][0], 1.0f);
  EXPECT_EQ(legs.localMatrix.m[3][1], -3.0f);
  EXPECT_EQ(legs.localMatrix.m[3][2], 2.0f);
  const MeshRecord& mesh = *legs.mesh;
  EXPECT_EQ(mesh.fvf, 0x152u);
  const VertexView v = VertexOf(mesh, 0);
  EXPECT_EQ(v.position.x, 1.0f);
  EXPECT_EQ(v.position.y, 1.0f);
  EXPECT_EQ(v.position.z, 2.0f);
  EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
  EXPECT_EQ(VertexOf(mesh, 2).u, 0.5f);
  EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 2, 1}));
  EXPECT_STREQ(mesh.stages[0].fileName, "Models\\PLAYER/legs.tga");
  // One attached frame per surface frame, each with its frame's positions and tag.
  ASSERT_EQ(mesh.attachedFrames.size(), 2u);
  const FrameRecord& second = *mesh.attachedFrames[1];
  EXPECT_EQ(VertexOf(*second.mesh, 1).position.y, -1.0f);
  EXPECT_EQ(second.localMatrix.m[1][1], -1.0f);
  EXPECT_EQ(second.localMatrix.m[2][2], -1.0f);
  EXPECT_EQ(second.localMatrix.m[3][1], -6.0f);

  // Of the upper part's "u_" surfaces only the last keeps the tag.
  EXPECT_EQ(chain[1]->localMatrix.m[3][1], 0.0f);
  EXPECT_EQ(chain[2]->localMatrix.m[0][1], 0.0f);
  EXPECT_EQ(chain[1]->mesh->attachedFrames[0]->localMatrix.m[0][0], 1.0f);
  EXPECT_FLOAT_EQ(chain[3]->localMatrix.m[0][1], 1.0f);
  EXPECT_FLOAT_EQ(chain[3]->localMatrix.m[1][0], -1.0f);
  EXPECT_EQ(chain[3]->localMatrix.m[3][1], -10.0f);
  // A shader path without a separator takes the last name met before it.
  EXPECT_STREQ(chain[2]->mesh->stages[0].fileName, "Models\\PLAYER/torso.tga");
  EXPECT_STREQ(chain[3]->mesh->stages[0].fileName, "Models\\PLAYER/arm.tga");
  // The head has no tags: its frame keeps the identity.
  EXPECT_EQ(chain[4]->localMatrix.m[3][0], 0.0f);
  EXPECT_EQ(chain[4]->localMatrix.m[0][0], 1.0f);
}

TEST_F(ConverterMD3Test, MissingOrForeignPartsAreLeftOut) {
  WritePlayer("lone", Lower().Build(), "IDP2 is not a part", "");
  const auto object = LoadFile("lone.md3");
  ASSERT_TRUE(object);
  ASSERT_EQ(Chain(*object).size(), 2u);
  EXPECT_STREQ(object->root->name, "l_legs");

  WritePlayer("empty", "", "not a part at all", "");
  ExpectLoadFails("empty.md3", "no part holds a surface");
  ExpectLoadFails("nowhere.md3", "no folder");
}

TEST_F(ConverterMD3Test, DamagedPartFailsTheModel) {
  struct Case {
    const char* what;
    std::string lower;
  };
  std::vector<Case> cases;
  const std::string good = Lower().Build();
  cases.push_back({"cut short", good.substr(0, good.size() - 1)});
  cases.push_back({"header only", good.substr(0, 108)});
  MD3PartFixture p = Lower();
  p.surfaces[0].triangles[0][1] = 3;
  cases.push_back({"vertex index", p.Build()});
  p = Lower();
  p.surfaces[0].frames.clear();
  cases.push_back({"surface without frames", p.Build()});
  std::string file = good;
  FileBytes patch{file};
  const size_t surface = 108 + 2 * 56 + 2 * 112;
  patch.SetI32(surface + 100, 1 << 20);  // vertices outside the file
  cases.push_back({"vertex offset", patch.data});
  patch = FileBytes{good};
  patch.SetI32(84, 1000000);  // surfaces the file cannot hold
  cases.push_back({"surface count", patch.data});
  patch = FileBytes{good};
  patch.SetI32(80, 1 << 24);  // tags past the end
  cases.push_back({"tag count", patch.data});
  for (const Case& c : cases) {
    WritePlayer("broken", c.lower, Upper().Build(), Head().Build());
    ExpectLoadFails("broken.md3", c.what);
  }
}

// A surface with no vertices claims 29,543 frames that take no bytes: it makes no frames at all, so a
// part of a few hundred bytes stays a small model.
TEST_F(ConverterMD3Test, ASurfaceWithoutVerticesMakesNoFrames) {
  MD3PartFixture p = Lower();
  MD3SurfaceFixture empty{"l_empty", {"x/empty.tga"}, {}, {}, {}};
  empty.frames.resize(29543);
  p.surfaces.insert(p.surfaces.begin(), empty);
  const std::string lower = p.Build();
  ASSERT_LT(lower.size(), 1024u);
  MD3PartImages parts;
  parts.data[0] = lower.data();
  parts.size[0] = lower.size();
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  ASSERT_TRUE(ConvertMD3ModelFromParts(parts, "skins", &image, &size));
  EXPECT_LT(size, 16384u) << "the image grew with the frames the file only claims";
  FreeMD3Model(image);
  const auto object = ConvertAndLoad(
      [&](const uint8_t** out, uint32_t* outSize) { return ConvertMD3ModelFromParts(parts, "skins", out, outSize); },
      FreeMD3Model);
  ASSERT_TRUE(object);
  const std::vector<const FrameRecord*> chain = Chain(*object);
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_STREQ(chain[0]->name, "l_legs");
  EXPECT_EQ(chain[0]->mesh->attachedFrames.size(), 2u);
}

TEST_F(ConverterMD3Test, PartsFromMemory) {
  const std::string lower = Lower().Build(), head = Head().Build();
  MD3PartImages parts;
  parts.data[0] = lower.data();
  parts.size[0] = lower.size();
  parts.data[2] = head.data();
  parts.size[2] = head.size();
  const auto object = ConvertAndLoad(
      [&](const uint8_t** image, uint32_t* size) { return ConvertMD3ModelFromParts(parts, "skins", image, size); },
      FreeMD3Model);
  ASSERT_TRUE(object);
  const std::vector<const FrameRecord*> chain = Chain(*object);
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_STREQ(chain[1]->mesh->stages[0].fileName, "skins/head.tga");
}

}  // namespace
