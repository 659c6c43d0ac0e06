#include "tests/assets/level_solver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <queue>
#include <set>
#include <tuple>
#include <vector>

namespace {

using Colour = std::array<int, 3>;

struct Cell {
  int i, k;
  bool operator<(const Cell& o) const { return std::tie(i, k) < std::tie(o.i, o.k); }
};

struct Node {
  Cell cell;
  int top;
  bool operator<(const Node& o) const { return std::tie(cell, top) < std::tie(o.cell, o.top); }
  bool operator==(const Node& o) const { return !(*this < o) && !(o < *this); }
};

struct Span {
  float bottom, top;
};

struct Launch {
  int speed, push, angle;
};

struct Pot {
  Node node;
  Colour paint;
};

constexpr float kBallHeight = 8.0f;

int CellOf(float v) { return int(std::floor((v - 10.0f) / 20.0f + 0.5f)); }
Cell CellAt(float x, float z) { return {CellOf(x), CellOf(z)}; }
Cell Step(Cell c, int angle) {
  switch (((angle % 360) + 360) % 360) {
    case 0: return {c.i, c.k + 1};
    case 90: return {c.i + 1, c.k};
    case 180: return {c.i, c.k - 1};
    default: return {c.i - 1, c.k};
  }
}

class Level {
 public:
  explicit Level(const MapTables& map) : gravity_(map.header.gravity) {
    for (int i = -1; i <= 1; ++i)
      for (int k = -1; k <= 1; ++k) {
        pad_.push_back({{i, k}, 5});
        spans_[{i, k}].push_back({-5, 5});
        tops_.insert({{i, k}, 5});
      }
    for (int n = 0; n < map.header.recordCount; ++n) Read(map.records[n]);
  }

  bool hasStart() const { return hasStart_; }
  const Node& start() const { return start_; }
  const std::vector<Node>& pad() const { return pad_; }
  const std::vector<Pot>& pots() const { return pots_; }

  // Every node reachable from `from` with the given colour.
  std::set<Node> Reach(const std::vector<Node>& from, const Colour& colour) const {
    std::set<Node> seen;
    std::queue<Node> open;
    const auto visit = [&](const Node& n) {
      for (const Node& landed : Arrive(n, colour))
        if (seen.insert(landed).second) open.push(landed);
    };
    for (const Node& n : from) visit(n);
    while (!open.empty()) {
      const Node n = open.front();
      open.pop();
      for (const Node& next : Moves(n)) visit(next);
    }
    return seen;
  }

 private:
  void Read(const MapRecord& r) {
    const Cell cell = CellAt(r.x, r.z);
    const float y = r.y;
    switch (r.shape) {
      case SHAPE_BOX:
        spans_[cell].push_back({y - 5, y + 5});
        tops_.insert({cell, int(std::lround(y + 5))});
        break;
      case SHAPE_RAMP: {
        spans_[cell].push_back({y - 5, y + 5});
        const bool north = std::lround(r.ry) % 360 == 0;
        const Node low{north ? Cell{cell.i, cell.k - 1} : Cell{cell.i, cell.k + 1}, int(std::lround(y - 5))};
        const Node high{north ? Cell{cell.i, cell.k + 1} : Cell{cell.i, cell.k - 1}, int(std::lround(y + 5))};
        links_[low].push_back(high);
        links_[high].push_back(low);
        break;
      }
      case SHAPE_WEDGE: {
        spans_[cell].push_back({y - 5, y + 15});
        const bool southHigh = std::lround(r.ry) % 360 == 0;
        const Node high{southHigh ? Cell{cell.i, cell.k - 1} : Cell{cell.i, cell.k + 1}, int(std::lround(y + 15))};
        const Node low{southHigh ? Cell{cell.i, cell.k + 1} : Cell{cell.i, cell.k - 1}, int(std::lround(y + 5))};
        links_[high].push_back(low);  // a slide: down only
        break;
      }
      default:
        if (r.shape != SHAPE_EMPTY && r.shape != SHAPE_GOAL_PAD) spans_[cell].push_back({y - 5, y + 5});
        break;
    }
    if (r.shape != SHAPE_BOX) return;
    const Node node{cell, int(std::lround(y + 5))};
    switch (r.entityType) {
      case E_PLAYERSTART: start_ = node, hasStart_ = true; break;
      case E_PAINTR: pots_.push_back({node, {r.p1, 0, 0}}); break;
      case E_PAINTG: pots_.push_back({node, {0, r.p1, 0}}); break;
      case E_PAINTB: pots_.push_back({node, {0, 0, r.p1}}); break;
      case E_DOOR: doors_[node] = {r.p1, r.p2, r.p3}; break;
      case E_WARP: warps_[node] = {CellAt(float(r.p1), float(r.p3)), r.p2 + 5}; break;
      case E_BOOST: launches_[node] = {r.p1, 0, r.p2}; break;
      case E_BOOSTV: launches_[node] = {r.p1, r.p2, r.p3}; break;
      case E_MOVER:
        if (r.p1 == 0) {
          // A lift: its top at either end of its travel.
          const int other = node.top + (r.p2 == 0 ? r.p3 : -r.p3);
          tops_.insert({cell, other});
          links_[node].push_back({cell, other});
          links_[{cell, other}].push_back(node);
        } else {
          // A sliding bridge: its top over every cell it passes.
          for (int travelled = 20; travelled <= r.p3; travelled += 20) {
            const float a = float(r.p2) * float(M_PI) / 180.0f;
            tops_.insert({CellAt(r.x + std::sin(a) * float(travelled), r.z + std::cos(a) * float(travelled)), node.top});
          }
        }
        break;
      default: break;
    }
  }

