// The play HUD, the planning panel, the message box and the two countdown clocks.
#pragma once
#include "game/play/game_state.h"

// Images 900 to 904: the HUD frames, its bottom strip (built to the display width) and the life icon.
void LoadGuiImages();
// Images 905 to 919: the planning screen's icons.
void LoadPlanningIcons();

void DrawHud();
void DrawPlanningHud();
// The message box of Game().message; Return or a joystick button closes it (clears the overlay flag).
void ShowMessageOverlay();
// The same box without the closing line and logic: the caller reads the answer.
void ShowYesNoOverlay();
// The box of any message, with or without "Press Return to Close" (the menu shows its own messages so).
void DrawMessagePanel(const char* message, bool withCloseLine);

// Sets both clocks from the map header and stamps the game clock's tick time.
void StartLevelClocks();
// Each takes one second off its clock when more than 1000 ms have passed since its last tick.
void TickGameClock();
void TickPlanningClock();
// Minutes and seconds both below 1: the clock has run out.
bool ClockRunOut(const CountdownClock& clock);
