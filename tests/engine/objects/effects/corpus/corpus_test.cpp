// The effect corpus: effect files written the way other people write them (fx/), each named by the mesh
// of a KVO model, loaded with LoadObject and drawn offscreen. At chosen points of the mesh the pixels
// must be the colours worked out on the CPU by Direct3D 9's rules (d3d9_reference.h), from what the
// draw used: the device's transforms and light 0, and the textures the model names.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/objects/effect_object.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_storage.h"
#include "platform/d3dx/effects/effect.h"
#include "platform/d3dx/math_matrix.h"
#include "tests/engine/objects/effects/corpus/d3d9_reference.h"
#include "tests/engine/objects/effects/effect_models.h"
#include "tests/engine/objects/frame_fixtures.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace {

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;
using namespace d3d9_reference;

constexpr int kWidth = 640, kHeight = 480;
constexpr int kModel = 2;

// --- The textures the models name ------------------------------------------------------------------
// base.tga: four colours, one per quarter (u right, v down); detail.tga: a grey checker around one half.
const Texture kBase{2, 2, {0xFFCC3333, 0xFF33CC33, 0xFF3333CC, 0xFFE6E64D}};
const Texture kDetail{2, 2, {0xFF808080, 0xFF606060, 0xFF606060, 0xFF808080}};

// An uncompressed 32-bit TGA, top row first.
void WriteTga(const std::string& path, const Texture& t) {
  uint8_t header[18] = {};
  header[2] = 2;
  header[12] = uint8_t(t.width);
  header[13] = uint8_t(t.width >> 8);
  header[14] = uint8_t(t.height);
  header[15] = uint8_t(t.height >> 8);
  header[16] = 32;
  header[17] = 0x28;  // 8 alpha bits, top row first
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(header), sizeof header);
  for (uint32_t argb : t.argb) {
    const uint8_t bgra[4] = {uint8_t(argb), uint8_t(argb >> 8), uint8_t(argb >> 16), uint8_t(argb >> 24)};
    file.write(reinterpret_cast<const char*>(bgra), 4);
  }
}

// --- The mesh --------------------------------------------------------------------------------------
// A 2 x 2 quad in its object's plane z = 0, facing -z, as two triangles. Every vertex value is a linear
// function of the position, so any point of the quad has the same value whatever the triangulation:
// red runs 0 to 1 along x, green 0 to 1 along y, blue is 128/255, alpha 1 (or 0 to 1 along x), and the
// texture coordinates run from (u0, v0) at the top left corner to (u1, v1) at the bottom right.
struct Quad {
  float u0 = 0, u1 = 1, v0 = 0, v1 = 1;
  bool alphaRamp = false;
};

// What a vertex shader reads at a point of the quad (object space).
struct Fragment {
  const Quad* quad = nullptr;
  float4 position, normal, colour;
  float u = 0, v = 0;
};

Fragment At(const Quad& q, float x, float y) {
  Fragment f;
  f.quad = &q;
  f.position = {x, y, 0, 1};
  f.normal = {0, 0, -1, 0};
  f.colour = {(x + 1) / 2, (y + 1) / 2, Byte(128), q.alphaRamp ? (x + 1) / 2 : 1.0f};
  f.u = q.u0 + (x + 1) / 2 * (q.u1 - q.u0);
  f.v = q.v0 + (1 - y) / 2 * (q.v1 - q.v0);
  return f;
}

// The quad's corners in vertex order and its two triangles.
constexpr float kCorners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
constexpr uint16_t kTriangles[6] = {0, 1, 2, 0, 2, 3};  // clockwise as the camera sees them

// A colour a vertex shader outputs, as the pixel shader gets it at fragment f: worked out at the three
// corners of the triangle f lies in and interpolated there with the clamping of colour outputs.
float4 ColourOutput(const Fragment& f, const std::function<float4(const Fragment&)>& vertexColour) {
  const float x = f.position[0], y = f.position[1];
  const uint16_t* triangle = y >= -x ? kTriangles : kTriangles + 3;  // the diagonal runs from (-1, 1) to (1, -1)
  float4 corners[3];
  float2 points[3];
  for (int k = 0; k < 3; ++k) {
    const float* corner = kCorners[triangle[k]];
    corners[k] = vertexColour(At(*f.quad, corner[0], corner[1]));
    points[k] = {corner[0], corner[1]};
  }
  return InterpolatedColourOutput(corners, Barycentric(points, {x, y}));
}

