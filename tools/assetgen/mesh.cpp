#include "tools/assetgen/mesh.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDegrees = M_PI / 180.0;

// Angle (radians) round the y axis measured from +z towards +x.
Vec3 Around(double angle, double radius, double y) { return {radius * std::sin(angle), y, radius * std::cos(angle)}; }
}  // namespace

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalised(Vec3 a) {
  const double length = std::sqrt(Dot(a, a));
  return length > 0 ? a * (1.0 / length) : Vec3{0, 1, 0};
}

// Row vectors times the rotation matrices about x, then y, then z.
Vec3 RotateXYZ(Vec3 p, Vec3 degrees) {
  double c = std::cos(degrees.x * kDegrees), s = std::sin(degrees.x * kDegrees);
  p = {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
  c = std::cos(degrees.y * kDegrees), s = std::sin(degrees.y * kDegrees);
  p = {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
  c = std::cos(degrees.z * kDegrees), s = std::sin(degrees.z * kDegrees);
  return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

uint32_t Mesh::Add(Vec3 position, Vec3 normal, double u, double v) {
  vertices_.push_back({position, Normalised(normal), u, v});
  return uint32_t(vertices_.size() - 1);
}

void Mesh::Triangle3(uint32_t a, uint32_t b, uint32_t c, int material) {
  const Vec3 pa = vertices_[a].position, pb = vertices_[b].position, pc = vertices_[c].position;
  const Vec3 facing = Cross(pb - pa, pc - pa);
  if (Dot(facing, facing) < 1e-18) return;  // no area: nothing to draw
  const Vec3 wanted = vertices_[a].normal + vertices_[b].normal + vertices_[c].normal;
  if (Dot(facing, wanted) < 0) std::swap(b, c);
  triangles_.push_back({{a, b, c}, material});
}

void Mesh::Sphere(Vec3 centre, Vec3 radii, int slices, int stacks, int material) {
  const uint32_t first = uint32_t(vertices_.size());
  for (int i = 0; i <= stacks; ++i) {
    const double polar = M_PI * i / stacks;  // 0 at the top
    for (int j = 0; j <= slices; ++j) {
      const double angle = 2 * M_PI * j / slices;
      const Vec3 unit = {std::sin(polar) * std::sin(angle), std::cos(polar), std::sin(polar) * std::cos(angle)};
      const Vec3 p = {unit.x * radii.x, unit.y * radii.y, unit.z * radii.z};
      const Vec3 n = {unit.x / radii.x, unit.y / radii.y, unit.z / radii.z};
      Add(centre + p, n, double(j) / slices, double(i) / stacks);
    }
  }
  for (int i = 0; i < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      const uint32_t a = first + i * (slices + 1) + j, b = a + 1, c = a + slices + 1, d = c + 1;
      Triangle3(a, b, d, material);
      Triangle3(a, d, c, material);
    }
}

void Mesh::CylinderWall(Vec3 centre, double radius, double height, double a0, double a1, int slices, bool inside,
                        int material) {
  for (int side = 0; side < (inside ? 2 : 1); ++side) {
    const double sign = side == 0 ? 1 : -1;
    const uint32_t first = uint32_t(vertices_.size());
    for (int j = 0; j <= slices; ++j) {
      const double angle = (a0 + (a1 - a0) * j / slices) * kDegrees;
      const Vec3 out = Around(angle, 1, 0) * sign;
      Add(centre + Around(angle, radius, height / 2), out, double(j) / slices, 0);
      Add(centre + Around(angle, radius, -height / 2), out, double(j) / slices, 1);
    }
    for (int j = 0; j < slices; ++j) {
      const uint32_t a = first + 2 * j;
      Triangle3(a, a + 2, a + 3, material);
      Triangle3(a, a + 3, a + 1, material);
    }
  }
}

void Mesh::Cylinder(Vec3 centre, double radius, double height, int slices, bool caps, int material, double uRepeat) {
  const size_t from = vertices_.size();
  CylinderWall(centre, radius, height, 0, 360, slices, false, material);
  for (size_t i = from; i < vertices_.size(); ++i) vertices_[i].u *= uRepeat;
  if (!caps) return;
  for (int top = 0; top < 2; ++top) {
    const double y = top ? height / 2 : -height / 2;
    const Vec3 n = {0, top ? 1.0 : -1.0, 0};
    const uint32_t middle = Add(centre + Vec3{0, y, 0}, n, 0.5, 0.5);
    const uint32_t first = uint32_t(vertices_.size());
    for (int j = 0; j <= slices; ++j) {
      const double angle = 2 * M_PI * j / slices;
      Add(centre + Around(angle, radius, y), n, 0.5 + 0.5 * std::sin(angle), 0.5 - 0.5 * std::cos(angle));
    }
    for (int j = 0; j < slices; ++j) Triangle3(middle, first + j, first + j + 1, material);
  }
}

void Mesh::Cone(Vec3 base, double radius, double height, int slices, int material) {
  const double slope = radius / height;
  for (int j = 0; j < slices; ++j) {
    const double a0 = 2 * M_PI * j / slices, a1 = 2 * M_PI * (j + 1) / slices, am = (a0 + a1) / 2;
    const uint32_t apex = Add(base + Vec3{0, height, 0}, Around(am, 1, slope), double(j + 0.5) / slices, 0);
    const uint32_t p0 = Add(base + Around(a0, radius, 0), Around(a0, 1, slope), double(j) / slices, 1);
    const uint32_t p1 = Add(base + Around(a1, radius, 0), Around(a1, 1, slope), double(j + 1) / slices, 1);
    Triangle3(apex, p0, p1, material);
  }
  const uint32_t middle = Add(base, {0, -1, 0}, 0.5, 0.5);
  const uint32_t first = uint32_t(vertices_.size());
  for (int j = 0; j <= slices; ++j) Add(base + Around(2 * M_PI * j / slices, radius, 0), {0, -1, 0}, 0.5, 0.5);
  for (int j = 0; j < slices; ++j) Triangle3(middle, first + j, first + j + 1, material);
}

void Mesh::Torus(Vec3 centre, double major, double minor, int slices, int sides, int material) {
  const uint32_t first = uint32_t(vertices_.size());
  for (int j = 0; j <= slices; ++j) {
    const double angle = 2 * M_PI * j / slices;
    const Vec3 out = Around(angle, 1, 0);
    for (int k = 0; k <= sides; ++k) {
      const double tube = 2 * M_PI * k / sides;
      const Vec3 n = out * std::cos(tube) + Vec3{0, std::sin(tube), 0};
      Add(centre + out * major + n * minor, n, double(j) / slices * 4, double(k) / sides);
    }
  }
  for (int j = 0; j < slices; ++j)
    for (int k = 0; k < sides; ++k) {
      const uint32_t a = first + j * (sides + 1) + k, b = a + 1, c = a + sides + 1, d = c + 1;
      Triangle3(a, c, d, material);
      Triangle3(a, d, b, material);
    }
}

void Mesh::Box(Vec3 low, Vec3 high, int material) {
  const auto corner = [&](int i, int j, int k) { return Vec3{i ? high.x : low.x, j ? high.y : low.y, k ? high.z : low.z}; };
  Facet({corner(0, 0, 0), corner(0, 1, 0), corner(1, 1, 0), corner(1, 0, 0)}, {0, 0, -1}, material);
  Facet({corner(0, 0, 1), corner(1, 0, 1), corner(1, 1, 1), corner(0, 1, 1)}, {0, 0, 1}, material);
  Facet({corner(0, 1, 0), corner(0, 1, 1), corner(1, 1, 1), corner(1, 1, 0)}, {0, 1, 0}, material);
  Facet({corner(0, 0, 0), corner(1, 0, 0), corner(1, 0, 1), corner(0, 0, 1)}, {0, -1, 0}, material);
  Facet({corner(1, 0, 0), corner(1, 1, 0), corner(1, 1, 1), corner(1, 0, 1)}, {1, 0, 0}, material);
  Facet({corner(0, 0, 0), corner(0, 0, 1), corner(0, 1, 1), corner(0, 1, 0)}, {-1, 0, 0}, material);
}

void Mesh::Facet(const std::vector<Vec3>& corners, Vec3 outward, int material) {
  // Texture coordinates from the face's own plane, one unit per texture across the face's box.
  const Vec3 n = Normalised(outward);
  const Vec3 tangent = Normalised(std::abs(n.y) > 0.9 ? Cross({0, 0, 1}, n) : Cross(n, {0, 1, 0}));
  const Vec3 bitangent = Cross(n, tangent);
  double u0 = 1e30, u1 = -1e30, v0 = 1e30, v1 = -1e30;
  for (const Vec3& p : corners) {
    u0 = std::min(u0, Dot(p, tangent)), u1 = std::max(u1, Dot(p, tangent));
    v0 = std::min(v0, Dot(p, bitangent)), v1 = std::max(v1, Dot(p, bitangent));
  }
  const uint32_t first = uint32_t(vertices_.size());
  for (const Vec3& p : corners) {
    Add(p, n, u1 > u0 ? (Dot(p, tangent) - u0) / (u1 - u0) : 0, v1 > v0 ? 1 - (Dot(p, bitangent) - v0) / (v1 - v0) : 0);
  }
  for (size_t i = 1; i + 1 < corners.size(); ++i) Triangle3(first, first + uint32_t(i), first + uint32_t(i) + 1, material);
}

void Mesh::Annulus(Vec3 centre, double inner, double outer, int slices, int material, double uRepeat) {
  const uint32_t first = uint32_t(vertices_.size());
  for (int j = 0; j <= slices; ++j) {
    const double angle = 2 * M_PI * j / slices;
    Add(centre + Around(angle, outer, 0), {0, 1, 0}, uRepeat * j / slices, 0);
    Add(centre + Around(angle, inner, 0), {0, 1, 0}, uRepeat * j / slices, 1);
  }
  for (int j = 0; j < slices; ++j) {
    const uint32_t a = first + 2 * j;
    Triangle3(a, a + 2, a + 3, material);
    Triangle3(a, a + 3, a + 1, material);
  }
}

void Mesh::Bipyramid(Vec3 centre, double radius, double below, double above, int sides, int material) {
  for (int j = 0; j < sides; ++j) {
    const double a0 = 2 * M_PI * j / sides, a1 = 2 * M_PI * (j + 1) / sides;
    const Vec3 p0 = centre + Around(a0, radius, 0), p1 = centre + Around(a1, radius, 0);
    const Vec3 middle = Around((a0 + a1) / 2, 1, 0);
    Facet({centre + Vec3{0, above, 0}, p0, p1}, middle * above + Vec3{0, radius, 0}, material);
    Facet({centre - Vec3{0, below, 0}, p1, p0}, middle * below - Vec3{0, radius, 0}, material);
  }
}

void Mesh::Spike(Vec3 base, Vec3 direction, double radius, double length, int sides, int material) {
  const size_t from = vertices_.size();
  Cone({0, 0, 0}, radius, length, sides, material);
  // Turn +y onto the direction: pitch from y towards z, then yaw round y.
  const Vec3 d = Normalised(direction);
  const double pitch = std::acos(std::clamp(d.y, -1.0, 1.0)) / kDegrees;
  const double yaw = std::atan2(d.x, d.z) / kDegrees;
  Transform(from, {pitch, yaw, 0}, base);
}

void Mesh::Transform(size_t from, Vec3 rotation, Vec3 offset) {
  for (size_t i = from; i < vertices_.size(); ++i) {
    vertices_[i].position = RotateXYZ(vertices_[i].position, rotation) + offset;
    vertices_[i].normal = Normalised(RotateXYZ(vertices_[i].normal, rotation));
  }
}

void Mesh::Append(const Mesh& other) {
  const uint32_t base = uint32_t(vertices_.size());
  vertices_.insert(vertices_.end(), other.vertices_.begin(), other.vertices_.end());
  for (Triangle t : other.triangles_) {
    for (uint32_t& c : t.corner) c += base;
    triangles_.push_back(t);
  }
}

void Mesh::Bounds(Vec3* low, Vec3* high) const {
  *low = {1e30, 1e30, 1e30};
  *high = {-1e30, -1e30, -1e30};
  for (const Vertex& v : vertices_) {
    low->x = std::min(low->x, v.position.x), low->y = std::min(low->y, v.position.y), low->z = std::min(low->z, v.position.z);
    high->x = std::max(high->x, v.position.x), high->y = std::max(high->y, v.position.y), high->z = std::max(high->z, v.position.z);
  }
}
