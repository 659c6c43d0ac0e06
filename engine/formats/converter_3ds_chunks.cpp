// The 3DS editor data: objects with their meshes, materials, lights, cameras, viewports and the
// scene settings, read chunk by chunk. Each pass reads it the same way; only the second writes X text
// (the first pass's writer was never opened) and places the objects in the frame hierarchy.
#include <cmath>
#include <cstdarg>

#include "engine/formats/converter_3ds_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

namespace d3dx = platform::d3dx;

namespace {

// The chunk ids of the editor data.
enum : uint16_t {
  kChunkEditor = 0x3D3D,
  kChunkKeyframer = 0xB000,
  kChunkBackground = 0x1200,
  kChunkAmbient = 0x2100,
  kChunkObject = 0x4000,
  kChunkViewportLayout = 0x7001,
  kChunkMaterial = 0xAFFF,
  kChunkColorFloat = 0x0010,
  kChunkColor24 = 0x0011,
  kChunkPercentInt = 0x0030,
  kChunkPercentFloat = 0x0031,
  kChunkObjectFlags1 = 0x4010,
  kChunkObjectFlags2 = 0x4012,
  kChunkTriMesh = 0x4100,
  kChunkLight = 0x4600,
  kChunkCamera = 0x4700,
  kChunkVertexList = 0x4110,
  kChunkFaceList = 0x4120,
  kChunkTextureCoords = 0x4140,
  kChunkMeshMatrix = 0x4160,
  kChunkMaterialGroup = 0x4130,
  kChunkSpotlight = 0x4610,
  kChunkLightOnOff = 0x4620,
  kChunkLightData = 0x465A,
  kChunkCameraExtra1 = 0x4710,
  kChunkCameraExtra2 = 0x4720,
  kChunkMaterialName = 0xA000,
  kChunkDiffuse = 0xA020,
  kChunkSpecular = 0xA030,
  kChunkShininess = 0xA040,
  kChunkTextureMap = 0xA200,
  kChunkMapFile = 0xA300,
};

// Scene settings the editor data carries and the converter passes over by their length.
bool IsSkippedSetting(uint16_t id) {
  switch (id) {
    case 0x1100: case 0x1201: case 0x1300: case 0x1400: case 0x1420: case 0x1450: case 0x1500:
    case 0x2200: case 0x2201: case 0x2210: case 0x2300: case 0x2302: case 0x3000:
      return true;
    default:
      return false;
  }
}

Convert3DSState& S() { return State3DS(); }

bool Fits(uint64_t bytes, size_t end) { return Fits3DS(bytes, end); }

// A colour chunk (floats or bytes) into the current colour; `level` is the run of '>' of its lines.
ChunkRead Read3DSColor(uint16_t id, size_t start, size_t parentEnd, const char* level) {
  Convert3DSState& s = S();
  const bool floats = id == kChunkColorFloat;
  Debug3DS("%s Found Color def (%s) chunk id of %0X", level, floats ? "RGB" : "24bit", id);
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(floats ? 12 : 3, end)) return ChunkRead::kDoesNotFit;
  if (floats) {
    for (float& c : s.currentColor) c = Read3DSFloat();
    Debug3DS("     Found Color (RGB) def of: R:%5.2f,G:%5.2f,B:%5.2f", double(s.currentColor[0]),
             double(s.currentColor[1]), double(s.currentColor[2]));
  } else {
    uint8_t rgb[3];
    for (int i = 0; i < 3; ++i) {
      rgb[i] = Read3DSByte();
      s.currentColor[i] = float(rgb[i]) * 0.003921569f;
    }
    Debug3DS("     Found Color (24bit) def of: R:%d,G:%d,B:%d", rgb[0], rgb[1], rgb[2]);
  }
  s.pos = end;
  return ChunkRead::kDone;
}

// A chunk holding a colour chunk (background, ambient, diffuse, specular).
ChunkRead Read3DSColorHolder(size_t start, size_t parentEnd, const char* level) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    if (id != kChunkColorFloat && id != kChunkColor24) return ChunkRead::kNotHandled;
    return Read3DSColor(id, child, end, level);
  });
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

// A percentage chunk (integer or float) into the current percentage.
ChunkRead Read3DSPercentage(uint16_t id, size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(id == kChunkPercentInt ? 2 : 4, end))
    return ChunkRead::kDoesNotFit;
  S().currentPercentage = id == kChunkPercentInt ? float(int16_t(Read3DSWord())) : Read3DSFloat();
  S().pos = end;
  return ChunkRead::kDone;
}

