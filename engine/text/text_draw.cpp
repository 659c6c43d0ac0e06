// Drawing strings: one textured quad per character from the atlas, fifty characters per draw call
// through a small dynamic vertex buffer, between two state blocks that set the text states and give
// the caller's back.

#include "engine/core/errors.h"
#include "engine/text/text.h"
#include "engine/text/text_state.h"
#include "platform/fonts/fonts.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resources.h"

namespace gfx = platform::gfx;
namespace fonts = platform::fonts;

namespace {

struct TextVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(TextVertex) == kTextVertexSize);

// The states text needs, recorded into one block (the saved-state block records the same states, so
// capturing it takes the caller's values of exactly these).
gfx::StateBlock* RecordTextStates(gfx::Device* device, gfx::Texture* texture) {
  device->BeginStateBlock();
  device->SetTexture(0, texture);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
  device->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
  device->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_FALSE);
  device->SetRenderState(gfx::RS_STENCILENABLE, 0);
  device->SetRenderState(gfx::RS_CLIPPING, 1);
  device->SetRenderState(gfx::RS_VERTEXBLEND, gfx::VBF_DISABLE);
  device->SetRenderState(gfx::RS_INDEXEDVERTEXBLENDENABLE, 0);
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
  device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
  device->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, gfx::TSS_TEXTURETRANSFORMFLAGS, gfx::TTFF_DISABLE);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
  device->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  gfx::StateBlock* block = nullptr;
  if (gfx::Failed(device->EndStateBlock(&block))) return nullptr;
  return block;
}

fonts::ColorRef ToColorRef(uint32_t argb) {
  return fonts::MakeColorRef(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb));
}

// Double-byte fonts draw with the font rasteriser straight into the render surface.
void DrawWithFontRasteriser(int32_t x, int32_t y, const char* text) {
  TextState& s = TextModuleState();
  gfx::Surface* surface = s.core ? s.core->currentRenderSurface : nullptr;
  if (!surface) return;
  gfx::SurfaceDesc desc{};
  if (gfx::Failed(surface->GetDesc(&desc))) return;
  if (desc.format != gfx::FMT_X8R8G8B8 && desc.format != gfx::FMT_A8R8G8B8) return;
  gfx::LockedRect locked{};
  if (gfx::Failed(surface->LockRect(&locked, nullptr, 0))) return;
  const fonts::Bitmap32 bitmap{static_cast<uint32_t*>(locked.bits), int32_t(desc.width), int32_t(desc.height),
                               locked.pitch};
  fonts::Context* context = fonts::CreateContext();
  fonts::SelectBitmap(context, &bitmap);
  fonts::Font* old = fonts::SelectFont(context, s.font);
  fonts::SetTextColor(context, ToColorRef(s.foreground));
  fonts::SetBackgroundColor(context, ToColorRef(s.background));
  fonts::SetTextAlign(context, fonts::ALIGN_LEFT | fonts::ALIGN_TOP);
  fonts::TextOut(context, x, y, fonts::TEXTOUT_OPAQUE, nullptr, text);
  fonts::SelectFont(context, old);
  fonts::SelectBitmap(context, nullptr);
  fonts::DeleteContext(context);
  surface->UnlockRect();
}

// Takes the ink colours of CoreData; the atlas is built again when the colour it bakes in changed.
void FollowInkColours() {
  TextState& s = TextModuleState();
  if (!s.core) return;
  bool rebuild = false;
  if (s.foreground != s.core->inkForeground) {
    s.foreground = s.core->inkForeground;
    rebuild = s.background != 0;
  }
  if (s.background != s.core->inkBackground) {
    s.background = s.core->inkBackground;
    rebuild = true;
  }
  if (rebuild) RebuildFontTexture();
}

}  // namespace

