// The object module's tables and state: every 3D object under the number the caller chose, the list of
// numbers in use (the order in which the renderer and every scan visit objects), the free-standing
// meshes, the number checks every object command begins with, and the links to other modules.
//
// Holders of records must not keep an ObjectRecord or MeshRecord pointer across a command that may
// delete it: look the object up by number again (FindObjectRecord never raises an error).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/objects/records.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class Device; class Texture; }
class ScenePartition;
struct CameraRecord;

// Objects and meshes are numbered 1..22,000,000; frame indices run from 0.
constexpr int32_t kMaxObjectNumber = 22000000;
constexpr int32_t kMaxFrameIndex = 22000000;
constexpr int32_t kTableGrowth = 50;

inline bool InObjectRange(int32_t number) { return number >= 1 && number <= kMaxObjectNumber; }

struct ObjectTable {
  // Indexed by object number (slot 0 is never used); sized to the capacity while the module is up.
  std::vector<std::unique_ptr<ObjectRecord>> slots;
  // Numbers of existing objects in the order they were added.
  std::vector<int32_t> usedIds;
  // Kept across a device reset, so the hand-over allocates the slots at the same size again.
  int32_t capacity = 0;
};

struct MeshTable {
  std::vector<std::unique_ptr<MeshRecord>> slots;  // indexed by mesh number
  int32_t capacity = 0;
};

// Functions of other modules the object module calls; a null link is skipped.
struct ObjectModuleLinks {
  platform::gfx::Texture* (*getImageTexture)(int32_t image) = nullptr;
  int32_t (*loadTextureByName)(const char* fileName, int32_t loadMode) = nullptr;
  const char* (*getImageFileName)(int32_t image) = nullptr;
  int32_t (*getImageWidth)(int32_t image) = nullptr;
  int32_t (*getImageHeight)(int32_t image) = nullptr;
  void (*deleteImage)(int32_t image) = nullptr;
  // The image module's one release handler: the object module takes it to drop textures it holds.
  void (*setImageReleaseHandler)(void (*handler)(platform::gfx::Texture* texture)) = nullptr;
  CameraRecord* (*getCameraData)(int32_t camera) = nullptr;
  void (*placeAutoCamera)(float x, float y, float z, float size) = nullptr;
  void (*refreshCameraById)(int32_t camera) = nullptr;
  void (*setCameraFov)(int32_t camera, float degrees) = nullptr;
  platform::gfx::Device* (*getDevice)() = nullptr;
};

struct ObjectModuleState {
  CoreData* core = nullptr;
  platform::gfx::Device* device = nullptr;
  platform::gfx::Caps caps{};  // read once at set-up
  ScenePartition* partition = nullptr;  // owned, made by set-up; null when it could not be made
  ObjectModuleLinks links;
};

ObjectModuleState& GetObjectModuleState();
ObjectTable& GetObjectTable();
MeshTable& GetMeshTable();

// --- lookups without errors
// The record under the number when it exists (a root frame or an instance source), excluded or not;
// null otherwise, also for numbers out of range.
ObjectRecord* FindObjectRecord(int32_t object);
// The free-standing mesh under the number, null when there is none.
MeshRecord* FindMeshRecord(int32_t mesh);

// --- number checks (raise the module's error and return false)
// 7006 out of range, 7008 missing; an excluded object fails without an error.
bool ConfirmObject(int32_t object);
// 7006 out of range, 7007 in use.
bool ConfirmNewObject(int32_t object);
// 7006, 7008; 7021 frame index outside 0..22,000,000; 7023 no such frame.
bool CheckObjectAndFrame(int32_t object, int32_t frame);
// 7001 out of range, 7003 missing.
bool ConfirmMesh(int32_t mesh);
// 7001 out of range; an existing mesh under the number is destroyed first.
bool ConfirmNewMesh(int32_t mesh);

// ConfirmObject, then the record; null when the check fails. Handed to the other modules.
ObjectRecord* GetObjectPointer(int32_t object);
// 1 when the object exists, else 0; only a number out of range raises (7006).
int32_t ObjectExists(int32_t object);

// --- table operations
// Capacity + 50, or number + 5 when that is not above the number; the renderer's per-object lists
// follow. False when the memory cannot be had.
bool GrowObjectTable(int32_t number);
bool GrowMeshTable(int32_t number);
void AddUsedObjectId(int32_t object);
void RemoveUsedObjectId(int32_t object);

// Makes the number ready for a new object: false (7006) out of range; an object under the number is
// deleted as DeleteObject would (after error 7007); the table grows when needed (false when it
// cannot).
bool PrepareObjectSlot(int32_t object);
// A new object with a root frame and one mesh, the type name ("mesh", "box", "triangle") naming the
// root frame, listed as used. False when the number is refused or the records cannot be made.
bool CreateNewObject(int32_t object, const char* typeName);
// Deletes the object, every object drawn through it (instance source) and its place in the
// renderer's buffers and partition. False when the object check fails.
bool DeleteObjectRecord(int32_t object);
// The object's delete callbacks, DeleteObjectRecord, then the renderer places again the meshes that
// lost their shared buffers with it.
bool DestroyObject(int32_t object);
// Lists, bounds, placement, collision type and buffer marks of a freshly built or loaded object;
// radius -1.0 places the automatic camera by the object's own radius. False (error 7018, the object
// gone) when the tree has no frames or meshes.
bool SetupObjectAfterLoad(int32_t object, float radius);

// Mode 1: a copy of the mesh as plain triangle-list vertices, in a block the caller frees with any
// other mode (std::malloc / std::free). For memory blocks.
void GetMeshVertexData(int32_t mesh, uint32_t* fvf, uint32_t* vertexSize, int32_t* vertexCount, uint8_t** data,
                       uint32_t* byteSize, int32_t mode);
// A free-standing unindexed triangle-list mesh from raw vertices, filed under the number in place of
// any there; for memory blocks. False when it could not be made or filed (a size that is not the
// code's, no memory).
bool CreateMeshFromVertexData(int32_t mesh, uint32_t fvf, uint32_t vertexSize, const uint8_t* data,
                              int32_t vertexCount);
