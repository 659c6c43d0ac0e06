// Emptying the waypoint paths and their markers in the editor.
#include "engine/core/core.h"
#include "game/play/map_file.h"

// Commands of the object module.
int32_t ObjectExists(int32_t object);
void DeleteObject(int32_t object);

namespace {
constexpr int32_t kFirstPathMarker = 4000;
constexpr int32_t kLastPathMarker = kFirstPathMarker + kWaypointPathCount * kWaypointPointsUsed - 1;
}  // namespace

void ClearWaypointPaths() {
  for (int32_t object = kFirstPathMarker; object <= kLastPathMarker; ++object) {
    if (ObjectExists(object)) DeleteObject(object);
  }
  for (WaypointPath& path : CurrentMap().paths) {
    path = WaypointPath{};
    const uint32_t red = uint32_t(RandomInt(255)), green = uint32_t(RandomInt(255)), blue = uint32_t(RandomInt(255));
    path.colour = 0xFF000000u | red << 16 | green << 8 | blue;
  }
}
