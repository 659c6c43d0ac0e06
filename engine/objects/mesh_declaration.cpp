#include "engine/objects/mesh_declaration.h"

#include "engine/objects/mesh_storage.h"
#include "engine/objects/record_links.h"
#include "platform/gfx/device.h"

using namespace platform::gfx;

bool MakeDeviceDeclaration(const VertexElement* elements, VertexDeclaration** made) {
  *made = nullptr;
  Device* device = GetRecordDevice();
  if (!device) return true;
  return Succeeded(device->CreateVertexDeclaration(elements, made)) && *made;
}

void ReplaceMeshDeviceDeclaration(MeshRecord* mesh, VertexDeclaration* declaration) {
  if (mesh->deviceDeclaration == declaration) return;
  ReleaseRecordDeclaration(mesh->deviceDeclaration);
  mesh->deviceDeclaration = declaration;
}

bool CreateMeshDeviceDeclaration(MeshRecord* mesh) {
  if (!mesh) return false;
  if (mesh->fvf != 0 || mesh->deviceDeclaration) return true;
  if (!DeclarationFits(mesh->declaration, mesh->vertexSize)) return false;  // a draw would read past a vertex
  VertexDeclaration* made = nullptr;
  if (!MakeDeviceDeclaration(mesh->declaration, &made) || !made) return false;
  mesh->deviceDeclaration = made;
  return true;
}
