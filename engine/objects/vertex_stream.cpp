// The vertex-stream converter. Streams are reached by their place in the lists, looked up again by
// name, because appending a stream to the output may move the others.
#include "engine/objects/vertex_stream.h"

#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "platform/d3dx/math_vector.h"

namespace dx = platform::d3dx;
using platform::gfx::Vector3;

namespace {

using NameMap = std::map<std::string, size_t>;

float DotProduct3(const Vector3& a, const Vector3& b) { return a.z * b.z + a.y * b.y + a.x * b.x; }
Vector3 CrossProduct3(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Axis(const Vector3& v, int k) { return k == 0 ? v.x : k == 1 ? v.y : v.z; }

// Triple i of a float stream.
Vector3 Get(const VertexAttribute& s, size_t i) { return {s.floats[i * 3], s.floats[i * 3 + 1], s.floats[i * 3 + 2]}; }
void Put(VertexAttribute& s, size_t i, const Vector3& v) {
  s.floats[i * 3] = v.x;
  s.floats[i * 3 + 1] = v.y;
  s.floats[i * 3 + 2] = v.z;
}

// The working state of one run.
struct Run {
  std::vector<VertexAttribute>& out;
  NameMap outNames;
  std::vector<std::set<uint32_t>> partners;

  VertexAttribute& Stream(const char* name) { return out[outNames.at(name)]; }
  bool Has(const char* name) const { return outNames.count(name) != 0; }
  size_t VertexCount() { return Stream("position").floats.size() / 3; }
  std::vector<int32_t>& Indices() { return Stream("indices").ints; }

  VertexAttribute& Append(const char* name) {
    out.push_back(VertexAttribute{name, {}, {}});
    outNames[name] = out.size() - 1;
    return out.back();
  }
  // Every float stream but the one named `except` (none when null) gets vertex v's triple appended.
  void AppendVertex(uint32_t v, const char* except) {
    for (auto& [name, place] : outNames) {
      if (name == "indices" || (except && name == except)) continue;
      VertexAttribute& s = out[place];
      const Vector3 triple = Get(s, v);
      s.floats.insert(s.floats.end(), {triple.x, triple.y, triple.z});
    }
  }
};

void GenerateNormals(Run& run, bool unitFaceNormals) {
  if (!run.Has("normal")) run.Append("normal");
  VertexAttribute& normal = run.Stream("normal");
  const VertexAttribute& position = run.Stream("position");
  normal.floats.assign(position.floats.size(), 0.0f);
  const std::vector<int32_t>& idx = run.Indices();
  for (size_t f = 0; f + 2 < idx.size(); f += 3) {
    const Vector3 p0 = Get(position, idx[f]);
    const Vector3 e1 = dx::Vec3Normalize(dx::Vec3Subtract(Get(position, idx[f + 1]), p0));
    const Vector3 e2 = dx::Vec3Normalize(dx::Vec3Subtract(Get(position, idx[f + 2]), p0));
    Vector3 n = CrossProduct3(e1, e2);
    if (unitFaceNormals) n = dx::Vec3Normalize(n);
    for (int c = 0; c < 3; ++c) Put(normal, idx[f + c], dx::Vec3Add(Get(normal, idx[f + c]), n));
  }
  for (size_t v = 0; v < normal.floats.size() / 3; ++v) Put(normal, v, dx::Vec3Normalize(Get(normal, v)));
}

// Coordinates around a cylinder along the mesh's longest extent.
void CylindricalCoordinates(VertexAttribute& tex) {
  const size_t n = size_t(float(tex.floats.size()) * 0.33333334f);
  float lo[3] = {3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
  float hi[3] = {-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};
  for (size_t v = 0; v < n; ++v) {
    for (int k = 0; k < 3; ++k) {
      const float c = tex.floats[v * 3 + k];
      if (!(c < hi[k])) hi[k] = c;
      if (!(c > lo[k])) lo[k] = c;
    }
  }
  float extent[3], centre[3];
  for (int k = 0; k < 3; ++k) {
    extent[k] = std::fabs(hi[k] - lo[k]);
    centre[k] = (lo[k] + hi[k]) * 0.5f;
  }
  int axis, across;
  if (extent[0] >= extent[1] && extent[0] >= extent[2]) {
    axis = 0;
    across = extent[1] <= extent[2] ? 2 : 1;
  } else if (extent[2] >= extent[1] && extent[2] >= extent[0]) {
    axis = 2;
    across = extent[1] <= extent[0] ? 0 : 1;
  } else {
    axis = 1;
    across = extent[0] <= extent[2] ? 2 : 0;
  }
  const int side = 3 - axis - across;
  for (size_t v = 0; v < n; ++v) {
    float d[3];
    for (int k = 0; k < 3; ++k) d[k] = centre[k] - tex.floats[v * 3 + k];
    float a = d[across];
    if (std::fabs(a) < 0.0001f) a = a < 0 ? -0.0001f : 0.0001f;
    const double angle = std::atan2(double(d[side]), double(a));
    float u = float((angle * 0.31830988614222805 + 1.0) * 0.5);
    float w = d[axis] / extent[axis] + 0.5f;
    // Comparisons written so that a flat mesh's not-a-number ends at 0.
    if (!(u > 0.0f)) u = 0.0f; else if (!(u < 1.0f)) u = 1.0f;
    if (!(w > 0.0f)) w = 0.0f; else if (!(w < 1.0f)) w = 1.0f;
    float shifted = u - 0.25f;
    if (shifted < 0.0f) shifted += 1.0f;
    Put(tex, v, {shifted, 1.0f - w, 1.0f});
  }
}

// Corners across a seam of more than half the texture: the lower one is duplicated one unit on.
void RepairWrappedSeams(Run& run) {
  const size_t indexCount = run.Indices().size();
  for (size_t f = 0; f + 2 < indexCount; f += 3) {
    for (int component = 0; component < 2; ++component) {
      for (int e = 0; e < 3; ++e) {
        const size_t ca = f + size_t(e), cb = f + size_t((e + 1) % 3);
        VertexAttribute& tex = run.Stream("tex0");
        const float a = tex.floats[size_t(run.Indices()[ca]) * 3 + component];
        const float b = tex.floats[size_t(run.Indices()[cb]) * 3 + component];
        if (std::fabs(double(a) - double(b)) < 0.5) continue;
        const size_t corner = a < b ? ca : cb;
        const uint32_t old = uint32_t(run.Indices()[corner]);
        const uint32_t fresh = uint32_t(tex.floats.size() / 3);
        Vector3 moved = Get(tex, old);
        (component == 0 ? moved.x : moved.y) += 1.0f;
        run.AppendVertex(old, "tex0");
        tex.floats.insert(tex.floats.end(), {moved.x, moved.y, moved.z});
        run.partners.emplace_back();
        run.partners[old].insert(fresh);
        run.partners[fresh].insert(old);
        run.Indices()[corner] = int32_t(fresh);
      }
    }
  }
}

struct FaceFrame {
  Vector3 tangent, binormal, normal;
};

FaceFrame FaceTangentFrame(Run& run, size_t f) {
  const VertexAttribute& position = run.Stream("position");
  const VertexAttribute& tex = run.Stream("tex0");
  const std::vector<int32_t>& idx = run.Indices();
  const Vector3 p0 = Get(position, idx[f]), p1 = Get(position, idx[f + 1]), p2 = Get(position, idx[f + 2]);
  const Vector3 t0 = Get(tex, idx[f]), t1 = Get(tex, idx[f + 1]), t2 = Get(tex, idx[f + 2]);
  float t[3], b[3];
  for (int k = 0; k < 3; ++k) {
    const Vector3 P{Axis(p1, k) - Axis(p0, k), t1.x - t0.x, t1.y - t0.y};
    const Vector3 R{Axis(p2, k) - Axis(p0, k), t2.x - t0.x, t2.y - t0.y};
    const Vector3 Q = CrossProduct3(P, R);
    const bool solvable = std::fabs(double(Q.x)) > 0.000001;
    t[k] = solvable ? -Q.y / Q.x : 0.0f;
    b[k] = solvable ? -Q.z / Q.x : 0.0f;
  }
  FaceFrame frame;
  frame.tangent = dx::Vec3Normalize({t[0], t[1], t[2]});
  frame.binormal = dx::Vec3Normalize({b[0], b[1], b[2]});
  frame.normal = dx::Vec3Normalize(CrossProduct3(frame.tangent, frame.binormal));
  return frame;
}

// Edges whose two faces' frames differ by more than the crease angle get their own two vertices.
void SplitCreaseEdges(Run& run, size_t f, const std::vector<FaceFrame>& frames,
                      std::map<std::pair<int32_t, int32_t>, size_t>& edges, float cosCrease) {
  for (int e = 0; e < 3; ++e) {
    const size_t ca = f + size_t(e), cb = f + size_t((e + 1) % 3);
    const int32_t a = run.Indices()[ca], b = run.Indices()[cb];
    const std::pair<int32_t, int32_t> key{std::min(a, b), std::max(a, b)};
    const auto found = edges.find(key);
    if (found == edges.end()) {
      edges[key] = f / 3;
      continue;
    }
    const FaceFrame& mine = frames[f / 3];
    const FaceFrame& theirs = frames[found->second];
    if (std::fabs(DotProduct3(mine.tangent, theirs.tangent)) >= cosCrease &&
        std::fabs(DotProduct3(mine.binormal, theirs.binormal)) >= cosCrease &&
        std::fabs(DotProduct3(mine.normal, theirs.normal)) >= cosCrease)
      continue;
    const int32_t fresh = int32_t(run.VertexCount());
    run.AppendVertex(uint32_t(a), nullptr);
    run.AppendVertex(uint32_t(b), nullptr);
    run.partners.emplace_back();
    run.partners.emplace_back();
    run.Indices()[ca] = fresh;
    run.Indices()[cb] = fresh + 1;
  }
}

void GenerateTangentFrames(Run& run, bool splitCreases, bool repairWrap, float creaseAngle) {
  for (const char* name : {"tangent", "binormal"}) {
    if (!run.Has(name)) run.Append(name).floats = run.Stream("position").floats;
  }
  std::vector<FaceFrame> frames;
  std::map<std::pair<int32_t, int32_t>, size_t> edges;
  const float cosCrease = std::cos(creaseAngle);
  const size_t indexCount = run.Indices().size();
  for (size_t f = 0; f + 2 < indexCount; f += 3) {
    frames.push_back(FaceTangentFrame(run, f));
    if (splitCreases) SplitCreaseEdges(run, f, frames, edges, cosCrease);
  }

  const size_t vertices = run.VertexCount();
  std::vector<Vector3> tangentSums(vertices, Vector3{0, 0, 0}), binormalSums(vertices, Vector3{0, 0, 0});
  const std::vector<int32_t>& idx = run.Indices();
  for (size_t f = 0; f + 2 < indexCount; f += 3) {
    for (int c = 0; c < 3; ++c) {
      tangentSums[idx[f + c]] = dx::Vec3Add(tangentSums[idx[f + c]], frames[f / 3].tangent);
      binormalSums[idx[f + c]] = dx::Vec3Add(binormalSums[idx[f + c]], frames[f / 3].binormal);
    }
  }
  if (repairWrap) {
    for (size_t i = 0; i < vertices; ++i) {
      for (uint32_t j : run.partners[i]) {
        tangentSums[i] = dx::Vec3Add(tangentSums[i], tangentSums[j]);
        binormalSums[i] = dx::Vec3Add(binormalSums[i], binormalSums[j]);
      }
    }
  }
  VertexAttribute& tangent = run.Stream("tangent");
  VertexAttribute& binormal = run.Stream("binormal");
  for (size_t i = 0; i < vertices; ++i) {
    Put(tangent, i, dx::Vec3Normalize(tangentSums[i]));
    Put(binormal, i, dx::Vec3Normalize(binormalSums[i]));
  }
}

}  // namespace

bool VertexStreamConverter::Fail(std::string message) {
  messages_.push_back(std::move(message));
  return false;
}

bool VertexStreamConverter::ConvertVertexStreams(const std::vector<VertexAttribute>& input,
                                                 std::vector<VertexAttribute>& output, float creaseAngle,
                                                 const platform::gfx::Matrix* textureMatrix, int creaseOption,
                                                 int wrapOption, int normalOption) {
  NameMap inNames;
  for (size_t i = 0; i < input.size(); ++i) inNames[input[i].name] = i;
  Run run{output, {}, {}};
  for (size_t j = 0; j < output.size(); ++j) {
    output[j].ints.clear();
    output[j].floats.clear();
    run.outNames[output[j].name] = j;
  }
  for (VertexAttribute& stream : output) {
    const auto found = inNames.find(stream.name);
    if (found != inNames.end()) stream = input[found->second];
  }
  if (!inNames.count("indices")) return Fail("Missing indices from input");
  if (!run.Has("indices")) return Fail("Missing indices from output");
  if (!inNames.count("position")) return Fail("Missing position from input");
  if (!run.Has("position")) return Fail("Missing position from output");

  const size_t vertices = run.VertexCount();
  run.partners.assign(vertices, {});
  const size_t positionPlace = run.outNames["position"];
  for (size_t j = 0; j < output.size(); ++j) {
    if (output[j].name != "indices" && j != positionPlace && output[j].floats.empty())
      output[j].floats = output[positionPlace].floats;
  }
  // What the caller hands over is checked before any of it is used to reach a vertex.
  for (int32_t i : run.Indices()) {
    if (i < 0 || size_t(i) >= vertices) return Fail("Index outside the vertices");
  }
  for (const auto& [name, place] : run.outNames) {
    if (name != "indices" && output[place].floats.size() != vertices * 3)
      return Fail("Stream " + name + " does not hold three floats per vertex");
  }

  const bool wantTex = run.Has("tex0");
  const bool wantFrame = run.Has("tangent") || run.Has("binormal");
  const bool wantNormals = run.Has("normal") || wantFrame;
  if (wantNormals && !inNames.count("normal")) GenerateNormals(run, normalOption == UnitFaceNormals);
  if (wantTex || wantFrame) {
    if (!inNames.count("tex0")) {
      if (!run.Has("tex0")) run.Append("tex0");
      run.Stream("tex0").floats = run.Stream("position").floats;
      CylindricalCoordinates(run.Stream("tex0"));
    }
    if (wrapOption == RepairWrap) RepairWrappedSeams(run);
    if (textureMatrix) {
      VertexAttribute& tex = run.Stream("tex0");
      for (size_t v = 0; v < tex.floats.size() / 3; ++v) Put(tex, v, dx::Vec3TransformCoord(Get(tex, v), *textureMatrix));
    }
  }
  if (wantFrame) GenerateTangentFrames(run, creaseOption == SplitCreases, wrapOption == RepairWrap, creaseAngle);
  return true;
}
