#include "game/play/planning.h"

void PlanningScreen() {}
void ApplyPlanningClearColour() {}
void ShowWarpLinks() {}
void DeleteWarpLinks() {}
void ShowPaintColour() {}
