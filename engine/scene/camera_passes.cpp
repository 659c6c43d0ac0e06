// The camera loop of the frame step: each camera's matrices, viewport and clear before its passes, and
// the way back to the back buffer after the last one.
#include "engine/scene/camera_state.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resources.h"

namespace gfx = platform::gfx;

namespace {

// The size passes draw into: the back-buffer surface's, else the CoreData back-buffer size.
void TargetSize(uint32_t* width, uint32_t* height) {
  const CameraState& s = Cameras();
  *width = *height = 0;
  gfx::SurfaceDesc desc{};
  if (s.core && s.core->backBufferSurface && gfx::Succeeded(s.core->backBufferSurface->GetDesc(&desc))) {
    *width = desc.width;
    *height = desc.height;
  } else if (s.core) {
    *width = uint32_t(s.core->backBufferWidth);
    *height = uint32_t(s.core->backBufferHeight);
  }
}

// The rectangle cut to the target, so a rectangle reaching past it still draws into the part that is
// there (the device refuses a viewport outside its target). Nothing is set when none of it is there.
void SetClampedViewport(gfx::Viewport viewport) {
  CameraState& s = Cameras();
  uint32_t width, height;
  TargetSize(&width, &height);
  if (!s.device || viewport.x >= width || viewport.y >= height) return;
  if (viewport.width > width - viewport.x) viewport.width = width - viewport.x;
  if (viewport.height > height - viewport.y) viewport.height = height - viewport.y;
  s.device->SetViewport(&viewport);
}

// Depth and stencil share one buffer, and the software rasteriser keeps the stencil bits of a depth-only
// clear by reading every pixel back: clearing the stencil with the depth makes the clear a plain fill.
// Nothing reads the stencil the camera's clear finds, unless mirrors are on (their marks carry from
// render pass to render pass and camera to camera); shadows clear it again before they draw.
bool StencilFreeToClear() {
  const CameraState& s = Cameras();
  return s.core && s.core->stencilMode != 2;
}

// Matrices, view rectangle and clear of the current record, the camera about to be drawn.
void PrepareCamera(CameraRecord* camera) {
  CameraState& s = Cameras();
  UpdateCameraMatrices();
  SetClampedViewport(camera->viewRect);
  if (s.device) {
    const uint32_t flags = camera->backgroundOn == 1 ? gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER : gfx::CLEAR_ZBUFFER;
    // The device refuses the stencil flag, clearing nothing, where the depth buffer has no stencil.
    if (!StencilFreeToClear() ||
        gfx::Failed(s.device->Clear(0, nullptr, flags | gfx::CLEAR_STENCIL, camera->backgroundColor, 1.0f, 0)))
      s.device->Clear(0, nullptr, flags, camera->backgroundColor, 1.0f, 0);
  }
  if (s.core) {
    s.core->cameraX = camera->position.x;
    s.core->cameraY = camera->position.y;
    s.core->cameraZ = camera->position.z;
  }
}

}  // namespace

void BeginCameraPasses() {
  CameraState& s = Cameras();
  s.drawn = 0;
  if (CameraRecord* camera = FindCamera(0))
    PrepareCamera(camera);
  else
    s.drawn = -1;
  if (s.core) s.core->drawnCamera = s.drawn;
}

uint32_t AdvanceCameraPass() {
  CameraState& s = Cameras();
  s.drawn = NextCamera(s.drawn);
  if (s.core) s.core->drawnCamera = s.drawn;
  if (s.drawn == -1) {
    if (s.otherTargetBound && s.device && s.core) {
      s.device->SetRenderTarget(0, s.core->backBufferSurface);
      s.device->SetDepthStencilSurface(s.core->depthStencilSurface);
    }
    s.otherTargetBound = false;
    if (CameraRecord* camera = FindCamera(0)) SetClampedViewport(camera->fullViewport);
    return 1;
  }
  if (CameraRecord* camera = FindCamera(s.drawn)) PrepareCamera(camera);
  return 0;
}
