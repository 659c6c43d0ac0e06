// Ends the engine a level test started with InitEngine: the process would end here with every
// module's items; a test frees them, last module first, and releases the device before the GL
// driver's threads end.
#pragma once
#include "engine/core/core_table.h"
#include "engine/display/display.h"

namespace level_test {

inline void StopLevelEngine() {
  CoreTable& t = GetCoreTable();
  for (ModuleEntries* module : {&t.ParticleModule, &t.VectorModule, &t.ObjectModule, &t.LightModule, &t.CameraModule,
                                &t.BitmapModule, &t.MemoryBlockModule, &t.FileModule, &t.MusicModule, &t.SoundModule,
                                &t.SpriteModule, &t.ImageModule, &t.TextModule, &t.Basic2DModule})
    if (module->Destructor) module->Destructor();
  DisplayModule::Destructor();
}

}  // namespace level_test
