// Colours worked out on the CPU by Direct3D 9's rules, for the effect corpus. Each rule is written down
// once here, beside the rule it follows; a case of the corpus combines them the way its effect file does,
// so a case's expected colour reads like its shader.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace d3d9_reference {

using platform::gfx::Matrix;

struct float4 {
  float v[4] = {0, 0, 0, 0};
  float4() = default;
  float4(float x, float y, float z, float w) : v{x, y, z, w} {}
  explicit float4(float s) : v{s, s, s, s} {}
  float& operator[](int i) { return v[i]; }
  float operator[](int i) const { return v[i]; }
};

inline float4 Map(const float4& a, float (*f)(float)) { return {f(a[0]), f(a[1]), f(a[2]), f(a[3])}; }
inline float4 operator+(const float4& a, const float4& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2], a[3] + b[3]}; }
inline float4 operator-(const float4& a, const float4& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]}; }
inline float4 operator*(const float4& a, const float4& b) { return {a[0] * b[0], a[1] * b[1], a[2] * b[2], a[3] * b[3]}; }
inline float4 operator*(const float4& a, float s) { return {a[0] * s, a[1] * s, a[2] * s, a[3] * s}; }
inline float4 operator*(float s, const float4& a) { return a * s; }
inline float4 operator-(const float4& a) { return a * -1.0f; }
// .xyz with w = 0.
inline float4 Xyz0(const float4& a) { return {a[0], a[1], a[2], 0}; }
inline float4 WithAlpha(const float4& a, float alpha) { return {a[0], a[1], a[2], alpha}; }
inline float Dot3(const float4& a, const float4& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline float Dot4(const float4& a, const float4& b) { return Dot3(a, b) + a[3] * b[3]; }
inline float4 Normalize3(const float4& a) {
  const float length = std::sqrt(Dot3(a, a));
  return length > 0 ? Xyz0(a) * (1.0f / length) : Xyz0(a);
}
inline float Saturate(float s) { return std::clamp(s, 0.0f, 1.0f); }
inline float4 Saturate(const float4& a) { return Map(a, [](float s) { return std::clamp(s, 0.0f, 1.0f); }); }
inline float4 Lerp(const float4& a, const float4& b, float t) { return a + (b - a) * t; }

// --- Matrices and mul -----------------------------------------------------------------------------
// A matrix is indexed M[row][column] as the source writes it: initial values fill row after row in
// either packing, and the engine's matrices arrive as stored (row vectors: a point is p x M, the
// translation in row 3). Packing (row_major, column_major) changes registers, never what M[i][j] is.
// mul(v, M) takes v as a row vector: r[j] = sum over i of v[i] M[i][j].
inline float4 Mul(const float4& v, const Matrix& m, int rows = 4, int columns = 4) {
  float4 r;
  for (int j = 0; j < columns; ++j)
    for (int i = 0; i < rows; ++i) r[j] += v[i] * m.m[i][j];
  return r;
}
// mul(M, v) takes v as a column vector: r[i] = sum over j of M[i][j] v[j].
inline float4 Mul(const Matrix& m, const float4& v, int rows = 4, int columns = 4) {
  float4 r;
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < columns; ++j) r[i] += m.m[i][j] * v[j];
  return r;
}
// A matrix from its initial value as written: `values` row after row.
inline Matrix FromRows(std::initializer_list<float> values, int columns) {
  Matrix m{};
  int k = 0;
  for (float value : values) {
    m.m[k / columns][k % columns] = value;
    ++k;
  }
  return m;
}

