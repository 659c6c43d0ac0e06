#include "platform/gfx/device_state.h"

#include <cstring>

namespace platform::gfx {
namespace {

// Render states that belong to pixel processing; the others are vertex states.
const uint32_t kPixelRenderStates[] = {
    RS_ZENABLE, RS_FILLMODE, RS_SHADEMODE, RS_ZWRITEENABLE, RS_ALPHATESTENABLE, RS_LASTPIXEL, RS_SRCBLEND,
    RS_DESTBLEND, RS_ZFUNC, RS_ALPHAREF, RS_ALPHAFUNC, RS_DITHERENABLE, RS_ALPHABLENDENABLE, RS_FOGSTART,
    RS_FOGEND, RS_FOGDENSITY, RS_STENCILENABLE, RS_STENCILFAIL, RS_STENCILZFAIL, RS_STENCILPASS, RS_STENCILFUNC,
    RS_STENCILREF, RS_STENCILMASK, RS_STENCILWRITEMASK, RS_TEXTUREFACTOR, RS_WRAP0, RS_WRAP1, RS_WRAP2, RS_WRAP3,
    RS_WRAP4, RS_WRAP5, RS_WRAP6, RS_WRAP7, RS_COLORWRITEENABLE, RS_BLENDOP, RS_SCISSORTESTENABLE,
    RS_SLOPESCALEDEPTHBIAS, RS_ANTIALIASEDLINEENABLE, RS_TWOSIDEDSTENCILMODE, RS_CCW_STENCILFAIL,
    RS_CCW_STENCILZFAIL, RS_CCW_STENCILPASS, RS_CCW_STENCILFUNC, RS_COLORWRITEENABLE1, RS_COLORWRITEENABLE2,
    RS_COLORWRITEENABLE3, RS_BLENDFACTOR, RS_SRGBWRITEENABLE, RS_DEPTHBIAS, RS_WRAP8, RS_WRAP8 + 1, RS_WRAP8 + 2,
    RS_WRAP8 + 3, RS_WRAP8 + 4, RS_WRAP8 + 5, RS_WRAP8 + 6, RS_WRAP15, RS_SEPARATEALPHABLENDENABLE,
    RS_SRCBLENDALPHA, RS_DESTBLENDALPHA, RS_BLENDOPALPHA,
};
const uint32_t kVertexRenderStates[] = {
    RS_CULLMODE, RS_FOGENABLE, RS_FOGCOLOR, RS_FOGTABLEMODE, RS_FOGSTART, RS_FOGEND, RS_FOGDENSITY,
    RS_RANGEFOGENABLE, RS_AMBIENT, RS_COLORVERTEX, RS_FOGVERTEXMODE, RS_CLIPPING, RS_LIGHTING, RS_LOCALVIEWER,
    RS_EMISSIVEMATERIALSOURCE, RS_AMBIENTMATERIALSOURCE, RS_DIFFUSEMATERIALSOURCE, RS_SPECULARMATERIALSOURCE,
    RS_VERTEXBLEND, RS_CLIPPLANEENABLE, RS_POINTSIZE, RS_POINTSIZE_MIN, RS_POINTSPRITEENABLE,
    RS_POINTSCALEENABLE, RS_POINTSCALE_A, RS_POINTSCALE_B, RS_POINTSCALE_C, RS_MULTISAMPLEANTIALIAS,
    RS_MULTISAMPLEMASK, RS_PATCHEDGESTYLE, RS_POINTSIZE_MAX, RS_INDEXEDVERTEXBLENDENABLE, RS_TWEENFACTOR,
    RS_POSITIONDEGREE, RS_NORMALDEGREE, RS_MINTESSELLATIONLEVEL, RS_MAXTESSELLATIONLEVEL, RS_ADAPTIVETESS_X,
    RS_ADAPTIVETESS_Y, RS_ADAPTIVETESS_Z, RS_ADAPTIVETESS_W, RS_ENABLEADAPTIVETESSELLATION, RS_NORMALIZENORMALS,
    RS_SPECULARENABLE, RS_SHADEMODE,
};

void SetRange(std::bitset<kRenderStateCount>* bits, const uint32_t* states, size_t n) {
  for (size_t i = 0; i < n; ++i) bits->set(states[i]);
}

}  // namespace

int TransformSlot(uint32_t state) {
  if (state == TS_WORLD) return kWorldSlot;
  if (state == TS_VIEW) return kViewSlot;
  if (state == TS_PROJECTION) return kProjectionSlot;
  if (state >= TS_TEXTURE0 && state <= TS_TEXTURE7) return 2 + int(state - TS_TEXTURE0);
  if (state >= TS_WORLD && state < TS_WORLD + kWorldMatrices) return 2 + kMaxTextureStages + int(state - TS_WORLD);
  return -1;
}

Matrix IdentityMatrix() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

Matrix MultiplyMatrix(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

void SetDefaultStates(DeviceState* s, bool zEnable, float maxPointSize) {
  uint32_t* rs = s->rs;
  std::memset(rs, 0, sizeof s->rs);
  rs[RS_ZENABLE] = zEnable ? ZB_TRUE : ZB_FALSE;
  rs[RS_FILLMODE] = FILL_SOLID;
  rs[RS_SHADEMODE] = SHADE_GOURAUD;
  rs[RS_ZWRITEENABLE] = 1;
  rs[RS_LASTPIXEL] = 1;
  rs[RS_SRCBLEND] = BLEND_ONE;
  rs[RS_DESTBLEND] = BLEND_ZERO;
  rs[RS_CULLMODE] = CULL_CCW;
  rs[RS_ZFUNC] = CMP_LESSEQUAL;
  rs[RS_ALPHAFUNC] = CMP_ALWAYS;
  rs[RS_FOGSTART] = FloatBits(0.0f);
  rs[RS_FOGEND] = FloatBits(1.0f);
  rs[RS_FOGDENSITY] = FloatBits(1.0f);
  rs[RS_STENCILFAIL] = rs[RS_STENCILZFAIL] = rs[RS_STENCILPASS] = STENCILOP_KEEP;
  rs[RS_STENCILFUNC] = CMP_ALWAYS;
  rs[RS_STENCILMASK] = rs[RS_STENCILWRITEMASK] = 0xFFFFFFFF;
  rs[RS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[RS_CLIPPING] = 1;
  rs[RS_LIGHTING] = 1;
  rs[RS_COLORVERTEX] = 1;
  rs[RS_LOCALVIEWER] = 1;
  rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
  rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
  rs[RS_POINTSIZE] = FloatBits(1.0f);
  rs[RS_POINTSIZE_MIN] = FloatBits(1.0f);
  rs[RS_POINTSCALE_A] = FloatBits(1.0f);
  rs[RS_MULTISAMPLEANTIALIAS] = 1;
  rs[RS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[RS_DEBUGMONITORTOKEN] = 0xBAADCAFE;
  rs[RS_POINTSIZE_MAX] = FloatBits(maxPointSize);
  rs[RS_COLORWRITEENABLE] = rs[RS_COLORWRITEENABLE1] = rs[RS_COLORWRITEENABLE2] = rs[RS_COLORWRITEENABLE3] = 0xF;
  rs[RS_BLENDOP] = rs[RS_BLENDOPALPHA] = BLENDOP_ADD;
  rs[RS_POSITIONDEGREE] = 3;
  rs[RS_NORMALDEGREE] = 1;
  rs[RS_MINTESSELLATIONLEVEL] = rs[RS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
  rs[RS_ADAPTIVETESS_Z] = FloatBits(1.0f);
  rs[RS_CCW_STENCILFAIL] = rs[RS_CCW_STENCILZFAIL] = rs[RS_CCW_STENCILPASS] = STENCILOP_KEEP;
  rs[RS_CCW_STENCILFUNC] = CMP_ALWAYS;
  rs[RS_BLENDFACTOR] = 0xFFFFFFFF;
  rs[RS_SRCBLENDALPHA] = BLEND_ONE;
  rs[RS_DESTBLENDALPHA] = BLEND_ZERO;

  for (int i = 0; i < kMaxTextureStages; ++i) {
    uint32_t* t = s->tss[i];
    std::memset(t, 0, sizeof s->tss[i]);
    t[TSS_COLOROP] = i == 0 ? TOP_MODULATE : TOP_DISABLE;
    t[TSS_COLORARG1] = TA_TEXTURE;
    t[TSS_COLORARG2] = TA_CURRENT;
    t[TSS_ALPHAOP] = i == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
    t[TSS_ALPHAARG1] = TA_TEXTURE;
    t[TSS_ALPHAARG2] = TA_CURRENT;
    t[TSS_TEXCOORDINDEX] = uint32_t(i);
    t[TSS_COLORARG0] = t[TSS_ALPHAARG0] = t[TSS_RESULTARG] = TA_CURRENT;
  }
  for (int i = 0; i < kMaxSamplers; ++i) {
    uint32_t* p = s->samp[i];
    std::memset(p, 0, sizeof s->samp[i]);
    p[SAMP_ADDRESSU] = p[SAMP_ADDRESSV] = p[SAMP_ADDRESSW] = TADDRESS_WRAP;
    p[SAMP_MAGFILTER] = p[SAMP_MINFILTER] = TEXF_POINT;
    p[SAMP_MIPFILTER] = TEXF_NONE;
    p[SAMP_MAXANISOTROPY] = 1;
  }
  for (Matrix& m : s->transforms) m = IdentityMatrix();
  s->material = {};
  s->material.diffuse = {1, 1, 1, 1};
  s->lights.clear();
  std::memset(s->clipPlanes, 0, sizeof s->clipPlanes);
  s->fvf = 0;
}

void MaskForType(uint32_t type, StateMask* mask) {
  *mask = StateMask{};
  bool pixel = type == SBT_ALL || type == SBT_PIXELSTATE;
  bool vertex = type == SBT_ALL || type == SBT_VERTEXSTATE;
  if (pixel) SetRange(&mask->rs, kPixelRenderStates, sizeof kPixelRenderStates / sizeof kPixelRenderStates[0]);
  if (vertex) SetRange(&mask->rs, kVertexRenderStates, sizeof kVertexRenderStates / sizeof kVertexRenderStates[0]);
  for (int stage = 0; stage < kMaxTextureStages; ++stage)
    for (int t = 1; t < kTextureStageStateCount; ++t) {
      bool vertexState = t == TSS_TEXCOORDINDEX || t == TSS_TEXTURETRANSFORMFLAGS;
      if (vertexState ? vertex : pixel) mask->tss.set(stage * kTextureStageStateCount + t);
    }
  for (int sampler = 0; sampler < kMaxSamplers; ++sampler)
    for (int t = 1; t < kSamplerStateCount; ++t) {
      bool vertexState = t == SAMP_DMAPOFFSET;
      if (vertexState ? vertex : pixel) mask->samp.set(sampler * kSamplerStateCount + t);
    }
  if (type == SBT_ALL) {
    mask->textures.set();
    mask->transforms.set();
    mask->clipPlanes.set();
    mask->streams.set();
    mask->material = mask->viewport = mask->scissor = mask->indices = true;
  }
  if (vertex) {
    mask->fvf = mask->declaration = true;
    mask->allLights = true;
  }
}

}  // namespace platform::gfx
