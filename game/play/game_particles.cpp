// The game's particle emitter: made idle at start-up, bursting for two frames when asked.
#include "game/play/game_particles.h"

#include "engine/scene/particles.h"

GameParticleState& GameParticles() {
  static GameParticleState state;
  return state;
}

void SetupGameParticles() {
  AddParticleEmitter(kGameEmitter, kParticleImage, 4, 180.0f);
  SetEmitterRate(kGameEmitter, 0);
  SetEmitterVelocity(kGameEmitter, 1.8f);
  SetEmitterSpeed(kGameEmitter, 0.003f);
  SetEmitterFloor(kGameEmitter, 0);
  SetEmitterGravity(kGameEmitter, 3.0f);
  GameParticles() = GameParticleState{};
}

void UpdateGameParticles() {
  GameParticleState& state = GameParticles();
  if (!state.burst) return;
  if (++state.frameCounter >= kBurstFrames) {
    SetEmitterRate(kGameEmitter, 0);
    state = GameParticleState{};
  }
}

void StartParticleBurst(float x, float y, float z, uint32_t rate) {
  if (!ParticlesExist(kGameEmitter)) return;
  SetParticlePosition(kGameEmitter, x, y, z);
  SetEmitterRate(kGameEmitter, rate);
  GameParticles() = GameParticleState{0, true};
}
