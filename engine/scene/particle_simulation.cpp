// One step of an emitter's clock: every live particle follows its launch under gravity, fades, dies
// and, landing with the floor on, splashes into four; then new particles are emitted.
#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/scene/particle_state.h"

namespace gfx = platform::gfx;

namespace {

constexpr float kRandomScale = 1.0f / 32767.0f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kQuarterPi = 0.7853982f;
constexpr uint32_t kSplashCount = 4;

// The runtime's random numbers in the 0 to 32767 the particle shapes were made for.
float Draw() { return float(std::rand() & 0x7FFF) * kRandomScale; }

// A particle from the free chain, or a new one; null when none can be had.
Particle* TakeParticle(ParticleEmitter& e) {
  if (Particle* p = e.free) {
    e.free = p->next;
    *p = Particle{};
    return p;
  }
  return new (std::nothrow) Particle{};
}

gfx::ColorValue Mix(const gfx::ColorValue& from, const gfx::ColorValue& to, float life) {
  return {(from.r - to.r) * life + to.r, (from.g - to.g) * life + to.g, (from.b - to.b) * life + to.b,
          (from.a - to.a) * life + to.a};
}

void LaunchNormal(const ParticleEmitter& e, Particle& p) {
  const float a = Draw() * kTwoPi;
  const float b = Draw() * kQuarterPi;
  p.launch = {std::cos(a) * std::sin(b) * 2.5f, Draw() * e.velocity * std::cos(b), std::sin(a) * std::sin(b) * 2.5f};
  p.start = p.position = e.startPosition;
  p.velocity = p.launch;
  p.color = p.endColor = e.color;
  p.life = float(e.life) * 0.01f;
  p.birthTime = e.time;
  p.splash = 0;
}

void LaunchSplash(const ParticleEmitter& e, const Particle& parent, Particle& p) {
  const float a = Draw() * kTwoPi;
  const float b = Draw() * kQuarterPi;
  p.start = p.position = {parent.position.x, 0.0f, parent.position.z};
  p.launch = {parent.velocity.x * 0.25f + std::cos(a) * std::sin(b), Draw() * std::cos(b) * 1.5f,
              parent.velocity.z * 0.25f + std::sin(a) * std::sin(b)};
  p.velocity = p.launch;
  p.color = Mix(parent.color, parent.endColor, parent.life);
  p.endColor = e.color;
  p.life = float(e.life) * 0.01f;
  p.birthTime = e.time;
  p.splash = 1;
}

void Move(const ParticleEmitter& e, Particle& p) {
  const float age = e.time - p.birthTime;
  const float g = p.splash ? e.gravity : e.gravity * 2.0f;
  p.life -= p.splash ? e.speed * 2.25f : e.speed * 0.25f;
  p.position = {p.start.x + age * p.launch.x, p.start.y + age * p.launch.y, p.start.z + age * p.launch.z};
  p.position.y -= 0.5f * g * age * age;
  p.velocity = {p.launch.x, p.launch.y - g * age, p.launch.z};
  if (p.life < 0.0f) p.life = 0.0f;
}

}  // namespace

bool StepParticles(ParticleEmitter& e) {
  // Live particles, in chain order; splashes join right after their parent and move in this step.
  Particle** link = &e.live;
  while (Particle* p = *link) {
    Move(e, *p);
    const bool below = e.floor == 1 && p->position.y < 0.0f;
    if (p->life > 0.0f && !below) {
      link = &p->next;
      continue;
    }
    if (!p->splash && below) {
      for (uint32_t i = 0; i < kSplashCount; ++i) {
        Particle* splash = TakeParticle(e);
        if (!splash) return false;
        LaunchSplash(e, *p, *splash);
        splash->next = p->next;
        p->next = splash;
      }
    }
    *link = p->next;
    p->next = e.free;
    e.free = p;
    if (!p->splash) --e.liveCount;
  }

  const uint64_t target = uint64_t(e.liveCount) + e.emissions;
  while (e.liveCount < e.liveLimit && e.liveCount < target) {
    Particle* p = TakeParticle(e);
    if (!p) return false;
    LaunchNormal(e, *p);
    p->next = e.live;
    e.live = p;
    ++e.liveCount;
  }
  return true;
}

uint32_t TrailLength(const Particle& p) {
  const float s = p.velocity.x * p.velocity.x + p.velocity.y * p.velocity.y + p.velocity.z * p.velocity.z;
  const struct { float below; uint32_t points; } steps[] = {{1, 2}, {4, 3}, {9, 4}, {12.25f, 5}, {16, 6}, {20.25f, 7}};
  for (const auto& step : steps)
    if (s < step.below) return step.points;
  return 8;
}

uint32_t ParticleColor(const Particle& p) {
  const gfx::ColorValue c = Mix(p.color, p.endColor, p.life);
  auto channel = [](float v) -> uint32_t {
    if (v >= 1.0f) return 255;
    if (v <= 0.0f) return 0;
    return uint32_t(v * 255.0f + 0.5f);
  };
  return channel(c.a) << 24 | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}
