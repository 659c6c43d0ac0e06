// The fixed-function 3D pipeline as the object, light, camera, particle and world modules use it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx_fixture.h"

using namespace gfxtest;

namespace {

gfx::Matrix Identity() {
  gfx::Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

gfx::Matrix Translation(float x, float y, float z) {
  gfx::Matrix m = Identity();
  m.m[3][0] = x;
  m.m[3][1] = y;
  m.m[3][2] = z;
  return m;
}

gfx::Matrix RotationY(float a) {
  gfx::Matrix m = Identity();
  m.m[0][0] = std::cos(a);
  m.m[0][2] = -std::sin(a);
  m.m[2][0] = std::sin(a);
  m.m[2][2] = std::cos(a);
  return m;
}

// Left-handed perspective, vertical field of view `fov`.
gfx::Matrix Perspective(float fov, float aspect, float zn, float zf) {
  gfx::Matrix m{};
  float ys = 1.0f / std::tan(fov / 2);
  m.m[0][0] = ys / aspect;
  m.m[1][1] = ys;
  m.m[2][2] = zf / (zf - zn);
  m.m[2][3] = 1;
  m.m[3][2] = -zn * zf / (zf - zn);
  return m;
}

struct Vertex {  // FVF XYZ | NORMAL | DIFFUSE | TEX1
  float x, y, z, nx, ny, nz;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kFvf = gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

struct Drawing3D : DeviceTest {
  void SetUp() override {
    DeviceTest::SetUp();
    gfx::Matrix proj = Perspective(1.5707963f, float(kWidth) / float(kHeight), 1.0f, 100.0f);
    gfx::Matrix id = Identity();
    dev->SetTransform(gfx::TS_PROJECTION, &proj);
    dev->SetTransform(gfx::TS_VIEW, &id);
    dev->SetTransform(gfx::TS_WORLD, &id);
    dev->SetRenderState(gfx::RS_LIGHTING, 0);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  }

  // A square facing the camera (normal towards it), at depth z, covering [-s, s]^2; wound clockwise
  // on screen when `clockwise`.
  void DrawSquare(float z, float s, uint32_t color, bool clockwise = true) {
    Vertex v[4] = {{-s, s, z, 0, 0, -1, color, 0, 0},
                   {s, s, z, 0, 0, -1, color, 1, 0},
                   {-s, -s, z, 0, 0, -1, color, 0, 1},
                   {s, -s, z, 0, 0, -1, color, 1, 1}};
    // As a list: (top-left, top-right, bottom-left) runs clockwise on the screen.
    Vertex cw[6] = {v[0], v[1], v[2], v[2], v[1], v[3]};
    Vertex ccw[6] = {v[0], v[2], v[1], v[2], v[3], v[1]};
    dev->SetFVF(kFvf);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 2, clockwise ? cw : ccw, sizeof(Vertex)), gfx::kOk);
  }

  uint32_t Centre() { return Pixel(int(kWidth) / 2, int(kHeight) / 2); }
};

}  // namespace

TEST_F(Drawing3D, CullsCounterClockwiseTrianglesByDefault) {
  DrawSquare(5, 1, 0xFFFF0000, /*clockwise=*/false);
  EXPECT_EQ(Centre(), 0xFF000000u);
  DrawSquare(5, 1, 0xFF00FF00, /*clockwise=*/true);
  EXPECT_EQ(Centre(), 0xFF00FF00u);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CW);
  DrawSquare(5, 1, 0xFFFF0000, true);
  EXPECT_EQ(Centre(), 0xFF00FF00u);
  DrawSquare(5, 1, 0xFF0000FF, false);
  EXPECT_EQ(Centre(), 0xFF0000FFu);
  // The world's y axis points up the screen.
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  gfx::Matrix up = Translation(0, 2, 0);
  dev->SetTransform(gfx::TS_WORLD, &up);
  DrawSquare(5, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(int(kWidth) / 2, int(kHeight) / 4), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(int(kWidth) / 2, 3 * int(kHeight) / 4), 0xFF000000u);
}

