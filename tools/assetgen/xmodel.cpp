#include "tools/assetgen/xmodel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

std::string Number(double v) {
  if (std::abs(v) < 5e-7) v = 0;  // no "-0" or denormal noise in the file
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", v);
  // Trim trailing zeros, keeping one digit after the point.
  std::string s = text;
  while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}

struct Quaternion {
  double x, y, z, w;
};

// The rotation matrix of turning about x, then y, then z (row vectors), as a quaternion in the
// convention whose matrix the engine builds.
Quaternion QuaternionOf(Vec3 degrees) {
  const Vec3 rx = RotateXYZ({1, 0, 0}, degrees), ry = RotateXYZ({0, 1, 0}, degrees), rz = RotateXYZ({0, 0, 1}, degrees);
  const double m[3][3] = {{rx.x, rx.y, rx.z}, {ry.x, ry.y, ry.z}, {rz.x, rz.y, rz.z}};
  const double trace = m[0][0] + m[1][1] + m[2][2];
  Quaternion q;
  if (trace > 0) {
    const double s = std::sqrt(trace + 1) * 2;
    q = {(m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, s / 4};
  } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
    const double s = std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]) * 2;
    q = {s / 4, (m[0][1] + m[1][0]) / s, (m[2][0] + m[0][2]) / s, (m[1][2] - m[2][1]) / s};
  } else if (m[1][1] > m[2][2]) {
    const double s = std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]) * 2;
    q = {(m[0][1] + m[1][0]) / s, s / 4, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
  } else {
    const double s = std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]) * 2;
    q = {(m[2][0] + m[0][2]) / s, (m[1][2] + m[2][1]) / s, s / 4, (m[0][1] - m[1][0]) / s};
  }
  return q;
}

class Writer {
 public:
  explicit Writer(const XModel& model) : model_(model) {}

  std::string Run() {
    text_ = "xof 0303txt 0032\n\n";
    WriteFrame(model_.root, 0);
    WriteAnimation();
    return text_;
  }

 private:
  void Line(int depth, const std::string& line) { text_ += std::string(size_t(depth) * 2, ' ') + line + "\n"; }

  void WriteFrame(const XFrame& frame, int depth) {
    Line(depth, "Frame " + frame.name + " {");
    Line(depth + 1, "FrameTransformMatrix {");
    Line(depth + 2, "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0," + Number(frame.offset.x) + "," +
                        Number(frame.offset.y) + "," + Number(frame.offset.z) + ",1.0;;");
    Line(depth + 1, "}");
    if (!frame.mesh.triangles().empty()) WriteMesh(frame.mesh, frame.name + "Mesh", depth + 1);
    for (const auto& child : frame.children) WriteFrame(*child, depth + 1);
    Line(depth, "}");
  }

  // A count and that many vectors, the last closed with ";".
  template <typename VectorAt>
  void WriteVectors(int depth, size_t count, VectorAt at) {
    Line(depth, std::to_string(count) + ";");
    for (size_t i = 0; i < count; ++i) {
      const Vec3 v = at(i);
      Line(depth, Number(v.x) + ";" + Number(v.y) + ";" + Number(v.z) + ";" + (i + 1 < count ? "," : ";"));
    }
  }

  void WriteMesh(const Mesh& mesh, const std::string& name, int depth) {
    const auto& vertices = mesh.vertices();
    const auto& triangles = mesh.triangles();
    Line(depth, "Mesh " + name + " {");
    WriteVectors(depth + 1, vertices.size(), [&](size_t i) { return vertices[i].position; });
    WriteFaces(triangles, depth + 1);
    Line(depth + 1, "MeshNormals {");
    WriteVectors(depth + 2, vertices.size(), [&](size_t i) { return vertices[i].normal; });
    WriteFaces(triangles, depth + 2);
    Line(depth + 1, "}");
    Line(depth + 1, "MeshTextureCoords {");
    Line(depth + 2, std::to_string(vertices.size()) + ";");
    for (size_t i = 0; i < vertices.size(); ++i)
      Line(depth + 2, Number(vertices[i].u) + ";" + Number(vertices[i].v) + ";" + (i + 1 < vertices.size() ? "," : ";"));
    Line(depth + 1, "}");
    // The mesh's own list holds only the materials its triangles use.
    std::map<int, int> local;
    for (const auto& t : triangles) local.emplace(t.material, 0);
    int next = 0;
    for (auto& [material, index] : local) index = next++;
    Line(depth + 1, "MeshMaterialList {");
    Line(depth + 2, std::to_string(local.size()) + ";");
    Line(depth + 2, std::to_string(triangles.size()) + ";");
    for (size_t i = 0; i < triangles.size(); ++i)
      Line(depth + 2, std::to_string(local[triangles[i].material]) + (i + 1 < triangles.size() ? "," : ";"));
    for (const auto& [material, index] : local) WriteMaterial(model_.materials.at(size_t(material)), depth + 2);
    Line(depth + 1, "}");
    Line(depth, "}");
  }

