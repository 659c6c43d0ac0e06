// The object table as the renderer walks it: the objects of the used-number list in their order, and
// the four meshes every frame may carry.
#pragma once
#include <cstdint>

#include "engine/objects/object_table.h"
#include "engine/objects/records.h"

// Calls fn(object) for every object of the used-number list, in order.
template <class Fn>
void ForEachListedObject(Fn fn) {
  ObjectTable& table = GetObjectTable();
  for (size_t i = 0; i < table.usedIds.size(); ++i) {
    int32_t id = table.usedIds[i];
    if (id <= 0 || size_t(id) >= table.slots.size()) continue;
    if (ObjectRecord* object = table.slots[size_t(id)].get()) fn(object);
  }
}

// Calls fn(mesh) for the mesh, shadow mesh, bound-box mesh and bound-sphere mesh of every frame.
template <class Fn>
void ForEachFrameMesh(ObjectRecord* object, Fn fn) {
  for (FrameRecord* frame : object->frameList) {
    if (!frame) continue;
    MeshRecord* meshes[4] = {frame->mesh.get(), frame->shadowMesh.get(), frame->boundBoxMesh.get(),
                             frame->boundSphereMesh.get()};
    for (MeshRecord* mesh : meshes)
      if (mesh) fn(mesh);
  }
}

// The object module's core data; null before the hand-over.
inline CoreData* RendererCoreData() { return GetObjectModuleState().core; }

// The device the module drew on at set-up; null before.
inline platform::gfx::Device* RendererDevice() { return GetObjectModuleState().device; }
