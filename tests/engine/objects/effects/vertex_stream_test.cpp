// The vertex-stream converter on hand-made streams: tangent frames of a quad and a cube, generated
// normals and cylindrical coordinates, seam repair, crease splitting and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/objects/vertex_stream.h"
#include "platform/d3dx/math_matrix.h"

namespace {

using platform::gfx::Vector3;

constexpr float kCrease = 1.0471976f;

VertexAttribute Floats(const char* name, std::vector<float> floats) { return {name, {}, std::move(floats)}; }
VertexAttribute Ints(const char* name, std::vector<int32_t> ints) { return {name, std::move(ints), {}}; }
VertexAttribute Empty(const char* name) { return {name, {}, {}}; }

const VertexAttribute& Find(const std::vector<VertexAttribute>& streams, const std::string& name) {
  for (const VertexAttribute& s : streams)
    if (s.name == name) return s;
  static const VertexAttribute none;
  ADD_FAILURE() << "no stream " << name;
  return none;
}

Vector3 Triple(const VertexAttribute& s, size_t i) { return {s.floats[i * 3], s.floats[i * 3 + 1], s.floats[i * 3 + 2]}; }

void ExpectTriple(const VertexAttribute& s, size_t i, Vector3 expected, const std::string& what,
                  float tolerance = 1e-5f) {
  const Vector3 got = Triple(s, i);
  EXPECT_NEAR(got.x, expected.x, tolerance) << what << " " << i;
  EXPECT_NEAR(got.y, expected.y, tolerance) << what << " " << i;
  EXPECT_NEAR(got.z, expected.z, tolerance) << what << " " << i;
}

// The unit quad in the x-y plane, u along +x and v along +y.
std::vector<VertexAttribute> QuadInput(bool withTex = true) {
  std::vector<VertexAttribute> in = {Floats("position", {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}),
                                     Ints("indices", {0, 1, 2, 0, 2, 3})};
  if (withTex) in.push_back(Floats("tex0", {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
  return in;
}

std::vector<VertexAttribute> FrameOutput() {
  return {Empty("position"), Empty("indices"), Empty("tex0"), Empty("normal"), Empty("tangent"), Empty("binormal")};
}

TEST(VertexStreams, AFlatQuadHasOneTangentFrameAlongItsTextureAxes) {
  VertexStreamConverter converter;
  std::vector<VertexAttribute> out = FrameOutput();
  ASSERT_TRUE(converter.ConvertVertexStreams(QuadInput(), out, kCrease, nullptr, KeepCreases, KeepWrap,
                                             UnitFaceNormals));
  for (size_t v = 0; v < 4; ++v) {
    ExpectTriple(Find(out, "tangent"), v, {1, 0, 0}, "tangent");
    ExpectTriple(Find(out, "binormal"), v, {0, 1, 0}, "binormal");
    ExpectTriple(Find(out, "normal"), v, {0, 0, 1}, "generated normal");
  }
  // What came in goes out as it was.
  const std::vector<VertexAttribute> in = QuadInput();
  EXPECT_EQ(Find(out, "indices").ints, in[1].ints);
  EXPECT_EQ(Find(out, "position").floats, in[0].floats);
  EXPECT_EQ(Find(out, "tex0").floats, in[2].floats);
  EXPECT_TRUE(converter.Messages().empty());
}

TEST(VertexStreams, EachCubeFaceTakesItsOwnTextureAxes) {
  // Six faces of four vertices each: corner (s, t) sits at origin + s x uAxis + t x vAxis.
  const struct { Vector3 origin, uAxis, vAxis; } faces[] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},  {{1, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}},
  };
  std::vector<VertexAttribute> in = {Empty("position"), Empty("indices"), Empty("tex0")};
  const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int f = 0; f < 6; ++f) {
    for (const auto& c : st) {
      const auto& face = faces[f];
      in[0].floats.insert(in[0].floats.end(), {face.origin.x + c[0] * face.uAxis.x + c[1] * face.vAxis.x,
                                               face.origin.y + c[0] * face.uAxis.y + c[1] * face.vAxis.y,
                                               face.origin.z + c[0] * face.uAxis.z + c[1] * face.vAxis.z});
      in[2].floats.insert(in[2].floats.end(), {c[0], c[1], 0});
    }
    const int b = f * 4;
    in[1].ints.insert(in[1].ints.end(), {b, b + 1, b + 2, b, b + 2, b + 3});
  }
  VertexStreamConverter converter;
  std::vector<VertexAttribute> out = FrameOutput();
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, KeepWrap, WeightFaceNormals));
  ASSERT_EQ(Find(out, "tangent").floats.size(), 72u);
  for (int f = 0; f < 6; ++f) {
    for (int k = 0; k < 4; ++k) {
      ExpectTriple(Find(out, "tangent"), size_t(f * 4 + k), faces[f].uAxis, "tangent of face " + std::to_string(f));
      ExpectTriple(Find(out, "binormal"), size_t(f * 4 + k), faces[f].vAxis, "binormal of face " + std::to_string(f));
    }
  }
}

