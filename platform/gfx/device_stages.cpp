// Texture stages onto GL texture units: the stage operations become texture-combiner settings,
// sampler states become the texture's parameters, coordinate indices and generation become texture
// coordinate arrays and texgen, and texture transforms the unit's texture matrix.
#include <algorithm>
#include <cstring>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/shader.h"
#include "platform/gfx/texture.h"

namespace platform::gfx {
namespace {

// One combiner channel (colour or alpha) as GL takes it.
struct Channel {
  GLenum combine = GL_REPLACE;
  GLenum source[3] = {GL_PREVIOUS, GL_PREVIOUS, GL_PREVIOUS};
  GLenum operand[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_COLOR};
  GLint scale = 1;
};

GLenum Source(uint32_t arg) {
  switch (arg & TA_SELECTMASK) {
    case TA_DIFFUSE: return GL_PRIMARY_COLOR;
    case TA_TEXTURE: return GL_TEXTURE;
    case TA_TFACTOR: return GL_CONSTANT;
    case TA_CONSTANT: return GL_CONSTANT;
    case TA_SPECULAR: return GL_PRIMARY_COLOR;  // the specular colour is added after the stages
    default: return GL_PREVIOUS;
  }
}

GLenum Operand(uint32_t arg, bool alpha, bool wantAlpha = false) {
  bool complement = arg & TA_COMPLEMENT;
  if (alpha || wantAlpha || (arg & TA_ALPHAREPLICATE)) return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
  return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Maps a stage operation with its arguments (a0 is the third argument of the three-argument
// operations) onto one GL combiner channel.
Channel Map(uint32_t op, uint32_t a1, uint32_t a2, uint32_t a0, bool alpha) {
  Channel c;
  if (alpha)  // alpha operands take only the alpha forms
    for (GLenum& o : c.operand) o = GL_SRC_ALPHA;
  auto set = [&](int i, uint32_t arg, bool wantAlpha = false) {
    c.source[i] = Source(arg);
    c.operand[i] = Operand(arg, alpha, wantAlpha);
  };
  auto setRaw = [&](int i, GLenum source, GLenum operand) {
    c.source[i] = source;
    c.operand[i] = operand;
  };
  GLenum srcAlpha = GL_SRC_ALPHA;
  switch (op) {
    case TOP_SELECTARG2: c.combine = GL_REPLACE; set(0, a2); break;
    case TOP_MODULATE: c.combine = GL_MODULATE; set(0, a1); set(1, a2); break;
    case TOP_MODULATE2X: c.combine = GL_MODULATE; set(0, a1); set(1, a2); c.scale = 2; break;
    case TOP_MODULATE4X: c.combine = GL_MODULATE; set(0, a1); set(1, a2); c.scale = 4; break;
    case TOP_ADD: c.combine = GL_ADD; set(0, a1); set(1, a2); break;
    case TOP_ADDSIGNED: c.combine = GL_ADD_SIGNED; set(0, a1); set(1, a2); break;
    case TOP_ADDSIGNED2X: c.combine = GL_ADD_SIGNED; set(0, a1); set(1, a2); c.scale = 2; break;
    case TOP_SUBTRACT: c.combine = GL_SUBTRACT; set(0, a1); set(1, a2); break;
    case TOP_ADDSMOOTH:  // a1 + a2 (1 - a1)
      c.combine = GL_MODULATE_ADD_ATI; set(0, a2); set(1, a1); set(2, a1 ^ TA_COMPLEMENT); break;
    case TOP_BLENDDIFFUSEALPHA:
      c.combine = GL_INTERPOLATE; set(0, a1); set(1, a2); setRaw(2, GL_PRIMARY_COLOR, srcAlpha); break;
    case TOP_BLENDTEXTUREALPHA:
      c.combine = GL_INTERPOLATE; set(0, a1); set(1, a2); setRaw(2, GL_TEXTURE, srcAlpha); break;
    case TOP_BLENDFACTORALPHA:
      c.combine = GL_INTERPOLATE; set(0, a1); set(1, a2); setRaw(2, GL_CONSTANT, srcAlpha); break;
    case TOP_BLENDCURRENTALPHA:
      c.combine = GL_INTERPOLATE; set(0, a1); set(1, a2); setRaw(2, GL_PREVIOUS, srcAlpha); break;
    case TOP_BLENDTEXTUREALPHAPM:  // a1 + a2 (1 - texture alpha)
      c.combine = GL_MODULATE_ADD_ATI; set(0, a2); set(1, a1); setRaw(2, GL_TEXTURE, GL_ONE_MINUS_SRC_ALPHA); break;
    case TOP_MODULATEALPHA_ADDCOLOR:  // a1 + a1.alpha a2
      c.combine = GL_MODULATE_ADD_ATI; set(0, a1, true); set(1, a1); set(2, a2); break;
    case TOP_MODULATECOLOR_ADDALPHA:  // a1 a2 + a1.alpha
      c.combine = GL_MODULATE_ADD_ATI; set(0, a1); set(1, a1, true); set(2, a2); break;
    case TOP_MODULATEINVALPHA_ADDCOLOR:  // (1 - a1.alpha) a2 + a1
      c.combine = GL_MODULATE_ADD_ATI; set(0, a1 ^ TA_COMPLEMENT, true); set(1, a1); set(2, a2); break;
    case TOP_MODULATEINVCOLOR_ADDALPHA:  // (1 - a1) a2 + a1.alpha
      c.combine = GL_MODULATE_ADD_ATI; set(0, a1 ^ TA_COMPLEMENT); set(1, a1, true); set(2, a2); break;
    case TOP_DOTPRODUCT3: c.combine = alpha ? GL_REPLACE : GL_DOT3_RGBA; set(0, a1); set(1, a2); break;
    case TOP_MULTIPLYADD:  // a0 + a1 a2
      c.combine = GL_MODULATE_ADD_ATI; set(0, a1); set(1, a0); set(2, a2); break;
    case TOP_LERP:  // a0 a1 + (1 - a0) a2
      c.combine = GL_INTERPOLATE; set(0, a1); set(1, a2); set(2, a0, !alpha); break;
    case TOP_PREMODULATE: c.combine = GL_MODULATE; set(0, a1); set(1, a2); break;
    case TOP_SELECTARG1:
    default: c.combine = GL_REPLACE; set(0, a1); break;
  }
  return c;
}

bool UsesTexture(uint32_t op, uint32_t a1, uint32_t a2, uint32_t a0) {
  auto is = [](uint32_t a) { return (a & TA_SELECTMASK) == TA_TEXTURE; };
  if (op == TOP_DISABLE) return false;
  if (op == TOP_BLENDTEXTUREALPHA || op == TOP_BLENDTEXTUREALPHAPM) return true;
  if (is(a1) && op != TOP_SELECTARG2) return true;
  if (is(a2) && op != TOP_SELECTARG1) return true;
  return is(a0) && (op == TOP_MULTIPLYADD || op == TOP_LERP);
}

bool UsesConstant(const Channel& c) {
  return c.source[0] == GL_CONSTANT || c.source[1] == GL_CONSTANT || c.source[2] == GL_CONSTANT;
}

GLint MinFilter(uint32_t min, uint32_t mip, bool mipmapped) {
  bool linear = min == TEXF_LINEAR || min == TEXF_ANISOTROPIC;
  if (!mipmapped || mip == TEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mip == TEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

GLint MagFilter(uint32_t mag) { return mag == TEXF_LINEAR || mag == TEXF_ANISOTROPIC ? GL_LINEAR : GL_NEAREST; }

float Anisotropy(const uint32_t* samp, float maxAnisotropy) {
  return samp[SAMP_MINFILTER] == TEXF_ANISOTROPIC ? std::clamp(float(samp[SAMP_MAXANISOTROPY]), 1.0f, maxAnisotropy)
                                                  : 1.0f;
}

bool UsesBorder(const uint32_t* samp) {
  return samp[SAMP_ADDRESSU] == TADDRESS_BORDER || samp[SAMP_ADDRESSV] == TADDRESS_BORDER;
}

// A D3DCOLOR as GL takes a colour.
struct BorderColour {
  explicit BorderColour(uint32_t b)
      : rgba{((b >> 16) & 255) / 255.0f, ((b >> 8) & 255) / 255.0f, (b & 255) / 255.0f, (b >> 24) / 255.0f} {}
  float rgba[4];
};

GLint Wrap(uint32_t mode, bool mirrorClamp) {
  switch (mode) {
    case TADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case TADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case TADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case TADDRESS_MIRRORONCE: return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

void SetTexGen(GLint mode) {
  GLenum coords[4] = {GL_S, GL_T, GL_R, GL_Q};
  GLenum enables[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
  int used = mode == 0 ? 0 : mode == GL_SPHERE_MAP ? 2 : 3;
  for (int i = 0; i < 4; ++i) {
    if (i < used) {
      glTexGeni(coords[i], GL_TEXTURE_GEN_MODE, mode);
      if (mode == GL_EYE_LINEAR) {
        float plane[4] = {0, 0, 0, 0};
        plane[i] = 1.0f;
        glTexGenfv(coords[i], GL_EYE_PLANE, plane);
      }
      glEnable(enables[i]);
    } else {
      glDisable(enables[i]);
    }
  }
}

}  // namespace

// Textures changed on the CPU since their last draw send the changes now, once however often they
// were locked in between.
void DeviceImpl::UploadBoundTextures() {
  for (BaseTexture* t : state_.textures)
    if (TextureStore* tex = StoreOf(t); tex && tex->pending()) tex->UploadPending();
}

void DeviceImpl::CaptureStage(int s, bool active, const VertexLayout& layout, StageInputs* in) {
  static_assert(sizeof(StageInputs) == 8 + 4 * (4 + 10 + 10 + 4 + 16), "no padding: compared as bytes");
  std::memset(in, 0, sizeof *in);
  const uint32_t* t = state_.tss[s];
  const uint32_t* samp = state_.samp[s];
  TextureStore* tex = StoreOf(state_.textures[s]);
  if (tex && tex->hasGl()) {
    in->texture = reinterpret_cast<uintptr_t>(tex);
    in->name = tex->glName();
    in->levels = tex->glLevels();
    in->lod = tex->lod;
    in->samplingSerial = tex->sampling().serial;
  }
  static constexpr uint8_t kStageStates[10] = {TSS_COLOROP,   TSS_COLORARG1,   TSS_COLORARG2, TSS_ALPHAOP,
                                               TSS_ALPHAARG1, TSS_ALPHAARG2,   TSS_TEXCOORDINDEX,
                                               TSS_TEXTURETRANSFORMFLAGS,      TSS_COLORARG0, TSS_ALPHAARG0};
  for (int i = 0; i < 10; ++i) in->tss[i] = t[kStageStates[i]];
  std::memcpy(in->samp, samp + SAMP_ADDRESSU, sizeof in->samp);
  in->factor = state_.rs[RS_TEXTUREFACTOR];
  const VertexAttribute& coords = layout.texcoord[t[TSS_TEXCOORDINDEX] & 7];
  in->texcoordSize = coords.present() ? uint32_t(coords.size) : 0;
  in->active = active;
  in->shader = shaders_.pixel != nullptr;
  if ((t[TSS_TEXTURETRANSFORMFLAGS] & 0xFF) != TTFF_DISABLE || (t[TSS_TEXTURETRANSFORMFLAGS] & TTFF_PROJECTED))
    std::memcpy(in->texMatrix, &state_.transforms[TransformSlot(TS_TEXTURE0 + uint32_t(s))], sizeof in->texMatrix);
}

void DeviceImpl::FlushStages(const VertexLayout& layout, bool pre) {
  uint8_t active = 0;
  for (int s = 0; s < kMaxTextureStages && state_.tss[s][TSS_COLOROP] != TOP_DISABLE; ++s) active |= uint8_t(1 << s);
  if (shaders_.pixel) active = uint8_t(shaders_.pixel->core().samplerMask);  // the units its samplers read
  uint8_t changed = uint8_t(stageDirty_) | uint8_t(active ^ activeStages_);
  // Between a pixel shader and the stages, the units either side used are looked at again.
  const bool forShader = shaders_.pixel != nullptr;
  if (forShader != stagesForShader_) changed |= active | activeStages_;
  stagesForShader_ = forShader;
  activeStages_ = active;
  stageDirty_ = 0;
  // Units sharing a texture are looked at on every flush: what one of them sets on the texture is what
  // the others would sample with.
  uint8_t sharing = 0;
  SharedTextureUnits(active, &laterSharingUnits_, &sharing);
  changed |= sharing;
  for (; changed; changed &= uint8_t(changed - 1)) {
    const int s = __builtin_ctz(changed);
    const uint8_t bit = uint8_t(1u << s);
    StageInputs in;
    CaptureStage(s, (active >> s) & 1, layout, &in);
    if ((stagesKnown_ & bit) && std::memcmp(&in, &flushedStages_[s], sizeof in) == 0) continue;
    FlushStage(s, (active >> s) & 1, pre);
    FlushTexCoords(s, layout, pre);
    // The flush may have sent the texture's parameters: what it left is what this stage knows.
    if (TextureStore* tex = StoreOf(state_.textures[s]); tex && tex->hasGl()) in.samplingSerial = tex->sampling().serial;
    flushedStages_[s] = in;
    stagesKnown_ |= bit;
  }
}

void DeviceImpl::SharedTextureUnits(uint8_t active, uint8_t* later, uint8_t* all) const {
  *later = *all = 0;
  if ((active & (active - 1)) == 0) return;  // fewer than two units
  for (int s = 1; s < kMaxTextureStages; ++s) {
    const BaseTexture* texture = state_.textures[s];
    if (!texture || !((active >> s) & 1)) continue;
    for (int t = 0; t < s; ++t) {
      if (((active >> t) & 1) && state_.textures[t] == texture) {
        *later |= uint8_t(1u << s);
        *all |= uint8_t(1u << s | 1u << t);
      }
    }
  }
}

void DeviceImpl::SetUnitSampler(int s, bool mipmapped) {
  GLuint& sampler = unitSamplers_[s];
  if (!sampler) glGenSamplers(1, &sampler);
  const uint32_t* samp = state_.samp[s];
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, MinFilter(samp[SAMP_MINFILTER], samp[SAMP_MIPFILTER], mipmapped));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, MagFilter(samp[SAMP_MAGFILTER]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, Wrap(samp[SAMP_ADDRESSU], info_.mirrorClamp));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, Wrap(samp[SAMP_ADDRESSV], info_.mirrorClamp));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, Wrap(samp[SAMP_ADDRESSW], info_.mirrorClamp));
  if (info_.maxAnisotropy > 1.0f)
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, Anisotropy(samp, info_.maxAnisotropy));
  if (UsesBorder(samp)) glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, BorderColour(samp[SAMP_BORDERCOLOR]).rgba);
}

void DeviceImpl::FlushStage(int s, bool active, bool) {
  const uint32_t* t = state_.tss[s];
  TextureStore* tex = StoreOf(state_.textures[s]);
  if (tex && !tex->hasGl()) tex = nullptr;
  uint32_t cop = t[TSS_COLOROP], c1 = t[TSS_COLORARG1], c2 = t[TSS_COLORARG2], c0 = t[TSS_COLORARG0];
  uint32_t aop = t[TSS_ALPHAOP], a1 = t[TSS_ALPHAARG1], a2 = t[TSS_ALPHAARG2], a0 = t[TSS_ALPHAARG0];
  // A stage that reads a texture it does not have passes the current colour on.
  if (!tex && UsesTexture(cop, c1, c2, c0)) { cop = TOP_SELECTARG1; c1 = TA_CURRENT; }
  if (!tex && UsesTexture(aop, a1, a2, a0)) { aop = TOP_SELECTARG1; a1 = TA_CURRENT; }
  if (aop == TOP_DISABLE) { aop = TOP_SELECTARG1; a1 = TA_CURRENT; }
  auto passes = [](uint32_t op, uint32_t arg) {
    return op == TOP_SELECTARG1 && arg == TA_CURRENT;
  };
  // A GL unit without an enabled texture passes its input on unchanged.
  if (!active || (!shaders_.pixel && passes(cop, c1) && passes(aop, a1))) {
    gl_.UseTexture(s, GL_TEXTURE_2D, 0);
    unitTexSet_[s] = -1;
    return;
  }
  if (tex) gl_.UseTexture(s, tex->glTarget(), tex->glName());
  else gl_.UseTexture(s, GL_TEXTURE_2D, whiteTexture_);

  const uint32_t* samp = state_.samp[s];
  UnitState& u = units_[s];
  const bool ownSampler = tex && info_.samplerObjects && ((laterSharingUnits_ >> s) & 1);
  if (ownSampler) SetUnitSampler(s, tex->glLevels() > 1);
  if (ownSampler != u.ownSampler) {
    glBindSampler(GLuint(s), ownSampler ? unitSamplers_[s] : 0);
    u.ownSampler = ownSampler;
  }
  if (tex && !ownSampler) {
    GlSampling& g = tex->sampling();
    bool mipmapped = tex->glLevels() > 1;
    GLenum target = tex->glTarget();
    auto param = [&](GLint& cached, GLenum name, GLint value) {
      if (cached == value) return;
      gl_.ActiveTexture(s);
      glTexParameteri(target, name, value);
      cached = value;
      ++g.serial;
    };
    param(g.minFilter, GL_TEXTURE_MIN_FILTER, MinFilter(samp[SAMP_MINFILTER], samp[SAMP_MIPFILTER], mipmapped));
    param(g.magFilter, GL_TEXTURE_MAG_FILTER, MagFilter(samp[SAMP_MAGFILTER]));
    param(g.wrapS, GL_TEXTURE_WRAP_S, Wrap(samp[SAMP_ADDRESSU], info_.mirrorClamp));
    param(g.wrapT, GL_TEXTURE_WRAP_T, Wrap(samp[SAMP_ADDRESSV], info_.mirrorClamp));
    if (target == GL_TEXTURE_CUBE_MAP) param(g.wrapR, GL_TEXTURE_WRAP_R, Wrap(samp[SAMP_ADDRESSW], info_.mirrorClamp));
    param(g.baseLevel, GL_TEXTURE_BASE_LEVEL,
          GLint(std::min(std::max(samp[SAMP_MAXMIPLEVEL], tex->lod), tex->glLevels() - 1)));
    const float aniso = Anisotropy(samp, info_.maxAnisotropy);
    if (g.anisotropy != aniso && info_.maxAnisotropy > 1.0f) {
      gl_.ActiveTexture(s);
      glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, aniso);
      g.anisotropy = aniso;
      ++g.serial;
    }
    if (UsesBorder(samp)) {
      uint32_t b = samp[SAMP_BORDERCOLOR];
      if (g.border != b) {
        const BorderColour colour(b);
        gl_.ActiveTexture(s);
        glTexParameterfv(target, GL_TEXTURE_BORDER_COLOR, colour.rgba);
        g.border = b;
        ++g.serial;
      }
    }
  }
  float bias = BitsFloat(samp[SAMP_MIPMAPLODBIAS]);
  if (u.lodBias != bias) {
    gl_.ActiveTexture(s);
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL, GL_TEXTURE_LOD_BIAS, bias);
    u.lodBias = bias;
  }

