// The Advanced class: lifts, sliding bridges, mines, slides and boosts over gaps; the order in which
// the paint is poured matters.
#include "tools/assetgen/levels.h"

namespace {

LevelDesign Base(const std::string& file, const std::string& name, const std::string& comment) {
  return NewLevel({"The Advanced - Qel.ogg", "TexStone.jpg", true, 360, 120}, file, name, comment);
}

// Red on a plateau only a lift reaches; green in two parts, one past a mine and one over a bridge
// that comes and goes; blue behind a yellow door. Take the free green before the red and the mine's
// door stays shut for good.
LevelDesign MovingParts() {
  LevelDesign d = Base("advanced00", "Moving Parts", "Ride the lift, time the bridge, slip under the mine");
  d.next = "advanced01";
  d.parSeconds = 150;
  d.layout = {
      "       ##o",
      "       #r#",
      "       ###",
      "        L",
      "        #",
      "       GGG",
      " h#_###GGGD##M#og",
      "   _   GGG",
      "   m    #",
      "        1",
      "        #Y#ob",
      "        #",
      "        S",
  };
  d.heights = {
      "       222",
      "       222",
      "       222",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 150)},
      {'h', Paint(E_PAINTG, 105)},
      {'b', Paint(E_PAINTB, 255)},
      {'o', Plasma()},
      {'D', Door(255, 0, 0, 90)},
      {'Y', Door(255, 255, 0, 90)},
      {'L', Lift(true, 20, 0.25f)},
      {'m', Mover(0, 40, 0.5f)},
      {'M', MonsterA(true, 25, 0.5f, 0)},
      {'1', Text("Lifts rise and sink on their own: ride one up to the red.#"
                 "Bridges that slide come and go: cross while one is there.#"
                 "Spiked mines bob up and down: pass beneath them while they are high.")},
  };
  return d;
}

// Blue from a ledge a vertical boost reaches, red on an island a boost throws you to, and red and
// green in a room behind a door of their own mix; a slide brings you down from it.
LevelDesign SlideAndLeap() {
  LevelDesign d = Base("advanced01", "Slide and Leap", "Three doors, three colours: each pot changes what opens");
  d.parSeconds = 180;
  d.layout = {
      "      g#R#",
      "      ####",
      "       # \\",
      "       A #",
      "       2 #",
      "       N #",
      "      GGG#",
      "=b#Uo#GGGE#B__#r#=",
      " #####GGG      w",
      "       #",
      "       x",
      "       1",
      "       #",
      "       S",
  };
  d.heights = {
      "      1111",
      "      1111",
      "       1",
      "       1",
      "",
      "",
      "",
      "111",
  };
  d.legend = {
      {'b', Paint(E_PAINTB, 255)},
      {'r', Paint(E_PAINTR, 200)},
      {'R', Paint(E_PAINTR, 55)},
      {'g', Paint(E_PAINTG, 255)},
      {'o', Plasma()},
      {'E', Door(0, 0, 255, 90)},
      {'N', Door(200, 0, 255, 0)},
      {'U', BoostUp(1, 2, 270)},
      {'B', Boost(5, 90)},
      {'w', Warp('x')},
      {'x', Marker()},
      {'1', Text("Three doors, three colours.#Blue first: the ledge to the west.#"
                 "Brake hard when a boost has thrown you.")},
      {'2', Text("Red 200 and blue open this door.#Come back down the slide to the east:#it is slippery, so steer into it.")},
  };
  return d;
}

}  // namespace

std::vector<LevelDesign> AdvancedLevels() { return {MovingParts(), SlideAndLeap()}; }
