// The music visualiser: a huge box seen from inside (object 1) around the level and the menu,
// textured with a picture of the music's spectrum (image 5000, 128 x 128) redrawn every frame in the
// visualiser colour, which changes on the music's beat.
#pragma once
#include <cstdint>

constexpr int32_t kVisualiserBox = 1;
constexpr int32_t kVisualiserImage = 5000;
constexpr int32_t kVisualiserImageSize = 128;
constexpr uint32_t kBeatPeriodMs = 375;  // a beat comes once more than this has passed
constexpr int32_t kBeatPulseScale = 130;

enum VisualiserMode : int32_t { kVisualiserBars = 0, kVisualiserMirrored = 1, kVisualiserPattern = 2 };

struct VisualiserState {
  int32_t colour[3] = {};              // red, green, blue, 0 to 255
  int32_t mode = kVisualiserMirrored;  // nothing changes it
};
VisualiserState& Visualiser();

// Switches the spectrum on and makes object 1: a box of 1000 a side facing inward, unlit, without
// fog, depth writing or collision.
void MakeVisualiserBox();
// A new colour from the ball's: each channel the ball has gets 64 to 255 at random, the others 0; a
// black ball gives white.
void PickVisualiserColour();
// Draws image 5000 anew in the visualiser mode.
void DrawVisualiser();
void DrawSpectrumBars();      // mode 0: white bars up from the middle row
void DrawMirroredSpectrum();  // mode 1: the first 64 bands out from the centre, up and down
void DrawSpectrumPattern();   // mode 2: runs of pixels along the two diagonals
// Textures object 1 with image 5000 and centres it on the ball (object 3000), or on (x, y, z).
void CentreVisualiserOnBall();
void PositionVisualiserBox(float x, float y, float z);
// Turns object 1 to three random angles of 0 to 360 degrees.
void SpinVisualiserBox();
// A random integer from low to high inclusive.
int32_t RandomRange(int32_t low, int32_t high);

// One frame of play or of the death sequence: on a beat (more than 375 ms since Game().beatTime) a
// new colour, a new spin and a pulse scale of 130, else the pulse scale falls by 2 to 100; then the
// spectrum is drawn and the box centred on the ball.
void RunVisualiserBeat();
// One frame of planning: the beat time and pulse scale only, nothing drawn.
void KeepVisualiserBeat();

// Where the drawings read their spectrum (512 bands); null puts the music's back.
void SetVisualiserSpectrumSource(const float* (*source)());
