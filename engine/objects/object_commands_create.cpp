// Loading and making numbered objects, deleting them, and meshes made from objects.
#include <cctype>
#include <cstring>
#include <string>

#include "engine/formats/model_loader.h"
#include "engine/formats/temp_folder.h"
#include "engine/objects/collision.h"
#include "engine/objects/mesh_builders.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_errors.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/objects/vertex_layout.h"

// The effect module's binding of a mesh's effect by its name.
void BindEffectByName(MeshRecord* mesh);

namespace {

constexpr size_t kFileNameLength = 260;  // characters with the terminator
constexpr uint32_t kBoxFvf = 274;        // position, normal, one texture set
constexpr uint32_t kWhite = 0xFFFFFFFFu;

MeshRecord* RootMesh(int32_t object) {
  ObjectRecord* record = GetObjectTable().slots[size_t(object)].get();
  return record && record->root ? record->root->mesh.get() : nullptr;
}

// A maker whose object could not be made: 7002, except that a refused number keeps its own error.
bool MakeNewObject(int32_t object, const char* typeName) {
  if (CreateNewObject(object, typeName)) return true;
  if (InObjectRange(object)) RaiseErrorCode(kErrorMeshCannotBeMade);
  return false;
}

// A maker that could not build the object's mesh takes the half-made object away again.
void AbandonObject(int32_t object) { DeleteObjectRecord(object); }

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
  return true;
}

}  // namespace

std::string ModelTextureFolder(const std::string& fileName) {
  if (EndsWithNoCase(fileName, ".mdl")) {
    SetupTempFolder();
    return ModelTempFolder();
  }
  const size_t cut = fileName.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : fileName.substr(0, cut + 1);
}

int32_t LoadObject(const char* fileName, int32_t object) {
  char name[kFileNameLength] = {};
  if (fileName) std::strncpy(name, fileName, kFileNameLength - 1);
  CoreData* core = GetObjectModuleState().core;
  if (core && core->resolveMediaPath) core->resolveMediaPath(name);
  if (core && core->decryptFile) core->decryptFile(name);
  const int32_t meshes = CreateObjectFromModel(name, object, 0);
  if (core && core->encryptFile) core->encryptFile(name);
  return meshes;
}

int32_t CreateObjectFromModel(const char* fileName, int32_t object, int32_t textureMode) {
  if (!PrepareObjectSlot(object)) return 0;
  if (!LoadModelFile(fileName, &GetObjectTable().slots[size_t(object)])) return 0;
  if (!SetupObjectAfterLoad(object, -1.0f)) return 0;
  AddUsedObjectId(object);
  ObjectRecord* record = GetObjectTable().slots[size_t(object)].get();
  const std::string folder = ModelTextureFolder(fileName ? fileName : "");
  for (MeshRecord* mesh : record->meshList) ApplyMeshTexturesDefault(mesh, folder.c_str(), textureMode);
  for (MeshRecord* mesh : record->meshList)
    if (mesh->hasEffect) BindEffectByName(mesh);
  GetObjectManager().InvalidateDrawList();
  return int32_t(record->meshList.size());
}

void CreateObjectFromMeshCommand(int32_t object, int32_t mesh, int32_t image) {
  if (!ConfirmMesh(mesh)) return;
  if (!MakeNewObject(object, "mesh")) return;
  if (!CopyMeshTransformed(RootMesh(object), FindMeshRecord(mesh), nullptr)) {
    RaiseErrorCode(kErrorMeshCannotBeMade);
    return AbandonObject(object);
  }
  if (!SetupObjectAfterLoad(object, -1.0f)) return;
  TextureObjectMeshes(object, image);
}

void CreateBoxObject(int32_t object, float sizeX, float sizeY, float sizeZ) {
  if (!MakeNewObject(object, "box")) return;
  const float hx = sizeX / 2, hy = sizeY / 2, hz = sizeZ / 2;
  if (!MakeBoxMesh(true, RootMesh(object), -hx, -hy, -hz, hx, hy, hz, kBoxFvf, kWhite)) return AbandonObject(object);
  if (!SetupObjectAfterLoad(object, (hx + hy) * 0.5f)) return;
  SetCollisionToBoxes(GetObjectTable().slots[size_t(object)].get());
  TextureObjectMeshes(object, 0);
}

void CreateTriangleObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                          float y3, float z3) {
  if (!MakeNewObject(object, "triangle")) return;
  MeshRecord* mesh = RootMesh(object);
  if (!SetupMeshStorage(mesh, kBoxFvf, 3, 0)) {
    RaiseErrorCode(kErrorMeshCannotBeMade);
    return AbandonObject(object);
  }
  uint8_t* data = mesh->vertices.data();
  WriteVertex(kBoxFvf, data, 0, x1, y1, z1, 0, 0, -1, kWhite, 0, 0);
  WriteVertex(kBoxFvf, data, 1, x2, y2, z2, 0, 0, -1, kWhite, 1, 0);
  WriteVertex(kBoxFvf, data, 2, x3, y3, z3, 0, 0, -1, kWhite, 1, 1);
  mesh->primitiveType = platform::gfx::PT_TRIANGLELIST;
  mesh->drawVertexCount = 3;
  mesh->drawPrimitiveCount = 1;
  if (!SetupObjectAfterLoad(object, x2 - x1)) return;
  SetCollisionToBoxes(GetObjectTable().slots[size_t(object)].get());
  TextureObjectMeshes(object, 0);
  SetObjectCulling(object, 0);
}

void DeleteObject(int32_t object) { DestroyObject(object); }

void CreateMeshFromObject(int32_t mesh, int32_t object) {
  if (!ConfirmObject(object) || !ConfirmNewMesh(mesh)) return;
  std::unique_ptr<MeshRecord> combined;
  if (!CombineObjectMeshes(&combined, FindObjectRecord(object))) return;
  MeshTable& table = GetMeshTable();
  if (mesh >= table.capacity && !GrowMeshTable(mesh)) return;
  table.slots[size_t(mesh)] = std::move(combined);
}
