// The planning screen: a free camera over the level, steered by clicking icons, with its own clock.
#pragma once
#include <cstdint>

// Runs the planning phase until the planning key is pressed again (after a release) or the planning
// time has run out; the game clock does not run meanwhile.
void PlanningScreen();

// The main camera's clear colour from the planning background colour (kept from level to level).
void ApplyPlanningClearColour();
// Green line objects from every warp to its destination, made anew; DeleteWarpLinks removes them.
void ShowWarpLinks();
void DeleteWarpLinks();
// Labels the doors and paint pots on screen with their colour values.
void ShowPaintColour();

// The planning view: its camera, switches and the background colour.
struct PlanningView {
  float angle = 180.0f;  // degrees about the look-at point
  float height = 60.0f;
  float pan = 0.0f;
  float distance = 200.0f;
  float lookX = 0.0f;  // moves with the pan
  float lookY = 0.0f;  // moves with the height
  uint8_t warpLinksShown = 0;
  uint8_t colourInfoShown = 0;
  uint8_t timeExpired = 0;
  uint8_t clickArmed = 1;  // one action per press of the once-only icons
};
PlanningView& Planning();
// 0 black, 1 grey, 2 white, 3 red, 4 green, 5 blue; 1 at start, kept from visit to visit.
int32_t& PlanningBackground();
// Link objects 8000 + k made by the last ShowWarpLinks.
int32_t WarpLinkCount();

// PlanningScreen in its steps, for tests that drive it a frame at a time.
// Entry: the split view, the level's hidden objects shown, the view reset. False when the window is
// closing.
bool EnterPlanning();
// One frame, ending with Sync: false when the screen is to be left.
bool RunPlanningFrame();
void LeavePlanning();
