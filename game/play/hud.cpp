#include "game/play/hud.h"

void LoadGuiImages() {}
void LoadPlanningIcons() {}
void DrawHud() {}
void DrawPlanningHud() {}
void ShowMessageOverlay() {}
void ShowYesNoOverlay() {}
void StartLevelClocks() {}
void TickGameClock() {}
void TickPlanningClock() {}