TEST_F(Drawing3D, DepthTestAndDepthWrites) {
  dev->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_TRUE);
  DrawSquare(5, 1, 0xFFFF0000);
  DrawSquare(10, 6, 0xFF00FF00);  // behind: hidden where the red one is
  EXPECT_EQ(Centre(), 0xFFFF0000u);
  EXPECT_EQ(Pixel(int(kWidth) / 2 + 11, int(kHeight) / 2), 0xFF00FF00u);
  dev->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_GREATER);
  DrawSquare(10, 6, 0xFF0000FF);
  EXPECT_EQ(Centre(), 0xFF0000FFu);
  // Without depth writes a near square draws but does not hide what comes after.
  dev->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
  dev->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 1.0f, 0);
  dev->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  DrawSquare(5, 1, 0xFFFFFFFF);
  dev->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  DrawSquare(10, 6, 0xFFFF00FF);
  EXPECT_EQ(Centre(), 0xFFFF00FFu);
}

TEST_F(Drawing3D, DirectionalLightInWorldSpaceShadesByTheAngle) {
  dev->SetRenderState(gfx::RS_LIGHTING, 1);
  dev->SetRenderState(gfx::RS_AMBIENT, 0);
  dev->SetRenderState(gfx::RS_COLORVERTEX, 0);
  gfx::Material m{};
  m.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
  dev->SetMaterial(&m);
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1, 1, 1, 1};
  light.direction = {0, 0, 1};  // travels away from the camera, onto the square's face
  dev->SetLight(7, &light);
  dev->LightEnable(7, 1);
  DrawSquare(5, 1, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFFFF8040, 2)) << std::hex << Centre();

  // 60 degrees off the normal: half the light.
  light.direction = {0, -0.8660254f, 0.5f};
  dev->SetLight(7, &light);
  DrawSquare(5, 1, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFF804020, 2)) << std::hex << Centre();

  // Turning the camera with the square in front of it again leaves the world-space light alone:
  // the square, turned with it, still faces the camera, but the light now comes from the side.
  light.direction = {0, 0, 1};
  dev->SetLight(7, &light);
  gfx::Matrix turn = RotationY(1.0471976f);  // 60 degrees
  gfx::Matrix view = RotationY(-1.0471976f);
  dev->SetTransform(gfx::TS_WORLD, &turn);
  dev->SetTransform(gfx::TS_VIEW, &view);
  DrawSquare(5, 1, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFF804020, 2)) << std::hex << Centre();

  // Ambient adds the material's ambient share; vertex colours replace the diffuse material.
  gfx::Matrix id = Identity();
  dev->SetTransform(gfx::TS_WORLD, &id);
  dev->SetTransform(gfx::TS_VIEW, &id);
  dev->LightEnable(7, 0);
  dev->SetRenderState(gfx::RS_AMBIENT, 0xFF404040);
  m.ambient = {1, 1, 0, 1};
  dev->SetMaterial(&m);
  DrawSquare(5, 1, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFF404000, 2)) << std::hex << Centre();
  dev->SetRenderState(gfx::RS_AMBIENT, 0);
  dev->LightEnable(7, 1);
  dev->SetRenderState(gfx::RS_COLORVERTEX, 1);
  DrawSquare(5, 1, 0xFF00FF00);
  EXPECT_TRUE(Near(Centre(), 0xFF00FF00, 2)) << std::hex << Centre();

  // Specular light counts only while enabled.
  light.specular = {1, 1, 1, 1};
  dev->SetLight(7, &light);
  dev->SetRenderState(gfx::RS_COLORVERTEX, 0);
  gfx::Material shiny{};
  shiny.specular = {1, 1, 1, 1};
  shiny.power = 1;
  dev->SetMaterial(&shiny);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_EQ(Centre(), 0xFF000000u);
  dev->SetRenderState(gfx::RS_SPECULARENABLE, 1);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFFFFFFFF, 4)) << std::hex << Centre();
}

