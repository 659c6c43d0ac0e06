// Where the memory blocks meet the object module's table of free-standing meshes. There is no mesh
// table yet: no mesh is found, and a mesh made from a block cannot be filed. Once the object module
// keeps its meshes, these two forward to it.
#include <memory>

#include "engine/media2d/memory_block_state.h"
#include "engine/objects/records.h"

MeshRecord* FindMemoryBlockMesh(int32_t) { return nullptr; }

bool StoreMemoryBlockMesh(int32_t, std::unique_ptr<MeshRecord>) { return false; }
