// Particle emitters: making them and their errors, the motion of particles under gravity and the
// floor, emission rate and limit, the vertex ring, trails and colours, and particles drawn as point
// sprites on the offscreen device.
#include <cstdlib>
#include <cstring>

#include "engine/media2d/image.h"
#include "engine/scene/particle_state.h"
#include "engine/scene/particles.h"
#include "platform/gfx/test_hooks.h"
#include "tests/engine/scene/scene_fixture.h"

namespace scene_test {
namespace {

class ParticleTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ImageModule::Constructor();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    ParticleModule::Constructor();
    ParticleModule::SetErrorHandler(&word_);
    ParticleModule::PassCoreData(core_);
    DisableAutoCamera();
    std::srand(7);
    word_ = 0;
  }
  void TearDown() override {
    ParticleModule::Destructor();
    ImageModule::Destructor();
    SceneTest::TearDown();
  }

  // An emitter that emits nothing, whose particles stay where they are put.
  static ParticleEmitter& StillEmitter(int32_t id, float radius) {
    AddParticleEmitter(id, 0, 4, radius);
    ParticleEmitter& e = *FindEmitter(id);
    e.emissions = 0;
    e.gravity = 0;
    e.floor = 0;
    e.speed = 0;
    return e;
  }
  // A particle put at the head of the emitter's live chain.
  static Particle& AddParticle(ParticleEmitter& e, gfx::Vector3 start, gfx::Vector3 launch) {
    auto* p = new Particle{};
    p->start = p->position = start;
    p->launch = p->velocity = launch;
    p->color = p->endColor = {1, 1, 1, 1};
    p->life = 1.0f;
    p->birthTime = e.time;
    p->next = e.live;
    e.live = p;
    ++e.liveCount;
    return *p;
  }
  static void BlackScreen() {
    const gfx::Viewport whole{0, 0, 640, 480, 0, 1};
    Device()->SetViewport(&whole);
    Device()->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Device()->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_NONE);
  }
};

size_t ChainLength(const Particle* p) {
  size_t n = 0;
  for (; p; p = p->next) ++n;
  return n;
}

TEST_F(ParticleTest, AnEmitterStartsWithItsDefaultsAndPlacesTheCamera) {
  Cameras().autoCamera = 1;
  AddParticleEmitter(1, 0, 4, 180.0f);
  ASSERT_TRUE(ParticlesExist(1));
  const ParticleEmitter& e = *FindEmitter(1);
  EXPECT_EQ(e.batchSize, 4u);
  EXPECT_EQ(e.ringSize, 20u);
  EXPECT_EQ(e.ringPosition, 20u);
  EXPECT_EQ(e.emissions, 4u);
  EXPECT_FLOAT_EQ(e.velocity, 4.0f);
  EXPECT_FLOAT_EQ(e.gravity, 5.0f);
  EXPECT_EQ(e.floor, 1u);
  EXPECT_EQ(e.texture, nullptr);  // image 0 has none
  ExpectMatrixNear(e.matrix, dx::MatrixScaling(180, 180, 180), 0, "scaled by the radius");
  ExpectVectorNear(GetCameraData(0)->position, {0, 90, -540}, 1e-3f, "automatic camera");

  SetParticleScale(1, 50, 100, 200);
  SetParticleRotation(1, 0, 90, 0);
  SetParticlePosition(1, 1, 2, 3);
  const gfx::Matrix expected = dx::MatrixMultiply(
      dx::MatrixMultiply(dx::MatrixScaling(0.5f, 1, 2), dx::MatrixRotationY(90 * 0.017453292f)),
      dx::MatrixTranslation(1, 2, 3));
  ExpectMatrixNear(e.matrix, expected, 1e-6f, "scale, rotation, position");
  ExpectVectorNear(e.look, {1, 0, 0}, 1e-6f, "look follows the rotation");
  EXPECT_EQ(e.positioned, 1);
}

TEST_F(ParticleTest, ErrorsChangeNothing) {
  AddParticleEmitter(1, 0, 4, 10.0f);
  const struct {
    const char* what;
    void (*call)();
    uint32_t code;
  } cases[] = {
      {"add an existing emitter", [] { AddParticleEmitter(1, 0, 8, 5.0f); }, 7101},
      {"add emitter 0", [] { AddParticleEmitter(0, 0, 4, 5.0f); }, 7104},
      {"add without a batch", [] { AddParticleEmitter(2, 0, 0, 5.0f); }, 7103},
      {"add a batch too large", [] { AddParticleEmitter(2, 0, 65537, 5.0f); }, 7103},
      {"speed of a missing emitter", [] { SetEmitterSpeed(2, 1.0f); }, 7102},
      {"rate of a missing emitter", [] { SetEmitterRate(2, 1); }, 7102},
      {"velocity of -1", [] { SetEmitterVelocity(-1, 1.0f); }, 7104},
      {"gravity beyond the range", [] { SetEmitterGravity(22000001, 1.0f); }, 7104},
      {"gravity of a missing emitter", [] { SetEmitterGravity(2, 1.0f); }, 7102},
      {"floor of 0", [] { SetEmitterFloor(0, 0); }, 7104},
      {"scale of 0", [] { SetParticleScale(0, 1, 1, 1); }, 7006},
      {"scale of a missing emitter", [] { SetParticleScale(2, 1, 1, 1); }, 7008},
      {"rotation of a missing emitter", [] { SetParticleRotation(2, 1, 1, 1); }, 7008},
  };
  for (const auto& c : cases) {
    word_ = 0;
    c.call();
    EXPECT_EQ(word_, c.code) << c.what;
  }
  EXPECT_FALSE(ParticlesExist(2));
  EXPECT_EQ(FindEmitter(1)->batchSize, 4u);
  word_ = 0;
  SetParticlePosition(2, 1, 1, 1);  // a missing emitter is passed over quietly
  EXPECT_EQ(word_, 0u);
}