const auto PassedColour = [](const Fragment& v) { return v.colour; };

constexpr uint32_t kQuadFvf = 0x152;  // position, normal, diffuse colour, one texture set

std::unique_ptr<ObjectRecord> MakeQuadModel(const Quad& q, const std::string& effect,
                                            const std::vector<std::string>& stageTextures) {
  auto object = qel_test::MakeObjectWithRoot("quad");
  auto mesh = std::make_unique<MeshRecord>();
  EXPECT_TRUE(SetupMeshStorage(mesh.get(), kQuadFvf, 4, 6));
  for (int i = 0; i < 4; ++i) {
    const Fragment f = At(q, kCorners[i][0], kCorners[i][1]);
    const float position[3] = {f.position[0], f.position[1], 0}, normal[3] = {0, 0, -1}, uv[2] = {f.u, f.v};
    const uint32_t colour = uint32_t(std::lround(f.colour[3] * 255)) << 24 |
                            uint32_t(std::lround(f.colour[0] * 255)) << 16 |
                            uint32_t(std::lround(f.colour[1] * 255)) << 8 | 128u;
    uint8_t* vertex = &mesh->vertices[size_t(i) * mesh->vertexSize];
    std::memcpy(vertex, position, 12);
    std::memcpy(vertex + 12, normal, 12);
    std::memcpy(vertex + 24, &colour, 4);
    std::memcpy(vertex + 28, uv, 8);
  }
  mesh->indices.assign(std::begin(kTriangles), std::end(kTriangles));
  mesh->primitiveType = gfx::PT_TRIANGLELIST;
  mesh->drawVertexCount = 4;
  mesh->drawPrimitiveCount = 2;
  // Every mesh has a first stage, textured or not: the object passes list only objects that have one.
  for (size_t s = 0; s < std::max<size_t>(stageTextures.size(), 1); ++s) {
    mesh->stages.emplace_back();
    if (s < stageTextures.size()) CopyRecordName(mesh->stages.back().fileName, stageTextures[s].c_str());
    mesh->stages.back().stage = uint32_t(s);
  }
  mesh->hasEffect = 1;
  CopyRecordName(mesh->effectFileName, effect.c_str());
  object->root->mesh = std::move(mesh);
  RefreshObjectFrames(object.get());
  return object;
}

// --- The scene -------------------------------------------------------------------------------------
// What the draw used (the object's world matrix, the device's view, projection and light 0), and the
// values the engine's effect semantics give for it: "directionalight" the light's direction (normalised, w 0), "UIDirectionalInv" that direction taken
// into object space by the inverse world matrix, "pointlight" the light's position (w 1),
// "cameraposition" the translation of the inverse view matrix.
struct Scene {
  Matrix world{}, view{}, projection{};
  gfx::Light light{};
  float4 lightDirection, lightDirectionObject, lightPosition, camera;

  Matrix Inverse(const Matrix& m) const {
    Matrix inverse = m;
    dx::MatrixInverse(m, &inverse);
    return inverse;
  }
  Matrix WorldViewProjection() const { return dx::MatrixMultiply(dx::MatrixMultiply(world, view), projection); }

  static Scene Read(const Matrix& world) {
    Scene s;
    gfx::Device* device = GetDirect3DDevice();
    s.world = world;
    device->GetTransform(gfx::TS_VIEW, &s.view);
    device->GetTransform(gfx::TS_PROJECTION, &s.projection);
    device->GetLight(0, &s.light);
    const gfx::Vector3& d = s.light.direction;
    s.lightDirection = Normalize3({d.x, d.y, d.z, 0});
    const float4 object = Mul(float4(d.x, d.y, d.z, 0), s.Inverse(s.world));
    s.lightDirectionObject = Normalize3(object);
    s.lightPosition = {s.light.position.x, s.light.position.y, s.light.position.z, 1};
    const Matrix viewInverse = s.Inverse(s.view);
    s.camera = {viewInverse.m[3][0], viewInverse.m[3][1], viewInverse.m[3][2], 1};
    return s;
  }