// --- Constant registers ---------------------------------------------------------------------------
// Registers hold four floats. A constant a pass assigns by state (VertexShaderConstant[n] = <p>, the F
// form, PixelShaderConstant...) gets the parameter's value as stored in consecutive registers: row k of
// a matrix in register n + k, element k of a vector array in n + k, as many registers as the value
// holds; the 1/2/3/4 forms set exactly that many registers. A compiled HLSL shader instead reads its
// parameters through its own constant table (a column_major matrix one column per register), which
// shows in no colour: only mul's meaning does.
inline std::vector<float4> StateRegisters(const std::vector<float>& asStored, int count) {
  std::vector<float4> registers(static_cast<size_t>(count));
  for (size_t i = 0; i < asStored.size() && i / 4 < registers.size(); ++i) registers[i / 4][int(i % 4)] = asStored[i];
  return registers;
}
inline std::vector<float> Stored(const Matrix& m) { return std::vector<float>(&m.m[0][0], &m.m[0][0] + 16); }
// Assembly's m4x4 dst, v, cN: dst[k] = dp4(v, c(N + k)).
inline float4 M4x4(const float4& v, const std::vector<float4>& c, int first = 0) {
  return {Dot4(v, c[size_t(first)]), Dot4(v, c[size_t(first + 1)]), Dot4(v, c[size_t(first + 2)]),
          Dot4(v, c[size_t(first + 3)])};
}