ChunkRead Read3DSPercentageHolder(size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    if (id != kChunkPercentInt && id != kChunkPercentFloat) return ChunkRead::kNotHandled;
    return Read3DSPercentage(id, child, end);
  });
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

// The object name that starts an object chunk: 11 characters are kept. The whole name is read up to
// its NUL, so the object's chunks are found after it even when a longer name runs on. False for an
// empty name, which leaves "Default name".
bool Read3DSObjectName(size_t end) {
  Convert3DSState& s = S();
  s.nameBuffer = "Default name";
  if (s.pos >= end || s.file.U8(int64_t(s.pos)) == 0) {
    ++s.pos;
    return false;
  }
  std::string name;
  while (s.pos < end) {
    const char c = char(Read3DSByte());
    if (c == 0) break;
    if (name.size() < 11) name += c == ' ' ? '_' : c;
  }
  s.nameBuffer = name;
  Debug3DS("     Found name : %s", name.c_str());
  return true;
}

// ---- Triangle meshes.

ChunkRead Read3DSVertexList(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(2, end)) return ChunkRead::kFailed;
  const uint16_t count = Read3DSWord();
  Debug3DS("      Found (%d) number of vertices", count);
  if (!Fits(uint64_t(count) * 12, end)) return ChunkRead::kFailed;
  s.vertices.resize(size_t(count) * 3);
  for (size_t v = 0; v < count; ++v) {
    const float x = Read3DSFloat(), y = Read3DSFloat(), z = Read3DSFloat();
    s.vertices[3 * v] = x;
    s.vertices[3 * v + 1] = z;
    s.vertices[3 * v + 2] = y;
  }
  s.pos = end;
  return ChunkRead::kDone;
}

// One normal per face corner, from the two edges leaving the corner. The counting pass writes no
// text, so it only checks the faces.
bool Build3DSCornerNormals() {
  Convert3DSState& s = S();
  const size_t vertexCount = s.vertices.size() / 3;
  for (uint32_t index : s.faces)
    if (index >= vertexCount) return false;
  if (s.countingPass) return true;
  const auto at = [&](uint32_t v) { return Vector3{s.vertices[3 * v], s.vertices[3 * v + 1], s.vertices[3 * v + 2]}; };
  const size_t faceCount = s.faces.size() / 3;
  s.normals.resize(faceCount * 9);
  s.normalIndices.resize(faceCount * 3);
  const float equal = 1.0f / std::sqrt(3.0f);
  for (size_t f = 0; f < faceCount; ++f) {
    for (size_t j = 0; j < 3; ++j) {
      const Vector3 p = at(s.faces[3 * f + j]);
      const Vector3 q = at(s.faces[3 * f + (j + 1) % 3]);
      const Vector3 r = at(s.faces[3 * f + (j + 2) % 3]);
      Vector3 n = d3dx::Vec3Cross(d3dx::Vec3Subtract(q, p), d3dx::Vec3Subtract(r, p));
      const float length = d3dx::Vec3Length(n);
      n = length > 0 ? Vector3{n.x / length, n.y / length, n.z / length} : Vector3{equal, equal, equal};
      const size_t corner = 3 * f + j;
      s.normals[3 * corner] = n.x;
      s.normals[3 * corner + 1] = n.y;
      s.normals[3 * corner + 2] = n.z;
      s.normalIndices[corner] = uint32_t(corner);
    }
  }
  return true;
}

// Faces, then the material groups and smoothing groups that follow them inside the face list.
ChunkRead Read3DSFaceList(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(2, end)) return ChunkRead::kFailed;
  const uint16_t count = Read3DSWord();
  if (!Fits(uint64_t(count) * 8, end)) return ChunkRead::kFailed;
  s.faces.resize(size_t(count) * 3);
  for (size_t f = 0; f < count; ++f) {
    const uint16_t a = Read3DSWord(), b = Read3DSWord(), c = Read3DSWord();
    Read3DSWord();  // edge flags
    s.faces[3 * f] = a;
    s.faces[3 * f + 1] = c;
    s.faces[3 * f + 2] = b;
  }
  // Every face gets the last group's material; no group, no material.
  const std::string kept = s.nameBuffer;
  s.nameBuffer.clear();
  const bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    if (id != kChunkMaterialGroup) return ChunkRead::kNotHandled;
    size_t groupEnd;
    if (!Open3DSChunk(child, end, &groupEnd)) return ChunkRead::kFailed;
    Read3DSString(groupEnd);
    s.pos = groupEnd;
    return ChunkRead::kDone;
  });
  if (!ok || !Build3DSCornerNormals()) return ChunkRead::kFailed;
  s.materialName = s.nameBuffer;
  s.nameBuffer = kept;
  return ChunkRead::kDone;
}