TEST_F(Drawing3D, HighlightShowsOnlyWhenBothTheMaterialAndALightAreSpecular) {
  // A black, shiny square and a light with no colour of its own but (later) a specular one.
  dev->SetRenderState(gfx::RS_LIGHTING, 1);
  dev->SetRenderState(gfx::RS_AMBIENT, 0);
  dev->SetRenderState(gfx::RS_COLORVERTEX, 0);
  dev->SetRenderState(gfx::RS_SPECULARENABLE, 1);
  gfx::Material shiny{};
  shiny.specular = {1, 1, 1, 1};
  shiny.power = 1;
  dev->SetMaterial(&shiny);
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.direction = {0, 0, 1};
  dev->SetLight(2, &light);
  dev->LightEnable(2, 1);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_EQ(Centre(), 0xFF000000u) << "no specular light";
  // Only the light changes: the highlight must appear on the next draw.
  light.specular = {1, 1, 1, 1};
  dev->SetLight(2, &light);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFFFFFFFF, 4)) << std::hex << Centre();
  // A second light enabled after the specular one is switched off brings it back.
  dev->LightEnable(2, 0);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_EQ(Centre(), 0xFF000000u);
  dev->SetLight(5, &light);
  dev->LightEnable(5, 1);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFFFFFFFF, 4)) << std::hex << Centre();
  // A material without specular colour: nothing, and the same as with specular light off.
  gfx::Material matte{};
  matte.diffuse = {0.5f, 0.25f, 1, 1};
  dev->SetMaterial(&matte);
  light.diffuse = {1, 1, 1, 1};
  dev->SetLight(5, &light);
  DrawSquare(5, 0.2f, 0xFF000000);
  const uint32_t withSpecular = Centre();
  dev->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_EQ(withSpecular, Centre());
  EXPECT_TRUE(Near(withSpecular, 0xFF8040FF, 2)) << std::hex << withSpecular;
}

TEST_F(Drawing3D, PointLightFadesWithAttenuationAndSpotEndsAtItsCone) {
  dev->SetRenderState(gfx::RS_LIGHTING, 1);
  dev->SetRenderState(gfx::RS_COLORVERTEX, 0);
  gfx::Material m{};
  m.diffuse = {1, 1, 1, 1};
  dev->SetMaterial(&m);
  gfx::Light light{};
  light.type = gfx::LIGHT_POINT;
  light.diffuse = {1, 1, 1, 1};
  light.position = {0, 0, 0};
  light.range = 1000;
  light.attenuation0 = 1;
  light.attenuation2 = 1.0f / 25.0f;  // half strength at distance 5
  dev->SetLight(0, &light);
  dev->LightEnable(0, 1);
  DrawSquare(5, 0.2f, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFF808080, 3)) << std::hex << Centre();
  light.type = gfx::LIGHT_SPOT;
  light.attenuation2 = 0;
  light.direction = {0, 0, 1};
  light.theta = 0.2f;
  light.phi = 0.4f;  // cone of about 11 degrees each side
  dev->SetLight(0, &light);
  // Lighting is computed at the vertices: a small square inside the cone is lit, one outside not.
  DrawSquare(5, 0.5f, 0xFF000000);
  EXPECT_TRUE(Near(Centre(), 0xFFFFFFFF, 4)) << std::hex << Centre();  // n.l of the corners: 0.99
  gfx::Matrix aside = Translation(3, 0, 0);
  dev->SetTransform(gfx::TS_WORLD, &aside);
  DrawSquare(5, 0.5f, 0xFF000000);
  EXPECT_EQ(Pixel(int(kWidth) / 2 + 19, int(kHeight) / 2), 0xFF000000u);
}

TEST_F(Drawing3D, LinearFogByDistance) {
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  dev->SetRenderState(gfx::RS_FOGENABLE, 1);
  dev->SetRenderState(gfx::RS_FOGCOLOR, 0xFF0000FF);
  dev->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
  dev->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(0.0f));
  dev->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(20.0f));
  DrawSquare(10, 1, 0xFFFF0000);  // halfway: half fog
  EXPECT_TRUE(Near(Centre(), 0xFF800080, 3)) << std::hex << Centre();
  DrawSquare(5, 0.5f, 0xFFFF0000);
  EXPECT_TRUE(Near(Centre(), 0xFFBF0040, 3)) << std::hex << Centre();
  dev->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_NONE);
  dev->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_EXP);
  dev->SetRenderState(gfx::RS_FOGDENSITY, gfx::FloatBits(0.1f));
  DrawSquare(10, 1, 0xFFFF0000);  // e^-1 of the colour left
  EXPECT_TRUE(Near(Centre(), 0xFF5E00A1, 3)) << std::hex << Centre();
  // Pre-transformed drawing is never fogged here.
  FillRect(0, 0, 4, 4, 0xFFFF0000);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF0000u);
}

