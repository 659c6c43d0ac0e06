// Drawing the emitters: shared states for all of them, then each emitter's step and its points streamed
// through its vertex ring, batch by batch.
#include "engine/scene/particle_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

using gfx::FloatBits;

void SetSharedStates(gfx::Device* d) {
  d->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
  d->SetRenderState(gfx::RS_LIGHTING, 0);
  d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  d->SetRenderState(gfx::RS_FOGENABLE, 1);
  d->SetRenderState(gfx::RS_ZENABLE, 1);
  d->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  d->SetSamplerState(0, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
  d->SetSamplerState(0, gfx::SAMP_ADDRESSV, gfx::TADDRESS_WRAP);
  d->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
  d->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
  d->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_POINT);
  d->SetRenderState(gfx::RS_COLORVERTEX, 1);
  d->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
}

void SetEmitterStates(gfx::Device* d, const ParticleEmitter& e) {
  d->SetTransform(gfx::TS_WORLD, &e.matrix);
  if (e.texture) {
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  } else {
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
    d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
  }
  if (e.transparency == 0) {
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  } else {
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    if (e.alphaPercent < 0.0f) {
      if (e.blendMode == -1) {  // additive glow
        d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
        d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCCOLOR);
      }
    } else {
      d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
      d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
      d->SetRenderState(gfx::RS_TEXTUREFACTOR, uint32_t(e.alphaPercent * 0.01f * 255.0f) << 24);
      d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
      d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TFACTOR);
    }
  }
  d->SetTexture(0, e.texture);
}

void SetPointStates(gfx::Device* d, const ParticleEmitter& e) {
  const float size = e.radius * 0.1f;
  d->SetRenderState(gfx::RS_POINTSPRITEENABLE, 1);
  d->SetRenderState(gfx::RS_POINTSCALEENABLE, 1);
  d->SetRenderState(gfx::RS_POINTSIZE, FloatBits(size));
  d->SetRenderState(gfx::RS_POINTSIZE_MIN, FloatBits(0.0f));
  d->SetRenderState(gfx::RS_POINTSIZE_MAX, FloatBits(size));
  d->SetRenderState(gfx::RS_POINTSCALE_A, FloatBits(0.2f));
  d->SetRenderState(gfx::RS_POINTSCALE_B, FloatBits(0.0f));
  d->SetRenderState(gfx::RS_POINTSCALE_C, FloatBits(0.8f));
  d->SetStreamSource(0, e.vertexBuffer, 0, sizeof(ParticleVertex));
  d->SetVertexShader(nullptr);
  d->SetFVF(kParticleFvf);
}

// The next batch of the ring, locked: without overwriting what may still be drawn, or discarding the
// buffer each time the ring starts again.
ParticleVertex* LockNextBatch(ParticleEmitter& e) {
  e.ringPosition += e.batchSize;
  if (e.ringPosition >= e.ringSize) e.ringPosition = 0;
  void* data = nullptr;
  const uint32_t flags = e.ringPosition == 0 ? gfx::LOCK_DISCARD : gfx::LOCK_NOOVERWRITE;
  if (gfx::Failed(e.vertexBuffer->Lock(e.ringPosition * sizeof(ParticleVertex), e.batchSize * sizeof(ParticleVertex),
                                       &data, flags)))
    return nullptr;
  return static_cast<ParticleVertex*>(data);
}

}  // namespace

bool DrawEmitterRing(ParticleEmitter& e) {
  gfx::Device* d = e.device;
  SetPointStates(d, e);
  ParticleVertex* batch = LockNextBatch(e);
  if (!batch) return false;
  uint32_t filled = 0;
  for (const Particle* p = e.live; p; p = p->next) {
    const uint32_t n = TrailLength(*p);
    const float step = -0.04f / float(n);
    const uint32_t color = ParticleColor(*p);
    for (uint32_t k = 0; k < n; ++k) {
      const float t = step * float(k);
      batch[filled++] = {p->position.x + p->velocity.x * t, p->position.y + p->velocity.y * t,
                         p->position.z + p->velocity.z * t, color};
      if (filled < e.batchSize) continue;
      e.vertexBuffer->Unlock();
      if (gfx::Failed(d->DrawPrimitive(gfx::PT_POINTLIST, e.ringPosition, e.batchSize))) return false;
      if (!(batch = LockNextBatch(e))) return false;
      filled = 0;
    }
  }
  e.vertexBuffer->Unlock();
  if (filled > 0 && gfx::Failed(d->DrawPrimitive(gfx::PT_POINTLIST, e.ringPosition, filled))) return false;
  return true;
}

void RenderParticles() {
  ParticleState& s = Particles();
  gfx::Device* d = s.device;
  if (!d) return;
  SetSharedStates(d);
  uint32_t savedFogColor = 0;
  d->GetRenderState(gfx::RS_FOGCOLOR, &savedFogColor);
  d->SetRenderState(gfx::RS_FOGCOLOR, 0);  // particles fade to black in fog

  for (IdListNode* node = s.list.records.Head(); node; node = node->next) {
    auto& e = *static_cast<ParticleEmitter*>(node->data);
    if (e.visible != 1) continue;
    SetEmitterStates(d, e);
    e.time += e.speed + 0.00003f;
    // A failed step or draw ends the particles of this frame; the states below are still put back.
    const bool drawn = StepParticles(e) && DrawEmitterRing(e);
    d->SetRenderState(gfx::RS_POINTSPRITEENABLE, 0);
    d->SetRenderState(gfx::RS_POINTSCALEENABLE, 0);
    if (!drawn) break;
  }

  d->SetRenderState(gfx::RS_FOGCOLOR, savedFogColor);
  d->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
}