  // Direct3D 9 puts pixel centres on integer screen coordinates: pixel (i, j) is the point
  // (2i / width - 1, 1 - 2j / height) of the projection.
  void PixelOf(float x, float y, int* i, int* j) const {
    const float4 clip = Mul(float4(x, y, 0, 1), WorldViewProjection());
    *i = int(std::lround((clip[0] / clip[3] + 1) * 0.5f * kWidth));
    *j = int(std::lround((1 - clip[1] / clip[3]) * 0.5f * kHeight));
  }
  // The point of the quad's plane that pixel (i, j) shows: the pixel's ray from the near plane (z 0)
  // to the far plane (z 1), taken back to object space and cut with z = 0.
  void QuadPointAt(int i, int j, float* x, float* y) const {
    const float nx = 2.0f * float(i) / kWidth - 1, ny = 1 - 2.0f * float(j) / kHeight;
    const Matrix back = Inverse(WorldViewProjection());
    float4 a = Mul(float4(nx, ny, 0, 1), back), b = Mul(float4(nx, ny, 1, 1), back);
    a = a * (1 / a[3]);
    b = b * (1 / b[3]);
    const float t = a[2] / (a[2] - b[2]);
    *x = a[0] + t * (b[0] - a[0]);
    *y = a[1] + t * (b[1] - a[1]);
  }
};

gfx::Light Directional(float x, float y, float z) {
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1, 1, 1, 1};
  light.direction = {x, y, z};
  return light;
}
gfx::Light PointLight(float x, float y, float z) {
  gfx::Light light{};
  light.type = gfx::LIGHT_POINT;
  light.diffuse = {1, 1, 1, 1};
  light.position = {x, y, z};
  light.range = 100;
  light.attenuation0 = 1;
  return light;
}

// Where the object stands (the quad's centre), its angles in degrees and its scale in percent.
struct Placement {
  gfx::Vector3 position{0, 0, 2}, angles{0, 0, 0}, scale{100, 100, 100};
};

// --- The cases -------------------------------------------------------------------------------------
struct Case {
  const char* file;
  std::vector<std::string> stages;  // the mesh's stage textures, in stage order
  Quad quad;
  Placement placement;
  gfx::Light light;
  std::vector<std::pair<float, float>> points;  // of the quad
  std::function<float4(const Fragment&, const Scene&)> colour;
};

// Points at the middles of the quarters and eighths of the quad, clear of the texel edges of the
// point-sampled textures.
const std::vector<std::pair<float, float>> kQuarters = {
    {-0.75f, -0.75f}, {0.25f, -0.75f}, {-0.25f, 0.25f}, {0.75f, 0.75f}, {0.75f, -0.25f}, {-0.75f, 0.25f}};
const std::vector<std::pair<float, float>> kEighths = {
    {-0.875f, -0.875f}, {0.125f, -0.375f}, {-0.375f, 0.125f}, {0.625f, 0.625f}, {0.625f, -0.875f}};

const gfx::Light kHeadOn = Directional(0, 0, 1);
const SamplerState kPointClamp{kClamp, kClamp, kPoint};
const SamplerState kPointWrap{kWrap, kWrap, kPoint};

// The normal of the quad in world space, through the inverse transpose of the world matrix.
float4 WorldNormal(const Fragment& f, const Scene& s) {
  return Normalize3(Mul(f.normal, dx::MatrixTranspose(s.Inverse(s.world)), 3, 3));
}

// The colour matrices of row_major.fx and column_major.fx, as written.
const Matrix kColourMix = FromRows({0.50f, 0.25f, 0.00f, 0.00f, 0.50f, 0.25f, 0.25f, 0.00f, 0.50f}, 3);

