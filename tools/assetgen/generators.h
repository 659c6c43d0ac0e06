// The parts of the generator, one per kind of media; each writes its files through the output.
#pragma once
#include "tools/assetgen/output.h"

void MakeSplashArt(const Output& out);     // splash, loading and menu pictures
void MakeHudArt(const Output& out);        // HUD frames, lives, planning icons, particle
void MakeTextures(const Output& out);      // level and marker textures
void MakeModels(const Output& out);        // X models and their textures
void MakeSounds(const Output& out);        // the six effects
void MakeMusic(const Output& out);         // the looping tracks
void MakeMaps(const Output& out);          // the four level classes
void MakeStartFiles(const Output& out);    // settings and the default control configuration
void MakeIcon(const Output& out);          // the window icon
