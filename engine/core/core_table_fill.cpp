// Where each module's functions enter the CoreTable: its module entries and its own slots, one line
// each.
#include "engine/audio/music.h"
#include "engine/audio/sound.h"
#include "engine/audio/video.h"
#include "engine/core/core_table.h"
#include "engine/core/empty_entry.h"
#include "engine/display/display.h"
#include "engine/file/file_module.h"
#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/sprite.h"
#include "engine/media2d/vector.h"
#include "engine/objects/collision.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_module.h"
#include "engine/scene/camera.h"
#include "engine/scene/light.h"
#include "engine/scene/particles.h"
#include "engine/system/empty_module.h"
#include "engine/system/net_session_module.h"
#include "engine/system/system_module.h"
#include "engine/text/text.h"
#include "engine/world/tile_grid.h"
#include "engine/world/tree_world.h"

// The full module protocol of a module namespace.
#define MODULE_ENTRIES(M) \
  ModuleEntries { M::Constructor, M::Destructor, M::SetErrorHandler, M::PassCoreData, M::RefreshD3D }

void FillCoreTable(CoreTable& t) {
  // Display: constructed by the window opening, handed CoreData in two stages; no RefreshD3D of its own.
  t.DisplayModule = ModuleEntries{EmptyEntry, DisplayModule::Destructor, DisplayModule::SetErrorHandler, nullptr,
                                  nullptr};
  t.DisplayConstructor = DisplayModule::Constructor;
  t.DisplayPassCoreData = DisplayModule::PassCoreData;
  t.BeginScene = BeginScene;
  t.EndScene = EndScene;
  t.PresentFrame = PresentFrame;
  t.FlushFrame = FlushFrame;
  t.OverrideHWND = OverrideHWND;
  t.SetDisplayModeWH = SetDisplayModeWH;
  t.SetDisplayModeWHD = SetDisplayModeWHD;
  t.SetDisplayModeWHDW = SetDisplayModeWHDW;
  t.SetDisplayModeWHDWV = SetDisplayModeWHDWV;
  t.SetDisplayModeAll = SetDisplayModeAll;
  t.ResetDevice = ResetDevice;
  t.ClearScreen = ClearScreen;
  t.SetGamma = SetGamma;
  t.GetGamma = GetGamma;
  t.GetDirect3DDevice = GetDirect3DDevice;
  t.GetDisplayWidth = GetDisplayWidth;
  t.GetDisplayHeight = GetDisplayHeight;
  t.GetDisplayDepth = GetDisplayDepth;
  t.IsWindowed = IsWindowed;
  t.GetDisplayModeCount = GetDisplayModeCount;
  t.SetDitherEnable = SetDitherEnable;
  t.SetShadeMode = SetShadeMode;
  t.SetLightingEnable = SetLightingEnable;
  t.SetCullMode = SetCullMode;
  t.SetSpecularEnable = SetSpecularEnable;
  t.SetRenderStateValue = SetRenderStateValue;
  t.SetDisplayDebug = SetDisplayDebug;
  t.GetAdapterCount = GetAdapterCount;
  t.DisplayPassThrough = DisplayPassThrough;

  t.Basic2DModule = MODULE_ENTRIES(Basic2DModule);
  t.DrawDot = DrawDot;
  t.DrawLine = DrawLine;
  t.DrawBox = DrawBox;
  t.DrawCircle = DrawCircle;
  t.LockDrawSurface = LockDrawSurface;
  t.UnlockDrawSurface = UnlockDrawSurface;
  t.CopySurfaceRect = CopySurfaceRect;
  t.TextModule = MODULE_ENTRIES(TextModule);
  t.DrawTextAt = DrawTextAt;
  t.MeasureTextWidth = MeasureTextWidth;
  t.MeasureTextHeight = MeasureTextHeight;
  t.SetTextFontCharset = SetTextFontCharset;
  t.SetTextColorArgb = SetTextColorArgb;
  t.ImageModule = MODULE_ENTRIES(ImageModule);
  t.LinkSpriteModule = ImageModule::LinkSpriteModule;
  t.SetImageColorKey = SetImageColorKey;
  t.GetImageTexture = GetImageTexture;
  t.GetImageWidth = GetImageWidth;
  t.GetImageHeight = GetImageHeight;
  t.SpriteModule = MODULE_ENTRIES(SpriteModule);
  t.SaveBackBufferCopy = SaveBackBufferCopy;
  t.DrawSpritePass = DrawSpritePass;
  t.RestoreBackBufferCopy = RestoreBackBufferCopy;
  t.InputModule = MODULE_ENTRIES(InputModule);
  t.SystemModule = MODULE_ENTRIES(SystemModule);
  t.SoundModule = MODULE_ENTRIES(SoundModule);
  t.SoundUpdate = SoundUpdate;
  t.MusicModule = MODULE_ENTRIES(MusicModule);
  t.MusicModuleUpdate = MusicModule::Update;
  t.FileModule = MODULE_ENTRIES(FileModule);
  t.FileModuleUpdate = FileModuleUpdate;
  t.EmptyModule = ModuleEntries{EmptyModule::Constructor, EmptyModule::Destructor, EmptyModule::SetErrorHandler,
                                EmptyModule::PassCoreData, nullptr};
  t.MemoryBlockModule = MODULE_ENTRIES(MemoryBlockModule);
  t.VideoModule = MODULE_ENTRIES(VideoModule);
  t.VideoUpdate = VideoUpdate;
  t.BitmapModule = MODULE_ENTRIES(BitmapModule);
  t.NetSessionModule = MODULE_ENTRIES(NetSessionModule);
  t.CameraModule = MODULE_ENTRIES(CameraModule);
  t.BeginCameraPasses = BeginCameraPasses;
  t.CameraPassHook = EmptyEntry;  // the camera module has nothing to do per camera
  t.AdvanceCameraPass = AdvanceCameraPass;
  t.LightModule = MODULE_ENTRIES(LightModule);

  t.TileGridModule = MODULE_ENTRIES(TileGridModule);
  t.DrawTileGridsFirstPass = DrawTileGridsFirstPass;
  t.DrawTileGridsSecondPass = DrawTileGridsSecondPass;
  t.ObjectModule = MODULE_ENTRIES(ObjectModule);
  InstallObjectModuleLinks(ObjectModuleLinks{
      .getImageTexture = GetImageTexture,
      .loadTextureByName = LoadTextureByName,
      .getImageFileName = GetImageFileName,
      .getImageWidth = GetImageWidth,
      .getImageHeight = GetImageHeight,
      .deleteImage = DeleteImage,
      .setImageReleaseHandler = SetImageReleaseHandler,
      .getCameraData = GetCameraData,
      .placeAutoCamera = PlaceAutoCamera,
      .refreshCameraById = RefreshCameraById,
      .setCameraFov = static_cast<void (*)(int32_t, float)>(SetCameraFOV),
      .getDevice = GetDirect3DDevice,
  });
  t.RunResolveAutoCollision = RunResolveAutoCollision;
  t.RunPrepareAutoCollision = RunPrepareAutoCollision;
  t.RunBeginStencilEffects = RunBeginStencilEffects;
  t.RunObjectMainPhase = RunObjectMainPhase;
  t.RunEndStencilEffects = RunEndStencilEffects;
  t.RunObjectLatePhase = RunObjectLatePhase;
  // The tree world has no device objects to release or recreate.
  t.TreeWorldModule = ModuleEntries{TreeWorldModule::Constructor, TreeWorldModule::Destructor,
                                    TreeWorldModule::SetErrorHandler, TreeWorldModule::PassCoreData, nullptr};
  t.UpdateWorldCollisions = UpdateWorldCollisions;
  t.RenderWorld = RenderWorld;
  t.StoreWorldCollisionPositions = StoreWorldCollisionPositions;

  t.VectorModule = MODULE_ENTRIES(VectorModule);
  t.ParticleModule = MODULE_ENTRIES(ParticleModule);
  t.RenderParticles = RenderParticles;
}
