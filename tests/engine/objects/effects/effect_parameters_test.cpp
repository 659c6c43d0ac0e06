// Binding an effect's parameters by semantic and annotation, its texture parameters and shader inputs,
// and the per-draw constants computed from the device's transforms and light 0.
#include <cmath>
#include <filesystem>
#include <string>

#include "engine/objects/effect_object.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"
#include "tests/engine/objects/effects/effect_fixture.h"
#include "tests/engine/objects/effects/fake_effect.h"

namespace effect_test {
namespace {

using EffectParametersTest = EffectTest;

// The effect object holding a fake effect; the test keeps its own reference to look at it afterwards.
struct Bound {
  MeshEffect object;
  FakeEffect* fake = new FakeEffect;
  Bound() {
    object.effect = fake;
    fake->AddRef();
  }
  ~Bound() { fake->Release(); }
};

FakeParameter Matrix(const char* name, const char* semantic) { return {name, semantic, dx::PC_MATRIX_ROWS}; }
FakeParameter Annotated(const char* name, std::vector<FakeAnnotation> annotations,
                        uint32_t parameterClass = dx::PC_VECTOR) {
  return {name, "", parameterClass, dx::PT_FLOAT, std::move(annotations)};
}

TEST(EffectSemantics, NamesBindTheirSlotsWhateverTheirCase) {
  const struct { const char* name; int slot; } cases[] = {
      {"WORLD", kSlotWorld}, {"worldviewprojection", kSlotWorldViewProjection},
      {"WorldViewProjection", kSlotWorldViewProjection}, {"worldviewit", kSlotWorldViewInverse},
      {"WorldInverseTranspose", kSlotWorldInverseTranspose}, {"ViewIT", kSlotViewInverse},
      {"EyePosition", kSlotEyePosition}, {"directionalight", kSlotLightDirection},
      {"spotlight", kSlotLightPosition}, {"UIDirectionalInv", kSlotLightDirectionObject},
      {"SinTime", kSlotSinTime}, {"alphaoverride", kSlotAlphaOverride}, {"BoneMatrixPalette", kSlotBonePalette},
  };
  for (const auto& c : cases) {
    MeshEffect effect;
    EXPECT_TRUE(effect.MatchSemantic(c.name, 77)) << c.name;
    for (int slot = 0; slot < kEffectSlotCount; ++slot)
      EXPECT_EQ(effect.slots[slot], slot == c.slot ? 77u : 0u) << c.name << " slot " << slot;
  }
  MeshEffect effect;
  EXPECT_TRUE(effect.MatchSemantic("XFile", 5));  // known, binds nothing
  EXPECT_FALSE(effect.MatchSemantic("diffusecolor", 5));
  EXPECT_FALSE(effect.MatchSemantic(nullptr, 5));
  // A zero handle only asks whether the slot is bound.
  EXPECT_FALSE(effect.MatchSemantic("worldit", 0));
  effect.MatchSemantic("WorldInverse", 9);
  EXPECT_TRUE(effect.MatchSemantic("worldit", 0));
  for (const dx::EffectHandle h : effect.slots) EXPECT_TRUE(h == 0 || h == 9);
}

TEST_F(EffectParametersTest, TheParseBindsSemanticsAnnotationsTexturesAndShaderInputs) {
  Bound b;
  FakeEffect& f = *b.fake;
  f.parameters = {
      Matrix("wvp", "WorldViewProjection"),
      Annotated("lamp", {{"Object", "pointlight"}}),
      Annotated("sun", {{"UIDirectional", ""}}),
      {"diffuse", "world", dx::PC_OBJECT, dx::PT_TEXTURE, {{"name", "wood.bmp"}}},  // not bound as "world"
      Matrix("again", "worldViewProjection"),                                       // the later one wins
      {"XFile", "", dx::PC_OBJECT, dx::PT_STRING, {}, "no such model.x"},
      Matrix("bones", "bonematrixpalette"),
  };
  for (int i = 0; i < 9; ++i)
    f.parameters.push_back({"t" + std::to_string(i), "", dx::PC_OBJECT, dx::PT_TEXTURE, {{"file", "t.dds"}}});
  const std::vector<uint32_t> shader = {0xFFFE0101, 0x1F, 0x80000000, 0x900F0000, 0x1F, 0x80000003, 0x900F0003,
                                        0x1F, 0x80000006, 0x900F0004, 0x0000FFFF};
  f.techniques = {{FakePass{}, FakePass{shader}}};

  ASSERT_TRUE(b.object.ParseParameters(1, 0));
  EXPECT_EQ(b.object.slots[kSlotWorldViewProjection], FakeEffect::Handle(4));
  EXPECT_EQ(b.object.slots[kSlotLightPosition], FakeEffect::Handle(1));
  EXPECT_EQ(b.object.slots[kSlotLightDirection], FakeEffect::Handle(2));
  EXPECT_EQ(b.object.slots[kSlotWorld], 0u);
  EXPECT_EQ(b.object.hasBonePalette, 1u);
  // Textures from the mesh's stages: parameter 3, then the first seven of the nine others.
  ASSERT_EQ(b.object.textureParameterCount, 8u);
  EXPECT_EQ(b.object.textureParameters[0], 3u);
  EXPECT_EQ(b.object.textureParameters[7], 13u);
  EXPECT_EQ(b.object.xFileName, "no such model.x");
  EXPECT_EQ(b.object.effectMesh, nullptr);
  EXPECT_EQ(b.object.readsNormal, 1u);
  EXPECT_EQ(b.object.readsTangent, 1u);
  EXPECT_EQ(b.object.readsColor, 0u);
  EXPECT_EQ(b.object.readsBinormal, 0u);

  MeshEffect empty;
  EXPECT_FALSE(empty.ParseParameters(0, 0));
}

// The mesh an effect names is read from the effect's folder (the current one while it loads); a name
// that leaves it is not read.
TEST_F(EffectParametersTest, TheEffectsMeshIsNeverReadFromOutsideItsFolder) {
  WriteText(Scratch("outside.x"), "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n");
  std::filesystem::create_directories(Scratch("game"));
  platform::fs::ChangeCurrentFolder(Scratch("game"));
  for (const std::string& name : {std::string("../outside.x"), std::string("..\\outside.x"), Scratch("outside.x")}) {
    SCOPED_TRACE(name);
    Bound b;
    b.fake->parameters = {{"XFile", "", dx::PC_OBJECT, dx::PT_STRING, {}, name}};
    b.fake->techniques = {{FakePass{}}};
    ASSERT_TRUE(b.object.ParseParameters(1, 0));
    EXPECT_EQ(b.object.effectMesh, nullptr);
  }
  // The same file inside the folder is read.
  std::filesystem::copy_file(Scratch("outside.x"), Scratch("game/inside.x"));
  Bound b;
  b.fake->parameters = {{"XFile", "", dx::PC_OBJECT, dx::PT_STRING, {}, "inside.x"}};
  b.fake->techniques = {{FakePass{}}};
  ASSERT_TRUE(b.object.ParseParameters(1, 0));
  EXPECT_NE(b.object.effectMesh, nullptr);
}

TEST_F(EffectParametersTest, BeginBindsStageTexturesUpToTheStageCount) {
  Bound b;
  b.fake->parameters.resize(7);
  b.fake->techniques = {{FakePass{}, FakePass{}, FakePass{}}};
  b.object.textureParameterCount = 2;
  b.object.textureParameters[0] = 4;
  b.object.textureParameters[1] = 6;
  MeshRecord mesh;
  mesh.stages.resize(1);
  auto* texture = reinterpret_cast<gfx::Texture*>(0x1000);  // only passed along, never used
  mesh.stages[0].imageTexture = texture;
  EXPECT_EQ(b.object.Begin(&mesh, dx::MatrixIdentity()), 3u);
  ASSERT_EQ(b.fake->textures.size(), 1u);
  EXPECT_EQ(b.fake->textures[FakeEffect::Handle(4)], static_cast<gfx::BaseTexture*>(texture));
  b.object.End();
  EXPECT_EQ(b.fake->ended, 1);
  mesh.stages[0].imageTexture = nullptr;

  MeshEffect none;
  EXPECT_EQ(none.Begin(&mesh, dx::MatrixIdentity()), 0u);
}

void ExpectMatrixNear(const gfx::Matrix& a, const gfx::Matrix& b, const char* what) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4f) << what << " [" << r << "][" << c << "]";
}
void ExpectVectorNear(const gfx::Vector4& a, const gfx::Vector4& b, const char* what) {
  EXPECT_NEAR(a.x, b.x, 1e-4f) << what;
  EXPECT_NEAR(a.y, b.y, 1e-4f) << what;
  EXPECT_NEAR(a.z, b.z, 1e-4f) << what;
  EXPECT_NEAR(a.w, b.w, 1e-4f) << what;
}

