// The game's one particle emitter (number 1, image 924): idle at an emission rate of 0 until a burst
// raises the rate for two frames.
#pragma once
#include <cstdint>

constexpr int32_t kGameEmitter = 1;
constexpr int32_t kParticleImage = 924;
constexpr int32_t kBurstFrames = 2;

struct GameParticleState {
  int32_t frameCounter = 0;
  bool burst = false;
};
GameParticleState& GameParticles();

// Makes and configures emitter 1; once, at start-up, after image 924 is loaded.
void SetupGameParticles();
// The play loop's per-frame step: ends a burst two frames after it began.
void UpdateGameParticles();
// Places emitter 1 at the point and emits `rate` particles a frame for the next two frames.
void StartParticleBurst(float x, float y, float z, uint32_t rate);