TEST_F(Drawing3D, StencilMasksDrawing) {
  // Mark a rectangle with 1 (colour writes off), then draw only where the mark is.
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  dev->SetRenderState(gfx::RS_STENCILENABLE, 1);
  dev->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_ALWAYS);
  dev->SetRenderState(gfx::RS_STENCILREF, 1);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_REPLACE);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0);
  FillRect(10, 10, 20, 20, 0xFFFFFFFF);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0xF);
  dev->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  FillRect(0, 0, 64, 48, 0xFF00FF00);
  EXPECT_EQ(Pixel(15, 15), 0xFF00FF00u);
  EXPECT_EQ(Pixel(9, 15), 0xFF000000u);
  EXPECT_EQ(Pixel(20, 20), 0xFF000000u);
  // References count in the stencil's eight bits: -1 is 255, as the shadow shades use it.
  dev->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_ALWAYS);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_DECR);  // 0 wraps to 255
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0);
  FillRect(30, 10, 40, 20, 0xFFFFFFFF);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0xF);
  dev->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
  dev->SetRenderState(gfx::RS_STENCILREF, 0xFFFFFFFF);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  FillRect(0, 0, 64, 48, 0xFFFF0000);
  EXPECT_EQ(Pixel(35, 15), 0xFFFF0000u);
  EXPECT_EQ(Pixel(15, 15), 0xFF00FF00u);
}

TEST_F(Drawing3D, TwoSidedStencilCountsFrontAndBackFaces) {
  // Clockwise (front) squares increment, counter-clockwise ones decrement: a front and a back
  // face over the same pixels leave 0, two fronts leave 2.
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  dev->SetRenderState(gfx::RS_STENCILENABLE, 1);
  dev->SetRenderState(gfx::RS_TWOSIDEDSTENCILMODE, 1);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_INCR);
  dev->SetRenderState(gfx::RS_CCW_STENCILPASS, gfx::STENCILOP_DECR);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0);
  DrawSquare(5, 1, 0, true);
  DrawSquare(5, 1, 0, false);
  dev->SetTransform(gfx::TS_WORLD, &(const gfx::Matrix&)Translation(3, 0, 0));
  DrawSquare(5, 1, 0, true);
  DrawSquare(5, 1, 0, true);
  gfx::Matrix id = Identity();
  dev->SetTransform(gfx::TS_WORLD, &id);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0xF);
  dev->SetRenderState(gfx::RS_TWOSIDEDSTENCILMODE, 0);
  dev->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  dev->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
  dev->SetRenderState(gfx::RS_STENCILREF, 2);
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  FillRect(0, 0, 64, 48, 0xFFFFFFFF);
  EXPECT_EQ(Centre(), 0xFF000000u);
  EXPECT_EQ(Pixel(int(kWidth) / 2 + 19, int(kHeight) / 2), 0xFFFFFFFFu);
}

