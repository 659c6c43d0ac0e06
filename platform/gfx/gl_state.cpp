#include "platform/gfx/gl_state.h"

namespace platform::gfx {
namespace {

const GLenum kCaps[] = {
    GL_BLEND,         GL_ALPHA_TEST,        GL_DEPTH_TEST,          GL_STENCIL_TEST,     GL_CULL_FACE,
    GL_SCISSOR_TEST,  GL_FOG,               GL_LIGHTING,            GL_NORMALIZE,        GL_COLOR_MATERIAL,
    GL_COLOR_SUM,     GL_DITHER,            GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_POINT,
    GL_POINT_SPRITE,  GL_CLIP_PLANE0, GL_CLIP_PLANE1,   GL_CLIP_PLANE2,
    GL_CLIP_PLANE3,   GL_CLIP_PLANE4,       GL_CLIP_PLANE5,         GL_LIGHT0,           GL_LIGHT1,
    GL_LIGHT2,        GL_LIGHT3,            GL_LIGHT4,              GL_LIGHT5,           GL_LIGHT6,
    GL_LIGHT7,        GL_MULTISAMPLE,       GL_LINE_SMOOTH,         GL_FRAMEBUFFER_SRGB,
};

constexpr uint32_t kUnknown = 0xDEADBEEF;

}  // namespace

int GlState::Slot(GLenum cap) {
  for (int i = 0; i < int(sizeof kCaps / sizeof kCaps[0]); ++i)
    if (kCaps[i] == cap) return i;
  return -1;
}

void GlState::Invalidate() {
  std::memset(enabled_, -1, sizeof enabled_);
  activeUnit_ = clientUnit_ = -1;
  reboundUnits_ = ~0u;
  matrixMode_ = 0;
  arrayBuffer_ = elementBuffer_ = drawFbo_ = readFbo_ = ~0u;
  for (int i = 0; i < kUnits; ++i) {
    bound2d_[i] = boundCube_[i] = ~0u;
    unitTarget_[i] = ~0u;
    texCoordArrays_[i] = -1;
  }
  std::memset(clientArrays_, -1, sizeof clientArrays_);
  viewport_[0] = scissor_[0] = -1;
  depthRange_[0] = -1;
  colorMask_ = kUnknown;
  depthMask_ = -1;
  stencilWriteMask_[0] = stencilWriteMask_[1] = kUnknown;
  depthFunc_ = 0;
  blend_[0] = blendEq_[0] = 0;
  blendColor_ = kUnknown;
  alphaFunc_ = 0;
  stencilFunc_[0] = stencilFunc_[1] = 0;
  stencilOp_[0][0] = stencilOp_[1][0] = 0;
  cullFace_ = polygonMode_ = shadeModel_ = 0;
  polygonOffset_[0] = -1e30f;
  pointSize_ = -1;
  clearColor_ = kUnknown;
  clearDepth_ = -1;
  clearStencil_ = -1;
}

void GlState::Enable(GLenum cap, bool on) {
  int slot = Slot(cap);
  if (slot >= 0 && enabled_[slot] == int8_t(on)) return;
  if (on) glEnable(cap); else glDisable(cap);
  if (slot >= 0) enabled_[slot] = int8_t(on);
}

void GlState::UseTexture(int unit, GLenum target, GLuint name) {
  GLenum want = name ? target : 0;
  GLuint* bound = target == GL_TEXTURE_CUBE_MAP ? boundCube_ : bound2d_;
  if (unitTarget_[unit] == want && (!name || bound[unit] == name)) return;
  ActiveTexture(unit);
  if (name && bound[unit] != name) {
    glBindTexture(target, name);
    bound[unit] = name;
  }
  if (unitTarget_[unit] != want) {
    if (want != GL_TEXTURE_2D) glDisable(GL_TEXTURE_2D);
    if (want != GL_TEXTURE_CUBE_MAP) glDisable(GL_TEXTURE_CUBE_MAP);
    if (want) glEnable(want);
    unitTarget_[unit] = want;
  }
}

void GlState::BindTexture(GLenum target, GLuint name) {
  int unit = activeUnit_ < 0 ? 0 : activeUnit_;
  ActiveTexture(unit);
  GLuint* bound = target == GL_TEXTURE_CUBE_MAP ? boundCube_ : bound2d_;
  if (bound[unit] != name) {
    glBindTexture(target, name);
    bound[unit] = name;
    reboundUnits_ |= 1u << unit;
  }
}

void GlState::ForgetTexture(GLuint name) {
  for (int i = 0; i < kUnits; ++i) {
    if (bound2d_[i] == name) bound2d_[i] = ~0u;
    if (boundCube_[i] == name) boundCube_[i] = ~0u;
  }
}

void GlState::ClientArray(GLenum array, bool on) {
  int slot = array == GL_VERTEX_ARRAY ? 0 : array == GL_NORMAL_ARRAY ? 1 : array == GL_COLOR_ARRAY ? 2 : 3;
  if (clientArrays_[slot] == int8_t(on)) return;
  if (on) glEnableClientState(array); else glDisableClientState(array);
  clientArrays_[slot] = int8_t(on);
}

void GlState::TexCoordArray(int unit, bool on) {
  if (texCoordArrays_[unit] == int8_t(on)) return;
  ClientActiveTexture(unit);
  if (on) glEnableClientState(GL_TEXTURE_COORD_ARRAY); else glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  texCoordArrays_[unit] = int8_t(on);
}

void GlState::Viewport(int x, int y, int w, int h) {
  if (viewport_[0] == x && viewport_[1] == y && viewport_[2] == w && viewport_[3] == h) return;
  glViewport(x, y, w, h);
  viewport_[0] = x; viewport_[1] = y; viewport_[2] = w; viewport_[3] = h;
}

void GlState::DepthRange(float n, float f) {
  if (depthRange_[0] == n && depthRange_[1] == f) return;
  glDepthRange(n, f);
  depthRange_[0] = n; depthRange_[1] = f;
}

void GlState::Scissor(int x, int y, int w, int h) {
  if (scissor_[0] == x && scissor_[1] == y && scissor_[2] == w && scissor_[3] == h) return;
  glScissor(x, y, w, h);
  scissor_[0] = x; scissor_[1] = y; scissor_[2] = w; scissor_[3] = h;
}

void GlState::ColorMask(uint32_t mask) {
  if (colorMask_ == mask) return;
  glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
  colorMask_ = mask;
}

void GlState::DepthMask(bool on) {
  if (depthMask_ == int8_t(on)) return;
  glDepthMask(on);
  depthMask_ = int8_t(on);
}

void GlState::StencilWriteMask(uint32_t front, uint32_t back) {
  if (stencilWriteMask_[0] == front && stencilWriteMask_[1] == back) return;
  glStencilMaskSeparate(GL_FRONT, front);
  glStencilMaskSeparate(GL_BACK, back);
  stencilWriteMask_[0] = front; stencilWriteMask_[1] = back;
}

void GlState::DepthFunc(GLenum func) {
  if (depthFunc_ == func) return;
  glDepthFunc(func);
  depthFunc_ = func;
}

void GlState::BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha) {
  if (blend_[0] == src && blend_[1] == dst && blend_[2] == srcAlpha && blend_[3] == dstAlpha) return;
  glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
  blend_[0] = src; blend_[1] = dst; blend_[2] = srcAlpha; blend_[3] = dstAlpha;
}

