// Vertex sizes and conversions between FVF codes and vertex declarations.
#pragma once
#include <cstdint>

#include "platform/gfx/types.h"

namespace platform::d3dx {

using gfx::VertexElement;

// Bytes of one vertex of an FVF code (0 for a code without any component).
uint32_t FvfVertexSize(uint32_t fvf);
// Bytes of one element type; 0 for DECLTYPE_UNUSED or an unknown type.
uint32_t DeclTypeSize(uint8_t type);
// Elements before the end marker; kMaxDeclLength when the list has no end marker within its 65 entries.
uint32_t DeclarationLength(const VertexElement* decl);
bool IsDeclarationEnd(const VertexElement& element);
// Bytes of one vertex of stream `stream`: the end of its furthest element.
uint32_t DeclarationVertexSize(const VertexElement* decl, uint32_t stream = 0);
// Fills decl (kMaxDeclLength entries) with the elements of the code in FVF order, ending with kDeclEnd.
// False for codes a declaration cannot describe (more than 8 texture sets).
bool DeclarationFromFvf(uint32_t fvf, VertexElement* decl);
// The FVF code whose declaration equals decl element by element; false when there is none.
bool FvfFromDeclaration(const VertexElement* decl, uint32_t* fvf);

}  // namespace platform::d3dx