  bool Blocks(const Cell& cell, float low, float high) const {
    const auto it = spans_.find(cell);
    if (it == spans_.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(), [&](const Span& s) { return s.bottom < high && s.top > low; });
  }
  bool IsTop(const Node& n) const { return tops_.count(n) && !Blocks(n.cell, float(n.top) + 0.5f, float(n.top) + kBallHeight); }
  // The highest top of the cell at or below a height.
  bool TopBelow(const Cell& cell, int height, Node* found) const {
    bool any = false;
    for (auto it = tops_.lower_bound({cell, -100000}); it != tops_.end() && !(cell < it->cell); ++it) {
      if (it->top <= height && IsTop(*it)) *found = *it, any = true;
    }
    return any;
  }

  // Where the ball ends up when it gets onto a node: carried by a warp, thrown by a boost, or staying;
  // nothing when a closed door stands there or the ball is lost.
  std::vector<Node> Arrive(const Node& n, const Colour& colour, int depth = 0) const {
    if (depth > 8) return {};
    if (const auto door = doors_.find(n); door != doors_.end() && door->second != colour) return {};
    if (const auto warp = warps_.find(n); warp != warps_.end()) {
      Node landed;
      if (!TopBelow(warp->second.cell, warp->second.top, &landed)) return {};
      return Arrive(landed, colour, depth + 1);
    }
    if (const auto launch = launches_.find(n); launch != launches_.end()) {
      std::vector<Node> result;
      for (const Node& landed : Fly(n, launch->second))
        for (const Node& end : Arrive(landed, colour, depth + 1)) result.push_back(end);
      return result;
    }
    return {n};
  }

  std::vector<Node> Moves(const Node& n) const {
    std::vector<Node> next;
    if (const auto link = links_.find(n); link != links_.end())
      for (const Node& m : link->second)
        if (IsTop(m)) next.push_back(m);
    for (int angle : {0, 90, 180, 270}) {
      const Cell c = Step(n.cell, angle);
      // Driving in: nothing may stand where the ball's wall probe and body are.
      if (Blocks(c, float(n.top) + 0.5f, float(n.top) + 6.0f)) continue;
      Node landed;
      if (TopBelow(c, n.top, &landed)) next.push_back(landed);
    }
    return next;
  }

