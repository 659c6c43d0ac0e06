// Start-up: the engine window, the display device, then every module in one fixed order.
#include <cstdio>
#include <iterator>
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/system/result_list.h"
#include "platform/window/clock.h"
#include "platform/window/cursor.h"
#include "platform/window/window.h"

namespace pw = platform::window;

namespace {

std::string g_failure;

int Fail(std::string reason) {
  g_failure = std::move(reason);
  return 1;
}

uint32_t StyleForMode(int32_t mode) {
  switch (uint32_t(mode)) {
    case 0: case 2: case 3: case 4: return pw::WS_POPUP;
    case 1: return pw::WS_OVERLAPPEDWINDOW;
    default: return 0;
  }
}

void LoadCursors() {
  CoreState& core = Core();
  core.arrowCursor = pw::LoadCursorFile("arrow.cur", 32);
  core.hourglassCursor = pw::LoadCursorFile("hourglass.cur", 32);
  for (int n = 2; n < kCustomCursorCount; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "pointer%d.cur", n);
    core.customCursors[n] = pw::LoadCursorFile(name, 32);
  }
  if (!core.arrowCursor) core.arrowCursor = pw::LoadStandardCursor(pw::StandardCursor::Arrow);
  if (!core.hourglassCursor) core.hourglassCursor = pw::LoadStandardCursor(pw::StandardCursor::Wait);
}

// The protocol steps after a module's constructor, each when its slot is filled.
void HandOver(const ModuleEntries& module, CoreData* data, bool coreDataFirst = false) {
  uint32_t* errorWord = &Core().hostErrorWord;
  if (coreDataFirst && module.PassCoreData) module.PassCoreData(data);
  if (module.SetErrorHandler) module.SetErrorHandler(errorWord);
  if (!coreDataFirst && module.PassCoreData) module.PassCoreData(data);
}

void Construct(const ModuleEntries& module, ModuleIndex index, CoreData* data) {
  data->modulePresent[index] = 1;
  module.Constructor();
  HandOver(module, data);
}

void StoreCallbacks(CoreData* data) {
  data->allocFree = CoreAllocFree;
  data->pumpMessages = ProcessMessages;
  data->print = PrintString;
  data->resolveMediaPath = ResolveMediaPath;
  data->decryptFile = DecryptFile;
  data->encryptFile = EncryptFile;
  data->setCursorShape = SetCursorShape;
}

std::string ErrorDescription(const char* what) {
  std::string reason = what;
  char code[48];
  std::snprintf(code, sizeof code, " (error %u)", Core().hostErrorWord);
  if (Core().hostErrorWord) reason += code;
  if (*LastErrorText()) reason += std::string(": ") + LastErrorText();
  return reason;
}

}  // namespace

void ConstructModules(CoreData* data) {
  CoreTable& t = GetCoreTable();
  data->modulePresent[kDisplayModule] = 1;
  t.DisplayPassCoreData(data, 1);
  Construct(t.Basic2DModule, kBasic2DModule, data);
  if (!data->modulePresent[kTextModule]) Construct(t.TextModule, kTextModule, data);
  data->modulePresent[kImageModule] = 1;
  t.ImageModule.Constructor();
  if (t.LinkSpriteModule) t.LinkSpriteModule();
  HandOver(t.ImageModule, data);
  if (t.SetImageColorKey) t.SetImageColorKey(0, 0, 0);
  data->modulePresent[kSpriteModule] = 1;
  t.SpriteModule.Constructor();
  HandOver(t.SpriteModule, data, /*coreDataFirst=*/true);
}

void ConstructRemainingModules(CoreData* data) {
  CoreTable& t = GetCoreTable();
  Construct(t.InputModule, kInputModule, data);
  Construct(t.SystemModule, kSystemModule, data);
  Construct(t.SoundModule, kSoundModule, data);
  Construct(t.MusicModule, kMusicModule, data);
  Construct(t.FileModule, kFileModule, data);
  Construct(t.EmptyModule, kEmptyModule, data);
  Construct(t.MemoryBlockModule, kMemoryBlockModule, data);
  Construct(t.VideoModule, kVideoModule, data);
  Construct(t.BitmapModule, kBitmapModule, data);
  Construct(t.NetSessionModule, kNetSessionModule, data);
  Construct(t.CameraModule, kCameraModule, data);
  Construct(t.LightModule, kLightModule, data);
  Construct(t.TileGridModule, kTileGridModule, data);
  Construct(t.ObjectModule, kObjectModule, data);
  Construct(t.TreeWorldModule, kTreeWorldModule, data);
  data->modulePresent[kVectorModule] = 1;
  if (t.VectorModule.Constructor) {
    t.VectorModule.Constructor();
    HandOver(t.VectorModule, data);
  }
  Construct(t.ParticleModule, kParticleModule, data);
}

const char* StartUpFailureReason() { return g_failure.c_str(); }

