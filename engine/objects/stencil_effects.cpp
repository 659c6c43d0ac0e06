// Stencil shadow volumes and planar mirrors. Shadows: the casters' volumes count into the stencil
// buffer in the main phase, and a screen quad darkens every pixel whose count is not 0. Mirrors: the
// first camera pass marks the mirrors' pixels; the second reflects the view about the first mirror's
// plane, draws only into the marked pixels, and a tint quad goes over them at the end.
#include <cstring>

#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/render_objects.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_plane.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

constexpr uint32_t kQuadFvf = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE;  // 0x44
constexpr uint32_t kQuadStride = 20;
constexpr uint32_t kMirrorQuadColor = 0xFF000088;

struct QuadVertex {
  float x, y, z, rhw;
  uint32_t color;
};
static_assert(sizeof(QuadVertex) == kQuadStride);

// Reflection about a plane, for row vectors.
Matrix ReflectionMatrix(const dx::Plane& plane) {
  dx::Plane p = dx::PlaneNormalize(plane);
  float n[3] = {p.a, p.b, p.c};
  Matrix m = dx::MatrixIdentity();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.m[r][c] -= 2.0f * n[r] * n[c];
  for (int c = 0; c < 3; ++c) m.m[3][c] = -2.0f * p.d * n[c];
  return m;
}

// Stencil on, every pixel passes with reference 1, all bits, depth failures keep the count.
void StencilAlwaysOne(gfx::Device* device) {
  device->SetRenderState(gfx::RS_STENCILENABLE, 1);
  device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_ALWAYS);
  device->SetRenderState(gfx::RS_STENCILREF, 1);
  device->SetRenderState(gfx::RS_STENCILMASK, 0xFFFFFFFF);
  device->SetRenderState(gfx::RS_STENCILWRITEMASK, 0xFFFFFFFF);
  device->SetRenderState(gfx::RS_STENCILZFAIL, gfx::STENCILOP_KEEP);
}

}  // namespace

bool ObjectManager::FillScreenQuad(uint32_t color) {
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  if (!screenQuad && gfx::Failed(device->CreateVertexBuffer(4 * kQuadStride, gfx::USAGE_WRITEONLY, kQuadFvf,
                                                            gfx::POOL_MANAGED, &screenQuad, nullptr))) {
    screenQuad = nullptr;
    return false;
  }
  // Covers any back buffer up to 5000 pixels.
  const QuadVertex quad[4] = {{0, 5000, 0, 1, color}, {0, 0, 0, 1, color}, {5000, 5000, 0, 1, color},
                              {5000, 0, 0, 1, color}};
  void* data = nullptr;
  if (gfx::Failed(screenQuad->Lock(0, 0, &data, 0)) || !data) return false;
  std::memcpy(data, quad, sizeof quad);
  screenQuad->Unlock();
  return true;
}

void ObjectManager::DrawScreenQuad() {
  gfx::Device* device = RendererDevice();
  if (!device || !screenQuad) return;
  device->SetVertexShader(nullptr);
  device->SetFVF(kQuadFvf);
  device->SetStreamSource(0, screenQuad, 0, kQuadStride);
  device->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 0, 2);
  // The meshes drawn next must set their stream and format again.
  forceStreams = forceVertexFormat = 1;
}

// Pass 1 on render pass 0 in mirror mode: the mirrors' pixels get stencil 1, colour untouched.
bool ObjectManager::MarkMirrors() {
  gfx::Device* device = RendererDevice();
  bool first = true;
  for (uint32_t i = 0; i < visibleCount; ++i) {
    ObjectRecord* object = visibleList[i];
    if (!object->reflects) continue;
    if (first) {
      first = false;
      // Only the first mirror's plane reflects the view; drawByteA is the mirror's clip byte.
      mirrorPlane = dx::PlaneFromPointNormal(object->placement.position, object->placement.look);
      mirrorPoint = object->placement.position;
      mirrorClip = object->drawByteA;
      StencilAlwaysOne(device);
      device->SetRenderState(gfx::RS_STENCILFAIL, gfx::STENCILOP_ZERO);
      device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_REPLACE);
      device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
      device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
      device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ZERO);
      device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
      device->Clear(0, nullptr, gfx::CLEAR_STENCIL, 0, 1.0f, 0);
    }
    if (!DrawObject(object)) return false;
  }
  if (!first) {
    device->SetRenderState(gfx::RS_STENCILENABLE, 0);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  }
  return true;
}