TEST_F(ParticleTest, ParticlesFollowTheirLaunchUnderDoubleGravity) {
  ParticleEmitter& e = StillEmitter(1, 10);
  e.gravity = 3.0f;
  e.speed = 0.1f;
  Particle& p = AddParticle(e, {1, 2, 3}, {0.5f, 4.0f, -1.0f});
  for (int step = 1; step <= 5; ++step) {
    e.time += 0.1f;
    ASSERT_TRUE(StepParticles(e));
    const float age = e.time - p.birthTime;
    ExpectVectorNear(p.position, {1 + age * 0.5f, 2 + age * 4 - 0.5f * 6 * age * age, 3 - age}, 1e-5f, "position");
    ExpectVectorNear(p.velocity, {0.5f, 4 - 6 * age, -1}, 1e-5f, "velocity");
    EXPECT_NEAR(p.life, 1.0f - step * 0.025f, 1e-5f);
  }
}

TEST_F(ParticleTest, ALandingParticleSplashesIntoFourThatDoNotCount) {
  ParticleEmitter& e = StillEmitter(1, 10);
  e.floor = 1;
  e.gravity = 5.0f;
  e.speed = 0.05f;
  AddParticle(e, {0, 0, 0}, {0.1f, 0.5f, 0});
  e.time += 0.05003f;
  ASSERT_TRUE(StepParticles(e));
  EXPECT_EQ(ChainLength(e.live), 1u);  // still rising
  e.time += 0.05003f;
  ASSERT_TRUE(StepParticles(e));  // y = 0.5 t - 5 t^2 < 0: landed
  EXPECT_EQ(e.liveCount, 0u);
  ASSERT_EQ(ChainLength(e.live), 4u);
  for (const Particle* s = e.live; s; s = s->next) {
    EXPECT_EQ(s->splash, 1u);
    EXPECT_NEAR(s->start.x, 0.1f * 0.10006f, 1e-6f);
    EXPECT_EQ(s->start.y, 0.0f);
    EXPECT_NEAR(s->life, 1.0f - 0.05f * 2.25f, 1e-6f);  // moved in the same step
    EXPECT_GE(s->launch.y, 0.0f);
    EXPECT_LE(s->launch.y, 1.5f);
  }
  EXPECT_EQ(ChainLength(e.free), 1u);  // the parent, to be used again
}

TEST_F(ParticleTest, RateAndVelocityDecideWhatIsEmitted) {
  AddParticleEmitter(1, 0, 4, 10);
  ParticleEmitter& e = *FindEmitter(1);
  e.floor = 0;
  e.gravity = 0;
  SetEmitterRate(1, 300);
  SetEmitterVelocity(1, 2.0f);
  SetEmitterSpeed(1, 0.0001f);
  for (int frame = 1; frame <= 8; ++frame) {
    ASSERT_TRUE(StepParticles(e));
    EXPECT_EQ(e.liveCount, std::min(300u * frame, 2048u)) << frame;
  }
  EXPECT_EQ(ChainLength(e.live), 2048u);
  for (const Particle* p = e.live; p; p = p->next) {
    // Upwards within the cone of a quarter turn, at most the velocity factor high.
    ASSERT_GE(p->launch.y, 0.0f);
    ASSERT_LE(p->launch.y, 2.0f);
    ASSERT_LE(std::hypot(p->launch.x, p->launch.z), 2.5f * std::sin(0.7853982f) + 1e-5f);
  }
  SetEmitterRate(1, 0);
  ASSERT_TRUE(StepParticles(e));
  EXPECT_EQ(e.liveCount, 2048u);
}

