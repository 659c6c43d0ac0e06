// The device sends GL only what differs from what GL already has: states set and put back between
// draws, textures that come and go, state blocks, resets and shader passes must still reach the
// pixels exactly.
#include "gfx_fixture.h"
#include "tests/platform/d3dx/shaders/shader_fixture.h"

using namespace gfxtest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

gfx::Texture* TwoTexels(gfx::Device* dev, uint32_t first, uint32_t second) {
  gfx::Texture* t = nullptr;
  EXPECT_EQ(dev->CreateTexture(2, 1, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &t, nullptr), gfx::kOk);
  if (!t) return nullptr;
  gfx::LockedRect lr;
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  static_cast<uint32_t*>(lr.bits)[0] = first;
  static_cast<uint32_t*>(lr.bits)[1] = second;
  EXPECT_EQ(t->UnlockRect(0), gfx::kOk);
  return t;
}

// Two-texel textures drawn across 16 pixels with u from 0 to 2 and point filtering: pixel 10 reads
// u = 1.3, the first texel when the address mode wraps, the second when it clamps.
struct StateShadow : DeviceTest {
  void SetUp() override {
    DeviceTest::SetUp();
    SetDrawingStates();
  }

  void SetDrawingStates() {
    dev->SetRenderState(gfx::RS_LIGHTING, 0);
    dev->SetRenderState(gfx::RS_ZENABLE, 0);
    dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
    dev->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  }

  // Draws the stage's texture over rows [4 band, 4 band + 4) and reads back pixels 2 and 10 of the band.
  std::pair<uint32_t, uint32_t> Band(int band) {
    const float y0 = float(band * 4) - 0.5f, y1 = y0 + 4.0f;
    TlVertex v[4] = {{-0.5f, y0, 0.5f, 1, kWhite, 0, 0},
                     {15.5f, y0, 0.5f, 1, kWhite, 2, 0},
                     {-0.5f, y1, 0.5f, 1, kWhite, 0, 1},
                     {15.5f, y1, 0.5f, 1, kWhite, 2, 1}};
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk);
    std::vector<uint32_t> px = ReadTarget();
    const size_t row = size_t(band * 4 + 1) * kWidth;
    return {px[row + 2], px[row + 10]};
  }
  void AddressU(uint32_t mode) { dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, mode); }
};

using Pixels = std::pair<uint32_t, uint32_t>;

