// The planning screen: a free camera over the level, steered by clicking icons, with its own clock.
#pragma once

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
