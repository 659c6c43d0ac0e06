// The device's vertex declaration object of a mesh whose layout is a declaration (FVF code 0). The
// mesh holds one reference on it and gives it back when its layout changes or it is destroyed.
#pragma once

#include "engine/objects/records.h"

// A declaration object of the elements on the linked device. True with *made null when there is no
// device yet (nothing to make); false when the device refuses the elements.
bool MakeDeviceDeclaration(const platform::gfx::VertexElement* elements, platform::gfx::VertexDeclaration** made);
// Releases the mesh's declaration object, if any, and takes `declaration` (null allowed) in its place.
void ReplaceMeshDeviceDeclaration(MeshRecord* mesh, platform::gfx::VertexDeclaration* declaration);
// For a mesh made while no device was there: makes its declaration object when its layout is a
// declaration and it has none. True when the mesh needs none or has one afterwards.
bool CreateMeshDeviceDeclaration(MeshRecord* mesh);
