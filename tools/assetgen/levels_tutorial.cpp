// The Tutorial class: walled levels that teach driving, paint, doors, plasma, warps, boosts and ramps.
#include "tools/assetgen/levels.h"

namespace {

LevelDesign Base(const std::string& file, const std::string& name, const std::string& comment) {
  return NewLevel({"Qel - First Light.ogg", "TexPlain.jpg", true, 300, 60}, file, name, comment);
}

LevelDesign FirstRoll() {
  LevelDesign d = Base("tutor00", "First Roll", "Bring red, green and blue paint to the goal pad");
  d.next = "tutor01";
  d.parSeconds = 75;
  d.layout = {
      "         ###         ",
      "         #g#         ",
      "         ###         ",
      "          #          ",
      "          2          ",
      "          #          ",
      " ###     GGG     ### ",
      " #r#3####GGG####4#b# ",
      " ###     GGG     ### ",
      "          #          ",
      "          1          ",
      "          #          ",
      "          #          ",
      "          S          ",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 255)},
      {'1', Text("Welcome to qel!#Up drives forward, Down brakes and backs up,#Left and Right turn the ball.#"
                 "Roll north onto the green goal pad.")},
      {'2', Text("Paint pots carry colour. Roll into one to pick it up,#then drive onto the goal pad#"
                 "to pour the paint into your ball.")},
      {'3', Text("The bars at the bottom left show your ball's colour#and the paint you carry.#"
                 "A level is done when the ball is white:#255 red, 255 green and 255 blue.")},
      {'4', Text("Space is the emergency brake: it stops you dead,#but there are only two per level.#"
                 "C switches the camera, P opens the planning screen.")},
  };
  return d;
}

LevelDesign ColourDoors() {
  LevelDesign d = Base("tutor01", "Colour Doors", "A door opens only for a ball of its own colour");
  d.next = "tutor02";
  d.parSeconds = 90;
  d.layout = {
      "          ###          ",
      "          #g#          ",
      "          ###          ",
      "           o           ",
      "           R           ",
      "           3           ",
      "           #           ",
      "  ###     GGG    ###   ",
      "  #r#o2###GGG4Yo##b#   ",
      "  ###     GGG    ###   ",
      "           #           ",
      "           1           ",
      "           o           ",
      "           S           ",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 255)},
      {'o', Plasma()},
      {'R', Door(255, 0, 0, 0)},
      {'Y', Door(255, 255, 0, 90)},
      {'1', Text("Doors stand open only for a ball of exactly their colour.#"
                 "The door to the north wants pure red (255, 0, 0):#the red paint waits to the west.")},
      {'2', Text("The glowing orbs are plasma: roll through them for points.#"
                 "Clear all of a level's plasma for the full bonus.")},
      {'3', Text("Beyond this door lies green.#Red and green together make yellow (255, 255, 0).")},
      {'4', Text("This door wants yellow.#Stuck? R restarts the level (it costs a life),#"
                 "F1 takes you back to the menu.")},
  };
  return d;
}

LevelDesign JumpsAndWarps() {
  LevelDesign d = Base("tutor02", "Jumps and Warps", "Boosts fling you, warps carry you, ramps lift you");
  d.parSeconds = 100;
  d.layout = {
      "      x#o     ",
      "      #g#     ",
      "       B      ",
      "       _      ",
      "       _      ",
      "       #      ",
      "      w#      ",
      "       2      ",
      "  r    #      ",
      "  #    #      ",
      "  A   GGG      ",
      "  #o##GGG#E__#b#",
      "      GGG    ov ",
      "       #      ",
      "       u      ",
      "       1      ",
      "       #      ",
      "       S      ",
  };
  d.heights = {
      "",
      "",
      "",
      "",
      "",
      "",
      "",
      "",
      "  1",
      "  1",
      "  1",
  };
  d.legend = {
      {'r', Paint(E_PAINTR, 255)},
      {'g', Paint(E_PAINTG, 255)},
      {'b', Paint(E_PAINTB, 255)},
      {'o', Plasma()},
      {'w', Warp('x')},
      {'v', Warp('u')},
      {'x', Marker()},
      {'u', Marker()},
      {'B', Boost(5, 180)},
      {'E', Boost(5, 90)},
      {'1', Text("Ramps lead up; mind the edges up there.#Yellow arrows are boosts: they fling you forward.#"
                 "Swirling rings are warps: touch one to jump elsewhere.")},
      {'2', Text("The warp to the west takes you across the gap.#A boost brings you back: let it throw you,#"
                 "and brake once you land.")},
  };
  return d;
}

}  // namespace

std::vector<LevelDesign> TutorialLevels() { return {FirstRoll(), ColourDoors(), JumpsAndWarps()}; }