int OpenEngineWindow(int32_t mode, int32_t width, int32_t height, int32_t depth, void* instance, const char* title) {
  CoreState& core = Core();
  CoreData* data = GetCoreDataPointer();
  CoreTable& t = GetCoreTable();
  g_failure.clear();

  std::string why;
  if (!pw::InitPlatform(&why)) return Fail("no display could be opened: " + why);

  pw::GetScreenSize(core.screenWidth, core.screenHeight);
  data->backBufferWidth = width;
  data->backBufferHeight = height;
  data->displayWidth = width;
  data->displayHeight = height;
  data->displayDepth = depth;
  data->windowX = data->windowY = 0;

  if (uint32_t(mode) == 2) {
    const pw::ScreenRect area = pw::GetWorkArea();
    data->backBufferWidth = area.width;
    data->backBufferHeight = area.height;
  } else if (uint32_t(mode) >= 3) {
    data->backBufferWidth = core.screenWidth;
    data->backBufferHeight = core.screenHeight;
  }
  const uint32_t style = StyleForMode(mode);

  LoadCursors();
  // The window class's icon, from the current folder as the cursors are; none when it is missing.
  pw::LoadClassIcon("icon.bmp");
  core.title = title ? title : "Tarvo Application";
  core.className = core.title + "12345";
  core.currentCursor = core.arrowCursor;
  pw::SetCursor(core.currentCursor);

  if (mode == 1) {
    data->windowX = (core.screenWidth - data->backBufferWidth) / 2;
    data->windowY = (core.screenHeight - data->backBufferHeight) / 2;
  }

  data->instance = instance;
  if (!data->window) {
    data->window = pw::Window::Create(core.title.c_str(), style, data->windowX, data->windowY,
                                      data->backBufferWidth, data->backBufferHeight, WindowProc, &why);
    if (!data->window) return Fail("the engine window could not be opened: " + why);
  }

  if (!t.DisplayConstructor()) return Fail(ErrorDescription("the display device layer did not start"));
  t.DisplayPassCoreData(data, 0);
  if (t.DisplayModule.SetErrorHandler) t.DisplayModule.SetErrorHandler(&core.hostErrorWord);

  core.active3D = 1;
  t.OverrideHWND(data->window);

  data->windowMode = mode;
  InitConsole(mode);
  if (core.hostErrorWord != 0) return Fail(ErrorDescription("the display device could not be created"));

  StoreCallbacks(data);
  ConstructModules(data);
  ConstructRemainingModules(data);

  if (mode != 0) {
    ClearConsole();
    data->window->Invalidate();
    WindowProc(data->window, pw::WM_PAINT, 0, 0);
    data->window->Show(true);
  }

  core.startUpDone = 1;
  ConsoleReady();

  const uint32_t start = pw::TimeGetTime();
  while (pw::TimeGetTime() - start < 100) {
    if (core.active3D) SyncFrame();
    PumpAndUpdate();
  }
  return 0;
}

int StartEngine() {
  InitCoreTable();
  SetCoreErrorHandler(&Core().hostErrorWord);
  return OpenEngineWindow(1, 640, 480, 32, nullptr, Core().title.c_str());
}

int InitEngine() {
  StoreCoreDataPointer();
  return StartEngine();
}

// Every module after the display, in construction order.
constexpr ModuleEntries CoreTable::*kConstructedModules[] = {
    &CoreTable::Basic2DModule,     &CoreTable::TextModule,    &CoreTable::ImageModule,   &CoreTable::SpriteModule,
    &CoreTable::InputModule,       &CoreTable::SystemModule,  &CoreTable::SoundModule,   &CoreTable::MusicModule,
    &CoreTable::FileModule,        &CoreTable::EmptyModule,   &CoreTable::MemoryBlockModule,
    &CoreTable::VideoModule,       &CoreTable::BitmapModule,  &CoreTable::NetSessionModule,
    &CoreTable::CameraModule,      &CoreTable::LightModule,   &CoreTable::TileGridModule,
    &CoreTable::ObjectModule,      &CoreTable::TreeWorldModule, &CoreTable::VectorModule,
    &CoreTable::ParticleModule};
constexpr ModuleIndex kConstructedIndexes[] = {
    kBasic2DModule, kTextModule,   kImageModule,     kSpriteModule,  kInputModule,      kSystemModule,
    kSoundModule,   kMusicModule,  kFileModule,      kEmptyModule,   kMemoryBlockModule, kVideoModule,
    kBitmapModule,  kNetSessionModule, kCameraModule, kLightModule,  kTileGridModule,   kObjectModule,
    kTreeWorldModule, kVectorModule, kParticleModule};
static_assert(std::size(kConstructedModules) == std::size(kConstructedIndexes));

// The process is about to end: what the engine built is freed, so nothing it made outlives it (and a
// leak checker sees only real leaks). Modules go in the reverse of their construction order, then the
// device, the window and the platform.
bool ExitEngine() {
  CoreTable& t = GetCoreTable();
  CoreData* data = GetCoreDataPointer();
  for (size_t i = std::size(kConstructedModules); i-- > 0;) {
    const ModuleEntries& module = t.*kConstructedModules[i];
    if (!data->modulePresent[kConstructedIndexes[i]] || !module.Destructor) continue;
    module.Destructor();
    data->modulePresent[kConstructedIndexes[i]] = 0;
  }
  if (data->modulePresent[kDisplayModule] && t.DisplayModule.Destructor) t.DisplayModule.Destructor();
  data->modulePresent[kDisplayModule] = 0;
  if (data->window) pw::Window::Destroy(data->window);
  data->window = nullptr;
  FreeResultList(data->resultList);
  // The GL driver's and SDL's threads end here, before the process does.
  pw::QuitPlatform();
  return false;
}

const char* GetEngineCommandLine() { return Core().commandLine.c_str(); }
