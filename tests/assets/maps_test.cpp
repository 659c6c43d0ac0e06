// The four level classes: each chains from the first map the menu starts to "Null", through maps the
// game's reader takes, and every map can be completed.
#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>

#include "game/play/map_file.h"
#include "platform/fs/path.h"
#include "tests/assets/assets_fixture.h"
#include "tests/assets/level_solver.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

struct LevelClass {
  const char* firstMap;  // as the menu sets the map path
  const char* folder;    // as the menu sets the class folder
};
const LevelClass kClasses[] = {
    {"\\Tutorial\\tutor00.qel", "\\Tutorial\\"},
    {"\\Beginner\\beginner00.qel", "\\Beginner\\"},
    {"\\Advanced\\advanced00.qel", "\\Advanced\\"},
    {"\\Expert\\expert00.qel", "\\Expert\\"},
};

void CheckMap(const MapTables& map, const std::string& path) {
  const MapHeader& h = map.header;
  ASSERT_GE(h.recordCount, 1);
  EXPECT_EQ(map.records[0].shape, SHAPE_GOAL_PAD) << "record 0 is the goal pad the editor starts with";
  int starts = 0, pads = 0;
  for (int n = 0; n < h.recordCount; ++n) {
    starts += map.records[n].entityType == E_PLAYERSTART;
    pads += map.records[n].shape == SHAPE_GOAL_PAD;
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(pads, 1);
  EXPECT_TRUE(platform::fs::FileExists(std::string("Music\\") + h.music)) << h.music;
  EXPECT_TRUE(platform::fs::FileExists(std::string("Textures\\") + h.texture)) << h.texture;
  EXPECT_NE(path.find(std::string(h.fileName) + ".qel"), std::string::npos) << "the map names its own file";
  EXPECT_GT(h.parTime, 0);
  EXPECT_LT(h.parTime, h.gameTime);
  EXPECT_GT(h.planningTime, 0);
  EXPECT_GT(h.gravity, 0.0f);
  const LevelPlan plan = PlanLevel(map);
  EXPECT_TRUE(plan.solvable) << h.mapName << ": " << plan.problem;
  if (plan.solvable) std::printf("%s (%s): %s\n", h.mapName, h.fileName, plan.route.c_str());
}

class MapsTest : public AssetsTest {};

TEST_F(MapsTest, EveryClassChainsFromItsFirstMapToNullAndEachMapCanBeCompleted) {
  for (const LevelClass& levelClass : kClasses) {
    std::string path = levelClass.firstMap;
    std::set<std::string> visited;
    for (;;) {
      SCOPED_TRACE(path);
      ASSERT_TRUE(visited.insert(Lower(path)).second) << "the chain comes back to a map";
      auto map = std::make_unique<MapTables>();
      ResetMapTables(*map);
      MapFileError error = MapFileError::kNone;
      ASSERT_TRUE(ReadMapFile(("Maps\\" + path).c_str(), *map, &error)) << MapFileErrorText(error);
      CheckMap(*map, path);
      const std::string next = map->header.nextMap;
      if (Lower(next) == "null") break;
      path = levelClass.folder + next + ".qel";
    }
    EXPECT_GE(visited.size(), 2u) << levelClass.folder;
  }
}

}  // namespace