  Channel rgb = Map(cop, c1, c2, c0, false);
  Channel alpha = Map(aop, a1, a2, a0, true);
  if (cop == TOP_DOTPRODUCT3) alpha = Map(TOP_SELECTARG1, TA_CURRENT, TA_CURRENT, TA_CURRENT, true);  // filled by the dot product
  uint32_t key[20] = {rgb.combine, alpha.combine, uint32_t(rgb.scale), uint32_t(alpha.scale)};
  for (int i = 0; i < 3; ++i) {
    key[4 + i] = rgb.source[i];
    key[7 + i] = rgb.operand[i];
    key[10 + i] = alpha.source[i];
    key[13 + i] = alpha.operand[i];
  }
  if (!u.combinerKnown || std::memcmp(key, u.combiner, sizeof key) != 0) {
    gl_.ActiveTexture(s);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GLint(rgb.combine));
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GLint(cop == TOP_DOTPRODUCT3 ? GL_REPLACE : alpha.combine));
    for (int i = 0; i < 3; ++i) {
      glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_RGB + GLenum(i), GLint(rgb.source[i]));
      glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB + GLenum(i), GLint(rgb.operand[i]));
      glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_ALPHA + GLenum(i), GLint(alpha.source[i]));
      glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA + GLenum(i), GLint(alpha.operand[i]));
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE, rgb.scale);
    glTexEnvi(GL_TEXTURE_ENV, GL_ALPHA_SCALE, alpha.scale);
    std::memcpy(u.combiner, key, sizeof key);
    u.combinerKnown = true;
  }
  uint32_t factor = state_.rs[RS_TEXTUREFACTOR];
  if ((UsesConstant(rgb) || UsesConstant(alpha)) && u.texEnvColor != factor) {
    float color[4] = {((factor >> 16) & 255) / 255.0f, ((factor >> 8) & 255) / 255.0f, (factor & 255) / 255.0f,
                      (factor >> 24) / 255.0f};
    gl_.ActiveTexture(s);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, color);
    u.texEnvColor = factor;
  }
  unitTexSet_[s] = int8_t(t[TSS_TEXCOORDINDEX] & 7);
}