ChunkRead Read3DSTextureCoords(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(2, end)) return ChunkRead::kFailed;
  const uint16_t count = Read3DSWord();
  if (!Fits(uint64_t(count) * 8, end)) return ChunkRead::kFailed;
  s.textureCoords.resize(size_t(count) * 2);
  for (float& value : s.textureCoords) value = Read3DSFloat();
  s.pos = end;
  return ChunkRead::kDone;
}

// Four rows of three floats, turned from the file's z-up axes to y-up ones.
ChunkRead Read3DSMeshMatrix(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(48, end)) return ChunkRead::kFailed;
  Matrix m = d3dx::MatrixIdentity();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) m.m[r][c] = Read3DSFloat();
  for (int r = 0; r < 4; ++r) std::swap(m.m[r][1], m.m[r][2]);
  for (int c = 0; c < 3; ++c) std::swap(m.m[1][c], m.m[2][c]);
  for (int r = 0; r < 4; ++r) m.m[r][3] = r == 3 ? 1.0f : 0.0f;
  s.meshMatrix = m;
  s.hasMeshMatrix = true;
  s.pos = end;
  return ChunkRead::kDone;
}

// Second pass: the vertices go into the object's own space (less its keyframer pivot), and the mesh
// matrix becomes relative to the parent object's.
bool Place3DSMesh() {
  Convert3DSState& s = S();
  const int32_t pivotEntry = s.nodeCounter + 2;  // the entry after this object's node
  if (pivotEntry < 0 || pivotEntry >= kMax3DSNodes) return false;
  const Matrix local = s.meshMatrix;
  Matrix inverse;
  if (!d3dx::MatrixInverse(local, &inverse)) inverse = d3dx::MatrixIdentity();
  const Vector3& pivot = s.pivot[pivotEntry];
  inverse.m[3][0] -= pivot.x;
  inverse.m[3][1] -= pivot.y;
  inverse.m[3][2] -= pivot.z;
  for (size_t v = 0; v + 2 < s.vertices.size(); v += 3) {
    const Vector3 p = d3dx::Vec3TransformCoord({s.vertices[v], s.vertices[v + 1], s.vertices[v + 2]}, inverse);
    s.vertices[v] = p.x;
    s.vertices[v + 1] = p.y;
    s.vertices[v + 2] = p.z;
  }
  Matrix parentInverse;
  if (!d3dx::MatrixInverse(s.parentMatrix, &parentInverse)) parentInverse = d3dx::MatrixIdentity();
  s.meshMatrix = d3dx::MatrixMultiply(local, parentInverse);
  s.worldMatrix = local;
  return true;
}

// A mesh that draws nothing is not written: the X text has no form for vertices without faces.
void Write3DSMesh(const std::string& name) {
  Convert3DSState& s = S();
  XTextWriter& w = *s.writer;
  const uint32_t vertexCount = uint32_t(s.vertices.size() / 3);
  const int32_t faceCount = int32_t(s.faces.size() / 3);
  if (vertexCount == 0 || faceCount == 0) return;
  if (s.hasMeshMatrix) w.WriteFrameTransformMatrix(&s.meshMatrix.m[0][0]);
  w.BeginMesh(name.empty() ? "" : "x" + name);
  w.WriteVectorList(vertexCount, s.vertices.data());
  w.WriteTriangleList(faceCount, s.faces.data());
  if (!s.materialName.empty()) w.WriteMeshMaterialList(1, faceCount, 0, s.materialName);
  w.BeginMeshNormals();
  w.WriteVectorList(uint32_t(s.normals.size() / 3), s.normals.data());
  w.WriteTriangleList(faceCount, s.normalIndices.data());
  w.CloseBlock();
  if (!s.textureCoords.empty()) {
    // A shorter list leaves the remaining vertices at (0, 0).
    s.textureCoords.resize(size_t(vertexCount) * 2, 0.0f);
    w.BeginMeshTextureCoords();
    w.WriteTextureCoords(int32_t(vertexCount), s.textureCoords.data());
    w.CloseBlock();
  }
  w.CloseBlock();
}

