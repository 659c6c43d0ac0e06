// Areas, portals and the traversal that draws what the camera can see through them.
#include "engine/objects/scene_partition.h"

#include <algorithm>

#include "engine/objects/object_manager.h"
#include "engine/objects/render_objects.h"
#include "engine/scene/camera.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr float kRootHalfSize = 3000.0f;

bool InBox(const Vector3& p, const AreaBox& box) {
  const Vector3& c = box.centre;
  const Vector3& h = box.halfSize;
  return PointInAreaBox(p, {c.x - h.x, c.y - h.y, c.z - h.z}, {c.x + h.x, c.y + h.y, c.z + h.z});
}

// The portal's corners as a box for the frustum test.
bool PortalInFrustum(int level, const AreaPortal& portal) {
  Vector3 lo = portal.corners[0], hi = portal.corners[0];
  for (const Vector3& c : portal.corners) {
    lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
    hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
  }
  return BoxInFrustum(level, (lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f, (hi.x - lo.x) * 0.5f,
                      (hi.y - lo.y) * 0.5f, (hi.z - lo.z) * 0.5f);
}

}  // namespace

bool PointInAreaBox(const Vector3& p, const Vector3& lo, const Vector3& hi) {
  return lo.x <= p.x && p.x <= hi.x && lo.y <= p.y && p.y <= hi.y && lo.z <= p.z && p.z <= hi.z;
}

bool PortalFacesCamera(uint32_t side, const Vector3& camera, const AreaPortal& portal) {
  if (!portal.hasPoint) return true;
  static const Vector3 kNormals[6] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}};
  if (side > 5) return false;
  const Vector3& n = kNormals[side];
  const Vector3& p = portal.point;
  return (camera.x - p.x) * n.x + (camera.y - p.y) * n.y + (camera.z - p.z) * n.z >= 0.0f;
}

ScenePartition::ScenePartition() = default;

ScenePartition::~ScenePartition() {
  ObjectManager& manager = GetObjectManager();
  if (afterMesh_) manager.RemoveMeshFromBuffers(afterMesh_.get());
  for (PartitionMesh& entry : meshes_) manager.RemoveMeshFromBuffers(entry.mesh.get());
  for (ShadowGroup& group : shadowGroups_)
    for (auto& mesh : group.shadowMeshes) manager.RemoveMeshFromBuffers(mesh.get());
  for (ObjectRecord* object : objects_) object->areaVisible = 1;
}

void ScenePartition::ForgetPlaces() {
  if (afterMesh_) afterMesh_->bufferPlace.reset();
  for (PartitionMesh& entry : meshes_)
    if (entry.mesh) entry.mesh->bufferPlace.reset();
  for (ShadowGroup& group : shadowGroups_)
    for (auto& mesh : group.shadowMeshes) mesh->bufferPlace.reset();
}

bool ScenePartition::CreateRootArea(float x, float y, float z) {
  if (enabled_) return false;
  root_ = std::make_unique<AreaBox>();
  root_->centre = {x, y, z};
  root_->halfSize = {kRootHalfSize, kRootHalfSize, kRootHalfSize};
  enabled_ = 1;
  return true;
}

int32_t ScenePartition::AddArea(const Vector3& centre, const Vector3& halfSize) {
  AreaBox area;
  area.centre = centre;
  area.halfSize = halfSize;
  areas_.push_back(std::move(area));
  return int32_t(areas_.size()) - 1;
}

bool ScenePartition::AddPortal(int32_t area, const AreaPortal& portal) {
  if (area < 0 || size_t(area) >= areas_.size() || portal.side > 5) return false;
  areas_[size_t(area)].portals.push_back(portal);
  return true;
}

int32_t ScenePartition::AddAreaMesh(int32_t area, std::unique_ptr<MeshRecord> mesh, int list) {
  if (area < 0 || size_t(area) >= areas_.size() || list < 0 || list > 2 || !mesh) return -1;
  GetObjectManager().AddMeshToBuffers(mesh.get(), true);
  meshes_.push_back({std::move(mesh)});
  int32_t index = int32_t(meshes_.size()) - 1;
  areas_[size_t(area)].meshes[list].push_back(index);
  return index;
}

int32_t ScenePartition::AddSubBox(int32_t area, const Vector3& centre, const Vector3& halfSize) {
  if (area < 0 || size_t(area) >= areas_.size()) return -1;
  AreaBox box;
  box.centre = centre;
  box.halfSize = halfSize;
  subBoxes_.push_back(std::move(box));
  int32_t index = int32_t(subBoxes_.size()) - 1;
  areas_[size_t(area)].subBoxes.push_back(index);
  return index;
}

int32_t ScenePartition::AddSubBoxMesh(int32_t subBox, std::unique_ptr<MeshRecord> mesh) {
  if (subBox < 0 || size_t(subBox) >= subBoxes_.size() || !mesh) return -1;
  GetObjectManager().AddMeshToBuffers(mesh.get(), true);
  meshes_.push_back({std::move(mesh)});
  int32_t index = int32_t(meshes_.size()) - 1;
  subBoxes_[size_t(subBox)].subBoxMeshes.push_back(index);
  return index;
}

