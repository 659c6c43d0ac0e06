// The particle module's emitters, particles and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/scene/particles.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class Device; class Texture; class VertexBuffer; }

constexpr int32_t kMaxEmitterNumber = 22000000;
constexpr uint32_t kMaxEmitterFrequency = 65536;
constexpr uint32_t kParticleLiveLimit = 2048;
constexpr uint32_t kParticleFvf = 0x042;  // position and diffuse colour

struct ParticleVertex {
  float x, y, z;
  uint32_t color;
};
static_assert(sizeof(ParticleVertex) == 16);

struct Particle {
  uint32_t splash = 0;  // 0 normal, 1 splash
  platform::gfx::Vector3 position{};
  platform::gfx::Vector3 velocity{};
  platform::gfx::Vector3 start{};
  platform::gfx::Vector3 launch{};
  float birthTime = 0.0f;
  platform::gfx::ColorValue color{};
  platform::gfx::ColorValue endColor{};
  float life = 0.0f;  // 1.0 = full
  Particle* next = nullptr;
};

struct ParticleEmitter {
  ParticleEmitter() = default;
  ~ParticleEmitter();  // frees the chains, gives back the buffer and the texture
  ParticleEmitter(const ParticleEmitter&) = delete;
  ParticleEmitter& operator=(const ParticleEmitter&) = delete;

  platform::gfx::Matrix matrix{};
  platform::gfx::Vector3 look{0, 0, 1}, up{0, 1, 0}, right{1, 0, 0};
  platform::gfx::Vector3 position{0, 0, 0};
  platform::gfx::Vector3 rotation{0, 0, 0};  // degrees
  platform::gfx::Vector3 previousRotation{0, 0, 0};
  platform::gfx::Vector3 scale{1, 1, 1};
  uint8_t positioned = 0;
  platform::gfx::Device* device = nullptr;
  float radius = 0.0f;
  uint32_t ringPosition = 0;  // first vertex of the current batch
  uint32_t batchSize = 0;
  uint32_t ringSize = 0;
  uint32_t liveCount = 0;  // normal particles alive; splashes are not counted
  uint32_t liveLimit = kParticleLiveLimit;
  Particle* live = nullptr;
  Particle* free = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;  // one reference
  platform::gfx::Texture* texture = nullptr;            // one reference of the image's texture
  float speed = 0.005f;
  uint32_t emissions = 4;
  float velocity = 4.0f;
  platform::gfx::Vector3 startPosition{0, 0, 0};
  platform::gfx::ColorValue color{1, 1, 1, 1};
  float time = 0.0f;
  uint8_t visible = 1;
  float gravity = 5.0f;
  uint32_t life = 100;  // hundredths
  uint32_t floor = 1;
  uint8_t transparency = 1;
  int32_t blendMode = -1;
  float alphaPercent = -1.0f;
};

struct ParticleState {
  RecordList list;  // the ParticleList
  ParticleEmitter* current = nullptr;
  platform::gfx::Device* device = nullptr;
  CoreData* core = nullptr;
};

ParticleState& Particles();
ParticleEmitter* FindEmitter(int32_t emitter);

// matrix := scale x Rx x Ry x Rz x translation; the look vectors follow a changed rotation.
void BuildParticleMatrix(ParticleEmitter& emitter);

// One step of the emitter's clock: moves, kills and splashes the live particles, then emits. False
// when a particle could not be had.
bool StepParticles(ParticleEmitter& emitter);
// Trail length (points) of a particle by its squared speed.
uint32_t TrailLength(const Particle& particle);
// The particle's colour between its start and end colour by its life, packed ARGB.
uint32_t ParticleColor(const Particle& particle);
// Draws the live particles through the ring; false when a lock or a draw failed.
bool DrawEmitterRing(ParticleEmitter& emitter);
// Frees both chains of particles.
void FreeParticleChains(ParticleEmitter& emitter);
