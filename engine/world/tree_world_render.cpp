// The tree world in a camera pass: fixed states, the faces visible from the camera's leaf, and the
// fixed states the object passes that follow start from.
#include "engine/world/tree_world_render.h"

#include <algorithm>

#include "engine/display/display.h"
#include "engine/world/tree_world.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

void SetWorldRenderStates(gfx::Device* device) {
  gfx::Material material{};
  material.diffuse = {1, 1, 1, 1};
  material.ambient = {1, 1, 1, 1};
  device->SetMaterial(&material);
  device->SetRenderState(gfx::RS_LIGHTING, 1);
  device->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
  device->SetRenderState(gfx::RS_FOGENABLE, 1);
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
  device->SetRenderState(gfx::RS_ZENABLE, 1);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_COLORVERTEX, 1);
  device->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
  device->SetRenderState(gfx::RS_SPECULARMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_AMBIENTMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_EMISSIVEMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  device->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, gfx::TSS_TEXTURETRANSFORMFLAGS, gfx::TTFF_DISABLE);
}

void RestoreWorldRenderStates(gfx::Device* device) {
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ZERO);
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  device->SetRenderState(gfx::RS_SPECULARENABLE, 1);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_ZENABLE, 1);
  device->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
  device->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
}

// The plane one unit in front of the eye: for an engine-unit point, its view-space depth plus 1.
void UpdateWorldCullPlane(gfx::Device* device) {
  gfx::Matrix v{};
  device->GetTransform(gfx::TS_VIEW, &v);
  float* plane = World().cullPlane;
  for (int r = 0; r < 4; ++r) plane[r] = v.m[r][2] + v.m[r][3];
}

// All eight corners of the engine-unit box behind the cull plane.
bool EngineBoxBehindCamera(const gfx::Vector3& low, const gfx::Vector3& high) {
  const float* plane = World().cullPlane;
  for (int corner = 0; corner < 8; ++corner) {
    const float x = corner & 1 ? high.x : low.x;
    const float y = corner & 2 ? high.y : low.y;
    const float z = corner & 4 ? high.z : low.z;
    if (plane[0] * x + plane[1] * y + plane[2] * z + plane[3] > 0.0f) return false;
  }
  return true;
}

bool BoxBehindCamera(const float* boxMin, const float* boxMax) {
  return EngineBoxBehindCamera(WorldToEngineUnits({boxMin[0], boxMin[1], boxMin[2]}),
                               WorldToEngineUnits({boxMax[0], boxMax[1], boxMax[2]}));
}

bool IntBoxBehindCamera(const int32_t* boxMin, const int32_t* boxMax) {
  return EngineBoxBehindCamera(WorldIntToEngineUnits(boxMin[0], boxMin[1], boxMin[2]),
                               WorldIntToEngineUnits(boxMax[0], boxMax[1], boxMax[2]));
}

// Engine units; the mirror point on the reflected pass of a mirror.
gfx::Vector3 ViewingPosition() {
  const TreeWorld& w = World();
  const CoreData* core = w.core;
  if (core && core->stencilMode == 2 && core->renderPassIndex == 1)
    return {core->cameraX, core->cameraY, core->cameraZ};
  if (!w.getCameraX || !w.getCameraY || !w.getCameraZ) return {0, 0, 0};
  const float z = w.getCameraZ(w.camera);
  const float y = w.getCameraY(w.camera);
  const float x = w.getCameraX(w.camera);
  return {x, y, z};
}

// Whether a face of a visible leaf is drawn from the world-unit point p.
bool FaceFacesCamera(int32_t f, const gfx::Vector3& p) {
  const TreeWorld& w = World();
  const WorldFace& face = w.faces[size_t(f)];
  const WorldStageSet* set = FaceStageSet(face);
  if (set && set->skipDrawing != 0) return false;
  const WorldSourceFace& source = w.sourceFaces[size_t(f)];
  if (source.type == kWorldPatch) return !BoxBehindCamera(source.patchBoxMin, source.patchBoxMax);
  if (source.type != kWorldPolygon) return true;
  const int32_t cull = set ? set->cullMode : int32_t(gfx::CULL_CCW);
  if (cull == gfx::CULL_NONE) return true;
  if (source.firstVertex < 0 || size_t(source.firstVertex) >= w.sourceVertices.size()) return true;
  const WorldSourceVertex& v = w.sourceVertices[size_t(source.firstVertex)];
  const float d = (p.x - v.x) * source.normal[0] + (p.y - v.y) * source.normal[1] + (p.z - v.z) * source.normal[2];
  if (cull == gfx::CULL_CW) return d <= 0.0f;
  if (cull == gfx::CULL_CCW) return d >= 0.0f;
  return true;
}

void MarkVisibleFaces() {
  TreeWorld& w = World();
  w.visibleFaces.assign(w.faces.size(), 0);
  const gfx::Vector3 p = EngineToWorldUnits(ViewingPosition());
  const int32_t cameraLeaf = FindWorldLeaf(p);
  const int32_t cameraCluster = cameraLeaf >= 0 ? w.leaves[size_t(cameraLeaf)].cluster : -1;
  if (cameraCluster < 0) {
    std::fill(w.visibleFaces.begin(), w.visibleFaces.end(), 1u);
    return;
  }
  for (const WorldLeaf& leaf : w.leaves) {
    if (w.visibilityPresent && !ClusterVisible(cameraCluster, leaf.cluster)) continue;
    if (IntBoxBehindCamera(leaf.boxMin, leaf.boxMax)) continue;
    int32_t count = 0;
    const int32_t* faces = LeafFaceNumbers(leaf, &count);
    for (int32_t i = 0; faces && i < count; ++i) {
      const int32_t f = faces[i];
      if (ValidFace(f) && !w.visibleFaces[size_t(f)] && FaceFacesCamera(f, p)) w.visibleFaces[size_t(f)] = 1;
    }
  }
}

void DrawVisibleWorld(gfx::Device* device) {
  UpdateWorldCullPlane(device);
  MarkVisibleFaces();
  device->SetVertexShader(nullptr);
  device->SetFVF(kWorldVertexFvf);
  SetWorldStageDefaults(device);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
  device->SetRenderState(gfx::RS_LIGHTING, 1);
  const std::vector<WorldFaceGroup>& groups = World().groups;
  for (size_t g = groups.size(); g-- > 0;) RenderWorldFaces(device, groups[g]);
  for (uint32_t stage : {1u, 2u}) device->SetTextureStageState(stage, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
}

}  // namespace

void RenderWorld() {
  TreeWorld& w = World();
  w.device = GetDirect3DDevice();
  gfx::Device* device = w.device;
  if (!device) return;
  const gfx::Matrix identity = dx::MatrixMultiply(dx::MatrixScaling(1, 1, 1), dx::MatrixTranslation(0, 0, 0));
  device->SetTransform(gfx::TS_WORLD, &identity);
  SetWorldRenderStates(device);
  if ((w.renderSwitch & 2) && w.worldCount > 0) DrawVisibleWorld(device);
  RestoreWorldRenderStates(device);
}
