#include "tools/assetgen/levels.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr float kMonsterBHalfHeight = 2.6f;  // the path monster's model is 5.2 high, origin in its middle

struct Grid {
  const LevelDesign& d;
  int rows, cols, padRow, padCol;

  char At(int row, int col) const {
    if (row < 0 || col < 0 || row >= rows || col >= cols) return ' ';
    return d.layout[size_t(row)][size_t(col)];
  }
  int Level(int row, int col) const {
    if (d.heights.empty()) return 0;
    const char h = d.heights[size_t(row)][size_t(col)];
    return h >= '0' && h <= '9' ? h - '0' : 0;
  }
  float X(int col) const { return float((col - padCol) * 20 + 10); }
  float Z(int row) const { return float((padRow - row) * 20 + 10); }
  bool IsFloor(char c) const { return c == '#' || c == 'S' || d.legend.count(c); }
  // Level-0 ground the walls keep the ball on.
  bool IsLowGround(int row, int col) const {
    const char c = At(row, col);
    if (c == 'G') return true;
    if (row < 0 || col < 0 || row >= rows || col >= cols) return false;
    if (IsFloor(c)) return Level(row, col) == 0;
    if (c == 'A' || c == 'V') return Level(row, col) == 1;
    return false;
  }
  bool NeedsWall(int row, int col) const {
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc)
        if ((dr || dc) && IsLowGround(row + dr, col + dc)) return true;
    return false;
  }
  // The level of the highest surface a ball could stand on next to the cell.
  int GroundLevelNear(int row, int col) const {
    int level = 0;
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc) {
        const int r = row + dr, c = col + dc;
        if (r < 0 || c < 0 || r >= rows || c >= cols) continue;
        const char ch = At(r, c);
        if (IsFloor(ch) || ch == 'A' || ch == 'V') level = std::max(level, Level(r, c));
        if (ch == '/' || ch == '\\') level = std::max(level, Level(r, c) + 1);
      }
    return level;
  }
};

Grid Measure(const LevelDesign& d) {
  Grid g{d, int(d.layout.size()), d.layout.empty() ? 0 : int(d.layout[0].size()), -1, -1};
  int padCells = 0, rowSum = 0, colSum = 0;
  for (int r = 0; r < g.rows; ++r) {
    if (int(d.layout[size_t(r)].size()) != g.cols) Fail(d.file + ": layout row " + std::to_string(r) + " has another width");
    if (!d.heights.empty() && d.heights[size_t(r)].size() != d.layout[size_t(r)].size())
      Fail(d.file + ": heights row " + std::to_string(r) + " has another width");
    for (int c = 0; c < g.cols; ++c)
      if (d.layout[size_t(r)][size_t(c)] == 'G') ++padCells, rowSum += r, colSum += c;
  }
  if (!d.heights.empty() && d.heights.size() != d.layout.size()) Fail(d.file + ": heights and layout differ in rows");
  if (padCells != 9) Fail(d.file + ": the goal pad must be 3 x 3 cells");
  g.padRow = rowSum / 9, g.padCol = colSum / 9;
  for (int r = -1; r <= 1; ++r)
    for (int c = -1; c <= 1; ++c)
      if (g.At(g.padRow + r, g.padCol + c) != 'G') Fail(d.file + ": the goal pad must be 3 x 3 cells");
  return g;
}

MapRecord& NewRecord(MapTables& map, int shape, float x, float y, float z, float ry = 0) {
  if (map.header.recordCount >= kMapRecordCapacity) Fail("too many records");
  MapRecord& r = map.records[map.header.recordCount++];
  ResetMapRecord(r);
  r.shape = shape;
  r.x = x, r.y = y, r.z = z, r.ry = ry;
  return r;
}

void CopyText(char* field, size_t size, const std::string& text) {
  if (text.size() >= size) Fail("text too long: " + text);
  std::memcpy(field, text.c_str(), text.size() + 1);
}

void SetEntity(MapRecord& r, const CellSpec& spec) {
  r.entityType = spec.type;
  r.p1 = spec.p1, r.p2 = spec.p2, r.p3 = spec.p3, r.p4 = spec.p4, r.p5 = spec.p5;
  CopyText(r.text, sizeof r.text, spec.text.empty() ? "null" : spec.text);
}

