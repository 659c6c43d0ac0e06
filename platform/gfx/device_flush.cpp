// Sending changed device state to GL before a draw: rasteriser, depth and stencil, blending,
// transforms, lighting, fog and points. Texture stages are in device_stages.cpp.
#include <algorithm>
#include <cmath>

#include "platform/gfx/device_impl.h"

namespace platform::gfx {
namespace {

GLenum Compare(uint32_t func) {
  return func >= CMP_NEVER && func <= CMP_ALWAYS ? GL_NEVER + (func - CMP_NEVER) : GL_ALWAYS;
}

GLenum StencilOp(uint32_t op) {
  switch (op) {
    case STENCILOP_ZERO: return GL_ZERO;
    case STENCILOP_REPLACE: return GL_REPLACE;
    case STENCILOP_INCRSAT: return GL_INCR;
    case STENCILOP_DECRSAT: return GL_DECR;
    case STENCILOP_INVERT: return GL_INVERT;
    case STENCILOP_INCR: return GL_INCR_WRAP;
    case STENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum BlendFactor(uint32_t b) {
  switch (b) {
    case BLEND_ZERO: return GL_ZERO;
    case BLEND_SRCCOLOR: return GL_SRC_COLOR;
    case BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case BLEND_SRCALPHA: return GL_SRC_ALPHA;
    case BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case BLEND_DESTALPHA: return GL_DST_ALPHA;
    case BLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case BLEND_DESTCOLOR: return GL_DST_COLOR;
    case BLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case BLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case BLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case BLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
  }
}

GLenum BlendOp(uint32_t op) {
  switch (op) {
    case BLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case BLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case BLENDOP_MIN: return GL_MIN;
    case BLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

// Source and destination factors of one blend pair, with the two "both" modes resolved.
void BlendPair(uint32_t src, uint32_t dst, GLenum* s, GLenum* d) {
  if (src == BLEND_BOTHSRCALPHA) { *s = GL_SRC_ALPHA; *d = GL_ONE_MINUS_SRC_ALPHA; return; }
  if (src == BLEND_BOTHINVSRCALPHA) { *s = GL_ONE_MINUS_SRC_ALPHA; *d = GL_SRC_ALPHA; return; }
  *s = BlendFactor(src);
  *d = BlendFactor(dst);
}

void Color4(uint32_t argb, float out[4]) {
  out[0] = ((argb >> 16) & 255) / 255.0f;
  out[1] = ((argb >> 8) & 255) / 255.0f;
  out[2] = (argb & 255) / 255.0f;
  out[3] = (argb >> 24) / 255.0f;
}

}  // namespace

void DeviceImpl::Flush(const VertexLayout& layout, bool points) {
  bool pre = layout.pretransformed;
  if (pre != lastPretransformed_) {
    dirty_ |= kDirtyWorld | kDirtyView | kDirtyProjection | kDirtyLighting | kDirtyFog | kDirtyClipPlanes |
              kDirtyPoints | kDirtyLights;
    lastPretransformed_ = pre;
  }
  uint32_t colorSources = (layout.diffuse.present() ? 1u : 0u) | (layout.specular.present() ? 2u : 0u);
  if (colorSources != lastColorSources_) {
    dirty_ |= kDirtyLighting;
    lastColorSources_ = colorSources;
  }
  if (dirty_) {
    uint32_t d = dirty_;
    if (d & kDirtyRaster) FlushRaster();
    if (d & kDirtyDepthStencil) FlushDepthStencil();
    if (d & kDirtyBlend) FlushBlend();
    if (d & kDirtyViewport) {
      const Viewport& v = state_.viewport;
      gl_.Viewport(int(v.x), int(v.y), int(v.width), int(v.height));
      gl_.DepthRange(v.minZ, v.maxZ);
    }
    if (d & kDirtyScissor) {
      gl_.Enable(GL_SCISSOR_TEST, state_.rs[RS_SCISSORTESTENABLE] != 0);
      const Rect& r = state_.scissor;
      gl_.Scissor(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
    }
    if ((d & (kDirtyLights | kDirtyClipPlanes)) && !pre) FlushLights();
    if (pre && (d & kDirtyClipPlanes))
      for (int i = 0; i < kMaxClipPlanes; ++i) gl_.Enable(GL_CLIP_PLANE0 + i, false);
    // A vertex shader takes its matrices from its registers: the fixed ones wait for a fixed draw.
    constexpr uint32_t kTransforms = kDirtyWorld | kDirtyView | kDirtyProjection;
    if ((dirty_ & kTransforms) && !shaders_.vertex) FlushTransforms(pre);
    if (d & kDirtyLighting) FlushLighting(layout, pre);
    if (d & kDirtyFog) FlushFog(pre);
    if (d & kDirtyPoints) FlushPoints(points, pre);
    if (d & kDirtyTextureFactor) stageDirty_ |= 0xFF;
    dirty_ &= kTransforms;  // what waits for a fixed draw
  }
  if (pendingTextures_ > 0) UploadBoundTextures();
  if (uint32_t rebound = gl_.TakeReboundUnits()) ForgetStages(rebound);  // an upload moved a unit's binding
  if (stageDirty_) FlushStages(layout, pre);
}

void DeviceImpl::FlushRaster() {
  const uint32_t* rs = state_.rs;
  gl_.PolygonMode(rs[RS_FILLMODE] == FILL_POINT ? GL_POINT : rs[RS_FILLMODE] == FILL_WIREFRAME ? GL_LINE : GL_FILL);
  gl_.ShadeModel(rs[RS_SHADEMODE] == SHADE_FLAT ? GL_FLAT : GL_SMOOTH);
  // Rendering is stored top row first, which turns the window's winding: the API's clockwise
  // triangles are GL's counter-clockwise (front) ones.
  uint32_t cull = rs[RS_CULLMODE];
  gl_.Enable(GL_CULL_FACE, cull == CULL_CW || cull == CULL_CCW);
  if (cull == CULL_CW) gl_.CullFace(GL_FRONT);
  if (cull == CULL_CCW) gl_.CullFace(GL_BACK);
  gl_.ColorMask(rs[RS_COLORWRITEENABLE] & 0xF);
  float slope = BitsFloat(rs[RS_SLOPESCALEDEPTHBIAS]);
  float bias = BitsFloat(rs[RS_DEPTHBIAS]);
  bool offset = slope != 0.0f || bias != 0.0f;
  gl_.Enable(GL_POLYGON_OFFSET_FILL, offset);
  gl_.Enable(GL_POLYGON_OFFSET_LINE, offset);
  gl_.Enable(GL_POLYGON_OFFSET_POINT, offset);
  // The bias is in depth-buffer units of [0, 1]; GL counts steps of the 24-bit buffer.
  if (offset) gl_.PolygonOffset(slope, bias * 16777216.0f);
}

void DeviceImpl::FlushDepthStencil() {
  const uint32_t* rs = state_.rs;
  gl_.Enable(GL_DEPTH_TEST, rs[RS_ZENABLE] != ZB_FALSE);
  gl_.DepthMask(rs[RS_ZWRITEENABLE] != 0);
  gl_.DepthFunc(Compare(rs[RS_ZFUNC]));
  bool stencil = rs[RS_STENCILENABLE] != 0;
  gl_.Enable(GL_STENCIL_TEST, stencil);
  // Only the low 8 bits of the reference exist in an 8-bit stencil buffer (GL would clamp instead).
  GLint ref = GLint(rs[RS_STENCILREF] & 0xFF);
  gl_.StencilFunc(GL_FRONT, Compare(rs[RS_STENCILFUNC]), ref, rs[RS_STENCILMASK]);
  gl_.StencilOp(GL_FRONT, StencilOp(rs[RS_STENCILFAIL]), StencilOp(rs[RS_STENCILZFAIL]), StencilOp(rs[RS_STENCILPASS]));
  // The API's counter-clockwise faces are GL's back faces.
  if (rs[RS_TWOSIDEDSTENCILMODE]) {
    gl_.StencilFunc(GL_BACK, Compare(rs[RS_CCW_STENCILFUNC]), ref, rs[RS_STENCILMASK]);
    gl_.StencilOp(GL_BACK, StencilOp(rs[RS_CCW_STENCILFAIL]), StencilOp(rs[RS_CCW_STENCILZFAIL]),
                  StencilOp(rs[RS_CCW_STENCILPASS]));
  } else {
    gl_.StencilFunc(GL_BACK, Compare(rs[RS_STENCILFUNC]), ref, rs[RS_STENCILMASK]);
    gl_.StencilOp(GL_BACK, StencilOp(rs[RS_STENCILFAIL]), StencilOp(rs[RS_STENCILZFAIL]), StencilOp(rs[RS_STENCILPASS]));
  }
  gl_.StencilWriteMask(rs[RS_STENCILWRITEMASK], rs[RS_STENCILWRITEMASK]);
}

void DeviceImpl::FlushBlend() {
  const uint32_t* rs = state_.rs;
  gl_.Enable(GL_BLEND, rs[RS_ALPHABLENDENABLE] != 0);
  GLenum s, d, sa, da;
  BlendPair(rs[RS_SRCBLEND], rs[RS_DESTBLEND], &s, &d);
  if (rs[RS_SEPARATEALPHABLENDENABLE]) BlendPair(rs[RS_SRCBLENDALPHA], rs[RS_DESTBLENDALPHA], &sa, &da);
  else { sa = s; da = d; }
  gl_.BlendFunc(s, d, sa, da);
  gl_.BlendEquation(BlendOp(rs[RS_BLENDOP]), BlendOp(rs[RS_SEPARATEALPHABLENDENABLE] ? rs[RS_BLENDOPALPHA] : rs[RS_BLENDOP]));
  gl_.BlendColor(rs[RS_BLENDFACTOR]);
  gl_.Enable(GL_ALPHA_TEST, rs[RS_ALPHATESTENABLE] != 0);
  gl_.AlphaFunc(Compare(rs[RS_ALPHAFUNC]), float(rs[RS_ALPHAREF] & 0xFF) / 255.0f);
}

void DeviceImpl::FlushTransforms(bool pre) {
  if (pre) {
    // Positions arrive in clip space (converted on the CPU): nothing to transform.
    gl_.MatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gl_.MatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    dirty_ &= ~(kDirtyWorld | kDirtyView | kDirtyProjection);
    transformsPretransformed_ = true;
    return;
  }
  if ((dirty_ & kDirtyProjection) || transformsPretransformed_) {
    // Clip space of the API (y up, z in [0, w], pixel centres on integers) to GL's, for storage
    // with the top row first: x' = x + w/W, y' = -y + w/H, z' = 2z - w.
    const Viewport& v = state_.viewport;
    Matrix fix{};
    fix.m[0][0] = 1.0f;
    fix.m[1][1] = -1.0f;
    fix.m[2][2] = 2.0f;
    fix.m[3][0] = 1.0f / float(v.width);
    fix.m[3][1] = 1.0f / float(v.height);
    fix.m[3][2] = -1.0f;
    fix.m[3][3] = 1.0f;
    Matrix p = MultiplyMatrix(state_.transforms[kProjectionSlot], fix);
    gl_.MatrixMode(GL_PROJECTION);
    glLoadMatrixf(&p.m[0][0]);
  }
  if ((dirty_ & (kDirtyWorld | kDirtyView)) || transformsPretransformed_) {
    // Row-vector matrices read column-major are the transposes GL wants: no conversion.
    Matrix wv = MultiplyMatrix(state_.transforms[kWorldSlot], state_.transforms[kViewSlot]);
    gl_.MatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&wv.m[0][0]);
  }
  transformsPretransformed_ = false;
  dirty_ &= ~(kDirtyWorld | kDirtyView | kDirtyProjection);
}

void DeviceImpl::FlushLights() {
  // Lights and clip planes are given in world space: GL takes them through the modelview matrix
  // in force, so the view alone is loaded while they are sent.
  gl_.MatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&state_.transforms[kViewSlot].m[0][0]);
  dirty_ |= kDirtyWorld;
  if (dirty_ & kDirtyLights) {
    int n = 0;
    for (auto& [index, slot] : state_.lights) {
      if (!slot.enabled || n >= 8) continue;
      const Light& l = slot.light;
      GLenum id = GL_LIGHT0 + GLenum(n++);
      float diffuse[4] = {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.diffuse.a};
      float specular[4] = {l.specular.r, l.specular.g, l.specular.b, l.specular.a};
      float ambient[4] = {l.ambient.r, l.ambient.g, l.ambient.b, l.ambient.a};
      glLightfv(id, GL_DIFFUSE, diffuse);
      glLightfv(id, GL_SPECULAR, specular);
      glLightfv(id, GL_AMBIENT, ambient);
      if (l.type == LIGHT_DIRECTIONAL) {
        // The API gives the direction the light travels; GL wants the direction towards it.
        float dir[4] = {-l.direction.x, -l.direction.y, -l.direction.z, 0.0f};
        glLightfv(id, GL_POSITION, dir);
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
        glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
      } else {
        float pos[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
        glLightfv(id, GL_POSITION, pos);
        bool none = l.attenuation0 == 0.0f && l.attenuation1 == 0.0f && l.attenuation2 == 0.0f;
        glLightf(id, GL_CONSTANT_ATTENUATION, none ? 1.0f : l.attenuation0);
        glLightf(id, GL_LINEAR_ATTENUATION, l.attenuation1);
        glLightf(id, GL_QUADRATIC_ATTENUATION, l.attenuation2);
        float cutoff = 180.0f, exponent = 0.0f;
        if (l.type == LIGHT_SPOT) {
          float dir[3] = {l.direction.x, l.direction.y, l.direction.z};
          glLightfv(id, GL_SPOT_DIRECTION, dir);
          float half = l.phi * 0.5f * 57.29578f;
          cutoff = half > 90.0f ? 180.0f : half;
          // A hard edge at the outer cone when there is no falloff; else a fade that halves
          // between the inner and the outer cone.
          float mid = (l.theta + l.phi) * 0.25f;
          if (l.falloff > 0.0f && l.theta < l.phi && std::cos(mid) > 0.0f && std::cos(mid) < 1.0f)
            exponent = std::min(128.0f, std::log(0.5f) / std::log(std::cos(mid)) * l.falloff);
        }
        glLightf(id, GL_SPOT_CUTOFF, cutoff);
        glLightf(id, GL_SPOT_EXPONENT, exponent);
      }
      gl_.Enable(id, true);
    }
    for (; n < 8; ++n) gl_.Enable(GL_LIGHT0 + GLenum(n), false);
  }
  if (dirty_ & kDirtyClipPlanes) {
    uint32_t enabled = state_.rs[RS_CLIPPLANEENABLE];
    for (int i = 0; i < kMaxClipPlanes; ++i) {
      bool on = (enabled >> i) & 1;
      if (on) {
        const float* p = state_.clipPlanes[i];
        double plane[4] = {p[0], p[1], p[2], p[3]};
        glClipPlane(GL_CLIP_PLANE0 + GLenum(i), plane);
      }
      gl_.Enable(GL_CLIP_PLANE0 + GLenum(i), on);
    }
  }
}

bool DeviceImpl::SpecularCanShow(bool fromVertexColour) const {
  const ColorValue& m = state_.material.specular;
  if (!fromVertexColour && m.r == 0.0f && m.g == 0.0f && m.b == 0.0f) return false;
  int sent = 0;  // GL has eight lights: the first eight enabled ones are sent
  for (const auto& [index, slot] : state_.lights) {
    if (!slot.enabled || sent >= 8) continue;
    ++sent;
    const ColorValue& l = slot.light.specular;
    if (l.r != 0.0f || l.g != 0.0f || l.b != 0.0f) return true;
  }
  return false;
}

void DeviceImpl::FlushLighting(const VertexLayout& layout, bool pre) {
  const uint32_t* rs = state_.rs;
  bool lighting = rs[RS_LIGHTING] && !pre;
  gl_.Enable(GL_LIGHTING, lighting);
  bool specular = rs[RS_SPECULARENABLE] != 0;
  gl_.Enable(GL_COLOR_SUM, !lighting && specular && layout.specular.present());
  if (!lighting) {
    gl_.Enable(GL_COLOR_MATERIAL, false);
    return;
  }
  // Material components taken from the vertex colour. GL follows one colour; the API's second
  // vertex colour as a source is served by the material instead.
  auto fromDiffuse = [&](uint32_t source) {
    return rs[RS_COLORVERTEX] && source == MCS_COLOR1 && layout.diffuse.present();
  };
  bool d = fromDiffuse(rs[RS_DIFFUSEMATERIALSOURCE]), a = fromDiffuse(rs[RS_AMBIENTMATERIALSOURCE]);
  bool e = fromDiffuse(rs[RS_EMISSIVEMATERIALSOURCE]), s = fromDiffuse(rs[RS_SPECULARMATERIALSOURCE]);
  // A highlight adds exactly nothing unless both the material (or the colour standing for it) and
  // an enabled light have a specular colour: GL is then spared the second colour's work.
  specular = specular && SpecularCanShow(s);
  float ambient[4];
  Color4(rs[RS_AMBIENT], ambient);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  // Without specular light the viewer's place does not matter: the cheaper model does the same.
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, specular && rs[RS_LOCALVIEWER] ? 1 : 0);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, specular ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
  gl_.Enable(GL_NORMALIZE, rs[RS_NORMALIZENORMALS] != 0);
  GLenum mode = d && a ? GL_AMBIENT_AND_DIFFUSE : d ? GL_DIFFUSE : a ? GL_AMBIENT : e ? GL_EMISSION : s ? GL_SPECULAR : 0;
  gl_.Enable(GL_COLOR_MATERIAL, false);
  const Material& m = state_.material;
  float diffuse[4] = {m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a};
  float amb[4] = {m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a};
  float spec[4] = {m.specular.r, m.specular.g, m.specular.b, m.specular.a};
  float emissive[4] = {m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a};
  if (!specular) spec[0] = spec[1] = spec[2] = spec[3] = 0.0f;
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, amb);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, spec);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
  if (mode && (mode != GL_SPECULAR || specular)) {
    glColorMaterial(GL_FRONT_AND_BACK, mode);
    gl_.Enable(GL_COLOR_MATERIAL, true);
  }
}

void DeviceImpl::FlushFog(bool pre) {
  const uint32_t* rs = state_.rs;
  uint32_t mode = rs[RS_FOGTABLEMODE] != FOG_NONE ? rs[RS_FOGTABLEMODE] : rs[RS_FOGVERTEXMODE];
  bool on = rs[RS_FOGENABLE] && !pre && mode != FOG_NONE;
  gl_.Enable(GL_FOG, on);
  if (!on) return;
  glFogi(GL_FOG_MODE, mode == FOG_EXP ? GL_EXP : mode == FOG_EXP2 ? GL_EXP2 : GL_LINEAR);
  glFogf(GL_FOG_START, BitsFloat(rs[RS_FOGSTART]));
  glFogf(GL_FOG_END, BitsFloat(rs[RS_FOGEND]));
  glFogf(GL_FOG_DENSITY, BitsFloat(rs[RS_FOGDENSITY]));
  float color[4];
  Color4(rs[RS_FOGCOLOR], color);
  glFogfv(GL_FOG_COLOR, color);
}

void DeviceImpl::FlushPoints(bool, bool pre) {
  const uint32_t* rs = state_.rs;
  float size = BitsFloat(rs[RS_POINTSIZE]);
  float lo = std::max(0.0f, BitsFloat(rs[RS_POINTSIZE_MIN]));
  float hi = std::min(info_.maxPointSize, BitsFloat(rs[RS_POINTSIZE_MAX]));
  if (hi < lo) hi = lo;
  float att[3] = {1.0f, 0.0f, 0.0f};
  if (rs[RS_POINTSCALEENABLE] && !pre) {
    // size x H x sqrt(1 / (A + B d + C d^2)) is GL's size x sqrt(1 / ((A + B d + C d^2) / H^2)).
    float h2 = float(state_.viewport.height) * float(state_.viewport.height);
    att[0] = BitsFloat(rs[RS_POINTSCALE_A]) / h2;
    att[1] = BitsFloat(rs[RS_POINTSCALE_B]) / h2;
    att[2] = BitsFloat(rs[RS_POINTSCALE_C]) / h2;
    if (att[0] == 0.0f && att[1] == 0.0f && att[2] == 0.0f) att[0] = 1.0f / h2;
  }
  glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, att);
  glPointParameterf(GL_POINT_SIZE_MIN, lo);
  glPointParameterf(GL_POINT_SIZE_MAX, hi);
  gl_.PointSize(std::clamp(size, std::max(lo, 1.0f), std::max(hi, 1.0f)));
  bool sprites = rs[RS_POINTSPRITEENABLE] != 0;
  gl_.Enable(GL_POINT_SPRITE, sprites);
  if (pointSprites_ != int8_t(sprites)) {
    for (int unit = 0; unit < kMaxTextureStages; ++unit) {
      gl_.ActiveTexture(unit);
      glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, sprites ? GL_TRUE : GL_FALSE);
    }
    pointSprites_ = int8_t(sprites);
  }
}

}  // namespace platform::gfx
