// Sprite drawing: the module's protocol, the draw queue and the pass of every frame, the immediate
// pastes, and the hooks around the present that treat the background.
#include <cstddef>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

SpriteState g_sprites;

constexpr uint32_t kBackgroundColour = 0xFF000080u;

void ReleaseBackground() {
  SpriteState& s = Sprites();
  if (s.backgroundCopy) s.backgroundCopy->Release();
  if (s.backBuffer) s.backBuffer->Release();
  s.backgroundCopy = nullptr;
  s.backBuffer = nullptr;
}

// The device state every queue draw starts from: pre-transformed textured quads, no depth, no light,
// alpha blending by the source alpha, point sampling, texture times diffuse.
void SetQueueState(gfx::Device* d) {
  d->SetVertexShader(nullptr);
  d->SetFVF(kSpriteFvf);
  d->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  d->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
  d->SetRenderState(gfx::RS_DITHERENABLE, 0);
  d->SetRenderState(gfx::RS_LIGHTING, 0);
  d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  d->SetRenderState(gfx::RS_FOGENABLE, 0);
  d->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
  d->SetRenderState(gfx::RS_ZENABLE, 0);
  d->SetRenderState(gfx::RS_COLORVERTEX, 1);
  d->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
  d->SetRenderState(gfx::RS_SPECULARMATERIALSOURCE, gfx::MCS_MATERIAL);
  d->SetRenderState(gfx::RS_AMBIENTMATERIALSOURCE, gfx::MCS_MATERIAL);
  d->SetRenderState(gfx::RS_EMISSIVEMATERIALSOURCE, gfx::MCS_MATERIAL);
  d->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  d->SetRenderState(gfx::RS_MULTISAMPLEANTIALIAS, 0);
  d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
  d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
  d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
  d->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
  d->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
  d->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
  d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
  d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
  d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
}

// The scratch record of a paste, with its own extents and a white tint.
SpriteRecord& ScratchRecord(int32_t x, int32_t y, int32_t image, gfx::Texture* texture, float u, float v) {
  SpriteRecord& r = Sprites().scratch;
  r = SpriteRecord{};
  r.device = Sprites().device;
  r.x = float(x);
  r.y = float(y);
  r.image = image;
  r.texture = texture;
  for (SpriteVertex& vertex : r.vertices) {
    vertex.z = 0.5f;
    vertex.rhw = 1.0f;
    vertex.diffuse = 0xFFFFFFFFu;
  }
  SetTextureCoordinates(r, u, v);
  return r;
}

}  // namespace

SpriteState& Sprites() { return g_sprites; }

namespace SpriteModule {

void Constructor() {
  SpriteState& s = Sprites();
  s.device = GetDirect3DDevice();
  s.images = SpriteImageLinks{GetImageWidth, GetImageHeight, GetImageTexture, GetImageU, GetImageV};
  if (s.list.queue.empty()) s.list.queue.resize(kInitialQueueCapacity);
  s.list.count = 0;
}

void Destructor() {
  ClearSprites();
  ReleaseBackground();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { Sprites().core = coreData; }

void RefreshD3D(int mode) {
  if (mode == 0) Destructor();
  if (mode == 1) {
    Constructor();
    PassCoreData(Sprites().core);
  }
}

}  // namespace SpriteModule

void QueueSprite(int32_t sprite) {
  SpriteList& list = Sprites().list;
  const SpriteRecord* record = FindSprite(sprite);
  if (!record) return;
  if (list.count >= int32_t(list.queue.size())) list.queue.resize(list.queue.empty() ? 1 : list.queue.size() * 2);
  list.queue[size_t(list.count++)] = *record;
}

int32_t DrawSpriteQueue() {
  SpriteState& s = Sprites();
  gfx::Device* d = s.device;
  if (!d) {
    s.list.count = 0;
    return gfx::kInvalidCall;
  }
  if (s.list.count > 0) {
    SetQueueState(d);
    uint8_t blended = 1;
    for (int32_t i = 0; i < s.list.count; ++i) {
      const SpriteRecord& entry = s.list.queue[size_t(i)];
      if (!entry.visible) continue;
      if (entry.blended != blended) {
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, entry.blended);
        blended = entry.blended;
      }
      d->SetTexture(0, entry.texture);
      d->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, entry.vertices, sizeof(SpriteVertex));
    }
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  }
  const gfx::Result result = d->SetRenderState(gfx::RS_ZENABLE, 1);
  s.list.count = 0;
  return result;
}

int32_t DrawSpriteNow(const SpriteRecord& record) {
  SpriteList& list = Sprites().list;
  if (list.queue.empty()) list.queue.resize(kInitialQueueCapacity);
  list.queue[0] = record;
  list.count = 1;
  return DrawSpriteQueue();
}

void DrawSpritePass() {
  SpriteList& list = Sprites().list;
  list.count = 0;
  for (IdListNode* node = list.records.Head(); node; node = node->next) QueueSprite(node->id);
  DrawSpriteQueue();
}

int32_t PasteImage(int32_t image, int32_t x, int32_t y, float u, float v, int32_t blended) {
  const SpriteImageLinks& links = Sprites().images;
  SpriteRecord& r = ScratchRecord(x, y, image, links.texture ? links.texture(image) : nullptr, u, v);
  r.width = links.width ? links.width(image) : -1;
  r.height = links.height ? links.height(image) : -1;
  r.blended = blended == 1 ? 1 : 0;
  PlaceSprite(r, x, y);
  return DrawSpriteNow(r);
}

void PasteTextureRect(gfx::Texture* texture, float u, float v, int32_t left, int32_t top, int32_t right,
                      int32_t bottom) {
  SpriteRecord& r = ScratchRecord(left, top, 0, texture, u, v);
  r.width = right - left;
  r.height = bottom - top;
  r.blended = 0;
  if (v < 0) {
    // Upside down: the bottom row of the texture at the top of the rectangle.
    SpriteVertex* c = r.vertices;
    c[0].u = 0, c[0].v = 1;
    c[1].u = u, c[1].v = 1;
    c[2].u = 0, c[2].v = 0;
    c[3].u = u, c[3].v = 0;
  }
  PlaceSprite(r, left, top);
  DrawSpriteNow(r);
}

void SaveBackBufferCopy() {
  SpriteState& s = Sprites();
  if (s.backgroundCopy || !s.device) return;
  if (!s.backBuffer && gfx::Failed(s.device->GetBackBuffer(0, 0, gfx::BACKBUFFER_TYPE_MONO, &s.backBuffer))) return;
  gfx::SurfaceDesc desc{};
  s.backBuffer->GetDesc(&desc);
  s.device->CreateOffscreenPlainSurface(desc.width, desc.height, desc.format, gfx::POOL_SYSTEMMEM, &s.backgroundCopy,
                                        nullptr);
}

void RestoreBackBufferCopy() {
  SpriteState& s = Sprites();
  if (s.backgroundMode == 2 && s.list.records.Count() > 0 && s.device) {
    s.device->Clear(0, nullptr, gfx::CLEAR_TARGET, kBackgroundColour, 1.0f, 0);
  }
}
