// The table of module functions through which the core and the modules call each other. The core
// fills it once at start-up (InitCoreTable, see core_table_fill.cpp: one line per slot). A caller tests
// an optional slot and skips the call when it is empty; the display module's constructor, scene,
// present and window entries and AdvanceCameraPass are always filled and called without a test.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

namespace platform::gfx { class Device; class Texture; }

// The protocol every module keeps. Modules with nothing to do in an entry point it at EmptyEntry.
struct ModuleEntries {
  void (*Constructor)();
  void (*Destructor)();
  void (*SetErrorHandler)(uint32_t* errorWord);
  void (*PassCoreData)(CoreData* coreData);
  void (*RefreshD3D)(int mode);  // modules with device objects: 0 release, 1 recreate
};

using HookFn = void (*)();

struct CoreTable {
  // Module entries, in construction order.
  ModuleEntries DisplayModule;  // its constructor and PassCoreData have their own slots below
  ModuleEntries Basic2DModule;
  ModuleEntries TextModule;
  ModuleEntries ImageModule;
  ModuleEntries SpriteModule;
  ModuleEntries InputModule;
  ModuleEntries SystemModule;
  ModuleEntries SoundModule;
  ModuleEntries MusicModule;
  ModuleEntries FileModule;
  ModuleEntries EmptyModule;
  ModuleEntries MemoryBlockModule;
  ModuleEntries VideoModule;
  ModuleEntries BitmapModule;
  ModuleEntries NetSessionModule;
  ModuleEntries CameraModule;
  ModuleEntries LightModule;
  ModuleEntries TileGridModule;
  ModuleEntries ObjectModule;
  ModuleEntries TreeWorldModule;
  ModuleEntries VectorModule;
  ModuleEntries ParticleModule;
  void (*LinkSpriteModule)();  // called right after the image module's constructor

  // Per-frame hooks (SyncFrame, UpdateMediaModules).
  HookFn FileModuleUpdate;
  HookFn UpdateWorldCollisions;
  HookFn RenderWorld;
  HookFn StoreWorldCollisionPositions;
  HookFn DrawTileGridsFirstPass;
  HookFn DrawTileGridsSecondPass;
  HookFn RunResolveAutoCollision;
  HookFn RunBeginStencilEffects;
  HookFn RunObjectMainPhase;
  HookFn RunEndStencilEffects;
  HookFn RunObjectLatePhase;
  HookFn RunPrepareAutoCollision;
  HookFn SaveBackBufferCopy;
  HookFn RestoreBackBufferCopy;
  HookFn DrawSpritePass;
  HookFn BeginCameraPasses;
  HookFn CameraPassHook;
  uint32_t (*AdvanceCameraPass)();  // 0: another camera follows; any other value ends the loop
  HookFn SpareCameraHook;           // no module fills it
  HookFn RenderParticles;
  HookFn MusicModuleUpdate;
  HookFn SoundUpdate;
  HookFn VideoUpdate;

  // Display functions.
  bool (*DisplayConstructor)();
  void (*DisplayPassCoreData)(CoreData* coreData, int stage);  // stage 0 window, 1 device ready
  void (*BeginScene)();
  void (*EndScene)();
  void (*PresentFrame)();
  HookFn FlushFrame;  // optional: starts the renderer on the frame drawn so far, before the frame's wait
  void (*OverrideHWND)(platform::window::Window* window);
  bool (*SetDisplayModeWH)(int32_t width, int32_t height);
  bool (*SetDisplayModeWHD)(int32_t width, int32_t height, int32_t depth);
  bool (*SetDisplayModeWHDW)(int32_t width, int32_t height, int32_t depth, int32_t windowed);
  bool (*SetDisplayModeWHDWV)(int32_t width, int32_t height, int32_t depth, int32_t windowed,
                              int32_t vertexProcessing);
  bool (*SetDisplayModeAll)(int32_t width, int32_t height, int32_t depth, int32_t windowed,
                            int32_t vertexProcessing, int32_t lockable);
  void (*ResetDevice)();
  void (*ClearScreen)(int32_t red, int32_t green, int32_t blue);
  void (*SetGamma)(uint32_t red, uint32_t green, uint32_t blue);
  void (*GetGamma)(uint32_t* red, uint32_t* green, uint32_t* blue);
  platform::gfx::Device* (*GetDirect3DDevice)();
  int32_t (*GetDisplayWidth)();
  int32_t (*GetDisplayHeight)();
  uint32_t (*GetDisplayDepth)();
  bool (*IsWindowed)();
  uint32_t (*GetDisplayModeCount)();
  void (*SetDitherEnable)(uint32_t value);
  void (*SetShadeMode)(uint32_t value);
  void (*SetLightingEnable)(uint32_t value);
  void (*SetCullMode)(uint32_t value);
  void (*SetSpecularEnable)(uint32_t value);
  void (*SetRenderStateValue)(uint32_t state, uint32_t value);
  bool (*SetDisplayDebug)();
  int32_t (*GetAdapterCount)();
  int32_t (*DisplayPassThrough)(int32_t value);  // does nothing and returns its argument

  // Text functions of the start-up console.
  void (*DrawTextAt)(int32_t x, int32_t y, const char* text);
  int32_t (*MeasureTextWidth)(const char* text);
  int32_t (*MeasureTextHeight)(const char* text);
  void (*SetTextFontCharset)(const char* face, uint32_t charset);
  void (*SetTextColorArgb)(int32_t a, int32_t r, int32_t g, int32_t b);

  // Basic 2D and image functions.
  void (*DrawDot)(int32_t x, int32_t y);
  void (*DrawLine)(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void (*DrawBox)(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void (*DrawCircle)(int32_t x, int32_t y, int32_t radius);
  void (*LockDrawSurface)();
  void (*UnlockDrawSurface)();
  void (*CopySurfaceRect)(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy);
  void (*SetImageColorKey)(int32_t red, int32_t green, int32_t blue);
  // Image functions the object module reads (and writes again when it starts).
  platform::gfx::Texture* (*GetImageTexture)(int32_t image);
  int32_t (*GetImageWidth)(int32_t image);
  int32_t (*GetImageHeight)(int32_t image);
};

// The core's one table.
CoreTable& GetCoreTable();

// Clears CoreData, sets its start values and fills every slot of the CoreTable (start-up).
void InitCoreTable();
// Fills the CoreTable with the functions of every module in the build (core_table_fill.cpp).
void FillCoreTable(CoreTable& table);
