// Whether a map can be completed: a coarse model of the level on its 20-unit cells, walked with the
// rules of play. The ball stands on the tops of boxes and of the goal pad, drives to a neighbouring top
// of the same height, rolls along ramps, slides down wedges, drops to a lower top, rides lifts and
// sliding bridges, is carried by warps, and is thrown by boosts (followed step by step with the
// ball's own speeds, gravity and friction; it can brake anywhere it touches ground). Doors let it
// through only when its colour is exactly theirs. Monsters are hazards and block nothing.
//
// The paint is planned trip by trip: from the goal pad, pick up any set of pots that can be reached
// and brought back with the colour the ball has, pour them in, and go on until the ball is white.
#pragma once
#include <string>

#include "game/play/map_file.h"

struct LevelPlan {
  bool startReachesPad = false;
  bool solvable = false;
  std::string route;  // the colour after each trip, e.g. "(255,0,0) (255,255,0) (255,255,255)"
  std::string problem;
};

LevelPlan PlanLevel(const MapTables& map);