// Where the cell of a character lies; it must be the only one.
std::pair<int, int> Find(const Grid& g, char c) {
  std::pair<int, int> found{-1, -1};
  for (int r = 0; r < g.rows; ++r)
    for (int col = 0; col < g.cols; ++col)
      if (g.At(r, col) == c) {
        if (found.first >= 0) Fail(g.d.file + ": '" + std::string(1, c) + "' names more than one cell");
        found = {r, col};
      }
  if (found.first < 0) Fail(g.d.file + ": no cell '" + std::string(1, c) + "'");
  return found;
}

void Header(MapTables& map, const LevelDesign& d) {
  MapHeader& h = map.header;
  h.planningTime = d.planningSeconds * 1000;
  h.gameTime = d.timeSeconds * 1000;
  h.visId = 1;
  h.parTime = d.parSeconds * 1000;
  h.gravity = d.gravity;
  CopyText(h.texture, sizeof h.texture, d.texture);
  CopyText(h.mapName, sizeof h.mapName, d.name);
  CopyText(h.nextMap, sizeof h.nextMap, d.next);
  CopyText(h.fileName, sizeof h.fileName, d.file);
  CopyText(h.comment, sizeof h.comment, d.comment);
  CopyText(h.music, sizeof h.music, d.music);
}

}  // namespace

namespace {
CellSpec Spec(EntityType type, int p1 = 0, int p2 = 0, int p3 = 0, int p4 = 0, float p5 = 0) {
  CellSpec spec;
  spec.type = type;
  spec.p1 = p1, spec.p2 = p2, spec.p3 = p3, spec.p4 = p4, spec.p5 = p5;
  return spec;
}
}  // namespace

CellSpec Paint(EntityType channel, int amount) { return Spec(channel, amount, -1, -1, -1); }
CellSpec Door(int red, int green, int blue, int angle) { return Spec(E_DOOR, red, green, blue, angle); }
CellSpec Text(const std::string& message) {
  CellSpec spec = Spec(E_TEXT, -1, -1, -1, -1);
  spec.text = message;
  return spec;
}
CellSpec Warp(char target) {
  CellSpec spec = Spec(E_WARP);
  spec.target = target;
  return spec;
}
CellSpec Boost(int speed, int angle) { return Spec(E_BOOST, speed, angle); }
CellSpec BoostUp(int speed, int push, int angle) { return Spec(E_BOOSTV, speed, push, angle); }
CellSpec Mover(int angle, int distance, float speed) { return Spec(E_MOVER, 1, angle, distance, 0, speed); }
CellSpec Lift(bool upFirst, int distance, float speed) { return Spec(E_MOVER, 0, upFirst ? 0 : 1, distance, 0, speed); }
CellSpec MonsterA(bool upFirst, int distance, float speed, int delayMs) {
  return Spec(E_MONSTERA, upFirst ? 0 : 1, distance, 0, delayMs, speed);
}
CellSpec MonsterB(int path, float speed) { return Spec(E_MONSTERB, path, 0, 0, 0, speed); }
CellSpec Plasma() { return Spec(E_PLASMA); }
CellSpec Respawn(int angle) { return Spec(E_RESPAWN, angle); }
CellSpec Marker() { return {}; }

LevelDesign NewLevel(const ClassStyle& style, const std::string& file, const std::string& name,
                     const std::string& comment) {
  LevelDesign d;
  d.file = file;
  d.name = name;
  d.comment = comment;
  d.music = style.music;
  d.texture = style.texture;
  d.walls = style.walls;
  d.timeSeconds = style.timeSeconds;
  d.planningSeconds = style.planningSeconds;
  return d;
}

