// Levels drawn as text: one character per 20 x 20 cell, north (+z) at the top, written into map files
// with the game's map writer. The goal pad is the 3 x 3 block of 'G' and always lies round the origin.
//
// Characters of the layout:
//   ' '  nothing; with `walls` set, a wall stands there when it touches ground of level 0, one level
//        higher than the highest ground beside it, so that no wall top is ever a floor
//   '_'  nothing, and never a wall (gaps to jump, lanes of movers)
//   '#'  a floor block
//   'G'  the goal pad
//   'S'  the ball's start, facing `startAngle`
//   'A'  a ramp rising to the north, 'V' a ramp rising to the south (the ramp block's level is its
//        height; its low end meets the floor one level below)
//   '/'  a wedge rising to the south, '\\' a wedge rising to the north: slippery slopes whose level is
//        that of their low end
//   '='  a wall block, one level above the cell's height
//   any other character: a floor block carrying what the legend gives it
// Heights: an optional second grid of the same size; a digit is the level of that cell's block
// (y = 10 x level), anything else level 0.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "game/play/map_file.h"
#include "tools/assetgen/output.h"

struct CellSpec {
  EntityType type = E_NONE;
  int p1 = 0, p2 = 0, p3 = 0, p4 = 0;
  float p5 = 0;
  std::string text;
  char target = 0;  // warps: the character of the cell they lead to
};

// Shorthands for the legend.
CellSpec Paint(EntityType channel, int amount);
CellSpec Door(int red, int green, int blue, int angle);
CellSpec Text(const std::string& message);
CellSpec Warp(char target);
CellSpec Boost(int speed, int angle);
CellSpec BoostUp(int speed, int push, int angle);
CellSpec Mover(int angle, int distance, float speed);  // along the ground
CellSpec Lift(bool upFirst, int distance, float speed);
CellSpec MonsterA(bool upFirst, int distance, float speed, int delayMs);
CellSpec MonsterB(int path, float speed);
CellSpec Plasma();
CellSpec Respawn(int angle);
CellSpec Marker();  // a plain floor that warps and paths can name

struct LevelDesign {
  std::string file;  // without extension
  std::string name;
  std::string comment;
  std::string next = "Null";
  std::string music;
  std::string texture;
  int parSeconds = 60;
  int timeSeconds = 300;
  int planningSeconds = 60;
  float gravity = 0.06f;
  int startAngle = 0;
  bool walls = false;
  std::vector<std::string> layout;
  std::vector<std::string> heights;
  std::map<char, CellSpec> legend;
  // Waypoint paths of path-following monsters: each a string of marker characters, visited in order.
  std::vector<std::string> paths;
};

// What the levels of one class share.
struct ClassStyle {
  std::string music, texture;
  bool walls;
  int timeSeconds, planningSeconds;
};
LevelDesign NewLevel(const ClassStyle& style, const std::string& file, const std::string& name,
                     const std::string& comment);

// Builds the map and writes it to "Maps\<folder>\<file>.qel".
void WriteLevel(const Output& out, const std::string& folder, const LevelDesign& design);

std::vector<LevelDesign> TutorialLevels();
std::vector<LevelDesign> BeginnerLevels();
std::vector<LevelDesign> AdvancedLevels();
std::vector<LevelDesign> ExpertLevels();