TEST_F(EffectParametersTest, ConstantsComeFromTheDevicesTransformsAndLight) {
  gfx::Device* device = GetDirect3DDevice();
  const gfx::Matrix world = dx::MatrixMultiply(dx::MatrixScaling(2, 2, 2), dx::MatrixTranslation(1, 2, 3));
  const gfx::Vector3 eye{4, 5, -6};
  const gfx::Matrix view = dx::MatrixLookAtLH(eye, {0, 0, 0}, {0, 1, 0});
  const gfx::Matrix projection = dx::MatrixPerspectiveFovLH(1.0f, 1.5f, 1, 100);
  device->SetTransform(gfx::TS_WORLD, &world);
  device->SetTransform(gfx::TS_VIEW, &view);
  device->SetTransform(gfx::TS_PROJECTION, &projection);
  gfx::Light sun{};
  sun.type = gfx::LIGHT_DIRECTIONAL;
  sun.diffuse = {1, 1, 1, 1};
  sun.direction = {0, -1, 0};
  device->SetLight(0, &sun);

  Bound b;
  const char* names[] = {"world", "worldviewprojection", "WorldInverseTranspose", "ViewProjectionTranspose",
                         "cameraposition", "UIDirectional", "UIPosition", "UIDirectionalInv", "time",
                         "meshradius", "alphaoverride", "bonematrixpalette"};
  for (size_t i = 0; i < std::size(names); ++i) b.object.MatchSemantic(names[i], 100 + i);
  MeshRecord mesh;
  mesh.bounds.shadowRebuild = 7.5f;
  mesh.effectAttached = 1;
  mesh.textureFactor = 0x80FFFFFF;
  mesh.bones.resize(2);
  const gfx::Matrix frames[2] = {dx::MatrixTranslation(0, 1, 0), dx::MatrixRotationY(0.5f)};
  mesh.bones[0].offsetMatrix = dx::MatrixScaling(3, 3, 3);
  mesh.bones[1].offsetMatrix = dx::MatrixTranslation(1, 0, 0);
  mesh.boneMatrices = {&frames[0], &frames[1]};
  b.object.ApplyConstants(&mesh);

  FakeEffect& f = *b.fake;
  ExpectMatrixNear(f.matrices[100], world, "world");
  ExpectMatrixNear(f.matrices[101], dx::MatrixMultiply(dx::MatrixMultiply(world, view), projection), "wvp");
  gfx::Matrix inverse;
  ASSERT_TRUE(dx::MatrixInverse(world, &inverse));
  ExpectMatrixNear(f.matrices[102], dx::MatrixTranspose(inverse), "world inverse transpose");
  ExpectMatrixNear(f.matrices[103], dx::MatrixTranspose(dx::MatrixMultiply(view, projection)), "vp transpose");
  ExpectVectorNear(f.vectors[104], {eye.x, eye.y, eye.z, 1}, "camera position");
  ExpectVectorNear(f.vectors[105], {0, -1, 0, 0}, "light direction");
  ExpectVectorNear(f.vectors[106], {0, 1000, 0, 1}, "light position");
  ExpectVectorNear(f.vectors[107], {0, -1, 0, 0}, "direction in object space");  // a uniform scale keeps it
  EXPECT_GT(f.floats[108], 0.0f);
  EXPECT_EQ(f.floats[109], 7.5f);
  EXPECT_NEAR(f.floats[110], 128.0f / 255.0f, 1e-6f);
  ASSERT_EQ(f.palette.size(), 2u);
  ExpectMatrixNear(f.palette[0], dx::MatrixMultiply(mesh.bones[0].offsetMatrix, frames[0]), "bone 0");
  ExpectMatrixNear(f.palette[1], dx::MatrixMultiply(mesh.bones[1].offsetMatrix, frames[1]), "bone 1");

  // A point light: the direction runs from the light to the object, with w 1 before normalising.
  gfx::Light lamp{};
  lamp.type = gfx::LIGHT_POINT;
  lamp.diffuse = {1, 1, 1, 1};
  lamp.position = {1, 2, -1};
  lamp.range = 100;
  device->SetLight(0, &lamp);
  mesh.bones.clear();
  mesh.boneMatrices.clear();
  b.object.ApplyConstants(&mesh);
  const float length = std::sqrt(16.0f + 1.0f);
  ExpectVectorNear(f.vectors[105], {0, 0, 4 / length, 1 / length}, "point light direction");
  ExpectVectorNear(f.vectors[106], {1, 2, -1, 1}, "point light position");
  EXPECT_TRUE(f.palette.empty());  // no bones, an empty palette
}

}  // namespace
}  // namespace effect_test
