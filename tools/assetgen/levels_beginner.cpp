// The Beginner class: paint in part amounts, mixed door colours, heights, a vertical boost and a pot
// that must be left alone.
#include "tools/assetgen/levels.h"

namespace {

LevelDesign Base(const std::string& file, const std::string& name, const std::string& comment) {
  return NewLevel({"Qel - Paint Runner.ogg", "TexTiles.jpg", true, 300, 90}, file, name, comment);
}

// Red comes in two halves; the first half opens the way to green, red and green open the way to the
// second half, and yellow opens the blue room.
LevelDesign HalfMeasures() {
  LevelDesign d = Base("beginner00", "Half Measures", "Pots hold any amount: add them up to open the doors");
  d.next = "beginner01";
  d.parSeconds = 120;
  d.layout = {
      "             ###",
      "             #g#",
      "             ###",
      "              o",
      "              P",
      "              2",
      "  ###         #",
      "  #b#         #",
      "  #B#  #r#   GGG     ###",
      "  ##Q#o##4###GGG3L##o#R#",
      "        o    GGG     ###",
      "              #",
      "              1",
      "              #",
      "              S",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 128)},
      {'R', Paint(E_PAINTR, 127)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 155)},
      {'B', Paint(E_PAINTB, 100)},
      {'o', Plasma()},
      {'P', Door(128, 0, 0, 0)},
      {'L', Door(128, 255, 0, 90)},
      {'Q', Door(255, 255, 0, 90)},
      {'1', Text("Pots hold any amount of paint up to 255.#The door to the north opens for red 128 (128, 0, 0):#"
                 "the west has just that much.")},
      {'2', Text("Green 255 waits beyond this door.#Red 128 and green 255 open the door to the east.")},
      {'3', Text("The last 127 of red lies beyond this door.#128 and 127 make 255.")},
      {'4', Text("The blue room opens for yellow (255, 255, 0).#Take both blue pots: 155 and 100 make 255.")},
  };
  return d;
}

// Green up the ramps, blue on a ledge only a vertical boost reaches, red behind a cyan door, and a
// pot of green that would spoil the colour for good.
LevelDesign UpAndOver() {
  LevelDesign d = Base("beginner01", "Up and Over", "Climb, leap and drop: and leave the spare green alone");
  
  d.parSeconds = 150;
  d.layout = {
      "",
      "",
      "         ######",
      "         ####g#",
      "         ######",
      "          #  A",
      "          #  #",
      "          #  A",
      "          #2##",
      "            GGG",
      "     r####oCGGGD3U#b=",
      "            GGG   ##",
      "             #######",
      "             1",
      "            h#",
      "             S",
  };
  d.heights = {
      "",
      "",
      "            222",
      "            222",
      "            222",
      "             2",
      "             1",
      "             1",
      "",
      "",
      "                  111",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 255)},
      {'h', Paint(E_PAINTG, 100)},
      {'o', Plasma()},
      {'C', Door(0, 255, 255, 90)},
      {'D', Door(0, 255, 0, 90)},
      {'U', BoostUp(1, 2, 90)},
      {'1', Text("Not every pot is a friend: paint only ever adds up.#Take too much and the ball can never turn white.#"
                 "Start with the green up the ramps to the north.")},
      {'2', Text("Ramps climb a level at a time.#To come down, simply drive off an edge.")},
      {'3', Text("Blue pads throw you up as well as forward.#Let it carry you onto the ledge,#"
                 "then drop off its south side to come home.")},
  };
  return d;
}

}  // namespace

std::vector<LevelDesign> BeginnerLevels() { return {HalfMeasures(), UpAndOver()}; }
