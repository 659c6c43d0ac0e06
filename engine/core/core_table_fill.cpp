// Where each module's functions enter the CoreTable. A module that joins the build replaces its
// AbsentModule() line by MODULE_ENTRIES(ItsModule) and fills its own slots, one line each.
#include "engine/core/core_table.h"
#include "engine/core/empty_entry.h"

namespace {

// The full module protocol of a module namespace.
#define MODULE_ENTRIES(M) \
  ModuleEntries { M::Constructor, M::Destructor, M::SetErrorHandler, M::PassCoreData, M::RefreshD3D }

// A module not in the build yet: constructed and destroyed through the shared empty entry; its other
// entries stay empty, so the core skips them.
ModuleEntries AbsentModule() { return ModuleEntries{EmptyEntry, EmptyEntry, nullptr, nullptr, nullptr}; }

// Slots that must never be empty: the empty entry in the slot's own shape.
template <typename Fn>
void FillEmpty(Fn& slot) {
  slot = EmptyEntryAs<Fn>();
}

}  // namespace

void FillCoreTable(CoreTable& t) {
  // Display.
  t.DisplayModule = AbsentModule();
  FillEmpty(t.DisplayConstructor);
  FillEmpty(t.DisplayPassCoreData);
  FillEmpty(t.BeginScene);
  FillEmpty(t.EndScene);
  FillEmpty(t.PresentFrame);
  FillEmpty(t.OverrideHWND);

  t.Basic2DModule = AbsentModule();
  t.TextModule = AbsentModule();
  t.ImageModule = AbsentModule();
  t.SpriteModule = AbsentModule();
  t.InputModule = AbsentModule();
  t.SystemModule = AbsentModule();
  t.SoundModule = AbsentModule();
  t.MusicModule = AbsentModule();
  t.FileModule = AbsentModule();
  t.EmptyModule = AbsentModule();
  t.MemoryBlockModule = AbsentModule();
  t.VideoModule = AbsentModule();
  t.BitmapModule = AbsentModule();
  t.NetSessionModule = AbsentModule();
  t.CameraModule = AbsentModule();
  t.LightModule = AbsentModule();

  // Tile grid and tree world: present by name, nothing to do yet.
  t.TileGridModule = AbsentModule();
  FillEmpty(t.DrawTileGridsFirstPass);
  FillEmpty(t.DrawTileGridsSecondPass);
  t.ObjectModule = AbsentModule();
  t.TreeWorldModule = AbsentModule();
  FillEmpty(t.UpdateWorldCollisions);
  FillEmpty(t.RenderWorld);
  FillEmpty(t.StoreWorldCollisionPositions);

  t.VectorModule = AbsentModule();
  t.ParticleModule = AbsentModule();

  // Without a camera module no camera loop runs (BeginCameraPasses stays empty); the loop's end
  // entry is still filled, as it is called without a test.
  t.AdvanceCameraPass = [] { return uint32_t{1}; };
}
