// A printable summary of a model's record tree and the counts it is made of: what the kvodump tool
// prints and what comparisons of loaded models are made on.
#pragma once
#include <cstdint>
#include <string>

#include "engine/objects/records.h"

struct ModelCounts {
  int frames = 0;
  int meshes = 0;
  int64_t vertices = 0;
  int64_t indices = 0;
  int64_t triangles = 0;  // primitives drawn
  int stages = 0;
  int subsets = 0;
  int bones = 0;
  int animationSets = 0;
  int tracks = 0;      // in the first set
  int64_t keys = 0;    // in the first set, all kinds
  uint32_t length = 0;  // of the first set
};

// Frames and meshes of the frame tree (attached frames not included), and the first set's tracks.
ModelCounts CountModel(const ObjectRecord& object);

// The tree, one line per frame, mesh, texture stage, subset, bone, animation set and track:
//   frame "Cube"
//     mesh fvf 0x112 stride 32 vertices 24 indices 36 triangles 12 primitive 4 own-material 1 ...
//       stage 0 "cube.png" unit 0
//   animation set "Walk" length 24 tracks 4
//     track "Bone01" keys position 3 rotation 3 scale 3 matrix 0
// preceded by a line of the counts.
std::string DescribeModel(const ObjectRecord& object);
