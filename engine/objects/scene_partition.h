// A scene divided into box-shaped areas joined by portals on their sides. The camera's area is drawn,
// then every area seen through a portal with the frustum narrowed to that portal; objects registered
// with the partition are shown only when their area was reached. The module makes the partition with
// an empty root area; nothing in the game adds areas, so it draws nothing and hides nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/objects/frustum.h"
#include "engine/objects/records.h"

// One portal of an area: where it leads, which side it sits on (0 +z, 1 -z, 2 +y, 3 -y, 4 -x, 5 +x),
// a point on it and its four corners.
struct AreaPortal {
  int32_t target = -1;  // index in the partition's area array
  uint32_t side = 0;
  bool hasPoint = true;
  Vector3 point{0, 0, 0};
  Vector3 corners[4] = {};
};

struct AreaSide {
  uint8_t open = 1;
  uint8_t drawn = 1;
};

struct AreaBox {
  AreaSide sides[6];
  std::vector<int32_t> meshes[3];  // indices in the partition's mesh array
  std::vector<AreaPortal> portals;
  std::vector<int32_t> subBoxes;  // indices in the partition's sub-box array
  uint8_t visited = 0;
  Vector3 centre{0, 0, 0};
  Vector3 halfSize{0, 0, 0};
  std::vector<int32_t> subBoxMeshes;  // a sub-box's own meshes
  uint32_t kind = 2;
};

class ScenePartition {
 public:
  ScenePartition();
  ~ScenePartition();
  ScenePartition(const ScenePartition&) = delete;
  ScenePartition& operator=(const ScenePartition&) = delete;

  // The root area around the centre (half size 3000 on each axis); false when it exists already.
  bool CreateRootArea(float x, float y, float z);
  // Filling: an area box, a portal of an area, a mesh drawn with an area (the partition owns it), a
  // sub-box of an area with its own meshes, an object shown only when its area is reached, and a
  // shadow volume mesh. Each returns the new index, -1 for a bad area index.
  int32_t AddArea(const Vector3& centre, const Vector3& halfSize);
  bool AddPortal(int32_t area, const AreaPortal& portal);
  int32_t AddAreaMesh(int32_t area, std::unique_ptr<MeshRecord> mesh, int list = 0);
  int32_t AddSubBox(int32_t area, const Vector3& centre, const Vector3& halfSize);
  int32_t AddSubBoxMesh(int32_t subBox, std::unique_ptr<MeshRecord> mesh);
  void AddObject(ObjectRecord* object);
  int32_t AddShadowMesh(std::unique_ptr<MeshRecord> mesh);

  // The object leaves the partition and is shown again.
  void RemoveObjectFromPartition(ObjectRecord* object);
  // Per camera pass: the camera's area and every area reached through portals; false when the
  // partition is not enabled or has no root.
  bool RenderScenePartition();
  void DrawPartitionShadows();
  // The debug view: every area other than the camera's as a box of lines (no texture, positions
  // only, lighting off); with `withMeshes` the camera's area is drawn again with its meshes.
  void DrawPartitionDebug(bool withMeshes);

  // What a traversal draws after the areas: a mesh (the partition owns it; null for none), the
  // debug view (when debugDraw is set) and the debug line from one point to another.
  void SetAfterTraversalMesh(std::unique_ptr<MeshRecord> mesh);
  void SetDebugLine(bool on, const Vector3& from, const Vector3& to);
  uint8_t debugDraw = 0;
  // The manager let go of every buffer: no mesh of the partition has a place any more.
  void ForgetPlaces();

  // Index of the area the camera was last found in (1-based, 0 = none).
  int32_t CameraArea() const { return lastCameraArea_; }
  uint32_t FrameStamp() const { return frameStamp_; }
  uint32_t CameraAreaPolygons() const { return areaPolygons_; }
  uint32_t CameraAreaDrawCalls() const { return areaDrawCalls_; }
  const std::vector<AreaBox>& Areas() const { return areas_; }
  uint8_t debugWireframe = 0;

 private:
  struct PartitionMesh {
    std::unique_ptr<MeshRecord> mesh;
    uint32_t stamp = 0xFFFFFFFFu;
  };
  struct ShadowGroup {
    std::vector<int32_t> receivers;
    std::vector<std::unique_ptr<MeshRecord>> shadowMeshes;
  };
  static constexpr int kPortalLevels = 19;

  void DrawAreaMeshes(int level, AreaBox* area);
  void DrawAfterTraversal();
  void DrawLines(const std::vector<Vector3>& points);
  void RenderPortals(int level, int32_t areaIndex, int32_t cameFrom);
  int32_t FindArea(const Vector3& point) const;

  std::unique_ptr<AreaBox> root_;
  uint32_t frameStamp_ = 0;
  std::vector<uint8_t> visitedList_;  // sub-boxes drawn this traversal
  uint8_t enabled_ = 0;
  std::vector<PartitionMesh> meshes_;
  std::vector<ObjectRecord*> objects_;
  std::vector<ShadowGroup> shadowGroups_;
  std::vector<AreaBox> subBoxes_;
  std::vector<AreaBox> areas_;
  Vector3 eye_{0, 0, 0};
  // Portals crossed at each depth of the current traversal (the last slot for deeper levels).
  std::vector<const AreaPortal*> levelPortals_[kPortalLevels + 1];
  uint32_t areaPolygons_ = 0;
  uint32_t areaDrawCalls_ = 0;
  int32_t lastCameraArea_ = 0;
  std::unique_ptr<MeshRecord> afterMesh_;
  uint8_t debugLine_ = 0;
  Vector3 debugLinePoints_[2] = {};
};

bool PointInAreaBox(const Vector3& point, const Vector3& minimum, const Vector3& maximum);
// (camera - portal point) . side normal >= 0; true without a point.
bool PortalFacesCamera(uint32_t side, const Vector3& camera, const AreaPortal& portal);
