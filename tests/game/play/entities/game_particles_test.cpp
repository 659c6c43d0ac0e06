// The game's one emitter: made idle, bursting for two frames, and a burst where plasma is collected.
#include "engine/scene/particle_state.h"
#include "game/play/game_particles.h"
#include "tests/game/play/level/level_fixture.h"

namespace level_test {
namespace {

// The emitter is made once per run, as at start-up; every check of it lives in this one test.
TEST_F(LevelTest, TheGameEmitterIsIdleUntilABurstAndABurstLastsTwoFrames) {
  LoadImage("Textures\\Warp.bmp", kParticleImage);
  SetupGameParticles();
  const ParticleEmitter* emitter = FindEmitter(kGameEmitter);
  ASSERT_NE(emitter, nullptr);
  EXPECT_EQ(emitter->emissions, 0u);
  EXPECT_FLOAT_EQ(emitter->velocity, 1.8f);
  EXPECT_FLOAT_EQ(emitter->speed, 0.003f);
  EXPECT_FLOAT_EQ(emitter->gravity, 3.0f);
  EXPECT_EQ(emitter->floor, 0u);
  EXPECT_FALSE(GameParticles().burst);

  UpdateGameParticles();
  EXPECT_EQ(GameParticles().frameCounter, 0) << "idle: nothing counts";

  StartParticleBurst(1, 2, 3, 30);
  EXPECT_FLOAT_EQ(emitter->position.y, 2);
  EXPECT_EQ(emitter->emissions, 30u);
  UpdateGameParticles();
  EXPECT_EQ(emitter->emissions, 30u);
  UpdateGameParticles();
  EXPECT_EQ(emitter->emissions, 0u);
  EXPECT_FALSE(GameParticles().burst);
  EXPECT_EQ(GameParticles().frameCounter, 0);

  // Collecting a plasma bursts where it stood.
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 40, 0, 0, E_PLASMA);
  Play(*map);
  PlaceBall(40, 10, 0);
  UpdateEntities();
  EXPECT_EQ(Game().plasmaCleared, 1);
  EXPECT_TRUE(GameParticles().burst);
  EXPECT_GT(emitter->emissions, 0u);
  EXPECT_FLOAT_EQ(emitter->position.x, 40);
  UpdateGameParticles();
  UpdateGameParticles();
  EXPECT_EQ(emitter->emissions, 0u);
}

}  // namespace
}  // namespace level_test