void DeviceImpl::FlushTexCoords(int s, const VertexLayout& layout, bool) {
  if (unitTexSet_[s] < 0) return;
  const uint32_t* t = state_.tss[s];
  UnitState& u = units_[s];
  uint32_t gen = t[TSS_TEXCOORDINDEX] & 0xFFFF0000u;
  GLint mode = gen == TCI_CAMERASPACENORMAL ? GL_NORMAL_MAP
               : gen == TCI_CAMERASPACEREFLECTIONVECTOR ? GL_REFLECTION_MAP
               : gen == TCI_CAMERASPACEPOSITION ? GL_EYE_LINEAR
               : gen == TCI_SPHEREMAP ? GL_SPHERE_MAP
                                      : 0;
  int8_t genKey = int8_t(mode == GL_NORMAL_MAP ? 1 : mode == GL_REFLECTION_MAP ? 2 : mode == GL_EYE_LINEAR ? 3
                         : mode == GL_SPHERE_MAP ? 4 : 0);
  if (u.texgen != genKey) {
    gl_.ActiveTexture(s);
    if (mode == GL_EYE_LINEAR) {
      // Eye planes pass through the modelview matrix in force: give them under the identity.
      gl_.MatrixMode(GL_MODELVIEW);
      glPushMatrix();
      glLoadIdentity();
      SetTexGen(mode);
      glPopMatrix();
    } else {
      SetTexGen(mode);
    }
    u.texgen = genKey;
  }
  if (mode) unitTexSet_[s] = -1;  // generated: no coordinate array

  uint32_t flags = t[TSS_TEXTURETRANSFORMFLAGS];
  uint32_t count = flags & 0xFF;
  bool projected = flags & TTFF_PROJECTED;
  int inputs = mode ? 3 : layout.texcoord[t[TSS_TEXCOORDINDEX] & 7].present() ? layout.texcoord[t[TSS_TEXCOORDINDEX] & 7].size : 2;
  if (count == TTFF_DISABLE && !projected) {
    if (u.texMatrixKey != 0) {
      gl_.ActiveTexture(s);
      gl_.MatrixMode(GL_TEXTURE);
      glLoadIdentity();
      u.texMatrixKey = 0;
    }
    return;
  }
  Matrix m = state_.transforms[TransformSlot(TS_TEXTURE0 + uint32_t(s))];
  // Short coordinates are extended with a 1 after their last component, where GL puts 0 and a
  // final 1: the row that meets that 1 moves to GL's last row.
  if (inputs == 1 || inputs == 2) {
    for (int j = 0; j < 4; ++j) {
      m.m[3][j] = m.m[inputs][j];
      m.m[inputs][j] = 0.0f;
    }
  }
  // GL divides by the fourth output; keep it 1 unless a division is asked for.
  if (projected && count >= 2 && count <= 3) {
    for (int i = 0; i < 4; ++i) m.m[i][3] = m.m[i][count - 1];
  } else if (!projected || count != 4) {
    for (int i = 0; i < 4; ++i) m.m[i][3] = i == 3 ? 1.0f : 0.0f;
  }
  gl_.ActiveTexture(s);
  gl_.MatrixMode(GL_TEXTURE);
  glLoadMatrixf(&m.m[0][0]);
  u.texMatrixKey = 1;
}

}  // namespace platform::gfx