TEST(VertexStreams, FailuresSayWhatIsMissingOnce) {
  const struct {
    std::vector<VertexAttribute> in, out;
    const char* message;
  } cases[] = {
      {{Floats("position", {0, 0, 0})}, {Empty("position"), Empty("indices")}, "Missing indices from input"},
      {QuadInput(), {Empty("position")}, "Missing indices from output"},
      {{Ints("indices", {0, 1, 2})}, {Empty("position"), Empty("indices")}, "Missing position from input"},
      {QuadInput(), {Empty("indices")}, "Missing position from output"},
      {{Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0}), Ints("indices", {0, 1, 3})}, FrameOutput(),
       "Index outside the vertices"},
      {{Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0}), Ints("indices", {0, 1, -1})}, FrameOutput(),
       "Index outside the vertices"},
      {{Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0}), Ints("indices", {0, 1, 2}), Floats("tex0", {0, 0, 0})},
       FrameOutput(), "Stream tex0 does not hold three floats per vertex"},
  };
  for (auto c : cases) {
    VertexStreamConverter converter;
    EXPECT_FALSE(converter.ConvertVertexStreams(c.in, c.out, kCrease, nullptr, KeepCreases, KeepWrap, UnitFaceNormals));
    ASSERT_EQ(converter.Messages().size(), 1u) << c.message;
    EXPECT_EQ(converter.Messages()[0], c.message);
  }
}

TEST(VertexStreams, GivenNormalsPassUnchangedAndFaceNormalsAreWeightedByTheFirstCornersAngle) {
  std::vector<VertexAttribute> in = QuadInput();
  in.push_back(Floats("normal", std::vector<float>(12, 0.0f)));
  std::vector<VertexAttribute> out = FrameOutput();
  VertexStreamConverter converter;
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, KeepWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "normal").floats, std::vector<float>(12, 0.0f));

  // Two triangles meeting at vertex 0, one in the x-y plane and one in the x-z plane: weighted, the
  // 90-degree corner counts fully and the 45-degree corner by sin 45.
  const std::vector<VertexAttribute> bent = {
      Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, -1}), Ints("indices", {0, 1, 2, 0, 3, 1})};
  for (int option : {WeightFaceNormals, UnitFaceNormals}) {
    std::vector<VertexAttribute> normals = {Empty("position"), Empty("indices"), Empty("normal")};
    ASSERT_TRUE(converter.ConvertVertexStreams(bent, normals, kCrease, nullptr, KeepCreases, KeepWrap, option));
    // Face 0: (1,0,0) x (0,1,0) = (0,0,1); face 1: (1,0,-1)/sqrt2 x (1,0,0) = (0,-1,0)/sqrt2.
    const float second = option == WeightFaceNormals ? std::sqrt(0.5f) : 1.0f;
    const float length = std::sqrt(1 + second * second);
    ExpectTriple(Find(normals, "normal"), 0, {0, -second / length, 1 / length}, "vertex 0");
  }
}

