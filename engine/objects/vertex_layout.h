// Where each component of a mesh's vertex lies, counted in 4-byte words from the vertex start.
// A component the vertex lacks has offset 0: test the format bits (or a non-zero offset) first.
#pragma once
#include <cstdint>

#include "engine/objects/records.h"

struct FVFLayout {
  uint32_t sizeWords = 0;
  uint32_t sizeBytes = 0;
  uint32_t unused2 = 0;
  uint32_t x = 0, y = 0, z = 0;
  uint32_t w = 0;  // position w (transformed position) or blend weight
  uint32_t unused7[3] = {0, 0, 0};
  uint32_t nx = 0, ny = 0, nz = 0;
  uint32_t pointSize = 0;
  uint32_t diffuse = 0;   // packed 32-bit colour
  uint32_t specular = 0;  // packed 32-bit colour
  // Per texture set n; a declaration's tangent is set 1 and its binormal set 2.
  uint32_t u[8] = {};
  uint32_t v[8] = {};
  uint32_t t[8] = {};  // the third texture component
  uint32_t q[8] = {};
};
static_assert(sizeof(FVFLayout) == 48 * 4, "48 words");

// Fills the layout from an FVF code; true when its size equals the code's vertex size. False also
// for a null layout.
bool GetFVFLayout(uint32_t fvf, FVFLayout* layout);
// From the mesh's FVF code when it is not 0, else from its declaration. A declaration component that
// would lie outside the vertex size is left at offset 0, so no reader is sent past a vertex.
void GetMeshFVFLayout(const MeshRecord* mesh, FVFLayout* layout);
// Writes vertex `index` through the layout of the code: position (0x002), normal (0x010), diffuse
// (0x040), texture set 0 when the code has exactly one set (0x100), point size 1.0 (0x020).
// False only for null data; the caller owns the bounds of the data.
bool WriteVertex(uint32_t fvf, uint8_t* data, uint32_t index, float x, float y, float z, float nx, float ny,
                 float nz, uint32_t diffuse, float u, float v);

// Float and colour words of raw vertex data, by byte-safe copies.
float ReadVertexFloat(const uint8_t* vertex, uint32_t word);
void WriteVertexFloat(uint8_t* vertex, uint32_t word, float value);
uint32_t ReadVertexWord(const uint8_t* vertex, uint32_t word);
void WriteVertexWord(uint8_t* vertex, uint32_t word, uint32_t value);
// The position (words x, y, z) and the normal (nx, ny, nz) of a vertex.
Vector3 ReadVertexPosition(const uint8_t* vertex, const FVFLayout& layout);
void WriteVertexPosition(uint8_t* vertex, const FVFLayout& layout, const Vector3& p);
Vector3 ReadVertexNormal(const uint8_t* vertex, const FVFLayout& layout);
void WriteVertexNormal(uint8_t* vertex, const FVFLayout& layout, const Vector3& n);
