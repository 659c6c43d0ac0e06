// Where each vertex component sits, from a vertex-format code or a vertex declaration.
#pragma once
#include <cstdint>

#include "platform/gfx/gl.h"
#include "platform/gfx/types.h"

namespace platform::gfx {

struct VertexAttribute {
  int8_t stream = -1;  // -1: absent
  uint16_t offset = 0;
  GLint size = 0;      // components, or GL_BGRA for packed colours
  GLenum type = GL_FLOAT;
  bool present() const { return stream >= 0; }
};

struct VertexLayout {
  VertexAttribute position;
  bool pretransformed = false;  // x, y in pixels, z, 1/w
  VertexAttribute normal, diffuse, specular;
  VertexAttribute texcoord[8];
  uint32_t streamMask = 0;      // streams the layout reads
  uint32_t size = 0;            // vertex size of a format code (stream 0)
  bool valid = false;
};

// Size in bytes of one vertex of a format code (0 for a code without position).
uint32_t FvfVertexSize(uint32_t fvf);
VertexLayout LayoutFromFvf(uint32_t fvf);
// Declarations end with kDeclEnd; at most kMaxDeclLength elements are read.
VertexLayout LayoutFromDeclaration(const VertexElement* elements);
// Number of elements of a declaration, end marker included (0 when the end is missing).
uint32_t DeclarationLength(const VertexElement* elements);

}  // namespace platform::gfx