void ScenePartition::AddObject(ObjectRecord* object) {
  if (!object || std::find(objects_.begin(), objects_.end(), object) != objects_.end()) return;
  object->partitionArea = -1;
  objects_.push_back(object);
}

int32_t ScenePartition::AddShadowMesh(std::unique_ptr<MeshRecord> mesh) {
  if (!mesh) return -1;
  GetObjectManager().AddMeshToBuffers(mesh.get(), true);
  if (shadowGroups_.empty()) shadowGroups_.emplace_back();
  shadowGroups_.back().shadowMeshes.push_back(std::move(mesh));
  return int32_t(shadowGroups_.back().shadowMeshes.size()) - 1;
}

void ScenePartition::RemoveObjectFromPartition(ObjectRecord* object) {
  if (!object) return;
  auto it = std::find(objects_.begin(), objects_.end(), object);
  if (it != objects_.end()) objects_.erase(it);
  object->areaVisible = 1;
}

int32_t ScenePartition::FindArea(const Vector3& point) const {
  for (size_t i = 0; i < areas_.size(); ++i)
    if (InBox(point, areas_[i])) return int32_t(i);
  return -1;
}

void ScenePartition::DrawAreaMeshes(int level, AreaBox* area) {
  ObjectManager& manager = GetObjectManager();
  CoreData* core = RendererCoreData();
  uint32_t polygons = core ? core->polygonsDrawn : 0, calls = core ? core->drawCalls : 0;
  auto draw = [&](int32_t index) {
    if (index < 0 || size_t(index) >= meshes_.size()) return;
    PartitionMesh& entry = meshes_[size_t(index)];
    if (!entry.mesh || entry.stamp == frameStamp_) return;  // drawn this frame already
    entry.stamp = frameStamp_;
    entry.mesh->wireframe = debugWireframe;
    manager.DrawMesh(entry.mesh.get());
  };
  for (const auto& list : area->meshes)
    for (int32_t index : list) draw(index);
  for (int32_t b : area->subBoxes) {
    if (b < 0 || size_t(b) >= subBoxes_.size() || visitedList_[size_t(b)]) continue;
    const AreaBox& box = subBoxes_[size_t(b)];
    if (!BoxInFrustum(level, box.centre.x, box.centre.y, box.centre.z, box.halfSize.x, box.halfSize.y,
                      box.halfSize.z))
      continue;
    visitedList_[size_t(b)] = 1;
    for (int32_t index : box.subBoxMeshes) draw(index);
  }
  area->visited = 1;
  if (level == 0 && core) {
    areaPolygons_ = core->polygonsDrawn - polygons;
    areaDrawCalls_ = core->drawCalls - calls;
  }
}

void ScenePartition::RenderPortals(int level, int32_t areaIndex, int32_t cameFrom) {
  if (areaIndex < 0 || size_t(areaIndex) >= areas_.size()) return;
  DrawAreaMeshes(level, &areas_[size_t(areaIndex)]);
  // Copied: the recursion below does not add portals, but keep the walk independent of the vector.
  const std::vector<AreaPortal>& portals = areas_[size_t(areaIndex)].portals;
  for (const AreaPortal& portal : portals) {
    int32_t target = portal.target;
    if (target < 0 || size_t(target) >= areas_.size() || target == cameFrom) continue;
    if (level != 0 && !PortalFacesCamera(portal.side, eye_, portal)) continue;
    if (!PortalInFrustum(std::min(level, kPortalLevels), portal)) continue;
    int depth = std::min(level + 1, kPortalLevels);
    if (level >= 2) {
      bool seen = false;
      for (const auto& list : levelPortals_)
        if (std::find(list.begin(), list.end(), &portal) != list.end()) seen = true;
      if (seen) continue;  // no cycles
    }
    FrustumPlanes saved = GetFrustumLevel(depth);
    if (level < kPortalLevels) PushPortalFrustum(depth, eye_, portal.corners);
    levelPortals_[level < kPortalLevels ? depth - 1 : kPortalLevels].push_back(&portal);
    RenderPortals(depth, target, areaIndex);
    GetFrustumLevel(depth) = saved;
  }
}

