// The X converter's working state: one static state, so one conversion at a time. The tree and the
// image live until FreeXModel; the per-mesh scratch is reset by every mesh read.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/objects/records.h"
#include "platform/xfile/reader.h"

struct XVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

struct XVertexColor {
  uint32_t index;
  float r, g, b, a;
};

// One Material of the current mesh, in file order.
struct XMaterialEntry {
  platform::gfx::ColorValue faceColor{};
  float power = 0;
  float specular[3] = {};
  float emissive[3] = {};
  std::string textureName;  // empty: none
};

// One SkinWeights of the current mesh, in file order.
struct XSkinWeightEntry {
  std::string frameName;
  std::vector<uint32_t> vertexIndices;
  std::vector<float> weights;
  Matrix offsetMatrix{};
};

struct XConverterState {
  std::unique_ptr<ObjectRecord> object;  // the tree being built
  std::vector<uint8_t> image;
  std::vector<uint8_t> file;  // the X file's bytes while it is parsed
  uint64_t budget = 0;  // bytes of records still allowed (see ChargeXBudget)

  // Per-mesh scratch.
  std::vector<XVertex> vertices;
  std::vector<uint32_t> triangles;      // three vertex indices per triangle
  std::vector<uint32_t> triangleFaces;  // the X face each triangle was cut from
  std::vector<Vector3> normals;
  std::vector<uint32_t> normalTriangles;
  std::vector<XVertexColor> colors;
  std::vector<uint32_t> faceMaterials;
  bool hasFaceMaterials = false;
  uint16_t maxWeightsPerVertex = 0;
  uint16_t maxWeightsPerFace = 0;
  uint32_t boneCount = 0;
  std::vector<XMaterialEntry> materials;
  std::vector<XSkinWeightEntry> skinWeights;
};

XConverterState& XState();
// Destroys the tree and empties the image and every scratch array.
void ClearXState();
void ResetXMeshScratch();

// References let a small file name one large mesh or frame many times over; every record the
// converter builds is charged against one budget, far above any real model, and the conversion fails
// once it is spent.
bool ChargeXBudget(uint64_t bytes);

// Mesh reading: the Mesh data object into a new mesh of the frame.
bool ReadXMesh(const platform::xfile::DataObject& mesh, FrameRecord* frame);
// Groups every mesh's triangles by material once the tree is complete.
bool BuildMaterialSubsets(ObjectRecord* object);

// Animation (second pass over the file).
void ReadXAnimationSet(ObjectRecord* object, const std::string& name, AnimationSet** current);
void ReadXAnimation(AnimationSet* set, const std::string& name, AnimationRecord** current);
bool ReadXAnimationKey(const platform::xfile::DataObject& key, AnimationRecord* track, AnimationSet* set);
