#include "platform/d3dx/mesh_vertex_format.h"

namespace platform::d3dx {

using namespace platform::gfx;

namespace {

uint32_t TexCoordFloats(uint32_t fvf, int set) {
  switch ((fvf >> (16 + 2 * set)) & 3u) {
    case 0: return 2;
    case 1: return 3;
    case 2: return 4;
    default: return 1;
  }
}

uint32_t TexCoordSetCount(uint32_t fvf) { return (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT; }

// Blend weights carried by an XYZBn position.
int BlendWeightCount(uint32_t position) {
  switch (position) {
    case FVF_XYZB1: return 1;
    case FVF_XYZB2: return 2;
    case FVF_XYZB3: return 3;
    case FVF_XYZB4: return 4;
    case FVF_XYZB5: return 5;
    default: return 0;
  }
}

bool SameElement(const VertexElement& a, const VertexElement& b) {
  return a.stream == b.stream && a.offset == b.offset && a.type == b.type && a.method == b.method &&
         a.usage == b.usage && a.usageIndex == b.usageIndex;
}

constexpr uint8_t kFloatTypes[5] = {DECLTYPE_UNUSED, DECLTYPE_FLOAT1, DECLTYPE_FLOAT2, DECLTYPE_FLOAT3,
                                    DECLTYPE_FLOAT4};

}  // namespace

uint32_t FvfVertexSize(uint32_t fvf) {
  uint32_t size = 0;
  const uint32_t position = fvf & FVF_POSITION_MASK;
  if (position == FVF_XYZ) size += 12;
  else if (position == FVF_XYZRHW || position == FVF_XYZW) size += 16;
  else if (int weights = BlendWeightCount(position)) size += 12 + 4 * weights;
  if (fvf & FVF_NORMAL) size += 12;
  if (fvf & FVF_PSIZE) size += 4;
  if (fvf & FVF_DIFFUSE) size += 4;
  if (fvf & FVF_SPECULAR) size += 4;
  const uint32_t sets = TexCoordSetCount(fvf);
  for (uint32_t i = 0; i < sets && i < 8; ++i) size += 4 * TexCoordFloats(fvf, static_cast<int>(i));
  return size;
}

uint32_t DeclTypeSize(uint8_t type) {
  switch (type) {
    case DECLTYPE_FLOAT1: return 4;
    case DECLTYPE_FLOAT2: return 8;
    case DECLTYPE_FLOAT3: return 12;
    case DECLTYPE_FLOAT4: return 16;
    case DECLTYPE_COLOR: case DECLTYPE_UBYTE4: case DECLTYPE_SHORT2: case DECLTYPE_UBYTE4N:
    case DECLTYPE_SHORT2N: case DECLTYPE_USHORT2N: case DECLTYPE_UDEC3: case DECLTYPE_DEC3N:
    case DECLTYPE_FLOAT16_2:
      return 4;
    case DECLTYPE_SHORT4: case DECLTYPE_SHORT4N: case DECLTYPE_USHORT4N: case DECLTYPE_FLOAT16_4:
      return 8;
    default: return 0;
  }
}

bool IsDeclarationEnd(const VertexElement& element) { return element.stream == 0xFF; }

uint32_t DeclarationLength(const VertexElement* decl) {
  uint32_t n = 0;
  while (n < kMaxDeclLength && !IsDeclarationEnd(decl[n])) ++n;
  return n;
}

uint32_t DeclarationVertexSize(const VertexElement* decl, uint32_t stream) {
  uint32_t size = 0;
  const uint32_t length = DeclarationLength(decl);
  for (uint32_t i = 0; i < length; ++i) {
    if (decl[i].stream != stream) continue;
    const uint32_t end = decl[i].offset + DeclTypeSize(decl[i].type);
    if (end > size) size = end;
  }
  return size;
}

bool DeclarationFromFvf(uint32_t fvf, VertexElement* decl) {
  const uint32_t sets = TexCoordSetCount(fvf);
  if (sets > 8) return false;
  int n = 0;
  uint16_t offset = 0;
  auto add = [&](uint8_t type, uint8_t usage, uint8_t usageIndex) {
    decl[n++] = {0, offset, type, DECLMETHOD_DEFAULT, usage, usageIndex};
    offset = static_cast<uint16_t>(offset + DeclTypeSize(type));
  };
  const uint32_t position = fvf & FVF_POSITION_MASK;
  if (position == FVF_XYZ) {
    add(DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0);
  } else if (position == FVF_XYZW) {
    add(DECLTYPE_FLOAT4, DECLUSAGE_POSITION, 0);
  } else if (position == FVF_XYZRHW) {
    add(DECLTYPE_FLOAT4, DECLUSAGE_POSITIONT, 0);
  } else if (int weights = BlendWeightCount(position)) {
    add(DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0);
    // With a last-beta flag the last weight slot carries the blend indices instead.
    const bool lastBetaIndices = (fvf & (FVF_LASTBETA_UBYTE4 | FVF_LASTBETA_COLOR)) != 0;
    const int plainWeights = lastBetaIndices ? weights - 1 : weights;
    if (plainWeights > 0) add(kFloatTypes[plainWeights], DECLUSAGE_BLENDWEIGHT, 0);
    if (lastBetaIndices)
      add((fvf & FVF_LASTBETA_UBYTE4) ? DECLTYPE_UBYTE4 : DECLTYPE_COLOR, DECLUSAGE_BLENDINDICES, 0);
  }
  if (fvf & FVF_NORMAL) add(DECLTYPE_FLOAT3, DECLUSAGE_NORMAL, 0);
  if (fvf & FVF_PSIZE) add(DECLTYPE_FLOAT1, DECLUSAGE_PSIZE, 0);
  if (fvf & FVF_DIFFUSE) add(DECLTYPE_COLOR, DECLUSAGE_COLOR, 0);
  if (fvf & FVF_SPECULAR) add(DECLTYPE_COLOR, DECLUSAGE_COLOR, 1);
  for (uint32_t i = 0; i < sets; ++i)
    add(kFloatTypes[TexCoordFloats(fvf, static_cast<int>(i))], DECLUSAGE_TEXCOORD, static_cast<uint8_t>(i));
  decl[n] = kDeclEnd;
  return true;
}

bool FvfFromDeclaration(const VertexElement* decl, uint32_t* fvf) {
  const uint32_t length = DeclarationLength(decl);
  if (length >= kMaxDeclLength) return false;
  // Gather the code from the usages, then accept it only when its own declaration is the same list.
  uint32_t code = 0;
  uint32_t weightFloats = 0;
  uint32_t texSets = 0;
  for (uint32_t i = 0; i < length; ++i) {
    const VertexElement& e = decl[i];
    switch (e.usage) {
      case DECLUSAGE_POSITION: code |= e.type == DECLTYPE_FLOAT4 ? FVF_XYZW : FVF_XYZ; break;
      case DECLUSAGE_POSITIONT: code |= FVF_XYZRHW; break;
      case DECLUSAGE_BLENDWEIGHT: weightFloats = DeclTypeSize(e.type) / 4; break;
      case DECLUSAGE_BLENDINDICES:
        ++weightFloats;
        code |= e.type == DECLTYPE_UBYTE4 ? FVF_LASTBETA_UBYTE4 : FVF_LASTBETA_COLOR;
        break;
      case DECLUSAGE_NORMAL: code |= FVF_NORMAL; break;
      case DECLUSAGE_PSIZE: code |= FVF_PSIZE; break;
      case DECLUSAGE_COLOR: code |= e.usageIndex == 0 ? FVF_DIFFUSE : FVF_SPECULAR; break;
      case DECLUSAGE_TEXCOORD: {
        if (e.usageIndex >= 8) return false;
        const uint32_t floats = DeclTypeSize(e.type) / 4;
        const uint32_t bits[5] = {0, 3, 0, 1, 2};
        if (floats < 1 || floats > 4) return false;
        code |= bits[floats] << (16 + 2 * e.usageIndex);
        if (e.usageIndex + 1u > texSets) texSets = e.usageIndex + 1u;
        break;
      }
      default: return false;
    }
  }
  if (weightFloats > 0) {
    if (weightFloats > 5 || (code & FVF_POSITION_MASK) != FVF_XYZ) return false;
    code = (code & ~FVF_POSITION_MASK) | (FVF_XYZB1 + 2 * (weightFloats - 1));
  }
  code |= texSets << FVF_TEXCOUNT_SHIFT;
  VertexElement expected[kMaxDeclLength];
  if (!DeclarationFromFvf(code, expected)) return false;
  for (uint32_t i = 0; i < length; ++i)
    if (!SameElement(expected[i], decl[i])) return false;
  if (!IsDeclarationEnd(expected[length])) return false;
  if (fvf) *fvf = code;
  return true;
}

}  // namespace platform::d3dx