void CreateTextVertexBuffer() {
  TextState& s = TextModuleState();
  if (!s.device) return;
  if (gfx::Failed(s.device->CreateVertexBuffer(kTextVertexCount * kTextVertexSize,
                                               gfx::USAGE_WRITEONLY | gfx::USAGE_DYNAMIC, 0, gfx::POOL_DEFAULT,
                                               &s.vertexBuffer, nullptr))) {
    s.vertexBuffer = nullptr;
    RaiseErrorText("Unable to create vertex buffer for text library");
  }
  if (s.savedState) s.savedState->Release();
  if (s.textState) s.textState->Release();
  s.savedState = RecordTextStates(s.device, s.fontTexture);
  s.textState = RecordTextStates(s.device, s.fontTexture);
}

void RenderTextString(int32_t x, int32_t y, const char* text) {
  TextState& s = TextModuleState();
  if (!text) return;
  if (s.doubleByte && s.font) {
    DrawWithFontRasteriser(x, y, text);
    return;
  }
  if (!s.device || !s.vertexBuffer || !s.savedState || !s.textState) return;
  gfx::Device* device = s.device;
  const GlyphTables& glyphs = TextGlyphs();

  s.savedState->Capture();
  s.textState->Apply();
  device->SetVertexShader(nullptr);
  device->SetFVF(kTextVertexFvf);
  device->SetStreamSource(0, s.vertexBuffer, 0, kTextVertexSize);

  void* locked = nullptr;
  if (gfx::Failed(s.vertexBuffer->Lock(0, 0, &locked, gfx::LOCK_DISCARD))) {
    s.savedState->Apply();
    return;
  }
  auto* vertices = static_cast<TextVertex*>(locked);
  const uint32_t diffuse = s.background != 0 ? 0xFFFFFFFF : s.foreground != 0 ? s.foreground : 0xFF010101;
  const float textureWidth = float(s.textureWidth), textureHeight = float(s.textureHeight);
  const float startX = float(x);
  float penX = startX, penY = float(y);
  uint32_t written = 0;

  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    const unsigned c = *p;
    if (c == '\n') {
      penX = startX;
      const auto& space = glyphs.rect[static_cast<unsigned char>(' ')];
      penY += (space.vB - space.vT) * textureHeight;
      continue;
    }
    if (c < 32) continue;
    const GlyphTables::Rect& r = glyphs.rect[c];
    const float w = (r.uR - r.uL) * textureWidth / s.scale;
    const float h = (r.vB - r.vT) * textureHeight / s.scale;
    const float x0 = penX - 0.5f, x1 = penX + w - 0.5f, y0 = penY - 0.5f, y1 = penY + h - 0.5f;
    TextVertex* v = vertices + written;
    v[0] = {x0, y1, 0.9f, 1.0f, diffuse, r.uL, r.vB};
    v[1] = {x0, y0, 0.9f, 1.0f, diffuse, r.uL, r.vT};
    v[2] = {x1, y1, 0.9f, 1.0f, diffuse, r.uR, r.vB};
    v[3] = {x1, y0, 0.9f, 1.0f, diffuse, r.uR, r.vT};
    v[4] = {x1, y1, 0.9f, 1.0f, diffuse, r.uR, r.vB};
    v[5] = {x0, y0, 0.9f, 1.0f, diffuse, r.uL, r.vT};
    written += 6;
    if (written > kTextVertexCount - 6) {
      s.vertexBuffer->Unlock();
      device->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, written / 3);
      written = 0;
      if (gfx::Failed(s.vertexBuffer->Lock(0, 0, &locked, gfx::LOCK_DISCARD))) {
        s.savedState->Apply();
        return;
      }
      vertices = static_cast<TextVertex*>(locked);
    }
    penX += float(glyphs.width[c]);
  }
  s.vertexBuffer->Unlock();
  if (written > 0) device->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, written / 3);
  s.savedState->Apply();
}

void DrawTextAt(int32_t x, int32_t y, const char* text) {
  if (!text) return;
  FollowInkColours();
  RenderTextString(x, y, text);
}

void DrawTextCentered(int32_t x, int32_t y, const char* text) {
  if (!text) return;
  FollowInkColours();
  RenderTextString(x - GetTextWidth(text) / 2, y, text);
}