// Pass 2 on render pass 0 in shadow mode: the casters' volumes into the stencil buffer.
bool ObjectManager::DrawShadowPass() {
  gfx::Device* device = RendererDevice();
  bool begun = false;
  gfx::Light savedLight{};
  for (uint32_t i = 0; i < visibleCount; ++i) {
    ObjectRecord* object = visibleList[i];
    ObjectRecord* source = object->instanceSource ? object->instanceSource : object;
    // drawByteB is the object's shadow-exclusion byte.
    if (!source->castsShadow || object->visible != 1 || object->drawByteB != 0) continue;
    if (!begun) {
      begun = true;
      BeginShadowVolumes();
      device->GetLight(uint32_t(shadowLight), &savedLight);
      gfx::Light point = savedLight;
      point.type = gfx::LIGHT_POINT;
      device->SetLight(0, &point);
    }
    bool dynamic = false;
    for (FrameRecord* frame : source->frameList) {
      if (!frame || !frame->shadowMesh) continue;
      UpdateFrameWorldMatrix(object, frame, frame->mesh.get());
      if (frame->shadowMesh->bounds.shadowRebuild == -1.0f) {
        dynamic = true;
        continue;
      }
      device->SetTransform(gfx::TS_WORLD, &frame->worldMatrix);
      DrawMesh(frame->shadowMesh.get());
    }
    if (dynamic) {
      if (gfx::Failed(device->SetTransform(gfx::TS_WORLD, &object->placement.worldMatrix))) return false;
      DrawShadowVolumes(&source->frameList, nullptr);
    }
  }
  if (begun) {
    EndShadowVolumes();
    // Light 0 goes back to what it was: only the volumes needed it as a point light.
    device->SetLight(0, &savedLight);
  }
  return true;
}

void ObjectManager::BeginShadowVolumes() {
  gfx::Device* device = RendererDevice();
  if (!device) return;
  float slope = 0.1f;
  uint32_t slopeBits;
  std::memcpy(&slopeBits, &slope, sizeof slopeBits);
  device->SetRenderState(gfx::RS_SLOPESCALEDEPTHBIAS, slopeBits);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  StencilAlwaysOne(device);
  device->SetRenderState(gfx::RS_STENCILFAIL, gfx::STENCILOP_KEEP);
  device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_INCR);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ZERO);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
}

bool ObjectManager::DrawFrameShadowVolumes(const std::vector<FrameRecord*>* frames, MeshRecord* mesh) {
  if (!frames) return DrawMesh(mesh);
  for (FrameRecord* frame : *frames)
    if (frame && frame->shadowMesh && !DrawMesh(frame->shadowMesh.get())) return false;
  return true;
}

bool ObjectManager::DrawShadowVolumes(const std::vector<FrameRecord*>* frames, MeshRecord* mesh) {
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  // Depth fail: front faces count up where they are hidden, back faces count down.
  device->SetRenderState(gfx::RS_STENCILZFAIL, gfx::STENCILOP_INCR);
  device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  currentCull = gfx::CULL_CCW;
  culling = 0;
  bool drawn = DrawFrameShadowVolumes(frames, mesh);
  device->SetRenderState(gfx::RS_STENCILZFAIL, gfx::STENCILOP_DECR);
  device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  currentCull = gfx::CULL_CW;
  culling = 0;
  drawn = DrawFrameShadowVolumes(frames, mesh) && drawn;
  culling = 0;
  currentCull = gfx::CULL_CCW;
  return drawn;
}