void Clear3DSMesh() {
  Convert3DSState& s = S();
  s.vertices.clear();
  s.faces.clear();
  s.normals.clear();
  s.normalIndices.clear();
  s.textureCoords.clear();
}

ChunkRead Read3DSTriMesh(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
  const std::string name = s.nameBuffer;
  s.materialName.clear();
  s.hasMeshMatrix = false;
  s.meshMatrix = d3dx::MatrixIdentity();
  Clear3DSMesh();
  bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkVertexList: return Read3DSVertexList(child, end);
      case kChunkFaceList: return Read3DSFaceList(child, end);
      case kChunkTextureCoords: return Read3DSTextureCoords(child, end);
      case kChunkMeshMatrix: return Read3DSMeshMatrix(child, end);
      default: return ChunkRead::kNotHandled;
    }
  });
  if (ok && !s.countingPass) ok = Place3DSMesh();
  if (ok) Write3DSMesh(name);
  Clear3DSMesh();
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

// ---- Lights and cameras: debug lines only.

ChunkRead Read3DSLight(size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(12, end)) return ChunkRead::kFailed;
  const float x = Read3DSFloat(), y = Read3DSFloat(), z = Read3DSFloat();
  Debug3DS("     Found light at coordinates: X: %5.2f, Y: %5.2f,Z: %5.2f", double(x), double(y), double(z));
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkColorFloat:
      case kChunkColor24:
        return Read3DSColor(id, child, end, ">>>>>");
      case kChunkSpotlight: {
        Debug3DS(">>>>> Light is SpotLight: %0X", id);
        size_t spotEnd;
        if (!Open3DSChunk(child, end, &spotEnd) || !Fits(20, spotEnd)) return ChunkRead::kDoesNotFit;
        float v[5];
        for (float& f : v) f = Read3DSFloat();
        Debug3DS("      The target of the spot is at: X:%5.2f Y:%5.2f Y:%5.2f", double(v[0]), double(v[1]), double(v[2]));
        Debug3DS("      The hotspot of this light is : %5.2f", double(v[3]));
        Debug3DS("      The falloff of this light is : %5.2f", double(v[4]));
        S().pos = spotEnd;
        return ChunkRead::kDone;
      }
      case kChunkLightOnOff: {
        Debug3DS(">>>>> Light is (on/off) chunk: %0X", id);
        size_t onEnd;
        if (!Open3DSChunk(child, end, &onEnd) || !Fits(1, onEnd)) return ChunkRead::kDoesNotFit;
        Debug3DS(Read3DSByte() == 1 ? "      Light is on" : "      Light is off");
        S().pos = onEnd;
        return ChunkRead::kDone;
      }
      case kChunkLightData:
        Debug3DS(">>>>> Found Light unknown chunk id of %0X", id);
        return Skip3DSChunk(child, end);
      default:
        return ChunkRead::kNotHandled;
    }
  });
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

ChunkRead Read3DSCamera(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end) || !Fits(32, end)) return ChunkRead::kFailed;
  float v[8];
  for (float& f : v) f = Read3DSFloat();
  Debug3DS("     Found Camera viewpoint at coordinates: X: %5.2f, Y: %5.2f,Z: %5.2f", double(v[0]), double(v[1]),
           double(v[2]));
  Debug3DS("     Found Camera focus coors at coordinates: X: %5.2f, Y: %5.2f,Z: %5.2f", double(v[3]), double(v[4]),
           double(v[5]));
  Debug3DS("     Rotation of camera is:  %5.4f", double(v[6]));
  Debug3DS("     Lens in used camera is: %5.4fmm", double(v[7]));
  if (end - start != 38) {
    Debug3DS("     **** found extra cam chunks ****");
    const auto extra = [&](uint16_t id, const char* line) {
      size_t extraEnd;
      if (s.pos + 2 > end || s.file.U16(int64_t(s.pos)) != id) return;
      Debug3DS("%s", line);
      const size_t at = s.pos;
      s.pos += 2;
      s.pos = Open3DSChunk(at, end, &extraEnd) ? extraEnd : end;
    };
    extra(kChunkCameraExtra1, "     **** Found cam 1 type ch ****");
    extra(kChunkCameraExtra2, "     **** Found cam 2 type ch ****");
  }
  s.pos = end;
  return ChunkRead::kDone;
}