// Vertex and index buffers, drawn with base-vertex draws where the GL has them (false) and through
// the fallback that moves the vertex arrays instead (true).
struct Buffers3D : Drawing3D, ::testing::WithParamInterface<bool> {
  void SetUp() override {
    gfx::SetBaseVertexDrawsDisabled(GetParam());
    Drawing3D::SetUp();
  }
  void TearDown() override {
    Drawing3D::TearDown();
    gfx::SetBaseVertexDrawsDisabled(false);
  }
};
INSTANTIATE_TEST_SUITE_P(BaseVertex, Buffers3D, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Fallback" : "Native"; });

TEST_P(Buffers3D, OffsetsBaseVerticesAndDiscard) {
  gfx::VertexBuffer* vb = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(8 * sizeof(Vertex), gfx::USAGE_WRITEONLY | gfx::USAGE_DYNAMIC, kFvf,
                                    gfx::POOL_DEFAULT, &vb, nullptr),
            gfx::kOk);
  gfx::IndexBuffer* ib = nullptr;
  ASSERT_EQ(dev->CreateIndexBuffer(12 * 2, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16, gfx::POOL_DEFAULT, &ib, nullptr),
            gfx::kOk);
  // Vertices 4..7 hold a square; the indices use 0..3 with base vertex 4.
  auto fill = [&](uint32_t color, uint32_t flags) {
    Vertex* v = nullptr;
    ASSERT_EQ(vb->Lock(4 * sizeof(Vertex), 4 * sizeof(Vertex), reinterpret_cast<void**>(&v), flags), gfx::kOk);
    v[0] = {-1, 1, 5, 0, 0, -1, color, 0, 0};
    v[1] = {1, 1, 5, 0, 0, -1, color, 1, 0};
    v[2] = {-1, -1, 5, 0, 0, -1, color, 0, 1};
    v[3] = {1, -1, 5, 0, 0, -1, color, 1, 1};
    ASSERT_EQ(vb->Unlock(), gfx::kOk);
  };
  fill(0xFFFF0000, 0);
  uint16_t* idx = nullptr;
  ASSERT_EQ(ib->Lock(0, 0, reinterpret_cast<void**>(&idx), 0), gfx::kOk);
  const uint16_t list[12] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
  std::memcpy(idx, list, sizeof list);
  ib->Unlock();
  dev->SetFVF(kFvf);
  dev->SetStreamSource(0, vb, 0, sizeof(Vertex));
  dev->SetIndices(ib);
  ASSERT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 4, 0, 4, 6, 2), gfx::kOk);
  EXPECT_EQ(Centre(), 0xFFFF0000u);
  fill(0xFF00FF00, gfx::LOCK_DISCARD);
  ASSERT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 4, 0, 4, 6, 2), gfx::kOk);
  EXPECT_EQ(Centre(), 0xFF00FF00u);
  // A stream offset of four vertices and a plain draw of the strip-ordered square.
  dev->SetStreamSource(0, vb, 4 * sizeof(Vertex), sizeof(Vertex));
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  fill(0xFF0000FF, gfx::LOCK_NOOVERWRITE);
  ASSERT_EQ(dev->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 0, 2), gfx::kOk);
  EXPECT_EQ(Centre(), 0xFF0000FFu);
  // Past the end of the buffers: refused.
  EXPECT_EQ(dev->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 2, 2), gfx::kInvalidCall);
  EXPECT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 4, 0, 4, 6, 3), gfx::kInvalidCall);
  void* p = nullptr;
  EXPECT_EQ(vb->Lock(0, 9 * sizeof(Vertex), &p, 0), gfx::kInvalidCall);
  dev->SetStreamSource(0, nullptr, 0, 0);
  dev->SetIndices(nullptr);
  vb->Release();
  ib->Release();
}

// Static buffers too many for the first shared GL buffer spill into further ones, each larger than the
// last: every buffer still draws its own square, and the first GL buffer is no larger than one place,
// so a device that holds a few meshes does not keep megabytes it never fills.
TEST_P(Buffers3D, SharedStorageGrowsAsBuffersFillIt) {
  constexpr uint32_t kVertices = 20000;  // 720 KB: one fits in the first GL buffer, two do not
  const uint32_t colors[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  std::vector<gfx::VertexBuffer*> vbs;
  for (uint32_t color : colors) {
    gfx::VertexBuffer* vb = nullptr;
    ASSERT_EQ(dev->CreateVertexBuffer(kVertices * sizeof(Vertex), gfx::USAGE_WRITEONLY, kFvf, gfx::POOL_MANAGED, &vb,
                                      nullptr),
              gfx::kOk);
    vbs.push_back(vb);
    Vertex* v = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&v), 0), gfx::kOk);
    for (uint32_t i = 0; i < kVertices; ++i) v[i] = {3, 3, 5, 0, 0, -1, 0xFFFFFFFF, 0, 0};  // off screen
    // The square over the centre sits at the end of the buffer.
    for (uint32_t i = 0; i < 4; ++i)
      v[kVertices - 4 + i] = {(i & 1) ? 1.0f : -1.0f, (i & 2) ? -1.0f : 1.0f, 5, 0, 0, -1, color, 0, 0};
    ASSERT_EQ(vb->Unlock(), gfx::kOk);
  }
  dev->SetFVF(kFvf);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  std::vector<GLint> sizes;
  for (size_t i = 0; i < vbs.size(); ++i) {
    SCOPED_TRACE(i);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    dev->SetStreamSource(0, vbs[i], 0, sizeof(Vertex));
    ASSERT_EQ(dev->DrawPrimitive(gfx::PT_TRIANGLESTRIP, kVertices - 4, 2), gfx::kOk);
    // The GL buffer the draw read from.
    gfx::MakeDeviceContextCurrent(dev);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    sizes.push_back(size);
    EXPECT_EQ(Centre(), colors[i]);
  }
  EXPECT_LE(sizes.front(), 1 << 20);
  EXPECT_GT(sizes.back(), sizes.front());
  EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), 8 << 20);
  dev->SetStreamSource(0, nullptr, 0, 0);
  for (gfx::VertexBuffer* vb : vbs) vb->Release();
}