TEST_F(StateShadow, SamplerStatesPutBackFollowTheTextureOfTheUnit) {
  gfx::Texture* a = TwoTexels(dev, kRed, kGreen);
  gfx::Texture* b = TwoTexels(dev, kBlue, kWhite);
  dev->SetTexture(0, a);
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(0), Pixels(kRed, kGreen));
  // Put back, and another texture in the unit: that texture wraps.
  AddressU(gfx::TADDRESS_WRAP);
  dev->SetTexture(0, b);
  EXPECT_EQ(Band(1), Pixels(kBlue, kBlue));
  // The first texture again, unchanged states: its own parameters are still those of the clamped draw.
  dev->SetTexture(0, a);
  EXPECT_EQ(Band(2), Pixels(kRed, kRed));
  // Set and put back between draws, and set without a draw before putting back.
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(3), Pixels(kRed, kGreen));
  AddressU(gfx::TADDRESS_WRAP);
  AddressU(gfx::TADDRESS_CLAMP);
  AddressU(gfx::TADDRESS_WRAP);
  EXPECT_EQ(Band(4), Pixels(kRed, kRed));
  // The same texture on a second unit with other parameters (one GL texture: the unit flushed last
  // decides), then the first unit alone again, its states set and put back.
  dev->SetTexture(1, a);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  dev->SetTextureStageState(1, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  dev->SetTextureStageState(1, gfx::TSS_TEXCOORDINDEX, 0);
  dev->SetSamplerState(1, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
  dev->SetSamplerState(1, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
  dev->SetSamplerState(1, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
  EXPECT_EQ(Band(5), Pixels(kRed, kGreen));
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  dev->SetTexture(1, nullptr);
  AddressU(gfx::TADDRESS_CLAMP);
  AddressU(gfx::TADDRESS_WRAP);
  EXPECT_EQ(Band(6), Pixels(kRed, kRed));
  dev->SetTexture(0, nullptr);
  a->Release();
  b->Release();
}

TEST_F(StateShadow, TexturesReleasedWhileSetAndRemadeInTheirPlace) {
  gfx::Texture* a = TwoTexels(dev, kRed, kGreen);
  dev->SetTexture(0, a);
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(0), Pixels(kRed, kGreen));
  // The caller lets go while the unit holds it: it still draws.
  a->Release();
  EXPECT_EQ(Band(1), Pixels(kRed, kGreen));
  // Gone from the unit and from GL; a texture of the same kind takes its place (its memory and GL
  // name are free for reuse) with the same states.
  dev->SetTexture(0, nullptr);
  gfx::Texture* c = TwoTexels(dev, kBlue, kWhite);
  dev->SetTexture(0, c);
  EXPECT_EQ(Band(2), Pixels(kBlue, kWhite));
  AddressU(gfx::TADDRESS_WRAP);
  EXPECT_EQ(Band(3), Pixels(kBlue, kBlue));
  // A level of detail changed while set reaches GL without any stage state changing.
  dev->SetTexture(0, nullptr);
  c->Release();
  gfx::Texture* mips = nullptr;
  ASSERT_EQ(dev->CreateTexture(2, 2, 2, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &mips, nullptr), gfx::kOk);
  for (uint32_t level = 0; level < 2; ++level) {
    gfx::LockedRect lr;
    ASSERT_EQ(mips->LockRect(level, &lr, nullptr, 0), gfx::kOk);
    for (uint32_t y = 0; y < (level ? 1u : 2u); ++y)
      for (uint32_t x = 0; x < (level ? 1u : 2u); ++x)
        static_cast<uint32_t*>(static_cast<void*>(static_cast<uint8_t*>(lr.bits) + y * lr.pitch))[x] =
            level ? kBlue : kRed;
    ASSERT_EQ(mips->UnlockRect(level), gfx::kOk);
  }
  dev->SetTexture(0, mips);
  EXPECT_EQ(Band(4), Pixels(kRed, kRed));
  mips->SetLOD(1);
  EXPECT_EQ(Band(5), Pixels(kBlue, kBlue));
  dev->SetTexture(0, nullptr);
  mips->Release();
}

TEST_F(StateShadow, StateBlocksAndResetsLeaveNoStaleUnit) {
  gfx::Texture* a = TwoTexels(dev, kRed, kGreen);
  gfx::Texture* b = TwoTexels(dev, kBlue, kWhite);
  gfx::StateBlock* block = nullptr;
  ASSERT_EQ(dev->BeginStateBlock(), gfx::kOk);
  dev->SetTexture(0, b);
  AddressU(gfx::TADDRESS_CLAMP);
  ASSERT_EQ(dev->EndStateBlock(&block), gfx::kOk);
  dev->SetTexture(0, a);
  EXPECT_EQ(Band(0), Pixels(kRed, kRed));
  ASSERT_EQ(block->Apply(), gfx::kOk);
  EXPECT_EQ(Band(1), Pixels(kBlue, kWhite));
  dev->SetTexture(0, a);
  AddressU(gfx::TADDRESS_WRAP);
  EXPECT_EQ(Band(2), Pixels(kRed, kRed));
  // Applied twice in a row, then put back by hand: the second apply changes nothing.
  ASSERT_EQ(block->Apply(), gfx::kOk);
  ASSERT_EQ(block->Apply(), gfx::kOk);
  EXPECT_EQ(Band(3), Pixels(kBlue, kWhite));
  dev->SetTexture(0, a);
  AddressU(gfx::TADDRESS_WRAP);
  block->Release();

  // A reset puts every state back to its default (wrapping, no texture) whatever GL holds.
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(4), Pixels(kRed, kGreen));
  gfx::PresentParams p = WindowedParams(kWidth, kHeight);
  p.deviceWindow = window_;
  ASSERT_EQ(dev->Reset(&p), gfx::kOk);
  SetDrawingStates();
  uint32_t mode = 0;
  dev->GetSamplerState(0, gfx::SAMP_ADDRESSU, &mode);
  EXPECT_EQ(mode, uint32_t(gfx::TADDRESS_WRAP));
  EXPECT_EQ(Band(0), Pixels(kWhite, kWhite));  // no texture: the diffuse colour
  dev->SetTexture(0, a);
  EXPECT_EQ(Band(1), Pixels(kRed, kRed));
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(2), Pixels(kRed, kGreen));
  dev->SetTexture(0, nullptr);
  a->Release();
  b->Release();
}

