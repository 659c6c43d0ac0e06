// The frame step: pacing, the fixed order of module calls through the CoreTable, the message pump.
#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "platform/window/clock.h"
#include "platform/window/window.h"

namespace pw = platform::window;

namespace {

void Call(HookFn hook) {
  if (hook) hook();
}

void RunCameraPasses(CoreData* data, const CoreTable& t) {
  data->polygonsDrawn = 0;
  data->drawCalls = 0;
  t.BeginCameraPasses();
  do {
    for (data->renderPassIndex = 0; data->renderPassIndex < data->renderPassCount; ++data->renderPassIndex) {
      Call(t.RunBeginStencilEffects);
      Call(t.RenderWorld);
      Call(t.CameraPassHook);
      Call(t.SpareCameraHook);
      Call(t.DrawTileGridsFirstPass);
      Call(t.RunObjectMainPhase);
      Call(t.RenderParticles);
      Call(t.RunEndStencilEffects);
      Call(t.DrawTileGridsSecondPass);
      Call(t.RunObjectLatePhase);
    }
  } while (t.AdvanceCameraPass() == 0);
}

}  // namespace

void SyncFrame() {
  CoreState& core = Core();
  CoreData* data = GetCoreDataPointer();
  const CoreTable& t = GetCoreTable();

  if (core.skipPeriod > 0 && pw::TimeGetTime() - core.lastFrameTime < core.skipPeriod) return;
  if (core.framePeriod > 0) {
    if (WaitFramePeriod(core.framePeriod) == 1) return;
  } else {
    UpdateMediaModules();
  }
  Call(t.FileModuleUpdate);
  core.lastFrameTime = pw::TimeGetTime();
  if (!core.startUpDone) return;

  Call(t.UpdateWorldCollisions);
  Call(t.RunResolveAutoCollision);
  Call(t.SaveBackBufferCopy);
  Call(t.DrawSpritePass);

  if (core.sceneOpen == 1) {
    t.EndScene();
    if (core.presentAllowed == 1) t.PresentFrame();
  }
  core.sceneOpen = 1;
  t.BeginScene();
  Call(t.RestoreBackBufferCopy);

  if (t.BeginCameraPasses) RunCameraPasses(data, t);

  Call(t.StoreWorldCollisionPositions);
  Call(t.RunPrepareAutoCollision);
}

void AutoSyncFrame() {
  if (Core().automaticRefresh == 1) SyncFrame();
}

uint32_t ProcessMessages() {
  CoreState& core = Core();
  if (core.quitMessageSeen) return 1;
  pw::Message message{};
  while (pw::PeekMessage(message)) {
    if (message.message == pw::WM_QUIT) {
      core.quitMessageSeen = 1;
      return 1;
    }
    pw::TranslateMessage(message);
    pw::DispatchMessage(message);
  }
  return 0;
}

void UpdateMediaModules() {
  const CoreTable& t = GetCoreTable();
  Call(t.MusicModuleUpdate);
  Call(t.SoundUpdate);
  Call(t.VideoUpdate);
}

uint32_t PumpAndUpdate() {
  const uint32_t result = ProcessMessages();
  UpdateMediaModules();
  if (Core().active3D) AutoSyncFrame();
  return result;
}

uint32_t Sync() {
  SyncFrame();
  const uint32_t result = ProcessMessages();
  Core().presentAllowed = 1;
  return result;
}

void EnableManualSync() {
  Core().automaticRefresh = 0;
  Core().presentAllowed = 0;
}

void SetFrameRateLimit(int32_t rate) {
  CoreState& core = Core();
  if (rate >= 1) {
    core.framePeriod = uint32_t(900 / rate);
    core.skipPeriod = 0;
  } else if (rate == 0) {
    core.framePeriod = core.skipPeriod = 0;
  } else {
    core.framePeriod = 0;
    core.skipPeriod = uint32_t(-int64_t(rate));
  }
}

void DrawSpritesOnTop() { Core().spriteDrawOrder = 0; }

bool LoopCheck() {
  if (Core().quitRequest) {
    pw::PostQuitMessage(0);
    return false;
  }
  return true;
}

bool WithdrawQuitRequest() {
  CoreState& core = Core();
  const bool requested = core.quitRequest != 0;
  core.quitRequest = 0;
  core.quitMessageSeen = 0;  // messages are taken again
  pw::WithdrawQuitMessage();
  return requested;
}

void RequestQuit() {
  Core().quitRequest = 1;
  pw::PostQuitMessage(0);
}

uint32_t GetTimer() { return pw::TimeGetTime(); }