// ---- Objects.

// After an object: its frame stays open when the next object is nested in it; otherwise frames are
// closed down to the depth at which the next object's parent began.
bool Close3DSObjectFrames() {
  Convert3DSState& s = S();
  ++s.openFrames;
  const int32_t k = ++s.nodeCounter;
  if (k < 0 || k + 1 >= kMax3DSNodes) return false;
  const int16_t p = s.parentOf[k];
  const int16_t q = s.parentOf[k + 1];
  if (q > p) return true;
  const int32_t depthEntry = q + 1;
  if (depthEntry < 0 || depthEntry >= kMax3DSNodes) return false;
  while (s.openFrames > s.frameDepth[depthEntry] && s.openFrames >= 1) {
    s.writer->CloseBlock();
    --s.openFrames;
  }
  if (s.openFrames >= uint32_t(kMax3DSNodes)) return false;
  s.worldMatrix = s.matrixStack[s.openFrames];
  return true;
}

ChunkRead Read3DSObject(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  if (!Read3DSObjectName(end)) Debug3DS(">>>>* Dummy Object found");
  s.writer->BeginFrame(s.nameBuffer);
  if (!s.countingPass) {
    const int32_t k = s.nodeCounter + 1;
    if (k < 0 || k >= kMax3DSNodes || s.openFrames >= uint32_t(kMax3DSNodes)) return ChunkRead::kFailed;
    s.parentMatrix = s.worldMatrix;
    s.frameDepth[k] = s.openFrames;
    s.matrixStack[s.openFrames] = s.worldMatrix;
  }
  const bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkObjectFlags1:
      case kChunkObjectFlags2:
        return Skip3DSChunk(child, end);
      case kChunkTriMesh:
        return Read3DSTriMesh(child, end);
      case kChunkLight:
        Debug3DS(">>>> Found Light chunk id of %0X", id);
        return Read3DSLight(child, end);
      case kChunkCamera:
        Debug3DS(">>>> Found Camera chunk id of %0X", id);
        return Read3DSCamera(child, end);
      case kChunkKeyframer:
        Debug3DS(">>>> Found Obj/Frame chunk id of %0X", id);
        return Read3DSObjectKeyframeBlock(child, end);
      default:
        return ChunkRead::kNotHandled;
    }
  });
  if (!ok) return ChunkRead::kFailed;
  if (s.countingPass) {
    s.writer->CloseBlock();
  } else if (!Close3DSObjectFrames()) {
    return ChunkRead::kFailed;
  }
  return ChunkRead::kDone;
}

// ---- Materials.

ChunkRead Read3DSTextureMap(size_t start, size_t parentEnd, std::string* file, float* amount) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kFailed;
  const bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    if (id == kChunkPercentInt || id == kChunkPercentFloat) {
      const ChunkRead r = Read3DSPercentage(id, child, end);
      return r == ChunkRead::kDoesNotFit ? ChunkRead::kFailed : r;
    }
    if (id != kChunkMapFile) return ChunkRead::kNotHandled;
    size_t fileEnd;
    if (!Open3DSChunk(child, end, &fileEnd)) return ChunkRead::kFailed;
    Read3DSString(fileEnd);
    *file = s.nameBuffer;
    s.pos = fileEnd;
    return ChunkRead::kDone;
  });
  *amount = s.currentPercentage;
  return ok ? ChunkRead::kDone : ChunkRead::kFailed;
}

