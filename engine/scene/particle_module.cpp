// The particle module's life and commands: making emitters, their settings and placement.
#include <memory>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/scene/camera.h"
#include "engine/scene/particle_state.h"
#include "engine/scene/scene_records.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

void FreeParticleEmitters() {
  FreeRecords<ParticleEmitter>(Particles().list);
  Particles().current = nullptr;
}

void InitParticleModule() {
  ParticleState& s = Particles();
  s.device = GetDirect3DDevice();
  s.current = nullptr;
}

// The emitter of a setting: 7104 outside 1..22000000, 7102 when missing.
ParticleEmitter* EmitterForCommand(int32_t emitter) {
  if (emitter < 1 || emitter > kMaxEmitterNumber) return RaiseErrorCode(7104), nullptr;
  ParticleEmitter* record = FindEmitter(emitter);
  if (!record) RaiseErrorCode(7102);
  return record;
}

// The emitter of a placement command, reported as object commands report.
ParticleEmitter* EmitterForPlacement(int32_t emitter) {
  if (emitter < 1 || emitter > kMaxEmitterNumber) return RaiseErrorCode(7006), nullptr;
  ParticleEmitter* record = FindEmitter(emitter);
  if (!record) RaiseErrorCode(7008);
  return record;
}

bool BuildParticleEmitter(int32_t id, uint32_t frequency, uint32_t ringSize, float radius, int32_t image) {
  ParticleState& s = Particles();
  auto emitter = std::make_unique<ParticleEmitter>();
  emitter->device = s.device;
  emitter->radius = radius;
  emitter->batchSize = frequency;
  emitter->ringSize = ringSize;
  emitter->ringPosition = ringSize;  // the first batch wraps to 0
  // The emitter holds the image's texture itself, so deleting the image cannot leave it dangling.
  emitter->texture = GetImageTexture(image);
  if (emitter->texture) emitter->texture->AddRef();
  if (!s.device ||
      gfx::Failed(s.device->CreateVertexBuffer(ringSize * sizeof(ParticleVertex),
                                               gfx::USAGE_DYNAMIC | gfx::USAGE_WRITEONLY | gfx::USAGE_POINTS,
                                               kParticleFvf, gfx::POOL_DEFAULT, &emitter->vertexBuffer, nullptr)))
    return false;
  ParticleEmitter* stored = StoreRecord(s.list, id, std::move(emitter), &s.current);
  if (!stored) return false;
  stored->scale = {radius, radius, radius};
  stored->position = {0, 0, 0};
  stored->rotation = {0, 0, 0};
  BuildParticleMatrix(*stored);
  return true;
}

}  // namespace

ParticleState& Particles() {
  static ParticleState state;
  return state;
}

ParticleEmitter* FindEmitter(int32_t emitter) {
  ParticleState& s = Particles();
  s.current = s.list.FindAs<ParticleEmitter>(emitter);
  return s.current;
}

ParticleEmitter::~ParticleEmitter() {
  FreeParticleChains(*this);
  if (vertexBuffer) vertexBuffer->Release();
  if (texture) texture->Release();
}

void FreeParticleChains(ParticleEmitter& emitter) {
  for (Particle** chain : {&emitter.live, &emitter.free}) {
    while (Particle* p = *chain) {
      *chain = p->next;
      delete p;
    }
  }
  emitter.liveCount = 0;
}

void BuildParticleMatrix(ParticleEmitter& e) {
  const gfx::Matrix rotation = dx::MatrixRotationDegreesXYZ(e.rotation.x, e.rotation.y, e.rotation.z);
  e.matrix = dx::MatrixMultiply(dx::MatrixMultiply(dx::MatrixScaling(e.scale.x, e.scale.y, e.scale.z), rotation),
                                dx::MatrixTranslation(e.position.x, e.position.y, e.position.z));
  const gfx::Vector3& r = e.rotation;
  const gfx::Vector3& p = e.previousRotation;
  if (r.x != p.x || r.y != p.y || r.z != p.z) {
    e.right = {rotation.m[0][0], rotation.m[0][1], rotation.m[0][2]};
    e.up = {rotation.m[1][0], rotation.m[1][1], rotation.m[1][2]};
    e.look = {rotation.m[2][0], rotation.m[2][1], rotation.m[2][2]};
    e.previousRotation = e.rotation;
  }
}

namespace ParticleModule {

void Constructor() { InitParticleModule(); }
void Destructor() { FreeParticleEmitters(); }
void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }
void PassCoreData(CoreData* coreData) { Particles().core = coreData; }

void RefreshD3D(int mode) {
  if (mode == 0) {
    FreeParticleEmitters();
  } else if (mode == 1) {
    InitParticleModule();
    PassCoreData(Particles().core);
  }
}

}  // namespace ParticleModule

void AddParticleEmitter(int32_t emitter, int32_t image, uint32_t frequency, float radius) {
  if (emitter < 1 || emitter > kMaxEmitterNumber) return RaiseErrorCode(7104);
  if (FindEmitter(emitter)) return RaiseErrorCode(7101);
  // Without a batch there is no ring to draw through; a huge one would not fit a buffer.
  if (frequency < 1 || frequency > kMaxEmitterFrequency) return RaiseErrorCode(7103);
  BuildParticleEmitter(emitter, frequency, frequency * 5, radius, image);
  PlaceAutoCamera(0, 0, 0, radius);
}

void SetEmitterSpeed(int32_t emitter, float speed) {
  if (ParticleEmitter* e = EmitterForCommand(emitter)) e->speed = speed;
}

void SetEmitterRate(int32_t emitter, uint32_t count) {
  if (ParticleEmitter* e = EmitterForCommand(emitter)) e->emissions = count;
}

void SetEmitterVelocity(int32_t emitter, float velocity) {
  if (ParticleEmitter* e = EmitterForCommand(emitter)) e->velocity = velocity;
}

void SetEmitterGravity(int32_t emitter, float gravity) {
  if (ParticleEmitter* e = EmitterForCommand(emitter)) e->gravity = gravity;
}

void SetEmitterFloor(int32_t emitter, uint32_t on) {
  if (ParticleEmitter* e = EmitterForCommand(emitter)) e->floor = on;
}

void SetParticleScale(int32_t emitter, float x, float y, float z) {
  ParticleEmitter* e = EmitterForPlacement(emitter);
  if (!e) return;
  e->scale = {x * 0.01f, y * 0.01f, z * 0.01f};
  BuildParticleMatrix(*e);
}

void SetParticlePosition(int32_t emitter, float x, float y, float z) {
  ParticleEmitter* e = FindEmitter(emitter);
  if (!e) return;
  e->position = {x, y, z};
  e->positioned = 1;
  BuildParticleMatrix(*e);
}

void SetParticleRotation(int32_t emitter, float ax, float ay, float az) {
  ParticleEmitter* e = EmitterForPlacement(emitter);
  if (!e) return;
  e->rotation = {ax, ay, az};
  BuildParticleMatrix(*e);
}

bool ParticlesExist(int32_t emitter) { return FindEmitter(emitter) != nullptr; }