std::vector<Case> Corpus() {
  return {
      {"lit_texture.fx", {"base.tga"}, {}, {{0, 0, 2}, {0, 30, 0}}, Directional(-0.6f, 0, 0.8f), kQuarters,
       [](const Fragment& f, const Scene& s) {
         const float4 diffuse = ColourOutput(f, [&](const Fragment& v) {
           const float4 n = Normalize3(Mul(v.normal, s.world, 3, 3));
           return float4(0.1f, 0.1f, 0.1f, 1) + float4(std::max(0.0f, Dot3(n, -s.lightDirection)));
         });
         return Sample(kBase, f.u, f.v, kPointClamp) * diffuse;
       }},
      {"vertex_colour.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         return ColourOutput(f, [](const Fragment& v) { return v.colour * float4(1, 0.75f, 0.5f, 1); });
       }},
      {"out_parameters.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) { return Sample(kBase, f.u, f.v, kPointWrap); }},
      // No filter in its sampler: the engine's own (linear, wrapping) holds.
      {"inout_parameters.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 inverse = ColourOutput(f, [](const Fragment& v) { return WithAlpha(Invert(v.colour), v.colour[3]); });
         return Sample(kBase, f.u * 2 - 0.5f, f.v * 2 - 0.5f, {kWrap, kWrap, kLinear}) * inverse;
       }},
      {"shared_structure.fx", {"base.tga"}, {}, {}, Directional(0, -0.6f, 0.8f), kQuarters,
       [](const Fragment& f, const Scene& s) {
         const float4 diffuse = ColourOutput(f, [&](const Fragment& v) {
           const float lambert = std::max(0.0f, Dot3(Normalize3(Mul(v.normal, s.world, 3, 3)), -s.lightDirection));
           return WithAlpha(float4(0.8f, 0.7f, 0.6f, 0) * lambert + float4(0.2f), 1);
         });
         return Sample(kBase, f.u, f.v, kPointWrap) * diffuse;
       }},
      {"multiline_signature.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 colour = ColourOutput(f, [](const Fragment& v) { return v.colour * 0.5f; });
         return WithAlpha(colour + float4(0.25f, 0.125f, 0, 0), 1);
       }},
      {"uniform_passes.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 base = Saturate(Sample(kBase, f.u, f.v, kPointClamp) * float4(1, 0.5f, 1, 1));
         return BlendOver(float4(0.5f, 1, 0.75f, 1), base, kDestColor, kZero);
       }},
      {"row_major.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) { return WithAlpha(Mul(Xyz0(f.colour), kColourMix, 3, 3), 1); }},
      {"column_major.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) { return WithAlpha(Mul(kColourMix, Xyz0(f.colour), 3, 3), 1); }},
      {"pack_matrix.fx", {}, {}, {{0.25f, -0.25f, 2.5f}, {0, 20, 0}}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const Matrix toRgba = FromRows({0, 1, 0, 0.25f, 0, 0, 1, 0.25f, 1, 0, 0, 0.5f}, 4);
         return ColourOutput(f, [&](const Fragment& v) { return Mul(Xyz0(v.colour), toRgba, 3, 4); });
       }},
      {"constant_arrays.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         return ColourOutput(f, [](const Fragment& v) {
           return v.colour * float4(0.5f, 0.25f, 0.25f, 1) + float4(0, 0, 0.5f, 0.5f);
         });
       }},
      {"asm_vs11_ps11.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const Matrix colourMatrix = FromRows({0.5f, 0.25f, 0, 0, 0, 0.5f, 0.25f, 0, 0.25f, 0, 0.5f, 0, 0, 0, 0, 1}, 4);
         const float4 diffuse =
             ColourOutput(f, [&](const Fragment& v) { return M4x4(v.colour, StateRegisters(Stored(colourMatrix), 4)); });
         const float4 r0 = Sample(kBase, f.u, f.v, kPointClamp) * diffuse;
         return r0 + Ps1Constant({0.125f, 0.125f, 0, 0});
       }},
      {"asm_ps12.fx", {"base.tga", "detail.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 v0 = ColourOutput(f, PassedColour);
         const float4 t0 = Sample(kBase, f.u, f.v, kPointWrap), t1 = Sample(kDetail, 2 * f.u, 2 * f.v, kPointWrap);
         const float4 r0 = WithAlpha(2.0f * t0 * t1, v0[3]);
         const float4 r1 = Saturate(Dp3(Bx2(v0), Ps1Constant({0, 0.6f, 0.8f, 0})));
         return WithAlpha(Mad(r0, r1, Ps1Constant({0.1f, 0.1f, 0.2f, 0})), r0[3]);
       }},
      {"asm_ps13.fx", {"base.tga"}, {0, 1, 0, 1, true}, {}, kHeadOn,
       {{-0.875f, -0.75f}, {-0.875f, 0.5f}, {-0.25f, 0.25f}, {0.25f, -0.75f}, {0.75f, 0.75f}},
       [](const Fragment& f, const Scene&) {
         const float4 v0 = ColourOutput(f, PassedColour), t0 = Sample(kBase, f.u, f.v, kPointWrap);
         const float4 r0 = Lrp(Ps1Constant({0.75f, 0.5f, 0.25f, 0.4f}), t0, v0);
         float4 r1 = Bias(t0) + Bias(v0);
         r1 = WithAlpha(r1 * Invert(v0), r1[3]);
         return Cnd(r0[3], r0, r1);
       }},
      {"asm_ps14.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 mirrored = Sample(kBase, 1 - f.u, f.v, kPointClamp), plain = Sample(kBase, f.u, f.v, kPointWrap);
         return WithAlpha(Lrp(Ps1Constant(float4(0.5f)), plain, mirrored), 1);
       }},
      {"asm_vs20_ps20.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 r0 = Sample(kBase, f.u * 0.5f + 0.25f, f.v * 0.5f + 0.25f, {kClamp, kClamp, kLinear});
         const std::vector<float4> c = StateRegisters({1, 0.8f, 0.6f, 1, 1, -1, 0, 1}, 2);  // the array, one per element
         return Cmp(c[1], r0, ColourOutput(f, PassedColour)) * c[0];
       }},
      {"asm_vs11_lighting.fx", {"base.tga"}, {}, {{0, 0, 2}, {20, 35, 0}}, Directional(0.3f, -0.4f, 0.866f), kQuarters,
       [](const Fragment& f, const Scene& s) {
         const float4 diffuse = ColourOutput(f, [&](const Fragment& v) {
           const float lambert = std::max(Dot3(v.normal, -s.lightDirectionObject), 0.0f);
           return Mad(float4(lambert), {0.9f, 0.8f, 0.7f, 1}, {0.1f, 0.1f, 0.1f, 0});
         });
         return Sample(kBase, f.u, f.v, kPointWrap) * diffuse;
       }},
      {"multipass_blend.fx", {"base.tga"}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 base = Sample(kBase, f.u, f.v, kPointWrap);
         const float4 tinted = BlendOver(WithAlpha(f.colour, 0.25f), base, kSrcAlpha, kInvSrcAlpha);
         return BlendOver({0.8f, 0.9f, 1, 1}, tinted, kZero, kSrcColor);
       }},
      {"sampler_addressing.fx", {"base.tga"}, {-1, 2, -1, 2}, {}, kHeadOn,
       {{-0.9f, 0.9f}, {-0.5f, -0.2f}, {0.2f, 0.5f}, {0.6f, -0.6f}, {0.9f, -0.9f}, {0.2f, -0.9f}, {-0.9f, -0.6f}},
       [](const Fragment& f, const Scene&) {
         const float4 a = Sample(kBase, f.u, f.v, {kMirror, kClamp, kPoint});
         const float4 b = Sample(kBase, f.u, f.v, {kWrap, kBorder, kPoint, 0xFF2040FF});
         return 0.5f * (a + b);
       }},
      {"sampler_linear_wrap.fx", {"base.tga"}, {}, {}, kHeadOn,
       {{-0.9f, -0.9f}, {0.9f, 0.1f}, {0, 0}, {-0.3f, 0.85f}, {0.6f, -0.95f}},
       [](const Fragment& f, const Scene&) { return Sample(kBase, f.u, f.v, {kWrap, kWrap, kLinear}); }},
      {"detail_textures.fx", {"base.tga", "detail.tga"}, {}, {}, kHeadOn, kEighths,
       [](const Fragment& f, const Scene&) {
         return Sample(kBase, f.u, f.v, kPointClamp) * Sample(kDetail, 4 * f.u, 4 * f.v, kPointWrap) * 2.0f;
       }},
      {"point_light_specular.fx", {}, {}, {{0, 0, 2}, {0, -20, 0}}, PointLight(1.5f, 1, -1), kQuarters,
       [](const Fragment& f, const Scene& s) {
         const float4 p = Mul(f.position, s.world);
         const float4 n = WorldNormal(f, s), l = Normalize3(s.lightPosition - p), v = Normalize3(s.camera - p);
         const float4 h = Normalize3(l + v);
         const float diffuse = Saturate(Dot3(n, l));
         const float specular = std::pow(Saturate(Dot3(n, h)), 16.0f) * 0.5f;
         return WithAlpha(float4(0.6f, 0.7f, 0.8f, 0) * diffuse + float4(specular), 1);
       }},
      {"world_inverse_transpose.fx", {}, {}, {{0, 0, 3}, {0, 30, 10}, {200, 100, 100}}, Directional(0.5f, 0, 0.866f),
       kQuarters,
       [](const Fragment& f, const Scene& s) {
         auto ndotl = [&](const Fragment& v) { return Dot3(WorldNormal(v, s), -s.lightDirection); };
         const float4 diffuse =
             ColourOutput(f, [&](const Fragment& v) { return float4(1, 0.9f, 0.8f, 1) * std::max(ndotl(v), 0.0f); });
         const float4 rim =
             ColourOutput(f, [&](const Fragment& v) { return float4(0, 0, 1 - std::fabs(ndotl(v)), 1) * 0.5f; });
         return diffuse + rim;
       }},
      {"colour_saturation.fx", {}, {}, {}, kHeadOn, kQuarters,
       [](const Fragment& f, const Scene&) {
         const float4 colour = ColourOutput(f, [](const Fragment& v) { return v.colour * 2; });
         const float4 unclamped = f.colour * 2;
         return float4(colour[0] * 0.5f, unclamped[1] * 0.5f, colour[2] * 0.5f + unclamped[2] * 0.25f, 1);
       }},
  };
}