bool ScenePartition::RenderScenePartition() {
  if (!enabled_ || !root_) return false;
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  gfx::Matrix identity = platform::d3dx::MatrixIdentity();
  device->SetTransform(gfx::TS_WORLD, &identity);
  auto getCamera = GetObjectModuleState().links.getCameraData;
  if (CameraRecord* camera = getCamera ? getCamera(0) : nullptr) eye_ = camera->position;

  // The camera's area: the last one while the camera stays in it, else the first that holds it.
  if (!(lastCameraArea_ > 0 && size_t(lastCameraArea_) <= areas_.size() &&
        InBox(eye_, areas_[size_t(lastCameraArea_ - 1)]))) {
    int32_t found = FindArea(eye_);
    if (found >= 0) lastCameraArea_ = found + 1;
  }
  for (AreaBox& area : areas_) area.visited = 0;
  if (lastCameraArea_ > 0 && size_t(lastCameraArea_) <= areas_.size()) {
    frameStamp_ = frameStamp_ >= 65535 ? 0 : frameStamp_ + 1;
    visitedList_.assign(subBoxes_.size(), 0);
    for (auto& list : levelPortals_) list.clear();
    BuildFrustumPlanes();
    GetObjectManager().SetDefaultRenderStates();
    RenderPortals(0, lastCameraArea_ - 1, -1);
  }
  for (ObjectRecord* object : objects_) {
    const Vector3& p = object->placement.position;
    int32_t& index = object->partitionArea;
    if (index >= 0 && (size_t(index) >= areas_.size() || !InBox(p, areas_[size_t(index)]))) index = -1;
    if (index == -1) index = FindArea(p);
    if (index >= 0) object->areaVisible = areas_[size_t(index)].visited;
  }
  DrawAfterTraversal();
  return true;
}

void ScenePartition::SetAfterTraversalMesh(std::unique_ptr<MeshRecord> mesh) {
  ObjectManager& manager = GetObjectManager();
  if (afterMesh_) manager.RemoveMeshFromBuffers(afterMesh_.get());
  afterMesh_ = std::move(mesh);
  if (afterMesh_) manager.AddMeshToBuffers(afterMesh_.get(), true);
}

void ScenePartition::SetDebugLine(bool on, const Vector3& from, const Vector3& to) {
  debugLine_ = on ? 1 : 0;
  debugLinePoints_[0] = from;
  debugLinePoints_[1] = to;
}

void ScenePartition::DrawAfterTraversal() {
  if (afterMesh_) GetObjectManager().DrawMesh(afterMesh_.get());
  if (!debugDraw) return;
  DrawPartitionDebug(false);
  if (debugLine_) DrawLines({debugLinePoints_[0], debugLinePoints_[1]});
}

// A line list of world positions: no texture, positions only, lighting off (restored after).
void ScenePartition::DrawLines(const std::vector<Vector3>& points) {
  gfx::Device* device = RendererDevice();
  if (!device || points.size() < 2) return;
  gfx::Matrix identity = platform::d3dx::MatrixIdentity();
  device->SetTransform(gfx::TS_WORLD, &identity);
  uint32_t lighting = 0;
  device->GetRenderState(gfx::RS_LIGHTING, &lighting);
  device->SetRenderState(gfx::RS_LIGHTING, 0);
  device->SetTexture(0, nullptr);
  device->SetFVF(gfx::FVF_XYZ);
  device->DrawPrimitiveUP(gfx::PT_LINELIST, uint32_t(points.size() / 2), points.data(), sizeof(Vector3));
  device->SetRenderState(gfx::RS_LIGHTING, lighting);
}

void ScenePartition::DrawPartitionDebug(bool withMeshes) {
  const int32_t cameraArea = lastCameraArea_ - 1;
  std::vector<Vector3> lines;
  for (size_t i = 0; i < areas_.size(); ++i) {
    if (int32_t(i) == cameraArea) continue;
    const Vector3& c = areas_[i].centre;
    const Vector3& h = areas_[i].halfSize;
    // The twelve edges: between corners that differ in one axis.
    for (int a = 0; a < 8; ++a)
      for (int bit = 1; bit < 8; bit <<= 1) {
        if (a & bit) continue;
        const int b = a | bit;
        for (int corner : {a, b})
          lines.push_back({c.x + (corner & 1 ? h.x : -h.x), c.y + (corner & 2 ? h.y : -h.y),
                           c.z + (corner & 4 ? h.z : -h.z)});
      }
  }
  DrawLines(lines);
  if (withMeshes && cameraArea >= 0 && size_t(cameraArea) < areas_.size()) {
    ObjectManager& manager = GetObjectManager();
    for (const auto& list : areas_[size_t(cameraArea)].meshes)
      for (int32_t index : list)
        if (index >= 0 && size_t(index) < meshes_.size() && meshes_[size_t(index)].mesh)
          manager.DrawMesh(meshes_[size_t(index)].mesh.get());
  }
}

void ScenePartition::DrawPartitionShadows() {
  gfx::Device* device = RendererDevice();
  if (!device) return;
  gfx::Matrix identity = platform::d3dx::MatrixIdentity();
  device->SetTransform(gfx::TS_WORLD, &identity);
  ObjectManager& manager = GetObjectManager();
  manager.BeginShadowVolumes();
  for (ShadowGroup& group : shadowGroups_)
    for (auto& mesh : group.shadowMeshes) manager.DrawShadowVolumes(nullptr, mesh.get());
  manager.EndShadowVolumes();
}
