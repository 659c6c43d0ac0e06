// The values of every state the device keeps (the part a state block can capture), their defaults,
// and which of them belong to the pixel and vertex state-block types.
#pragma once
#include <bitset>
#include <map>

#include "platform/gfx/resources.h"

namespace platform::gfx {

constexpr int kWorldMatrices = 4;  // WORLD and the three blend matrices after it
constexpr int kTransformSlots = 2 + kMaxTextureStages + kWorldMatrices;  // view, projection, textures, worlds
// Slot of a transform state in DeviceState::transforms, -1 for states the device does not keep.
int TransformSlot(uint32_t state);
constexpr int kViewSlot = 0, kProjectionSlot = 1, kWorldSlot = 2 + kMaxTextureStages;

struct LightSlot {
  Light light;
  bool enabled = false;
};

struct StreamSlot {
  VertexBuffer* buffer = nullptr;  // referenced while set
  uint32_t offset = 0, stride = 0;
};

struct DeviceState {
  uint32_t rs[kRenderStateCount] = {};
  uint32_t tss[kMaxTextureStages][kTextureStageStateCount] = {};
  uint32_t samp[kMaxSamplers][kSamplerStateCount] = {};
  BaseTexture* textures[kMaxSamplers] = {};  // referenced while set
  Matrix transforms[kTransformSlots] = {};
  Material material{};
  std::map<uint32_t, LightSlot> lights;
  Viewport viewport{};
  Rect scissor{};
  float clipPlanes[kMaxClipPlanes][4] = {};
  uint32_t fvf = 0;
  VertexDeclaration* declaration = nullptr;  // referenced while set
  StreamSlot streams[kMaxStreams];
  IndexBuffer* indices = nullptr;            // referenced while set
};

// Which states a state block holds.
struct StateMask {
  std::bitset<kRenderStateCount> rs;
  std::bitset<kMaxTextureStages * kTextureStageStateCount> tss;
  std::bitset<kMaxSamplers * kSamplerStateCount> samp;
  std::bitset<kMaxSamplers> textures;
  std::bitset<kTransformSlots> transforms;
  std::bitset<kMaxClipPlanes> clipPlanes;
  std::bitset<kMaxStreams> streams;
  bool material = false, viewport = false, scissor = false, fvf = false, declaration = false, indices = false;
  bool allLights = false;  // every light the device knows at capture time
  std::map<uint32_t, uint8_t> lights;  // index -> 1 light description, 2 enable, 3 both
};

// Default values (without resources); the viewport and scissor are set from the render target.
void SetDefaultStates(DeviceState* state, bool zEnable, float maxPointSize);
Matrix IdentityMatrix();
// a x b for row-vector matrices (a point goes through a, then b).
Matrix MultiplyMatrix(const Matrix& a, const Matrix& b);
// Fills `mask` for a CreateStateBlock type.
void MaskForType(uint32_t type, StateMask* mask);

}  // namespace platform::gfx
