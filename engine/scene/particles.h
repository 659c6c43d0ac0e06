// The particle module: numbered emitters that throw point-sprite particles upwards in a cone from the
// emitter's origin, let them fall under gravity, splash them on the floor y = 0 into four smaller ones,
// fade their colour with their life and draw each with a short trail of points along its velocity.
// Every emitter is drawn (and its particles move) once per camera pass, from RenderParticles.
//
// Emitter numbers run from 1 to 22000000. Errors: 7101 the emitter exists (AddParticleEmitter), 7102
// it does not, 7103 a frequency the emitter cannot be made with, 7104 a number out of range;
// SetParticleScale and SetParticleRotation report as object commands do (7006 out of range, 7008
// missing). After an error nothing changes.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace ParticleModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// 0 frees every emitter (they are not made again); 1 starts the module again.
void RefreshD3D(int mode);
}  // namespace ParticleModule

// The render slot of every camera pass: steps and draws every visible emitter in list order.
void RenderParticles();

// An emitter showing the image's texture, drawing `frequency` points per batch through a ring of
// five batches (frequency 1 to 65536), particles of size radius x 0.1. Places the automatic camera
// for the radius.
void AddParticleEmitter(int32_t emitter, int32_t image, uint32_t frequency, float radius);
void SetEmitterSpeed(int32_t emitter, float speed);        // time added per frame
void SetEmitterRate(int32_t emitter, uint32_t count);      // particles emitted per frame
void SetEmitterVelocity(int32_t emitter, float velocity);  // upward launch factor
void SetEmitterGravity(int32_t emitter, float gravity);
void SetEmitterFloor(int32_t emitter, uint32_t on);  // particles splash below y = 0 while on
void SetParticleScale(int32_t emitter, float x, float y, float z);  // percent
void SetParticlePosition(int32_t emitter, float x, float y, float z);
void SetParticleRotation(int32_t emitter, float ax, float ay, float az);  // degrees
// True when the emitter exists; it becomes the current emitter.
bool ParticlesExist(int32_t emitter);