// --- Vertex shader outputs ------------------------------------------------------------------------
struct float2 {
  float x = 0, y = 0;
};
// The weights of a point in a triangle, for interpolating what its corners carry: interpolation is
// perspective-correct, so they are the weights of the point in the triangle's own plane.
inline std::array<float, 3> Barycentric(const float2 (&t)[3], float2 p) {
  const float area = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (t[1].y - t[0].y);
  const float b = ((p.x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (p.y - t[0].y)) / area;
  const float c = ((t[1].x - t[0].x) * (p.y - t[0].y) - (p.x - t[0].x) * (t[1].y - t[0].y)) / area;
  return {1 - b - c, b, c};
}
// vs_1_1 to vs_2_x clamp their colour outputs (oD0, oD1, COLOR0-1) to [0, 1] at each vertex; the
// clamped values are then interpolated over the triangle. Texture coordinates (oTn, TEXCOORDn) are
// interpolated unclamped, so any linear value of them is the same at a point as at its corners.
inline float4 InterpolatedColourOutput(const float4 (&atCorners)[3], const std::array<float, 3>& weights) {
  return Saturate(atCorners[0]) * weights[0] + Saturate(atCorners[1]) * weights[1] + Saturate(atCorners[2]) * weights[2];
}
// A vertex colour stored as a D3DCOLOR reaches the shader as its bytes / 255.
inline float Byte(uint8_t b) { return float(b) / 255.0f; }

// --- Pixel shader arithmetic ----------------------------------------------------------------------
// The render target keeps [0, 1]: the pixel shader's colour output saturates, then is stored in 8 bits.
inline uint32_t ToTarget(const float4& c) {
  auto byte = [](float s) { return uint32_t(std::lround(Saturate(s) * 255.0f)); };
  return byte(c[3]) << 24 | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}
// ps_1_x: colour inputs (v0, v1) and texture registers hold [0, 1]; constants read in [-1, 1]; every
// register keeps at least [-1, 1] (the corpus's ps 1.x values stay inside it, where every device is
// exact); the final r0 saturates as any output does.
inline float4 Ps1Constant(const float4& c) {
  return Map(c, [](float s) { return std::clamp(s, -1.0f, 1.0f); });
}
// Source modifiers: _bias (x - 0.5), _bx2 (2x - 1, the signed form of a colour), 1 - x (invert).
inline float4 Bias(const float4& a) { return a - float4(0.5f); }
inline float4 Bx2(const float4& a) { return 2.0f * a - float4(1.0f); }
inline float4 Invert(const float4& a) { return float4(1.0f) - a; }
// Instructions as the documentation defines them.
inline float4 Mad(const float4& a, const float4& b, const float4& c) { return a * b + c; }
inline float4 Lrp(const float4& s0, const float4& s1, const float4& s2) { return s0 * s1 + (float4(1.0f) - s0) * s2; }
inline float4 Dp3(const float4& a, const float4& b) { return float4(Dot3(a, b)); }
// cnd in ps 1.1-1.3 reads r0.a only: src1 where it is above 0.5, else src2.
inline float4 Cnd(float r0a, const float4& s1, const float4& s2) { return r0a > 0.5f ? s1 : s2; }
// cmp: per component, src1 where src0 >= 0, else src2.
inline float4 Cmp(const float4& s0, const float4& s1, const float4& s2) {
  float4 r;
  for (int k = 0; k < 4; ++k) r[k] = s0[k] >= 0 ? s1[k] : s2[k];
  return r;
}

// --- Textures -------------------------------------------------------------------------------------
// D3DTADDRESS_*, D3DTEXF_*.
enum Address { kWrap = 1, kMirror = 2, kClamp = 3, kBorder = 4 };
enum Filter { kPoint = 1, kLinear = 2 };

struct Texture {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // top row first
  float4 Texel(int i, int j) const {
    const uint32_t c = argb[size_t(j) * size_t(width) + size_t(i)];
    return {Byte(uint8_t(c >> 16)), Byte(uint8_t(c >> 8)), Byte(uint8_t(c)), Byte(uint8_t(c >> 24))};
  }
};

struct SamplerState {
  Address u = kWrap, v = kWrap;
  Filter filter = kLinear;  // magnification: the corpus draws its textures larger than they are
  uint32_t border = 0;      // D3DCOLOR
};

// Texel i of a row n wide under an address mode; -1 for the border.
inline int AddressTexel(int i, int n, Address mode) {
  switch (mode) {
    case kWrap: return ((i % n) + n) % n;
    case kMirror: {
      const int period = ((i % (2 * n)) + 2 * n) % (2 * n);
      return period < n ? period : 2 * n - 1 - period;
    }
    case kClamp: return std::clamp(i, 0, n - 1);
    case kBorder: return i < 0 || i >= n ? -1 : i;
  }
  return i;
}

// Texel centres sit at (i + 0.5) / width: point sampling takes the texel u falls in, linear sampling
// weighs the four texels around (u x width - 0.5, v x height - 0.5). The address mode decides which
// texel a coordinate outside [0, 1] names, for each texel of the footprint.
inline float4 Sample(const Texture& t, float u, float v, const SamplerState& s) {
  auto texel = [&](int i, int j) {
    const int a = AddressTexel(i, t.width, s.u), b = AddressTexel(j, t.height, s.v);
    if (a < 0 || b < 0)
      return float4{Byte(uint8_t(s.border >> 16)), Byte(uint8_t(s.border >> 8)), Byte(uint8_t(s.border)),
                    Byte(uint8_t(s.border >> 24))};
    return t.Texel(a, b);
  };
  const float x = u * float(t.width), y = v * float(t.height);
  if (s.filter == kPoint) return texel(int(std::floor(x)), int(std::floor(y)));
  const float fx = x - 0.5f, fy = y - 0.5f;
  const int i = int(std::floor(fx)), j = int(std::floor(fy));
  const float a = fx - float(i), b = fy - float(j);
  return Lerp(Lerp(texel(i, j), texel(i + 1, j), a), Lerp(texel(i, j + 1), texel(i + 1, j + 1), a), b);
}

// --- Blending -------------------------------------------------------------------------------------
// D3DBLEND_* factors; the result is source x SrcBlend + destination x DestBlend (D3DBLENDOP_ADD).
enum Blend { kZero = 1, kOne = 2, kSrcColor = 3, kInvSrcColor = 4, kSrcAlpha = 5, kInvSrcAlpha = 6,
             kDestColor = 9 };

inline float4 BlendFactor(Blend factor, const float4& src, const float4& dst) {
  switch (factor) {
    case kZero: return float4(0.0f);
    case kOne: return float4(1.0f);
    case kSrcColor: return src;
    case kInvSrcColor: return Invert(src);
    case kSrcAlpha: return float4(src[3]);
    case kInvSrcAlpha: return float4(1.0f - src[3]);
    case kDestColor: return dst;
  }
  return float4(0.0f);
}
// The source is the saturated shader output; the destination what the target already holds.
inline float4 BlendOver(const float4& shaderOutput, const float4& dst, Blend srcBlend, Blend destBlend) {
  const float4 src = Saturate(shaderOutput);
  return Saturate(src * BlendFactor(srcBlend, src, dst) + dst * BlendFactor(destBlend, src, dst));
}

}  // namespace d3d9_reference