void GlState::BlendEquation(GLenum rgb, GLenum alpha) {
  if (blendEq_[0] == rgb && blendEq_[1] == alpha) return;
  glBlendEquationSeparate(rgb, alpha);
  blendEq_[0] = rgb; blendEq_[1] = alpha;
}

void GlState::BlendColor(uint32_t c) {
  if (blendColor_ == c) return;
  glBlendColor(((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f, (c >> 24) / 255.0f);
  blendColor_ = c;
}

void GlState::AlphaFunc(GLenum func, float ref) {
  if (alphaFunc_ == func && alphaRef_ == ref) return;
  glAlphaFunc(func, ref);
  alphaFunc_ = func; alphaRef_ = ref;
}

void GlState::StencilFunc(GLenum face, GLenum func, GLint ref, GLuint mask) {
  int i = face == GL_BACK ? 1 : 0;
  if (stencilFunc_[i] == func && stencilRef_[i] == ref && stencilMask_[i] == mask) return;
  glStencilFuncSeparate(face, func, ref, mask);
  stencilFunc_[i] = func; stencilRef_[i] = ref; stencilMask_[i] = mask;
}

void GlState::StencilOp(GLenum face, GLenum fail, GLenum zfail, GLenum pass) {
  int i = face == GL_BACK ? 1 : 0;
  if (stencilOp_[i][0] == fail && stencilOp_[i][1] == zfail && stencilOp_[i][2] == pass) return;
  glStencilOpSeparate(face, fail, zfail, pass);
  stencilOp_[i][0] = fail; stencilOp_[i][1] = zfail; stencilOp_[i][2] = pass;
}

void GlState::CullFace(GLenum face) {
  if (cullFace_ == face) return;
  glCullFace(face);
  cullFace_ = face;
}

void GlState::PolygonMode(GLenum mode) {
  if (polygonMode_ == mode) return;
  glPolygonMode(GL_FRONT_AND_BACK, mode);
  polygonMode_ = mode;
}

void GlState::ShadeModel(GLenum mode) {
  if (shadeModel_ == mode) return;
  glShadeModel(mode);
  shadeModel_ = mode;
}

void GlState::PolygonOffset(float factor, float units) {
  if (polygonOffset_[0] == factor && polygonOffset_[1] == units) return;
  glPolygonOffset(factor, units);
  polygonOffset_[0] = factor; polygonOffset_[1] = units;
}

void GlState::PointSize(float size) {
  if (pointSize_ == size) return;
  glPointSize(size);
  pointSize_ = size;
}

void GlState::ClearColor(uint32_t c) {
  if (clearColor_ == c) return;
  glClearColor(((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f, (c >> 24) / 255.0f);
  clearColor_ = c;
}

void GlState::ClearDepth(float z) {
  if (clearDepth_ == z) return;
  glClearDepth(z);
  clearDepth_ = z;
}

void GlState::ClearStencil(int s) {
  if (clearStencil_ == s) return;
  glClearStencil(s);
  clearStencil_ = s;
}

}  // namespace platform::gfx