// A material the file leaves partly unset is white, not shiny and untextured there.
ChunkRead Read3DSMaterial(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  std::string name, textureFile;
  XTextMaterial material;
  const auto color = [&](size_t child, float* out) {
    const ChunkRead r = Read3DSColorHolder(child, end, ">>>>");
    if (r == ChunkRead::kDone) std::copy(s.currentColor, s.currentColor + 3, out);
    return r == ChunkRead::kDoesNotFit ? ChunkRead::kFailed : r;
  };
  const bool ok = Read3DSChildren(end, OtherIds::kSkip, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkMaterialName: {
        size_t nameEnd;
        if (!Open3DSChunk(child, end, &nameEnd)) return ChunkRead::kFailed;
        Read3DSString(nameEnd);
        name = s.nameBuffer;
        if (name.empty()) Debug3DS(">>>>* No Material name found");
        s.pos = nameEnd;
        return ChunkRead::kDone;
      }
      case kChunkDiffuse: return color(child, material.diffuse);
      case kChunkSpecular: return color(child, material.specular);
      case kChunkShininess: {
        const ChunkRead r = Read3DSPercentageHolder(child, end);
        if (r == ChunkRead::kDone) material.power = s.currentPercentage;
        return r == ChunkRead::kDoesNotFit ? ChunkRead::kFailed : r;
      }
      case kChunkTextureMap: return Read3DSTextureMap(child, end, &textureFile, &material.textureAmount);
      default: return ChunkRead::kNotHandled;
    }
  });
  if (!ok) return ChunkRead::kFailed;
  if (!s.countingPass) {
    material.name = name;
    material.textureFile = textureFile;
    s.writer->WriteMaterial(material);
  }
  return ChunkRead::kDone;
}

// ---- The editor data and the main chunk.

ChunkRead Read3DSEditorChunk(size_t start, size_t parentEnd) {
  Convert3DSState& s = S();
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  const bool ok = Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    if (IsSkippedSetting(id)) return Skip3DSChunk(child, end);
    switch (id) {
      case kChunkBackground:
        Debug3DS(">>> Found Backgr chunk id of %0X", id);
        return Read3DSColorHolder(child, end, ">>");
      case kChunkAmbient:
        Debug3DS(">>> Found Ambient chunk id of %0X", id);
        return Read3DSColorHolder(child, end, ">>>>");
      case kChunkObject:
        Debug3DS(">>> Found Object chunk id of %0X", id);
        return Read3DSObject(child, end);
      case kChunkViewportLayout:
        Debug3DS(">>> Found View main def chunk id of %0X", id);
        return Read3DSViewportLayout(child, end);
      case kChunkMaterial:
        Debug3DS(">>> Found Materials chunk id of %0X", id);
        return Read3DSMaterial(child, end);
      default:
        return ChunkRead::kNotHandled;
    }
  });
  if (!ok) return ChunkRead::kFailed;
  if (!s.countingPass) {
    for (; s.openFrames > 0; --s.openFrames) s.writer->CloseBlock();
  }
  return ChunkRead::kDone;
}

}  // namespace

void Read3DSString(size_t end) {
  Convert3DSState& s = S();
  std::string text;
  while (s.pos < end) {
    const char c = char(Read3DSByte());
    if (c == 0) break;
    if (text.size() < size_t(kRecordNameLength - 1)) text += c == ' ' ? '_' : c;
  }
  s.nameBuffer = text;
  Debug3DS("Found name : %s", text.c_str());
}

void Debug3DS(const char* format, ...) {
  FILE* out = S().debug;
  if (!out) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(out, format, args);
  va_end(args);
  std::fputc('\n', out);
}

ChunkRead Skip3DSChunk(size_t start, size_t parentEnd) {
  size_t end;
  if (!Open3DSChunk(start, parentEnd, &end)) return ChunkRead::kDoesNotFit;
  S().pos = end;
  return ChunkRead::kDone;
}

bool Open3DSChunk(size_t start, size_t parentEnd, size_t* end) {
  Convert3DSState& s = S();
  s.pos = start + 2;
  const uint32_t length = Read3DSDword();
  if (length < 6 || start > parentEnd || length > parentEnd - start) return false;
  *end = start + length;
  return true;
}

bool Read3DSMainChunk() {
  Convert3DSState& s = S();
  s.pos = 0;
  if (!s.file.Has(0, 6) || Read3DSWord() != 0x4D4D) return false;
  Debug3DS("> Found Main chunk id of %0X", 0x4D4D);
  size_t end;
  if (!Open3DSChunk(0, s.file.size, &end)) return false;  // a truncated file
  return Read3DSChildren(end, OtherIds::kScan, [&](uint16_t id, size_t child) {
    switch (id) {
      case kChunkEditor:
        Debug3DS(">> Found *Editor* chunk id of %0X", id);
        return Read3DSEditorChunk(child, end);
      case kChunkKeyframer:
        Debug3DS(">> Found *Keyframer* chunk id of %0X", id);
        return Read3DSKeyframer(child, end);
      default:
        return ChunkRead::kNotHandled;
    }
  });
}