namespace {
// Rows padded to one width with spaces, so layouts can be written without trailing blanks, and framed
// by one empty cell on every side, so that walls also close the edges of the drawing.
LevelDesign Padded(LevelDesign d) {
  size_t width = 0;
  for (const std::string& row : d.layout) width = std::max(width, row.size());
  for (const std::string& row : d.heights) width = std::max(width, row.size());
  if (!d.heights.empty()) d.heights.resize(std::max(d.heights.size(), d.layout.size()));
  for (std::vector<std::string>* grid : {&d.layout, &d.heights}) {
    if (grid->empty()) continue;
    for (std::string& row : *grid) row = " " + row + std::string(width - row.size() + 1, ' ');
    grid->insert(grid->begin(), std::string(width + 2, ' '));
    grid->push_back(std::string(width + 2, ' '));
  }
  return d;
}
}  // namespace

void WriteLevel(const Output& out, const std::string& folder, const LevelDesign& design) {
  const LevelDesign d = Padded(design);
  const Grid g = Measure(d);
  auto map = std::make_unique<MapTables>();
  ResetMapTables(*map);
  Header(*map, d);
  NewRecord(*map, SHAPE_GOAL_PAD, 10, 0, 10);
  for (int row = 0; row < g.rows; ++row) {
    for (int col = 0; col < g.cols; ++col) {
      const char c = g.At(row, col);
      const float x = g.X(col), z = g.Z(row), y = float(10 * g.Level(row, col));
      if (c == ' ') {
        // A wall stands higher than any ground beside it, so its top is never a floor to drive on.
        if (d.walls && g.NeedsWall(row, col))
          for (int level = 1; level <= g.GroundLevelNear(row, col) + 1; ++level) NewRecord(*map, SHAPE_BOX, x, 10.0f * level, z);
      } else if (c == 'A' || c == 'V') {
        NewRecord(*map, SHAPE_RAMP, x, y, z, c == 'A' ? 0 : 180);
      } else if (c == '/' || c == '\\') {
        NewRecord(*map, SHAPE_WEDGE, x, y, z, c == '/' ? 0 : 180);
      } else if (c == '=') {
        NewRecord(*map, SHAPE_BOX, x, y + 10, z);
      } else if (c == '#') {
        NewRecord(*map, SHAPE_BOX, x, y, z);
      } else if (c == 'S') {
        SetEntity(NewRecord(*map, SHAPE_BOX, x, y, z), Spec(E_PLAYERSTART, d.startAngle, -1, -1, -1));
      } else if (auto it = d.legend.find(c); it != d.legend.end()) {
        MapRecord& r = NewRecord(*map, SHAPE_BOX, x, y, z);
        SetEntity(r, it->second);
        if (it->second.type == E_WARP) {
          const auto [tr, tc] = Find(g, it->second.target);
          r.p1 = int(g.X(tc)), r.p2 = 10 * g.Level(tr, tc), r.p3 = int(g.Z(tr));
        }
      } else if (c != 'G' && c != '_') {
        Fail(d.file + ": no meaning for '" + std::string(1, c) + "'");
      }
    }
  }
  if (d.paths.size() > size_t(kWaypointPathCount)) Fail(d.file + ": too many paths");
  for (size_t p = 0; p < d.paths.size(); ++p) {
    WaypointPath& path = map->paths[p];
    if (d.paths[p].size() > size_t(kWaypointPointsUsed)) Fail(d.file + ": a path of too many points");
    path.colour = 0xFFFF8020u;
    for (char marker : d.paths[p]) {
      const auto [row, col] = Find(g, marker);
      path.points[path.pointCount++] = {g.X(col), 10.0f * g.Level(row, col) + 5 + kMonsterBHalfHeight, g.Z(row)};
    }
  }
  const std::string name = "Maps\\" + folder + "\\" + d.file + ".qel";
  if (!WriteMapFile(out.PathOf(name).c_str(), *map)) Fail("cannot write " + name);
}

void MakeMaps(const Output& out) {
  const std::pair<const char*, std::vector<LevelDesign>> classes[] = {
      {"Tutorial", TutorialLevels()}, {"Beginner", BeginnerLevels()}, {"Advanced", AdvancedLevels()},
      {"Expert", ExpertLevels()}};
  for (const auto& [folder, levels] : classes)
    for (const LevelDesign& level : levels) WriteLevel(out, folder, level);
}
