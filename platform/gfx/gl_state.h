// A shadow of the GL state the device changes, so that a state already in place costs no GL call
// (every GL call into llvmpipe has a price, texture-unit switches especially).
#pragma once
#include <cstdint>
#include <cstring>

#include "platform/gfx/gl.h"

namespace platform::gfx {

class GlState {
 public:
  static constexpr int kUnits = 8;

  // Forgets everything: the next request of each state is sent (after foreign GL code ran).
  void Invalidate();

  void Enable(GLenum cap, bool on);
  void ActiveTexture(int unit) {
    if (activeUnit_ != unit) { glActiveTexture(GL_TEXTURE0 + unit); activeUnit_ = unit; }
  }
  void ClientActiveTexture(int unit) {
    if (clientUnit_ != unit) { glClientActiveTexture(GL_TEXTURE0 + unit); clientUnit_ = unit; }
  }
  // Binds `name` to `target` on `unit` and enables only that target there (name 0: disables the unit).
  void UseTexture(int unit, GLenum target, GLuint name);
  // Binds without touching the enables (for uploads); remembers the binding and the unit it moved,
  // so the device puts its stage texture back before the next draw.
  void BindTexture(GLenum target, GLuint name);
  // Units whose binding an upload changed since the last call (bit per unit).
  uint32_t TakeReboundUnits() {
    uint32_t units = reboundUnits_;
    reboundUnits_ = 0;
    return units;
  }
  void ForgetTexture(GLuint name);
  void MatrixMode(GLenum mode) {
    if (matrixMode_ != mode) { glMatrixMode(mode); matrixMode_ = mode; }
  }
  void BindArrayBuffer(GLuint name) {
    if (arrayBuffer_ != name) { glBindBuffer(GL_ARRAY_BUFFER, name); arrayBuffer_ = name; }
  }
  void BindElementBuffer(GLuint name) {
    if (elementBuffer_ != name) { glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name); elementBuffer_ = name; }
  }
  void ForgetBuffer(GLuint name) {
    if (arrayBuffer_ == name) arrayBuffer_ = ~0u;
    if (elementBuffer_ == name) elementBuffer_ = ~0u;
  }
  void BindDrawFramebuffer(GLuint name) {
    if (drawFbo_ != name) { glBindFramebuffer(GL_DRAW_FRAMEBUFFER, name); drawFbo_ = name; }
  }
  void BindReadFramebuffer(GLuint name) {
    if (readFbo_ != name) { glBindFramebuffer(GL_READ_FRAMEBUFFER, name); readFbo_ = name; }
  }
  void ClientArray(GLenum array, bool on);  // vertex, normal, colour, secondary colour arrays
  void TexCoordArray(int unit, bool on);

  void Viewport(int x, int y, int w, int h);
  void DepthRange(float n, float f);
  void Scissor(int x, int y, int w, int h);
  void ColorMask(uint32_t mask);  // bits 1 r, 2 g, 4 b, 8 a
  void DepthMask(bool on);
  void StencilWriteMask(uint32_t front, uint32_t back);
  void DepthFunc(GLenum func);
  void BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha);
  void BlendEquation(GLenum rgb, GLenum alpha);
  void BlendColor(uint32_t argb);
  void AlphaFunc(GLenum func, float ref);
  void StencilFunc(GLenum face, GLenum func, GLint ref, GLuint mask);
  void StencilOp(GLenum face, GLenum fail, GLenum zfail, GLenum pass);
  void CullFace(GLenum face);
  void PolygonMode(GLenum mode);
  void ShadeModel(GLenum mode);
  void PolygonOffset(float factor, float units);
  void PointSize(float size);
  void ClearColor(uint32_t argb);
  void ClearDepth(float z);
  void ClearStencil(int s);

 private:
  static int Slot(GLenum cap);
  int8_t enabled_[48];  // -1 unknown
  int activeUnit_, clientUnit_;
  GLenum matrixMode_;
  GLuint arrayBuffer_, elementBuffer_, drawFbo_, readFbo_;
  GLuint bound2d_[kUnits], boundCube_[kUnits];
  uint32_t reboundUnits_ = 0;
  GLenum unitTarget_[kUnits];  // enabled target per unit, 0 none, ~0 unknown
  int8_t clientArrays_[4];
  int8_t texCoordArrays_[kUnits];
  int viewport_[4], scissor_[4];
  float depthRange_[2];
  uint32_t colorMask_;
  int8_t depthMask_;
  uint32_t stencilWriteMask_[2];
  GLenum depthFunc_;
  GLenum blend_[4], blendEq_[2];
  uint32_t blendColor_;
  GLenum alphaFunc_;
  float alphaRef_;
  GLenum stencilFunc_[2];
  GLint stencilRef_[2];
  GLuint stencilMask_[2];
  GLenum stencilOp_[2][3];
  GLenum cullFace_, polygonMode_, shadeModel_;
  float polygonOffset_[2];
  float pointSize_;
  uint32_t clearColor_;
  float clearDepth_;
  int clearStencil_;
};

}  // namespace platform::gfx
