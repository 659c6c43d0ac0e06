// The per-draw constants of an effect: the device's transforms with their products, inverses and
// transposes, light 0 and the camera position, time, the mesh's radius and alpha, and the bone palette.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <initializer_list>

#include "engine/objects/effect_object.h"
#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

namespace {

// Rewritten by every call, so a draw allocates nothing.
struct ConstantStore {
  Matrix matrices[18];  // by slot
  gfx::Vector4 vectors[5];  // slots 18 to 22, from vectors[0]
  Matrix palette[kMaxPaletteBones];
};
ConstantStore g_store;

// Milliseconds of the monotonic clock (since the system started), as the effect's time base.
uint32_t Milliseconds() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The inverse, or the matrix unchanged when it has none.
Matrix Inverse(const Matrix& m) {
  Matrix inverse = m;
  dx::MatrixInverse(m, &inverse);
  return inverse;
}

}  // namespace

void EffectObject::ApplyConstants(MeshRecord* mesh) {
  if (!effect || !mesh) return;
  gfx::Device* device = GetRecordDevice();
  Matrix* m = g_store.matrices;
  m[kSlotWorld] = m[kSlotView] = m[kSlotProjection] = dx::MatrixIdentity();
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.direction = {0, 0, 1};
  if (device) {
    device->GetTransform(gfx::TS_WORLD, &m[kSlotWorld]);
    device->GetTransform(gfx::TS_VIEW, &m[kSlotView]);
    device->GetTransform(gfx::TS_PROJECTION, &m[kSlotProjection]);
    device->GetLight(0, &light);
  }
  const Matrix& w = m[kSlotWorld];
  const Matrix& v = m[kSlotView];
  const Matrix& p = m[kSlotProjection];
  // Only what the effect's parameters use (or what that is made from) is worked out: inverses above
  // all cost, and most effects take two or three of these.
  auto used = [&](std::initializer_list<int> list) {
    for (int slot : list)
      if (slots[slot]) return true;
    return false;
  };
  m[kSlotWorldView] = dx::MatrixMultiply(w, v);
  m[kSlotViewProjection] = dx::MatrixMultiply(v, p);
  m[kSlotWorldViewProjection] = dx::MatrixMultiply(m[kSlotWorldView], p);
  if (used({kSlotWorldInverse, kSlotWorldInverseTranspose, kSlotLightDirectionObject}))
    m[kSlotWorldInverse] = Inverse(w);
  if (used({kSlotViewInverse, kSlotViewInverseTranspose, kSlotCameraPosition, kSlotEyePosition}))
    m[kSlotViewInverse] = Inverse(v);
  if (used({kSlotWorldViewInverse, kSlotWorldViewInverseTranspose}))
    m[kSlotWorldViewInverse] = Inverse(m[kSlotWorldView]);

  auto vec = [](int slot) -> gfx::Vector4& { return g_store.vectors[slot - kSlotLightDirection]; };
  gfx::Vector4& direction = vec(kSlotLightDirection);
  gfx::Vector4& lightPosition = vec(kSlotLightPosition);
  if (light.type == gfx::LIGHT_DIRECTIONAL) {
    direction = {light.direction.x, light.direction.y, light.direction.z, 0.0f};
    lightPosition = {light.direction.x * -1000.0f, light.direction.y * -1000.0f, light.direction.z * -1000.0f, 1.0f};
  } else {
    direction = {w.m[3][0] - light.position.x, w.m[3][1] - light.position.y, w.m[3][2] - light.position.z, 1.0f};
    lightPosition = {light.position.x, light.position.y, light.position.z, 1.0f};
  }
  if (slots[kSlotLightDirectionObject])
    vec(kSlotLightDirectionObject) = dx::Vec4Normalize(dx::Vec4Transform(direction, m[kSlotWorldInverse]));
  direction = dx::Vec4Normalize(direction);
  const Matrix& vi = m[kSlotViewInverse];
  vec(kSlotCameraPosition) = vec(kSlotEyePosition) = {vi.m[3][0], vi.m[3][1], vi.m[3][2], 1.0f};

  if (slots[kSlotAlphaOverride] && mesh->effectAttached == 1)
    effect->SetFloat(slots[kSlotAlphaOverride], float(mesh->textureFactor >> 24) * 0.003921569f);

  const struct { int slot, of; } transposes[] = {
      {kSlotWorldTranspose, kSlotWorld},
      {kSlotViewTranspose, kSlotView},
      {kSlotProjectionTranspose, kSlotProjection},
      {kSlotWorldViewTranspose, kSlotWorldView},
      {kSlotViewProjectionTranspose, kSlotViewProjection},
      {kSlotWorldViewProjectionTranspose, kSlotWorldViewProjection},
      {kSlotWorldInverseTranspose, kSlotWorldInverse},
      {kSlotViewInverseTranspose, kSlotViewInverse},
      {kSlotWorldViewInverseTranspose, kSlotWorldViewInverse},
  };
  for (const auto& t : transposes)
    if (slots[t.slot]) m[t.slot] = dx::MatrixTranspose(m[t.of]);

  for (int slot = kSlotWorld; slot <= kSlotWorldViewInverseTranspose; ++slot) {
    if (slots[slot]) effect->SetMatrix(slots[slot], &m[slot]);
  }
  for (int slot = kSlotLightDirection; slot <= kSlotEyePosition; ++slot) {
    if (slots[slot]) effect->SetVector(slots[slot], &vec(slot));
  }
  if (slots[kSlotTime]) effect->SetFloat(slots[kSlotTime], float(Milliseconds()) * 0.001f);
  if (slots[kSlotSinTime]) effect->SetFloat(slots[kSlotSinTime], std::sin(float(Milliseconds()) * 0.001f));
  if (slots[kSlotMeshRadius]) effect->SetFloat(slots[kSlotMeshRadius], mesh->bounds.shadowRebuild);
  if (slots[kSlotBonePalette]) {
    const uint32_t bones = uint32_t(std::min<size_t>(mesh->bones.size(), kMaxPaletteBones));
    for (uint32_t b = 0; b < bones; ++b) {
      // A bone whose frame was not found moves nothing.
      const Matrix* frame = b < mesh->boneMatrices.size() ? mesh->boneMatrices[b] : nullptr;
      g_store.palette[b] = frame ? dx::MatrixMultiply(mesh->bones[b].offsetMatrix, *frame) : mesh->bones[b].offsetMatrix;
    }
    effect->SetMatrixTransposeArray(slots[kSlotBonePalette], g_store.palette, bones);
  }
}