TEST_F(StateShadow, UnitsChangedByForeignGlAreSentAgainOnceToldSo) {
  gfx::Texture* a = TwoTexels(dev, kRed, kGreen);
  dev->SetTexture(0, a);
  AddressU(gfx::TADDRESS_CLAMP);
  EXPECT_EQ(Band(0), Pixels(kRed, kGreen));
  // A UI library's drawing: its own texture on the unit, combined its own way.
  gfx::MakeDeviceContextCurrent(dev);
  GLuint foreign = 0;
  glGenTextures(1, &foreign);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, foreign);
  const uint32_t blue[4] = {kBlue, kBlue, kBlue, kBlue};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, blue);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  gfx::InvalidateDeviceGlState(dev);
  EXPECT_EQ(Band(1), Pixels(kRed, kGreen));
  gfx::MakeDeviceContextCurrent(dev);
  glDeleteTextures(1, &foreign);
  dev->SetTexture(0, nullptr);
  a->Release();
}

}  // namespace

namespace shadertest {
namespace {

// Shaders set and put back around every mesh, as effects do, with meshes in buffers that share GL
// storage (drawn by base vertex, or by moved arrays where the GL lacks base-vertex draws) and fixed
// pipeline draws in between.
struct ShaderPasses : ShaderTest, ::testing::WithParamInterface<bool> {
  void SetUp() override {
    gfx::SetBaseVertexDrawsDisabled(GetParam());
    ShaderTest::SetUp();
  }
  void TearDown() override {
    ShaderTest::TearDown();
    gfx::SetBaseVertexDrawsDisabled(false);
  }
};
INSTANTIATE_TEST_SUITE_P(BaseVertex, ShaderPasses, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Fallback" : "Native"; });

const char* kTexturedColor = R"(
sampler2D Diffuse : register(s0);
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; float2 uv : TEXCOORD0; };
VS_OUT vmain(float4 pos : POSITION, float4 color : COLOR0, float2 uv : TEXCOORD0) {
  VS_OUT o;
  o.pos = pos;
  o.color = color;
  o.uv = uv;
  return o;
}
float4 pmain(float4 color : COLOR0, float2 uv : TEXCOORD0) : COLOR { return tex2D(Diffuse, uv) * color; }
)";

struct Vertex {
  float x, y, z;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kFvf = gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

// A static buffer of quads side by side, each half a clip unit square from (x0, y0), u from 0 to 2.
gfx::VertexBuffer* Quads(gfx::Device* dev, float x0, float y0, std::initializer_list<uint32_t> colors) {
  std::vector<Vertex> v;
  float x = x0;
  for (uint32_t c : colors) {
    v.push_back({x, y0 + 0.5f, 0.5f, c, 0, 0});
    v.push_back({x + 0.5f, y0 + 0.5f, 0.5f, c, 2, 0});
    v.push_back({x, y0, 0.5f, c, 0, 1});
    v.push_back({x + 0.5f, y0, 0.5f, c, 2, 1});
    x += 0.5f;
  }
  gfx::VertexBuffer* vb = nullptr;
  EXPECT_EQ(dev->CreateVertexBuffer(uint32_t(v.size() * sizeof(Vertex)), gfx::USAGE_WRITEONLY, kFvf,
                                    gfx::POOL_MANAGED, &vb, nullptr),
            gfx::kOk);
  void* data = nullptr;
  EXPECT_EQ(vb->Lock(0, 0, &data, 0), gfx::kOk);
  std::memcpy(data, v.data(), v.size() * sizeof(Vertex));
  EXPECT_EQ(vb->Unlock(), gfx::kOk);
  return vb;
}

TEST_P(ShaderPasses, EachMeshDrawsItsOwnVerticesThroughShadersSetAndPutBack) {
  const std::vector<uint32_t> vsFunction = Hlsl(kTexturedColor, "vmain", "vs_2_0");
  const std::vector<uint32_t> psFunction = Hlsl(kTexturedColor, "pmain", "ps_2_0");
  gfx::VertexShader* vs = nullptr;
  gfx::PixelShader* ps = nullptr;
  ASSERT_EQ(dev->CreateVertexShader(vsFunction.data(), &vs), gfx::kOk);
  ASSERT_EQ(dev->CreatePixelShader(psFunction.data(), &ps), gfx::kOk);
  vertexShaders_.push_back(vs);
  pixelShaders_.push_back(ps);
  gfx::Texture* tex = TwoTexels(dev, 0xFFFFFFFF, 0xFF808080);
  ASSERT_NE(tex, nullptr);
  // Meshes in three buffers sharing the GL storage of small static buffers; the third holds two quads,
  // drawn by stream offset and by base vertex.
  gfx::VertexBuffer* top = Quads(dev, -1.0f, 0.5f, {0xFFFF0000});
  gfx::VertexBuffer* middle = Quads(dev, -0.5f, 0.0f, {0xFF00FF00});
  gfx::VertexBuffer* bottom = Quads(dev, -1.0f, -0.5f, {0xFF0000FF, 0xFFFFFF00});
  gfx::IndexBuffer* ib = nullptr;
  ASSERT_EQ(dev->CreateIndexBuffer(12, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16, gfx::POOL_MANAGED, &ib, nullptr),
            gfx::kOk);
  void* data = nullptr;
  ASSERT_EQ(ib->Lock(0, 0, &data, 0), gfx::kOk);
  const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  std::memcpy(data, indices, sizeof indices);
  ASSERT_EQ(ib->Unlock(), gfx::kOk);

  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  dev->SetFVF(kFvf);
  dev->SetIndices(ib);
  dev->SetTexture(0, tex);
  dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
  dev->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
  // The fixed pipeline between meshes: a pre-transformed square at the top left, stage texture off.
  auto fixedDraw = [&] {
    dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG2);
    FillRect(0, 0, 4, 4, 0xFF00FFFF);
    dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    dev->SetFVF(kFvf);
  };
  struct Mesh {
    gfx::VertexBuffer* vb;
    uint32_t offset;
    int32_t baseVertex;
  };
  const Mesh meshes[] = {{top, 0, 0}, {middle, 0, 0}, {bottom, 0, 0}, {bottom, 4 * sizeof(Vertex), 0},
                         {top, 0, 0}, {bottom, 0, 4}};
  for (int pass = 0; pass < 2; ++pass) {
    for (const Mesh& m : meshes) {
      // Begin: the pass's shaders and its sampler state (clamping on the second round).
      dev->SetVertexShader(vs);
      dev->SetPixelShader(ps);
      dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, pass ? gfx::TADDRESS_CLAMP : gfx::TADDRESS_WRAP);
      dev->SetStreamSource(0, m.vb, m.offset, sizeof(Vertex));
      EXPECT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, m.baseVertex, 0, 4, 0, 2), gfx::kOk);
      // End: what was there before.
      dev->SetVertexShader(nullptr);
      dev->SetPixelShader(nullptr);
      dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
      fixedDraw();
    }
    std::vector<uint32_t> px = ReadTarget();
    // Quad rows: clip y [0.5, 1) is target rows 0..11, [0, 0.5) 12..23, [-0.5, 0) 24..35; columns of
    // half a clip unit are 16 pixels. The left quarter of a quad reads the white texel, and so does
    // its third quarter (u from 1 to 1.5) when wrapping; clamped, that quarter reads the grey one.
    struct Expect {
      int x, y;
      uint32_t color;
    } expected[] = {{2, 6, 0xFFFF0000}, {18, 18, 0xFF00FF00}, {2, 30, 0xFF0000FF}, {18, 30, 0xFFFFFF00},
                    {36, 6, 0xFF000000}, {4, 18, 0xFF000000}, {36, 30, 0xFF000000}, {1, 1, 0xFF00FFFF}};
    for (const Expect& e : expected)
      EXPECT_TRUE(gfxtest::Near(px[size_t(e.y) * kWidth + e.x], e.color))
          << "pass " << pass << " at " << e.x << "," << e.y << ": " << std::hex << px[size_t(e.y) * kWidth + e.x];
    const uint32_t thirdQuarter = pass ? 0xFF008000 : 0xFF00FF00;  // the middle quad, green
    EXPECT_TRUE(gfxtest::Near(px[18 * kWidth + 25], thirdQuarter, 3))
        << "pass " << pass << ": " << std::hex << px[18 * kWidth + 25];
  }
  // A world matrix set for a shader draw (which does not read it) still moves the next fixed draw.
  auto draw = [&](gfx::VertexBuffer* vb) {
    dev->SetStreamSource(0, vb, 0, sizeof(Vertex));
    EXPECT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 0, 0, 4, 0, 2), gfx::kOk);
  };
  gfx::Matrix world = Identity();
  dev->SetTransform(gfx::TS_WORLD, &world);
  draw(bottom);
  dev->SetVertexShader(vs);
  dev->SetPixelShader(ps);
  world.m[3][0] = 1.0f;
  dev->SetTransform(gfx::TS_WORLD, &world);
  draw(middle);
  dev->SetVertexShader(nullptr);
  dev->SetPixelShader(nullptr);
  EXPECT_EQ(Pixel(34, 6), 0xFF000000u);
  draw(top);
  EXPECT_TRUE(gfxtest::Near(Pixel(34, 6), 0xFFFF0000)) << std::hex << Pixel(34, 6);

  dev->SetStreamSource(0, nullptr, 0, 0);
  dev->SetIndices(nullptr);
  dev->SetTexture(0, nullptr);
  top->Release();
  middle->Release();
  bottom->Release();
  ib->Release();
  tex->Release();
}

}  // namespace
}  // namespace shadertest