  // The ball thrown from a boost: one simulation step at a time along the launch direction. Returns
  // every top it touches on the way, since it can brake to a stop on any of them.
  std::vector<Node> Fly(const Node& from, const Launch& launch) const {
    const float a = float(launch.angle) * float(M_PI) / 180.0f;
    const float dx = std::round(std::sin(a)), dz = std::round(std::cos(a));
    float x = float(from.cell.i * 20 + 10), z = float(from.cell.k * 20 + 10);
    float by = float(from.top) + 1.0f;  // set down on the pad, one unit high
    float speed = float(launch.speed), push = float(launch.push), fall = 0.01f;
    std::vector<Node> touched;
    for (int step = 0; step < 3000 && by > -200; ++step) {
      const Cell here = CellAt(x, z);
      if (push > 0) {
        by += push;
        push = Blocks(here, by, by + kBallHeight) ? -gravity_ : push - gravity_;
      }
      Node ground;
      const bool below = TopBelow(here, int(std::floor(by + 4)), &ground) && float(ground.top) >= by - 15;
      if (below && float(ground.top) >= by && float(ground.top) <= by + 10) {
        fall = 0.01f;
        by = float(ground.top);
        if (!(ground == from) && std::find(touched.begin(), touched.end(), ground) == touched.end())
          touched.push_back(ground);
        if (speed <= 0) break;
      } else {
        fall += gravity_;
      }
      by -= fall;
      const float nx = x + dx * speed, nz = z + dz * speed;
      const Cell ahead = CellAt(nx + dx * 3.5f, nz + dz * 3.5f);
      if (!Blocks(ahead, by + 5.25f, by + 5.75f)) x = nx, z = nz;
      speed = std::max(0.0f, speed - 0.01f);
    }
    return touched;
  }

  float gravity_;
  std::map<Cell, std::vector<Span>> spans_;
  std::set<Node> tops_;
  std::map<Node, std::vector<Node>> links_;
  std::map<Node, Colour> doors_;
  std::map<Node, Node> warps_;
  std::map<Node, Launch> launches_;
  std::vector<Node> pad_;
  std::vector<Pot> pots_;
  Node start_{};
  bool hasStart_ = false;
};

std::string Text(const Colour& c) {
  return "(" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + ")";
}

bool ReachesPad(const Level& level, const Node& from, const Colour& colour) {
  const std::set<Node> reach = level.Reach({from}, colour);
  return std::any_of(level.pad().begin(), level.pad().end(), [&](const Node& p) { return reach.count(p) > 0; });
}

}  // namespace

LevelPlan PlanLevel(const MapTables& map) {
  LevelPlan plan;
  const Level level(map);
  if (!level.hasStart()) {
    plan.problem = "no start";
    return plan;
  }
  const Colour black{0, 0, 0};
  plan.startReachesPad = ReachesPad(level, level.start(), black);
  if (!plan.startReachesPad) {
    plan.problem = "the start does not lead to the goal pad";
    return plan;
  }
  const std::vector<Pot>& pots = level.pots();
  if (pots.size() > 16) {
    plan.problem = "too many pots to plan";
    return plan;
  }
  struct State {
    Colour colour;
    uint32_t taken;
    std::string route;
  };
  std::queue<State> open;
  std::set<std::pair<Colour, uint32_t>> seen;
  open.push({black, 0, ""});
  seen.insert({black, 0});
  while (!open.empty()) {
    const State s = open.front();
    open.pop();
    if (s.colour == Colour{255, 255, 255}) {
      plan.solvable = true;
      plan.route = s.route;
      return plan;
    }
    const std::set<Node> reach = level.Reach(level.pad(), s.colour);
    std::vector<int> available;
    for (size_t p = 0; p < pots.size(); ++p)
      if (!(s.taken & (1u << p)) && reach.count(pots[p].node) && ReachesPad(level, pots[p].node, s.colour))
        available.push_back(int(p));
    for (uint32_t subset = 1; subset < (1u << available.size()); ++subset) {
      Colour next = s.colour;
      uint32_t taken = s.taken;
      for (size_t a = 0; a < available.size(); ++a) {
        if (!(subset & (1u << a))) continue;
        taken |= 1u << available[a];
        for (int c = 0; c < 3; ++c) next[c] += pots[size_t(available[a])].paint[size_t(c)];
      }
      if (next[0] > 255 || next[1] > 255 || next[2] > 255) continue;
      if (seen.insert({next, taken}).second) open.push({next, taken, s.route + (s.route.empty() ? "" : " ") + Text(next)});
    }
  }
  // Say which pots a black ball can fetch, to show where the way is lost.
  const std::set<Node> reach = level.Reach(level.pad(), black);
  std::string pots_text;
  for (const Pot& pot : pots) {
    pots_text += " " + Text(pot.paint) + "@" + std::to_string(pot.node.cell.i) + "," + std::to_string(pot.node.cell.k) +
                 (reach.count(pot.node) ? (ReachesPad(level, pot.node, black) ? " fetchable" : " one-way") : " out of reach");
  }
  plan.problem = "no order of pots turns the ball white; at the start:" + pots_text;
  return plan;
}
