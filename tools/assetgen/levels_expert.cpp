// The Expert class: no walls, a hunter on patrol, towers of lifts, bridges that come and go, and paint
// that has to wait its turn. These layouts are placed cell by cell (i east, k north of the pad).
#include <cstdlib>

#include "tools/assetgen/levels.h"

namespace {

// Cells set one by one, turned into the layout and height rows.
class Cells {
 public:
  Cells(int west, int east, int south, int north)
      : west_(west), north_(north), layout_(size_t(north - south + 1), std::string(size_t(east - west + 1), ' ')),
        heights_(layout_.size(), std::string(layout_[0].size(), ' ')) {}
  void Set(int i, int k, char c, int level = 0) {
    layout_[size_t(north_ - k)][size_t(i - west_)] = c;
    heights_[size_t(north_ - k)][size_t(i - west_)] = char('0' + level);
  }
  void Pad() {
    for (int i = -1; i <= 1; ++i)
      for (int k = -1; k <= 1; ++k) Set(i, k, 'G');
  }
  void Into(LevelDesign& d) const {
    d.layout = layout_;
    d.heights = heights_;
  }

 private:
  int west_, north_;
  std::vector<std::string> layout_, heights_;
};

LevelDesign Base(const std::string& file, const std::string& name, const std::string& comment) {
  return NewLevel({"Qel - Expert Pulse.ogg", "TexCircuit.jpg", false, 420, 120}, file, name, comment);
}

// A two-lane ring round the pad with a hunter on its inner lane; four spurs, three of them behind doors.
LevelDesign Hunters() {
  LevelDesign d = Base("expert00", "Hunters", "Keep to the outer lane while the hunter goes round");
  d.next = "expert01";
  d.parSeconds = 180;
  Cells c(-7, 7, -7, 7);
  c.Pad();
  for (int i = -4; i <= 4; ++i)
    for (int k = -4; k <= 4; ++k)
      if (std::max(std::abs(i), std::abs(k)) >= 3) c.Set(i, k, '#');
  for (const auto& [i, k] : {std::pair{0, 2}, {0, -2}, {2, 0}, {-2, 0}}) c.Set(i, k, '#');
  // The hunter's corners, the hunter itself and plasma round the outside.
  c.Set(3, 3, '5');
  c.Set(3, -3, '6');
  c.Set(-3, -3, '7');
  c.Set(-3, 3, '8');
  c.Set(0, 3, 'H');
  for (const auto& [i, k] : {std::pair{4, 4}, {-4, 4}, {-4, -4}, {4, 0}, {-4, 0}, {0, 4}}) c.Set(i, k, 'o');
  // North: red, free.
  c.Set(0, 5, '#');
  c.Set(0, 6, 'r');
  // East: green 128 behind red.
  c.Set(5, 0, 'E');
  c.Set(6, 0, '#');
  c.Set(7, 0, 'g');
  // West: green 127 and blue 155 behind red and half green.
  c.Set(-5, 0, 'W');
  c.Set(-6, 0, 'h');
  c.Set(-7, 0, 'b');
  // South-east: the last blue behind the mix of everything else.
  c.Set(5, -4, 'C');
  c.Set(6, -4, 'B');
  // South: the start.
  c.Set(0, -5, '1');
  c.Set(0, -6, '#');
  c.Set(0, -7, 'S');
  c.Into(d);
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 128)},
      {'h', Paint(E_PAINTG, 127)},
      {'b', Paint(E_PAINTB, 155)},
      {'B', Paint(E_PAINTB, 100)},
      {'o', Plasma()},
      {'E', Door(255, 0, 0, 90)},
      {'W', Door(255, 128, 0, 90)},
      {'C', Door(255, 255, 155, 90)},
      {'H', MonsterB(0, 0.5f)},
      {'5', Marker()},
      {'6', Marker()},
      {'7', Marker()},
      {'8', Marker()},
      {'1', Text("No walls from here on: mind the edges.#A hunter patrols the inner lane of the ring;#"
                 "keep to the outer lane and cross behind it.")},
  };
  d.paths = {"5678"};
  return d;
}

// A tower of two lifts to the red, two sliding bridges to the green, a boost over a gap to most of the
// blue, and the rest of the blue, guarded by a mine, which must come last.
LevelDesign Clockwork() {
  LevelDesign d = Base("expert01", "Clockwork", "Everything moves: and some paint has to wait its turn");
  d.parSeconds = 240;
  Cells c(-9, 7, -6, 7);
  c.Pad();
  // North: the tower.
  c.Set(0, 2, '#');
  c.Set(0, 3, 'o');
  c.Set(0, 4, 'L');
  for (int i = -1; i <= 1; ++i) c.Set(i, 5, '#', 2);
  c.Set(0, 6, 'K', 2);
  for (int i = -1; i <= 1; ++i) c.Set(i, 7, i == 0 ? 'r' : '#', 4);
  // East: two bridges that come and go, green at the end.
  c.Set(2, 0, 'D');
  c.Set(3, 0, '#');
  c.Set(4, 0, '_');
  c.Set(4, -1, '_');
  c.Set(4, -2, 'm');
  c.Set(5, 0, 'o');
  c.Set(6, 0, '_');
  c.Set(6, 1, '_');
  c.Set(6, 2, 'n');
  c.Set(7, 0, 'g');
  // West: a boost over the gap to the blue island, a warp home.
  c.Set(-2, 0, 'Y');
  c.Set(-3, 0, '#');
  c.Set(-4, 0, 'B');
  c.Set(-5, 0, '_');
  c.Set(-6, 0, '_');
  c.Set(-7, 0, '#');
  c.Set(-8, 0, 'b');
  c.Set(-9, 0, '=');
  c.Set(-7, 1, 'w');
  // South: the start, and the guarded pocket of blue.
  c.Set(0, -2, '#');
  c.Set(0, -3, 'x');
  c.Set(0, -4, '#');
  c.Set(0, -5, '1');
  c.Set(0, -6, 'S');
  c.Set(1, -4, '#');
  c.Set(2, -4, 'M');
  c.Set(3, -4, 'v');
  c.Into(d);
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 200)},
      {'v', Paint(E_PAINTB, 55)},
      {'o', Plasma()},
      {'D', Door(255, 0, 0, 90)},
      {'Y', Door(255, 255, 0, 90)},
      {'L', Lift(true, 20, 0.3f)},
      {'K', Lift(true, 20, 0.3f)},
      {'m', Mover(0, 40, 0.6f)},
      {'n', Mover(180, 40, 0.6f)},
      {'M', MonsterA(true, 25, 0.6f, 3000)},
      {'B', Boost(5, 270)},
      {'w', Warp('x')},
      {'x', Marker()},
      {'1', Text("Red, then green, then blue.#The little blue pot to the east of here is the very last:#"
                 "take it early and the doors will never open again.")},
  };
  return d;
}

}  // namespace

std::vector<LevelDesign> ExpertLevels() { return {Hunters(), Clockwork()}; }
