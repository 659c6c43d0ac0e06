// Triangle meshes built from simple solids, in the game's left-handed space (x right, y up, z ahead).
// Every triangle is wound so that its front, the side the device draws, faces along the vertex
// normals: the builders give each solid its normals and the winding follows from them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
Vec3 Normalised(Vec3 a);

struct Vertex {
  Vec3 position;
  Vec3 normal;
  double u = 0, v = 0;
};

class Mesh {
 public:
  struct Triangle {
    std::array<uint32_t, 3> corner;
    int material;
  };

  // Solids; `material` indexes the model's material list.
  void Sphere(Vec3 centre, Vec3 radii, int slices, int stacks, int material);
  // Axis along y from centre.y - height / 2 to centre.y + height / 2; `uRepeat` wraps the texture.
  void Cylinder(Vec3 centre, double radius, double height, int slices, bool caps, int material, double uRepeat = 1);
  // An open part of a cylinder's wall, from angle a0 to a1 (degrees, 0 at +z, turning towards +x);
  // v runs 0 at the top to 1 at the bottom. `inside` adds the inner face.
  void CylinderWall(Vec3 centre, double radius, double height, double a0, double a1, int slices, bool inside,
                    int material);
  void Cone(Vec3 base, double radius, double height, int slices, int material);  // apex above the base
  // A ring round the y axis (before `Transform`).
  void Torus(Vec3 centre, double major, double minor, int slices, int sides, int material);
  void Box(Vec3 low, Vec3 high, int material);
  // A flat ring (or disc with inner 0) facing up at height y; u round the ring, v from the outer
  // edge (0) to the inner (1).
  void Annulus(Vec3 centre, double inner, double outer, int slices, int material, double uRepeat = 1);
  // A solid double cone along y: a crystal.
  void Bipyramid(Vec3 centre, double radius, double below, double above, int sides, int material);
  // A pointed spike from `base` along `direction`.
  void Spike(Vec3 base, Vec3 direction, double radius, double length, int sides, int material);
  // Triangles given by their corners; the front faces `outward`.
  void Facet(const std::vector<Vec3>& corners, Vec3 outward, int material);

  // Rotates (degrees about x, then y, then z) and then moves every vertex added since `from`.
  void Transform(size_t from, Vec3 rotation, Vec3 offset);
  void Append(const Mesh& other);

  size_t VertexCount() const { return vertices_.size(); }
  const std::vector<Vertex>& vertices() const { return vertices_; }
  const std::vector<Triangle>& triangles() const { return triangles_; }
  // The box round every vertex.
  void Bounds(Vec3* low, Vec3* high) const;

 private:
  uint32_t Add(Vec3 position, Vec3 normal, double u, double v);
  // Adds the triangle wound so that its front faces along its corners' normals.
  void Triangle3(uint32_t a, uint32_t b, uint32_t c, int material);

  std::vector<Vertex> vertices_;
  std::vector<Triangle> triangles_;
};

Vec3 RotateXYZ(Vec3 p, Vec3 degrees);
