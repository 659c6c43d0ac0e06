// Scenes and presenting.
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;

void BeginFrameScene() {
  DisplayState& d = Display();
  d.frameSample = 1;
  // A scene already open stays open (the device refuses a second BeginScene anyway).
  if (d.device && !d.sceneOpen && gfx::Succeeded(d.device->BeginScene())) d.sceneOpen = 1;
}

void EndFrameScene() {
  DisplayState& d = Display();
  if (d.device && d.sceneOpen) {
    d.device->EndScene();
    d.sceneOpen = 0;
  }
}

void BeginScene() { BeginFrameScene(); }
void EndScene() { EndFrameScene(); }

void PresentFrame() {
  DisplayState& d = Display();
  if (!d.device) return;
  const CoreData* core = d.core ? d.core : GetCoreDataPointer();
  const int32_t displayWidth = core->displayWidth, displayHeight = core->displayHeight;
  gfx::Result result;
  if (core->videoRect.right != 0 && displayWidth > 0 && displayHeight > 0) {
    // Present the four strips around the playing video, so its area is not overdrawn.
    int clientWidth = 0, clientHeight = 0;
    if (core->window) core->window->GetClientSize(clientWidth, clientHeight);
    const double sx = double(clientWidth) / displayWidth, sy = double(clientHeight) / displayHeight;
    const CoreRect& v = core->videoRect;
    const gfx::Rect strips[4] = {{0, 0, displayWidth, v.top},
                                 {0, v.bottom, displayWidth, displayHeight},
                                 {0, v.top, v.left, v.bottom},
                                 {v.right, v.top, displayWidth, v.bottom}};
    result = gfx::kOk;
    for (const gfx::Rect& source : strips) {
      if (source.right <= source.left || source.bottom <= source.top) continue;
      const gfx::Rect dest{int32_t(source.left * sx), int32_t(source.top * sy), int32_t(source.right * sx),
                           int32_t(source.bottom * sy)};
      const gfx::Result r = d.device->Present(&source, &dest, nullptr, nullptr);
      if (gfx::Failed(r)) result = r;
    }
  } else if (d.extraWidth != 0 || d.extraHeight != 0) {
    const gfx::Rect source{0, 0, displayWidth, displayHeight};
    result = d.device->Present(&source, nullptr, nullptr, nullptr);
  } else {
    result = d.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  if (result == gfx::kDeviceLost) RecoverLostDevice();
}

void FlushFrame() {
  if (Display().device) Display().device->FlushCommands();
}

void RecoverLostDevice() {
  DisplayState& d = Display();
  if (!d.device) return;
  if (d.device->TestCooperativeLevel() == gfx::kDeviceNotReset) {
    const CoreData* core = d.core ? d.core : GetCoreDataPointer();
    ChangeDisplayMode(core->displayWidth, core->displayHeight, core->displayDepth);
  }
}