  void WriteFaces(const std::vector<Mesh::Triangle>& triangles, int depth) {
    Line(depth, std::to_string(triangles.size()) + ";");
    for (size_t i = 0; i < triangles.size(); ++i) {
      const auto& c = triangles[i].corner;
      Line(depth, "3;" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + ";" +
                      (i + 1 < triangles.size() ? "," : ";"));
    }
  }

  void WriteMaterial(const XMaterial& m, int depth) {
    Line(depth, "Material {");
    Line(depth + 1, Number(m.diffuse[0]) + ";" + Number(m.diffuse[1]) + ";" + Number(m.diffuse[2]) + ";" +
                        Number(m.diffuse[3]) + ";;");
    Line(depth + 1, Number(m.power) + ";");
    Line(depth + 1, Number(m.specular[0]) + ";" + Number(m.specular[1]) + ";" + Number(m.specular[2]) + ";;");
    Line(depth + 1, Number(m.emissive[0]) + ";" + Number(m.emissive[1]) + ";" + Number(m.emissive[2]) + ";;");
    if (!m.texture.empty()) Line(depth + 1, "TextureFilename { \"" + m.texture + "\"; }");
    Line(depth, "}");
  }

  void CollectAnimated(const XFrame& frame, std::vector<const XFrame*>& out) {
    const XKeys& k = frame.keys;
    if (!k.rotation.empty() || !k.scale.empty() || !k.position.empty()) out.push_back(&frame);
    for (const auto& child : frame.children) CollectAnimated(*child, out);
  }

  void WriteAnimation() {
    std::vector<const XFrame*> animated;
    CollectAnimated(model_.root, animated);
    if (animated.empty()) return;
    Line(0, "AnimationSet " + model_.animation + " {");
    for (const XFrame* frame : animated) {
      Line(1, "Animation {");
      Line(2, "{" + frame->name + "}");
      const XKeys& k = frame->keys;
      if (!k.rotation.empty()) WriteRotationKeys(k.rotation);
      if (!k.scale.empty()) WriteVectorKeys(1, k.scale);
      // Keys replace the frame's whole transform, so an animated frame keeps its place by a key.
      WriteVectorKeys(2, k.position.empty() ? std::vector<std::pair<int, Vec3>>{{0, frame->offset}} : k.position);
      Line(1, "}");
    }
    Line(0, "}");
  }

  void WriteRotationKeys(const std::vector<std::pair<int, Vec3>>& keys) {
    Line(2, "AnimationKey {");
    Line(3, "0;");
    Line(3, std::to_string(keys.size()) + ";");
    Quaternion previous{0, 0, 0, 1};
    for (size_t i = 0; i < keys.size(); ++i) {
      Quaternion q = QuaternionOf(keys[i].second);
      // Neighbouring keys on the same side, so each step turns the short way.
      if (q.x * previous.x + q.y * previous.y + q.z * previous.z + q.w * previous.w < 0) q = {-q.x, -q.y, -q.z, -q.w};
      previous = q;
      // The file keeps w first and turns the other way round.
      Line(3, std::to_string(keys[i].first) + ";4;" + Number(q.w) + "," + Number(-q.x) + "," + Number(-q.y) + "," +
                  Number(-q.z) + ";;" + (i + 1 < keys.size() ? "," : ";"));
    }
    Line(2, "}");
  }

  void WriteVectorKeys(int type, const std::vector<std::pair<int, Vec3>>& keys) {
    Line(2, "AnimationKey {");
    Line(3, std::to_string(type) + ";");
    Line(3, std::to_string(keys.size()) + ";");
    for (size_t i = 0; i < keys.size(); ++i) {
      const Vec3 v = keys[i].second;
      Line(3, std::to_string(keys[i].first) + ";3;" + Number(v.x) + "," + Number(v.y) + "," + Number(v.z) + ";;" +
                  (i + 1 < keys.size() ? "," : ";"));
    }
    Line(2, "}");
  }

  const XModel& model_;
  std::string text_;
};

}  // namespace

XFrame* XFrame::Child(const std::string& childName, Vec3 at) {
  children.push_back(std::make_unique<XFrame>());
  children.back()->name = childName;
  children.back()->offset = at;
  return children.back().get();
}

int XModel::Material(XMaterial material) {
  materials.push_back(std::move(material));
  return int(materials.size() - 1);
}

std::string XModel::Text() const { return Writer(*this).Run(); }

void AddSpin(XKeys& keys, int frames, Vec3 turn) {
  const double largest = std::max({std::abs(turn.x), std::abs(turn.y), std::abs(turn.z)});
  const int steps = std::max(1, int(std::ceil(largest / 90.0)));
  for (int i = 0; i <= steps; ++i) {
    const double t = double(i) / steps;
    keys.rotation.push_back({int(std::lround(frames * t)), turn * t});
  }
}
