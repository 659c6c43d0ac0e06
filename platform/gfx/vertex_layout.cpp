#include "platform/gfx/vertex_layout.h"

namespace platform::gfx {
namespace {

uint32_t TexCoordFloats(uint32_t fvf, int set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case 0: return 2;
    case 1: return 3;
    case 2: return 4;
    default: return 1;
  }
}

// Floats of the position part (blend weights included).
uint32_t PositionFloats(uint32_t fvf) {
  switch (fvf & FVF_POSITION_MASK) {
    case FVF_XYZ: return 3;
    case FVF_XYZRHW: return 4;
    case FVF_XYZW: return 4;
    case FVF_XYZB1: return 4;
    case FVF_XYZB2: return 5;
    case FVF_XYZB3: return 6;
    case FVF_XYZB4: return 7;
    case FVF_XYZB5: return 8;
    default: return 0;
  }
}

VertexAttribute Attribute(uint32_t offset, GLint size, GLenum type) {
  VertexAttribute a;
  a.stream = 0;
  a.offset = uint16_t(offset);
  a.size = size;
  a.type = type;
  return a;
}

}  // namespace

uint32_t FvfVertexSize(uint32_t fvf) {
  uint32_t floats = PositionFloats(fvf);
  if (!floats) return 0;
  uint32_t size = floats * 4;
  if (fvf & FVF_NORMAL) size += 12;
  if (fvf & FVF_PSIZE) size += 4;
  if (fvf & FVF_DIFFUSE) size += 4;
  if (fvf & FVF_SPECULAR) size += 4;
  uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
  for (uint32_t i = 0; i < sets && i < 8; ++i) size += TexCoordFloats(fvf, int(i)) * 4;
  return size;
}

VertexLayout LayoutFromFvf(uint32_t fvf) {
  VertexLayout l;
  uint32_t floats = PositionFloats(fvf);
  if (!floats) return l;
  uint32_t pos = fvf & FVF_POSITION_MASK;
  l.pretransformed = pos == FVF_XYZRHW;
  l.position = Attribute(0, pos == FVF_XYZRHW || pos == FVF_XYZW ? 4 : 3, GL_FLOAT);
  uint32_t offset = floats * 4;
  if (fvf & FVF_NORMAL) { l.normal = Attribute(offset, 3, GL_FLOAT); offset += 12; }
  if (fvf & FVF_PSIZE) offset += 4;
  if (fvf & FVF_DIFFUSE) { l.diffuse = Attribute(offset, GL_BGRA, GL_UNSIGNED_BYTE); offset += 4; }
  if (fvf & FVF_SPECULAR) { l.specular = Attribute(offset, GL_BGRA, GL_UNSIGNED_BYTE); offset += 4; }
  uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
  for (uint32_t i = 0; i < sets && i < 8; ++i) {
    uint32_t n = TexCoordFloats(fvf, int(i));
    l.texcoord[i] = Attribute(offset, GLint(n), GL_FLOAT);
    offset += n * 4;
  }
  l.size = offset;
  l.streamMask = 1;
  l.valid = true;
  return l;
}

uint32_t DeclarationLength(const VertexElement* e) {
  if (!e) return 0;
  for (uint32_t i = 0; i < uint32_t(kMaxDeclLength); ++i)
    if (e[i].stream == 0xFF) return i + 1;
  return 0;
}

VertexLayout LayoutFromDeclaration(const VertexElement* elements) {
  VertexLayout l;
  uint32_t n = DeclarationLength(elements);
  if (!n) return l;
  for (uint32_t i = 0; i + 1 < n; ++i) {
    const VertexElement& e = elements[i];
    if (e.stream >= kMaxStreams) return l;
    GLint size;
    GLenum type;
    switch (e.type) {
      case DECLTYPE_FLOAT1: size = 1; type = GL_FLOAT; break;
      case DECLTYPE_FLOAT2: size = 2; type = GL_FLOAT; break;
      case DECLTYPE_FLOAT3: size = 3; type = GL_FLOAT; break;
      case DECLTYPE_FLOAT4: size = 4; type = GL_FLOAT; break;
      case DECLTYPE_COLOR: size = GL_BGRA; type = GL_UNSIGNED_BYTE; break;
      case DECLTYPE_UBYTE4N: size = 4; type = GL_UNSIGNED_BYTE; break;
      case DECLTYPE_SHORT2: size = 2; type = GL_SHORT; break;
      case DECLTYPE_SHORT4: size = 4; type = GL_SHORT; break;
      case DECLTYPE_FLOAT16_2: size = 2; type = GL_HALF_FLOAT; break;
      case DECLTYPE_FLOAT16_4: size = 4; type = GL_HALF_FLOAT; break;
      default: continue;  // kept in the declaration but not fed to the fixed pipeline
    }
    VertexAttribute a;
    a.stream = int8_t(e.stream);
    a.offset = e.offset;
    a.size = size;
    a.type = type;
    switch (e.usage) {
      case DECLUSAGE_POSITION:
        if (e.usageIndex == 0 && type != GL_UNSIGNED_BYTE && size != GL_BGRA) l.position = a;
        break;
      case DECLUSAGE_POSITIONT:
        if (e.usageIndex == 0 && type == GL_FLOAT && size == 4) { l.position = a; l.pretransformed = true; }
        break;
      case DECLUSAGE_NORMAL:
        if (e.usageIndex == 0 && size == 3 && type != GL_UNSIGNED_BYTE) l.normal = a;
        break;
      case DECLUSAGE_COLOR:
        if (size == 1 || size == 2 || (type == GL_SHORT)) break;
        if (e.usageIndex == 0) l.diffuse = a;
        if (e.usageIndex == 1 && (size == 3 || size == 4 || size == GL_BGRA)) l.specular = a;
        break;
      case DECLUSAGE_TEXCOORD:
        if (e.usageIndex < 8 && size != GL_BGRA) l.texcoord[e.usageIndex] = a;
        break;
      default: break;
    }
    l.streamMask |= 1u << e.stream;
  }
  l.valid = l.position.present();
  return l;
}

}  // namespace platform::gfx