// Small static buffers share the device's GL buffers: each must still draw its own vertices and
// indices, also from a place freed by another buffer and given out again.
TEST_P(Buffers3D, StaticBuffersKeepTheirContentsInSharedStorage) {
  auto makeSquare = [&](uint32_t color) {
    gfx::VertexBuffer* vb = nullptr;
    EXPECT_EQ(dev->CreateVertexBuffer(8 * sizeof(Vertex), gfx::USAGE_WRITEONLY, kFvf, gfx::POOL_MANAGED, &vb, nullptr),
              gfx::kOk);
    Vertex* v = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&v), 0), gfx::kOk);
    // Vertices 0..3: a white square off to the right; 4..7: the square over the centre.
    for (int i = 0; i < 8; ++i) {
      float x = (i & 1) ? 1.0f : -1.0f, y = (i & 2) ? -1.0f : 1.0f;
      if (i < 4) v[i] = {x * 0.5f + 3.0f, y * 0.5f, 5, 0, 0, -1, 0xFFFFFFFF, 0, 0};
      else v[i] = {x, y, 5, 0, 0, -1, color, 0, 0};
    }
    EXPECT_EQ(vb->Unlock(), gfx::kOk);
    return vb;
  };
  auto makeIndices = [&](const uint16_t (&list)[6]) {
    gfx::IndexBuffer* ib = nullptr;
    EXPECT_EQ(dev->CreateIndexBuffer(sizeof list, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16, gfx::POOL_MANAGED, &ib,
                                     nullptr),
              gfx::kOk);
    void* p = nullptr;
    EXPECT_EQ(ib->Lock(0, 0, &p, 0), gfx::kOk);
    std::memcpy(p, list, sizeof list);
    EXPECT_EQ(ib->Unlock(), gfx::kOk);
    return ib;
  };
  // Created first, so that the square's indices sit further on in the shared storage.
  gfx::IndexBuffer* degenerate = makeIndices({0, 0, 0, 0, 0, 0});
  gfx::IndexBuffer* square = makeIndices({0, 1, 2, 2, 1, 3});
  uint32_t colors[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  gfx::VertexBuffer* vbs[3];
  for (int i = 0; i < 3; ++i) vbs[i] = makeSquare(colors[i]);
  dev->SetFVF(kFvf);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  auto drawAll = [&]() {
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(i);
      dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      dev->SetStreamSource(0, vbs[i], 0, sizeof(Vertex));
      dev->SetIndices(square);
      ASSERT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 4, 0, 4, 0, 2), gfx::kOk);
      EXPECT_EQ(Centre(), colors[i]);
      dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      ASSERT_EQ(dev->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 4, 2), gfx::kOk);
      EXPECT_EQ(Centre(), colors[i]);
      // Without the base vertex the indices reach the white square only.
      dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      ASSERT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 0, 0, 4, 0, 2), gfx::kOk);
      EXPECT_EQ(Centre(), 0xFF000000u);
    }
  };
  drawAll();
  vbs[1]->Release();
  colors[1] = 0xFFFFFF00;
  vbs[1] = makeSquare(colors[1]);
  drawAll();
  dev->SetStreamSource(0, nullptr, 0, 0);
  dev->SetIndices(nullptr);
  for (gfx::VertexBuffer* vb : vbs) vb->Release();
  degenerate->Release();
  square->Release();
}

