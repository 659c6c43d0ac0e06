// The object module's protocol: set-up (device, fog, light 0, partition, links), the hand-over of the
// core data (tables and renderer sized), and the release that a device reset runs. A device reset
// deletes every object and free-standing mesh; the caller makes them again afterwards.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/objects/object_table.h"

namespace ObjectModule {
void Constructor();  // SetupObjectModule
void Destructor();   // ReleaseObjectModule
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0: ReleaseObjectModule; 1: SetupObjectModule and the hand-over again; other values nothing.
void RefreshD3D(int mode);
}  // namespace ObjectModule

// The functions of other modules the object module reaches (image, camera, display), kept for every
// set-up; installed once by the core when it fills its table.
void InstallObjectModuleLinks(const ObjectModuleLinks& links);
// Links, device and its capabilities, fog and light 0, the scene partition, the image release handler,
// and the record links (device, object lookup).
void SetupObjectModule();
// Keeps the core data, sets the render-pass state, allocates the table at its capacity and sizes the
// renderer; false (error 9706) when either cannot be had.
bool HandOverObjectModule(CoreData* coreData);
// The renderer's buffers, the partition, every object, the table's arrays (its capacity kept) and every
// free-standing mesh (the mesh table emptied to capacity 0).
void ReleaseObjectModule();