// --- Drawing ---------------------------------------------------------------------------------------
class EffectCorpusTest : public objects_test::ObjectModuleTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    const char* source = std::getenv("QEL_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "run through ctest, which names the source folder";
    corpus_ = std::filesystem::path(source) / "tests/engine/objects/effects/corpus/fx";
    start_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() / ("qel_effect_corpus_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    std::filesystem::remove_all(folder_);
    ObjectModuleTest::TearDown();
  }

  // The model of the case in the current folder (its effect file and textures beside it), loaded.
  MeshRecord* LoadCase(const Case& c) const {
    std::filesystem::copy_file(corpus_ / c.file, c.file, std::filesystem::copy_options::overwrite_existing);
    WriteTga("base.tga", kBase);
    WriteTga("detail.tga", kDetail);
    effect_test::WriteModelFile(MakeQuadModel(c.quad, c.file, c.stages).get(), "model.kvo");
    if (LoadObject("model.kvo", kModel) != 1) return nullptr;
    const Placement& p = c.placement;
    PositionObject(kModel, p.position.x, p.position.y, p.position.z);
    RotateObject(kModel, p.angles.x, p.angles.y, p.angles.z);
    ScaleObject(kModel, p.scale.x, p.scale.y, p.scale.z);
    PositionCameraById(0, 0, 0, -1);
    SetCameraRotation(0, 0, 0, 0);
    GetDirect3DDevice()->SetLight(0, &c.light);
    GetDirect3DDevice()->LightEnable(0, 1);
    return FirstMesh(kModel);
  }

  // What the compiler says about a file the engine would not load, for the failure message.
  static std::string CompileMessages(const char* file) {
    dx::Effect* effect = nullptr;
    std::string errors;
    dx::CreateEffectFromFile(GetDirect3DDevice(), file, &effect, &errors);
    if (effect) effect->Release();
    return errors;
  }

  std::filesystem::path corpus_, start_, folder_;
};

