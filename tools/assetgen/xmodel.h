// A model as an X text file: a tree of frames with meshes (positions, normals, texture coordinates,
// a material per triangle) and one animation set of rotation, scale and position keys per frame.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "tools/assetgen/mesh.h"

struct XMaterial {
  std::array<double, 4> diffuse = {1, 1, 1, 1};
  double power = 20;
  std::array<double, 3> specular = {0.4, 0.4, 0.4};
  std::array<double, 3> emissive = {0, 0, 0};
  std::string texture;  // a file beside the model, or none
};

// Keys in animation frames (the engine steps one per drawn frame).
struct XKeys {
  std::vector<std::pair<int, Vec3>> rotation;  // degrees about x, y, z, turned in that order
  std::vector<std::pair<int, Vec3>> scale;
  std::vector<std::pair<int, Vec3>> position;
};

struct XFrame {
  std::string name;
  Vec3 offset;  // the frame's place in its parent
  Mesh mesh;
  XKeys keys;  // an animated frame takes its whole transform from its keys
  std::vector<std::unique_ptr<XFrame>> children;
  XFrame* Child(const std::string& childName, Vec3 at = {});
};

struct XModel {
  XModel() { root.name = "Root"; }
  std::vector<XMaterial> materials;
  XFrame root;
  std::string animation = "Anim";

  int Material(XMaterial material);
  std::string Text() const;
};

// A key turning about one axis by whole steps, at most a quarter turn between keys, so every
// interpolation takes the intended way round.
void AddSpin(XKeys& keys, int frames, Vec3 axisDegreesPerTurn);