TEST_F(Drawing3D, VertexDeclarationsFeedTheSamePipeline) {
  const gfx::VertexElement decl[] = {
      {0, 0, gfx::DECLTYPE_FLOAT3, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_POSITION, 0},
      {0, 12, gfx::DECLTYPE_FLOAT3, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_NORMAL, 0},
      {0, 24, gfx::DECLTYPE_COLOR, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_COLOR, 0},
      {0, 28, gfx::DECLTYPE_FLOAT2, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_TEXCOORD, 0},
      gfx::kDeclEnd,
  };
  gfx::VertexDeclaration* d = nullptr;
  ASSERT_EQ(dev->CreateVertexDeclaration(decl, &d), gfx::kOk);
  uint32_t n = 0;
  d->GetDeclaration(nullptr, &n);
  EXPECT_EQ(n, 5u);
  dev->SetVertexDeclaration(d);
  dev->SetFVF(0);  // as the mesh drawing does after setting a declaration
  Vertex v[3] = {{-1, 1, 5, 0, 0, -1, 0xFF00FFFF, 0, 0}, {2, -1, 5, 0, 0, -1, 0xFF00FFFF, 0, 0},
                 {-1, -1, 5, 0, 0, -1, 0xFF00FFFF, 0, 0}};
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(Vertex)), gfx::kOk);
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 2, int(kHeight) / 2 + 2), 0xFF00FFFFu);
  gfx::VertexDeclaration* back = nullptr;
  dev->GetVertexDeclaration(&back);
  EXPECT_EQ(back, d);
  back->Release();
  dev->SetFVF(kFvf);  // a format code replaces the declaration
  dev->GetVertexDeclaration(&back);
  EXPECT_EQ(back, nullptr);
  d->Release();
}

TEST_F(Drawing3D, TextureTransformsAndGeneratedCoordinates) {
  // 2 x 1 texture: left red, right green, point sampled.
  gfx::Texture* tex = nullptr;
  dev->CreateTexture(2, 1, 1, 0, gfx::FMT_X8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr);
  gfx::LockedRect lr;
  tex->LockRect(0, &lr, nullptr, 0);
  static_cast<uint32_t*>(lr.bits)[0] = 0xFFFF0000;
  static_cast<uint32_t*>(lr.bits)[1] = 0xFF00FF00;
  tex->UnlockRect(0);
  dev->SetTexture(0, tex);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
  // All vertices at u = 0.25 (red); a 2D texture matrix moves u by 0.5 through its third row.
  Vertex v[3] = {{-1, 1, 5, 0, 0, -1, 0xFFFFFFFF, 0.25f, 0.5f}, {2, -1, 5, 0, 0, -1, 0xFFFFFFFF, 0.25f, 0.5f},
                 {-1, -1, 5, 0, 0, -1, 0xFFFFFFFF, 0.25f, 0.5f}};
  dev->SetFVF(kFvf);
  dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(Vertex));
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 2, int(kHeight) / 2 + 2), 0xFFFF0000u);
  gfx::Matrix shift = Identity();
  shift.m[2][0] = 0.5f;
  dev->SetTransform(gfx::TS_TEXTURE0, &shift);
  dev->SetTextureStageState(0, gfx::TSS_TEXTURETRANSFORMFLAGS, gfx::TTFF_COUNT2);
  dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(Vertex));
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 2, int(kHeight) / 2 + 2), 0xFF00FF00u);
  // Sphere mapping from camera-space normals: normal (0, 0, -1) gives u = 0.5 + 0.5 nx; a normal
  // turned to -x lands on the left texel, to +x on the right one.
  gfx::Matrix sphere = Identity();
  sphere.m[0][0] = 0.5f;
  sphere.m[1][1] = -0.5f;
  sphere.m[3][0] = 0.5f;
  sphere.m[3][1] = 0.5f;
  dev->SetTransform(gfx::TS_TEXTURE0, &sphere);
  dev->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, gfx::TCI_CAMERASPACENORMAL);
  for (Vertex& x : v) x.nx = -0.9f, x.nz = -0.43f;
  dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(Vertex));
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 2, int(kHeight) / 2 + 2), 0xFFFF0000u);
  for (Vertex& x : v) x.nx = 0.9f;
  dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(Vertex));
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 2, int(kHeight) / 2 + 2), 0xFF00FF00u);
  dev->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(Drawing3D, ClipPlanesCutInWorldSpace) {
  // Keep x <= 0 (plane -x >= 0), given in world space while the camera looks from elsewhere.
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  gfx::Matrix view = Translation(0, 0, 2);
  dev->SetTransform(gfx::TS_VIEW, &view);
  float plane[4] = {-1, 0, 0, 0};
  dev->SetClipPlane(0, plane);
  dev->SetRenderState(gfx::RS_CLIPPLANEENABLE, gfx::CLIPPLANE0);
  DrawSquare(3, 2, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(int(kWidth) / 2 - 4, int(kHeight) / 2), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(int(kWidth) / 2 + 4, int(kHeight) / 2), 0xFF000000u);
}