TEST_P(EffectCorpusTest, DrawsTheColoursDirect3D9Gives) {
  const Case& c = GetParam();
  MeshRecord* mesh = LoadCase(c);
  ASSERT_NE(mesh, nullptr) << c.file << ": the model did not load";
  ASSERT_TRUE(mesh->effect && mesh->effect->effect) << c.file << " was not taken:\n" << CompileMessages(c.file);

  const std::vector<uint32_t> pixels = effect_test::DrawObjectFrame(core_->backBufferSurface);
  ASSERT_EQ(pixels.size(), size_t(kWidth) * kHeight);
  const Scene scene = Scene::Read(Object(kModel)->root->worldMatrix);
  for (const auto& [qx, qy] : c.points) {
    int i = 0, j = 0;
    scene.PixelOf(qx, qy, &i, &j);
    ASSERT_TRUE(i >= 0 && i < kWidth && j >= 0 && j < kHeight) << c.file << " point " << qx << "," << qy;
    float x = 0, y = 0;
    scene.QuadPointAt(i, j, &x, &y);
    const uint32_t expected = ToTarget(c.colour(At(c.quad, x, y), scene)) & 0xFFFFFF;
    const uint32_t actual = pixels[size_t(j) * kWidth + size_t(i)] & 0xFFFFFF;
    int worst = 0;
    for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(int((actual >> shift) & 255) - int((expected >> shift) & 255)));
    EXPECT_LE(worst, 3) << c.file << " at (" << qx << ", " << qy << "), pixel " << i << "," << j << std::hex
                        << ": expected " << expected << ", drawn " << actual;
  }
  DeleteObject(kModel);
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.file; }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name = info.param.file;
  name = name.substr(0, name.find('.'));
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, EffectCorpusTest, ::testing::ValuesIn(Corpus()), CaseName);

}  // namespace