TEST(VertexStreams, MissingCoordinatesAreWrappedAroundTheLongestAxis) {
  const std::vector<VertexAttribute> in = {
      Floats("position", {0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, -2, 0, 0, 2, 0, 0}),
      Ints("indices", {0, 2, 4, 1, 3, 5})};
  std::vector<VertexAttribute> out = {Empty("position"), Empty("indices"), Empty("tex0")};
  VertexStreamConverter converter;
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, KeepWrap, UnitFaceNormals));
  // Axis x (extent 4), across z, side y; u a quarter turn on, v down the axis. Points on the axis
  // (across 0, taken as 0.0001) sit at angle 0.
  const Vector3 expected[] = {{0.0f, 0.5f, 1}, {0.5f, 0.5f, 1}, {0.75f, 0.5f, 1},
                              {0.25f, 0.5f, 1}, {0.25f, 0.0f, 1}, {0.25f, 1.0f, 1}};
  for (size_t v = 0; v < 6; ++v) ExpectTriple(Find(out, "tex0"), v, expected[v], "cylindrical", 1e-4f);

  // A texture matrix then moves every coordinate.
  const platform::gfx::Matrix scale = platform::d3dx::MatrixScaling(2, 1, 1);
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, &scale, KeepCreases, KeepWrap, UnitFaceNormals));
  ExpectTriple(Find(out, "tex0"), 3, {0.5f, 0.5f, 1}, "scaled");
}

TEST(VertexStreams, ASeamAcrossTheTextureEdgeGetsOneMovedVertex) {
  const std::vector<VertexAttribute> in = {Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0}),
                                           Ints("indices", {0, 1, 2}),
                                           Floats("tex0", {0.9f, 0, 0, 0.1f, 0, 0, 0.95f, 0.3f, 0}),
                                           Floats("extra", {1, 2, 3, 4, 5, 6, 7, 8, 9})};
  std::vector<VertexAttribute> out = FrameOutput();
  out.push_back(Empty("extra"));
  VertexStreamConverter converter;
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, RepairWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "indices").ints, (std::vector<int32_t>{0, 3, 2}));
  ASSERT_EQ(Find(out, "position").floats.size(), 12u);
  ExpectTriple(Find(out, "tex0"), 3, {1.1f, 0, 0}, "moved coordinate");
  ExpectTriple(Find(out, "position"), 3, {1, 0, 0}, "duplicated position");
  ExpectTriple(Find(out, "extra"), 3, {4, 5, 6}, "carried stream");
  // Partners share their sums: the old vertex ends with the same frame as the new one.
  ExpectTriple(Find(out, "tangent"), 1, Triple(Find(out, "tangent"), 3), "partner tangent");

  // Without the repair nothing is added.
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, KeepWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "position").floats.size(), 9u);
}

TEST(VertexStreams, ACreaseSharperThanTheAngleSplitsTheLaterFace) {
  // Face 0 in the x-y plane and face 1 in the x-z plane share the edge 0-1; their normals stand at a
  // right angle, their tangents agree.
  const std::vector<VertexAttribute> in = {Floats("position", {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}),
                                           Ints("indices", {0, 1, 2, 0, 1, 3}),
                                           Floats("tex0", {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0})};
  VertexStreamConverter converter;
  std::vector<VertexAttribute> out = FrameOutput();
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, SplitCreases, KeepWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "indices").ints, (std::vector<int32_t>{0, 1, 2, 4, 5, 3}));
  ASSERT_EQ(Find(out, "position").floats.size(), 18u);
  ExpectTriple(Find(out, "position"), 4, {0, 0, 0}, "copy of vertex 0");
  ExpectTriple(Find(out, "position"), 5, {1, 0, 0}, "copy of vertex 1");
  ExpectTriple(Find(out, "binormal"), 0, {0, 1, 0}, "face 0 keeps its frame");
  ExpectTriple(Find(out, "binormal"), 4, {0, 0, 1}, "face 1 has its own");

  // Kept creases, or a crease wider than the angle, change no count.
  out = FrameOutput();
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, kCrease, nullptr, KeepCreases, KeepWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "position").floats.size(), 12u);
  ASSERT_TRUE(converter.ConvertVertexStreams(in, out, 1.6f, nullptr, SplitCreases, KeepWrap, UnitFaceNormals));
  EXPECT_EQ(Find(out, "position").floats.size(), 12u);
}

}  // namespace