TEST_F(Drawing3D, PointSpritesScaleWithDistance) {
  // Particles: textured point sprites, POINTSCALE_C 1 gives size x height / distance.
  gfx::Texture* tex = nullptr;
  dev->CreateTexture(2, 2, 1, 0, gfx::FMT_X8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr);
  gfx::LockedRect lr;
  tex->LockRect(0, &lr, nullptr, 0);
  uint32_t* t = static_cast<uint32_t*>(lr.bits);
  t[0] = t[1] = 0xFFFF0000;  // top row red
  t[lr.pitch / 4] = t[lr.pitch / 4 + 1] = 0xFF0000FF;
  tex->UnlockRect(0);
  dev->SetTexture(0, tex);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  dev->SetRenderState(gfx::RS_POINTSPRITEENABLE, 1);
  dev->SetRenderState(gfx::RS_POINTSCALEENABLE, 1);
  dev->SetRenderState(gfx::RS_POINTSIZE, gfx::FloatBits(1.0f));
  dev->SetRenderState(gfx::RS_POINTSIZE_MIN, gfx::FloatBits(0.0f));
  dev->SetRenderState(gfx::RS_POINTSCALE_A, gfx::FloatBits(0.0f));
  dev->SetRenderState(gfx::RS_POINTSCALE_C, gfx::FloatBits(1.0f));
  struct P {
    float x, y, z;
    uint32_t c;
  } p = {0, 0, 4, 0xFFFFFFFF};  // 48 / 4 = 12 pixels wide
  dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_DIFFUSE);
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_POINTLIST, 1, &p, sizeof p), gfx::kOk);
  int cx = int(kWidth) / 2, cy = int(kHeight) / 2;
  EXPECT_EQ(Pixel(cx, cy - 4), 0xFFFF0000u);  // the texture's top is the sprite's top
  EXPECT_EQ(Pixel(cx, cy + 4), 0xFF0000FFu);
  EXPECT_EQ(Pixel(cx, cy - 8), 0xFF000000u);
  dev->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(Drawing3D, ViewportPlacesTheProjection) {
  // A square filling the view of a 32 x 24 viewport at (32, 24) stays in that quarter.
  gfx::Viewport vp{32, 24, 32, 24, 0, 1};
  dev->SetViewport(&vp);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  DrawSquare(1.5f, 10, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(32, 24), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(63, 47), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(31, 24), 0xFF000000u);
  EXPECT_EQ(Pixel(32, 23), 0xFF000000u);
}

TEST_F(Drawing3D, TransformedGeometryFollowsThePixelCentreRuleToo) {
  // Orthographic, one unit a pixel, origin at the screen's centre (32, 24): an edge at x = 0.4 is
  // at screen x 32.4, so the first pixel whose centre is covered is 33; the right edge at 37.4
  // leaves 37 as the last one.
  gfx::Matrix ortho = Identity();
  ortho.m[0][0] = 2.0f / float(kWidth);
  ortho.m[1][1] = 2.0f / float(kHeight);
  ortho.m[2][2] = 1.0f / 100.0f;
  gfx::Matrix id = Identity();
  dev->SetTransform(gfx::TS_PROJECTION, &ortho);
  dev->SetTransform(gfx::TS_VIEW, &id);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  Vertex v[4] = {{0.4f, 0.6f, 1, 0, 0, -1, 0xFFFFFFFF, 0, 0}, {5.4f, 0.6f, 1, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                 {0.4f, -4.4f, 1, 0, 0, -1, 0xFFFFFFFF, 0, 0}, {5.4f, -4.4f, 1, 0, 0, -1, 0xFFFFFFFF, 0, 0}};
  dev->SetFVF(kFvf);
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(Vertex)), gfx::kOk);
  // y = 0.6 is screen row 23.4 (y grows downwards): rows 24 to 28.
  EXPECT_EQ(Pixel(32, 26), 0xFF000000u);
  EXPECT_EQ(Pixel(33, 26), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(37, 26), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(38, 26), 0xFF000000u);
  EXPECT_EQ(Pixel(35, 23), 0xFF000000u);
  EXPECT_EQ(Pixel(35, 24), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(35, 28), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(35, 29), 0xFF000000u);
}