void ObjectManager::EndShadowVolumes() {
  gfx::Device* device = RendererDevice();
  if (!device) return;
  device->SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
  device->SetRenderState(gfx::RS_STENCILENABLE, 0);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_DEPTHBIAS, 0);
  device->SetRenderState(gfx::RS_SLOPESCALEDEPTHBIAS, 0);
}

void ObjectManager::BeginStencilEffects() {
  gfx::Device* device = RendererDevice();
  CoreData* core = RendererCoreData();
  if (!device || !core) return;
  if (core->stencilMode == 1 && shadowsOn) device->Clear(0, nullptr, gfx::CLEAR_STENCIL, 0, 1.0f, 0);
  if (core->stencilMode != 2 || core->renderPassIndex != 1) return;
  device->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 1.0f, 0);
  device->GetTransform(gfx::TS_VIEW, &savedView);
  Matrix reflected = dx::MatrixMultiply(ReflectionMatrix(mirrorPlane), savedView);
  device->SetTransform(gfx::TS_VIEW, &reflected);
  core->cameraX = mirrorPoint.x;
  core->cameraY = mirrorPoint.y;
  core->cameraZ = mirrorPoint.z;
  if (mirrorClip) {
    const float plane[4] = {mirrorPlane.a, mirrorPlane.b, mirrorPlane.c, mirrorPlane.d};
    device->SetClipPlane(0, plane);
    device->SetRenderState(gfx::RS_CLIPPLANEENABLE, 1);
  }
  device->SetRenderState(gfx::RS_STENCILENABLE, 1);
  device->SetRenderState(gfx::RS_STENCILREF, 1);
  device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
  device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
  FillScreenQuad(kMirrorQuadColor);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ZERO);
  DrawScreenQuad();
  device->SetRenderState(gfx::RS_FOGENABLE, 1);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_DESTCOLOR);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ZERO);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CW);
  frameCull = gfx::CULL_CW;  // the reflection turns the winding
}

void ObjectManager::EndStencilEffects() {
  gfx::Device* device = RendererDevice();
  CoreData* core = RendererCoreData();
  if (!device || !core) return;
  auto quadStates = [&] {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
    device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_DIFFUSE);
    device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
    device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  };
  if (core->stencilMode == 1 && shadowsOn) {
    device->SetRenderState(gfx::RS_ZENABLE, 0);
    device->SetRenderState(gfx::RS_STENCILENABLE, 1);
    quadStates();
    device->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
    uint32_t step = shades ? shadowAlpha / shades : 0;
    if (shades > 1) {
      device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_ZERO);
      device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
      for (int64_t i = -int64_t(shades); i <= -1; ++i) {
        FillScreenQuad(shadowColor + ((uint32_t(-i) * step) << 24));
        device->SetRenderState(gfx::RS_STENCILREF, uint32_t(int32_t(i)));
        DrawScreenQuad();
      }
    }
    FillScreenQuad(shadowColor + ((step * shades) << 24));
    device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
    device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_NOTEQUAL);
    device->SetRenderState(gfx::RS_STENCILREF, 0);
    DrawScreenQuad();
    device->SetRenderState(gfx::RS_ZENABLE, 1);
    device->SetRenderState(gfx::RS_STENCILENABLE, 0);
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  }
  if (core->stencilMode == 2 && core->renderPassIndex == 1) {
    FillScreenQuad(mirrorTint);
    device->SetRenderState(gfx::RS_ZENABLE, 0);
    quadStates();
    device->SetRenderState(gfx::RS_STENCILREF, 1);
    device->SetRenderState(gfx::RS_STENCILFUNC, gfx::CMP_EQUAL);
    device->SetRenderState(gfx::RS_STENCILPASS, gfx::STENCILOP_KEEP);
    device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    DrawScreenQuad();
    device->SetRenderState(gfx::RS_FOGENABLE, 1);
    if (mirrorClip) device->SetRenderState(gfx::RS_CLIPPLANEENABLE, 0);
    device->SetRenderState(gfx::RS_STENCILENABLE, 0);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    frameCull = gfx::CULL_CCW;
    device->SetTransform(gfx::TS_VIEW, &savedView);
  }
}