TEST_F(ParticleTest, TrailsGrowWithSpeedAndColoursFadeTowardsTheEnd) {
  const struct { float speed; uint32_t points; } trails[] = {
      {0.0f, 2}, {0.99f, 2}, {1.0f, 3}, {1.99f, 3}, {2.0f, 4}, {3.0f, 5}, {3.49f, 5}, {3.5f, 6}, {4.0f, 7}, {4.5f, 8}, {9, 8}};
  for (const auto& t : trails) {
    Particle p;
    p.velocity = {0, t.speed, 0};
    EXPECT_EQ(TrailLength(p), t.points) << t.speed;
  }
  Particle p;
  p.color = {1.0f, 0.5f, 2.0f, 1.0f};
  p.endColor = {0.0f, 0.0f, 0.0f, -1.0f};
  p.life = 0.5f;
  EXPECT_EQ(ParticleColor(p), 0x008040FFu);  // a 0.0, r 0.5, g 0.25, b 1.0 (clamped)
  p.life = 1.0f;
  EXPECT_EQ(ParticleColor(p), 0xFFFF80FFu);
}

TEST_F(ParticleTest, TheRingMovesOneBatchPerDrawAndSplitsLongDraws) {
  ParticleEmitter& e = StillEmitter(1, 10);  // batch 4, ring 20
  std::vector<uint32_t> positions;
  for (int i = 0; i < 6; ++i) {
    RenderParticles();
    positions.push_back(e.ringPosition);
  }
  EXPECT_EQ(positions, (std::vector<uint32_t>{0, 4, 8, 12, 16, 0}));  // nothing emitted, still locked once each

  // Five resting particles are 10 points: two full batches of 4, then the 2 left.
  for (int i = 0; i < 5; ++i) AddParticle(e, {0, 0, 0}, {0, 0, 0});
  const uint32_t before = gfx::DrawCallCount(Device());
  RenderParticles();
  EXPECT_EQ(gfx::DrawCallCount(Device()) - before, 3u);
  EXPECT_EQ(e.ringPosition, 12u);
}

TEST_F(ParticleTest, ParticlesAreTexturedPointSpritesThatFadeToBlackInFog) {
  // Left texel red, right texel green: a point sprite shows both halves across its square.
  const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};
  MakeImageFromData(924, 2, 1, 32, reinterpret_cast<const uint8_t*>(texels), sizeof texels);
  ASSERT_NE(GetImageTexture(924), nullptr);
  AddParticleEmitter(1, 924, 4, 100);  // points of 10 pixels
  ParticleEmitter& e = *FindEmitter(1);
  e.emissions = 0;
  e.gravity = 0;
  e.floor = 0;
  e.speed = 0;
  SetParticleScale(1, 100, 100, 100);
  SetParticlePosition(1, 0, 0, 10);
  AddParticle(e, {0, 0, 0}, {0, 0, 0});

  BlackScreen();
  RenderParticles();
  EXPECT_EQ(PixelAt(317, 240) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(PixelAt(322, 240) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(PixelAt(310, 240) & 0xFFFFFF, 0u);  // beyond the point
  EXPECT_EQ(PixelAt(330, 240) & 0xFFFFFF, 0u);

  // Linear fog ending at twice the distance leaves half the colour c, whatever the fog colour was;
  // the two points of a resting particle's trail add up as c + c (1 - c).
  BlackScreen();
  Device()->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
  Device()->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(0));
  Device()->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(20));
  Device()->SetRenderState(gfx::RS_FOGCOLOR, 0xFFFFFFFF);
  RenderParticles();
  EXPECT_NEAR(int((PixelAt(322, 240) >> 8) & 0xFF), 191, 4);
  EXPECT_EQ(PixelAt(322, 240) & 0xFF0000, 0u);
  uint32_t value = 0;
  Device()->GetRenderState(gfx::RS_FOGCOLOR, &value);
  EXPECT_EQ(value, 0xFFFFFFFFu);  // put back
  Device()->GetRenderState(gfx::RS_ZWRITEENABLE, &value);
  EXPECT_EQ(value, 1u);
  Device()->GetRenderState(gfx::RS_POINTSPRITEENABLE, &value);
  EXPECT_EQ(value, 0u);
}

TEST_F(ParticleTest, TheEmitterKeepsItsTextureWhenTheImageGoes) {
  const uint32_t texel = 0xFFFFFFFF;
  MakeImageFromData(5, 1, 1, 32, reinterpret_cast<const uint8_t*>(&texel), 4);
  AddParticleEmitter(1, 5, 4, 10);
  DeleteImage(5);
  ParticleEmitter& e = *FindEmitter(1);
  AddParticle(e, {0, 0, 0}, {0, 0, 0});
  RenderParticles();  // draws with the emitter's own reference; the sanitizer sees no use after free
  EXPECT_NE(e.texture, nullptr);
}

TEST_F(ParticleTest, ADeviceResetFreesEveryEmitter) {
  AddParticleEmitter(1, 0, 4, 10);
  AddParticleEmitter(2, 0, 4, 10);
  ParticleModule::RefreshD3D(0);
  ParticleModule::RefreshD3D(1);
  EXPECT_FALSE(ParticlesExist(1));
  EXPECT_FALSE(ParticlesExist(2));
  RenderParticles();  // an empty list is fine
}

}  // namespace
}  // namespace scene_test
