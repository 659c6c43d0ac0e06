// The per-draw constants of an effect: the device's transforms with their products, inverses and
// transposes, light 0 and the camera position, time, the mesh's radius and alpha, and the bone palette.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
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
  // View and projection change once a camera pass, not for every mesh: their product is kept for the
  // view and projection it was made from.
  Matrix productView, productProjection, viewProjection;
  bool productKnown = false;
};
ConstantStore g_store;

// Milliseconds of the monotonic clock (since the system started), as the effect's time base.
uint32_t Milliseconds() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The bits of slots, for testing them against the bound ones at once.
consteval uint32_t Slots(std::initializer_list<int> slots) {
  uint32_t mask = 0;
  for (int slot : slots) mask |= 1u << slot;
  return mask;
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
  // Only what the effect's parameters use (or what that is made from) is worked out: inverses above
  // all cost, and most effects take two or three of these.
  const uint32_t bound = boundSlots;
  auto used = [bound](uint32_t mask) { return (bound & mask) != 0; };
  Matrix* m = g_store.matrices;
  if (device) {
    device->GetTransform(gfx::TS_WORLD, &m[kSlotWorld]);
    device->GetTransform(gfx::TS_VIEW, &m[kSlotView]);
    device->GetTransform(gfx::TS_PROJECTION, &m[kSlotProjection]);
  } else {
    m[kSlotWorld] = m[kSlotView] = m[kSlotProjection] = dx::MatrixIdentity();
  }
  const Matrix& w = m[kSlotWorld];
  const Matrix& v = m[kSlotView];
  const Matrix& p = m[kSlotProjection];
  if (!g_store.productKnown || std::memcmp(&g_store.productView, &v, sizeof v) != 0 ||
      std::memcmp(&g_store.productProjection, &p, sizeof p) != 0) {
    g_store.productView = v;
    g_store.productProjection = p;
    g_store.productKnown = true;
    g_store.viewProjection = dx::MatrixMultiply(v, p);
  }
  m[kSlotViewProjection] = g_store.viewProjection;
  if (used(Slots({kSlotWorldViewProjection, kSlotWorldViewProjectionTranspose})))
    m[kSlotWorldViewProjection] = dx::MatrixMultiply(w, m[kSlotViewProjection]);
  if (used(Slots({kSlotWorldView, kSlotWorldViewTranspose, kSlotWorldViewInverse, kSlotWorldViewInverseTranspose})))
    m[kSlotWorldView] = dx::MatrixMultiply(w, v);
  if (used(Slots({kSlotWorldInverse, kSlotWorldInverseTranspose, kSlotLightDirectionObject})))
    m[kSlotWorldInverse] = Inverse(w);
  if (used(Slots({kSlotViewInverse, kSlotViewInverseTranspose, kSlotCameraPosition, kSlotEyePosition})))
    m[kSlotViewInverse] = Inverse(v);
  if (used(Slots({kSlotWorldViewInverse, kSlotWorldViewInverseTranspose})))
    m[kSlotWorldViewInverse] = Inverse(m[kSlotWorldView]);

  auto vec = [](int slot) -> gfx::Vector4& { return g_store.vectors[slot - kSlotLightDirection]; };
  if (used(Slots({kSlotLightDirection, kSlotLightPosition, kSlotLightDirectionObject}))) {
    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.direction = {0, 0, 1};
    if (device) device->GetLight(0, &light);
    gfx::Vector4& direction = vec(kSlotLightDirection);
    gfx::Vector4& lightPosition = vec(kSlotLightPosition);
    if (light.type == gfx::LIGHT_DIRECTIONAL) {
      direction = {light.direction.x, light.direction.y, light.direction.z, 0.0f};
      lightPosition = {light.direction.x * -1000.0f, light.direction.y * -1000.0f, light.direction.z * -1000.0f,
                       1.0f};
    } else {
      direction = {w.m[3][0] - light.position.x, w.m[3][1] - light.position.y, w.m[3][2] - light.position.z, 1.0f};
      lightPosition = {light.position.x, light.position.y, light.position.z, 1.0f};
    }
    if (slots[kSlotLightDirectionObject])
      vec(kSlotLightDirectionObject) = dx::Vec4Normalize(dx::Vec4Transform(direction, m[kSlotWorldInverse]));
    direction = dx::Vec4Normalize(direction);
  }
  if (used(Slots({kSlotCameraPosition, kSlotEyePosition}))) {
    const Matrix& vi = m[kSlotViewInverse];
    vec(kSlotCameraPosition) = vec(kSlotEyePosition) = {vi.m[3][0], vi.m[3][1], vi.m[3][2], 1.0f};
  }

  if (slots[kSlotAlphaOverride] && mesh->effectAttached == 1)
    effect->SetFloat(slots[kSlotAlphaOverride], float(mesh->textureFactor >> 24) * 0.003921569f);

  static constexpr struct { int slot, of; } kTransposes[] = {
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
  if (bound & Slots({kSlotWorldTranspose, kSlotViewTranspose, kSlotProjectionTranspose, kSlotWorldViewTranspose,
                     kSlotViewProjectionTranspose, kSlotWorldViewProjectionTranspose, kSlotWorldInverseTranspose,
                     kSlotViewInverseTranspose, kSlotWorldViewInverseTranspose})) {
    for (const auto& t : kTransposes)
      if (bound & (1u << t.slot)) m[t.slot] = dx::MatrixTranspose(m[t.of]);
  }

  // The bound matrices and vectors, by the bits of their slots.
  for (uint32_t left = bound & ((1u << (kSlotEyePosition + 1)) - 1); left; left &= left - 1) {
    const int slot = __builtin_ctz(left);
    if (slot <= kSlotWorldViewInverseTranspose) effect->SetMatrix(slots[slot], &m[slot]);
    else effect->SetVector(slots[slot], &vec(slot));
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
