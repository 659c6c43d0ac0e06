// The play loop in its steps, for PlayLevel and for tests that drive a level a frame at a time.
#pragma once
#include <cstdint>

// Level start: the level's look, music, clocks, camera and the per-level game state.
void BeginLevel();

// The intro panel's text positions, reset by BeginLevel.
struct IntroPanel {
  int32_t x[4];  // map name, comment, par time, "Press Any Key to Begin!"
};
IntroPanel& Intro();
// One frame of the intro panel, ending with Sync: true once the panel is over (a key or joystick
// button down more than 2000 ms after the level start; one held from earlier counts too).
bool RunIntroFrame();

// Play begins after the intro: the death countdown and the play clock start now.
void StartPlay();

enum class PlayPass {
  kContinue,
  kQuit,           // Escape, or the window closed: state 3
  kRestart,        // state 1, the same map, one life less
  kMenu,           // state 0, the level cleared
  kLevelComplete,  // the ball is white
};
// One pass of play, ending with Sync unless the level is complete.
PlayPass RunPlayPass();

// A counter below 0 becomes 0; above 5000 it pays one life and loses 5000.
void ApplyBonusLifeRule();

// The frame's music beat, visualiser, particles and goal-pad hearts, as the intro and play run them.
void RunLevelEffects();

// The level-complete bonus: (minutes x 60 + seconds) x 2 + cleared percentage x 10, added to the score
// and the bonus-life counter; returns it.
int32_t AwardLevelBonus();
// The level-complete panel until a key ends it (more than 5000 ms after it began).
void RunLevelCompletePanel();
// After the panel: the next map of the class (state 1, result 1) or the class-end panel (state 0,
// result 1).
int32_t FinishLevel();
// The class-end bonus (lives x 2000) and panel.
void RunClassEndPanel();

// "%d:%02d" of whole seconds into a text of `size` bytes.
void FormatMinutesSeconds(char* text, int32_t size, int64_t seconds);
