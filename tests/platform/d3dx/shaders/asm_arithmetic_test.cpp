// The arithmetic of shader assembly, instruction by instruction, read back as pixels: every case is
// drawn over the whole target and the colour it leaves is compared with the value worked out by hand
// by the API's rules. Inputs are chosen so that swapped operands, a wrong sign, a missed modifier or
// a component taken from the wrong place change the colour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

struct Case {
  const char* profile;  // vs.1.1, vs_2_0, vs_2_x, ps.1.1 ... ps_1_4, ps_2_0
  const char* body;     // leaves its result in r0; subroutines (vertex cases) from the first "label" on
  float r, g, b;
};

// Every vertex case starts with A, B and C in r1, r2 and r3 (and in c1, c2, c3), r0 cleared;
// registers c19 to c22 hold (1, 0, 0, 0), (0, 1, 0, 0), (0, 0, 1, 0) and (0.5, 0.5, 0.5, 0) for
// relative addressing.
constexpr const char* kConstants =
    "def c1, 0.25, 0.5, 0.75, 1\n"   // A
    "def c2, 0.5, 0.25, 0.125, 0.5\n"  // B
    "def c3, 0.125, 0.5, 0.25, 0\n";   // C
constexpr const char* kLoad = "def c0, 0, 0, 0, 0\nmov r0, c0\nmov r1, c1\nmov r2, c2\nmov r3, c3\n";

const Case kVertexCases[] = {
    {"vs.1.1", "mov r0, r1", 0.25f, 0.5f, 0.75f},
    {"vs.1.1", "mov r0, r1.zyxw", 0.75f, 0.5f, 0.25f},
    {"vs.1.1", "mov r0, r1.y", 0.5f, 0.5f, 0.5f},
    {"vs.1.1", "mov r0, r2\nmov r0.xz, r1", 0.25f, 0.25f, 0.75f},
    {"vs.1.1", "add r0, r1, r2", 0.75f, 0.75f, 0.875f},
    {"vs.1.1", "add r0, r1, -r3", 0.125f, 0.0f, 0.5f},
    {"vs.1.1", "sub r0, r1, r2", 0.0f, 0.25f, 0.625f},
    {"vs.1.1", "mul r0, r1, r2", 0.125f, 0.125f, 0.09375f},
    {"vs.1.1", "mad r0, r1, r2, r3", 0.25f, 0.625f, 0.34375f},
    {"vs.1.1", "dp3 r0, r1, r2", 0.34375f, 0.34375f, 0.34375f},
    {"vs.1.1", "dp4 r0, r1, r2", 0.84375f, 0.84375f, 0.84375f},
    {"vs.1.1", "min r0, r1, r2", 0.25f, 0.25f, 0.125f},
    {"vs.1.1", "max r0, r1, r2", 0.5f, 0.5f, 0.75f},
    {"vs.1.1", "slt r0, r1, r2", 1.0f, 0.0f, 0.0f},
    {"vs.1.1", "sge r0, r1, r2", 0.0f, 1.0f, 1.0f},
    // Scalar instructions read the component their replicate swizzle names.
    {"vs.1.1", "def c4, 4, 2, 0, 8\nrcp r0.x, c4.x\nrcp r0.y, c4.y\nrcp r0.z, c4.w", 0.25f, 0.5f, 0.125f},
    {"vs.1.1", "def c4, 4, 2, 0, 8\nrcp r0, c4.z", 1.0f, 1.0f, 1.0f},  // 1/0 is +infinity
    {"vs.1.1", "def c4, 16, -4, 64, 0\nrsq r0.x, c4.x\nrsq r0.y, c4.y\nrsq r0.z, c4.z", 0.25f, 0.5f, 0.125f},
    {"vs.1.1", "def c4, -2, -0.5, -3, 0\nexp r0.x, c4.x\nexp r0.y, c4.y\nexp r0.z, c4.z", 0.25f, 0.70711f, 0.125f},
    {"vs.1.1", "def c4, 1.5, -1.25, 1.75, 0\nlog r0.x, c4.x\nlog r0.y, c4.y\nlog r0.z, c4.z", 0.58496f, 0.32193f,
     0.80735f},
    // expp: 2^floor(x), the fraction, 2^x, 1; logp: the exponent, the mantissa, log2 |x|, 1.
    {"vs.1.1", "def c4, -1.25, 0, 0, 0\nexpp r0, c4.x", 0.25f, 0.75f, 0.42045f},
    {"vs.1.1", "def c4, -1.25, 0, 0, 0\nexpp r5, c4.x\nmov r0, r5.w", 1.0f, 1.0f, 1.0f},
    {"vs.1.1", "def c4, 3, 0, 0, 0\ndef c5, 0.5, 0.5, 0.5, 0.5\nlogp r5, c4.x\nmul r0, r5, c5", 0.5f, 0.75f, 0.79248f},
    {"vs.1.1", "def c4, 3, 0, 0, 0\nlogp r5, c4.x\nmov r0, r5.w", 1.0f, 1.0f, 1.0f},
    // lit: (1, max(x, 0), y^w when x > 0 and y > 0, 1).
    {"vs.1.1", "def c4, 0.5, 0.5, 0, 2\nlit r5, c4\nmov r0, r5.yzx", 0.5f, 0.25f, 1.0f},
    {"vs.1.1", "def c4, -0.5, 0.5, 0, 2\nlit r5, c4\nmov r0, r5.yzw", 0.0f, 0.0f, 1.0f},
    {"vs.1.1", "def c4, 0.5, -0.5, 0, 2\nlit r5, c4\nmov r0, r5.yzw", 0.5f, 0.0f, 1.0f},
    // dst: (1, a.y * b.y, a.z, b.w).
    {"vs.1.1", "dst r5, r1, r2\nmov r0, r5.yzw", 0.125f, 0.75f, 0.5f},
    {"vs.1.1", "dst r5, r1, r2\nmov r0, r5.x", 1.0f, 1.0f, 1.0f},
    {"vs.1.1", "def c4, 1.25, -0.25, 0, 0\nfrc r0.xy, c4", 0.25f, 0.75f, 0.0f},
    // Matrix macros: row k of the result is the product with register c10 + k.
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\ndef c12, 0, 1, 0, 0\ndef c13, 0, 0, 0.5, 0\n"
               "m4x4 r0, r1, c10", 0.25f, 0.5f, 0.5f},
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\ndef c12, 0, 1, 0, 0\ndef c13, 0, 0, 0.5, 0\n"
               "m4x4 r5, r1, c10\nmov r0, r5.w", 0.375f, 0.375f, 0.375f},
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\ndef c12, 0, 1, 0, 0\nm4x3 r0.xyz, r1, c10", 0.25f, 0.5f, 0.5f},
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\ndef c12, 0, 1, 0, 0\nm3x3 r0.xyz, r1, c10", 0.25f, 0.0f, 0.5f},
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\ndef c12, 0, 1, 0, 0\ndef c13, 0, 0, 0.5, 0\n"
               "m3x4 r5, r1, c10\nmov r0, r5.w", 0.375f, 0.375f, 0.375f},
    {"vs.1.1", "def c10, 1, 0, 0, 0\ndef c11, 0, 0, 0, 0.5\nmov r0, r3\nm3x2 r0.xy, r1, c10", 0.25f, 0.0f, 0.25f},
    // The address register: mov (vs 1.1) takes the floor, mova rounds to the nearest.
    {"vs.1.1", "def c4, 1.7, -0.3, 0, 0\nmov a0.x, c4.x\nmov r0, c[a0.x + 20]", 0.0f, 0.0f, 1.0f},
    {"vs.1.1", "def c4, 1.7, -0.3, 0, 0\nmov a0.x, c4.y\nmov r0, c[a0.x + 20]", 1.0f, 0.0f, 0.0f},
    {"vs_2_0", "def c4, 1.7, -0.3, 0, 0\nmova a0.x, c4.x\nmov r0, c[a0.x + 20]", 0.5f, 0.5f, 0.5f},
    {"vs_2_0", "def c4, 1.7, -0.3, 0, 0\nmova a0.x, c4.y\nmov r0, c[a0.x + 20]", 0.0f, 1.0f, 0.0f},
    // Relative reads see the shader's own def constants where they override set ones, as direct reads
    // do, and read nothing (zeros) outside the register file.
    {"vs.1.1", "def c20, 0.25, 0.75, 0.5, 0\ndef c4, 1, 2, 0, 0\nmov a0.x, c4.x\nmov r0, c[a0.x + 19]", 0.25f, 0.75f,
     0.5f},
    {"vs.1.1", "def c20, 0.25, 0.75, 0.5, 0\ndef c4, 1, 2, 0, 0\nmov a0.x, c4.y\nmov r0, c19[a0.x]", 0.0f, 0.0f, 1.0f},
    {"vs_2_0", "defi i0, 4, 19, 1, 0\ndef c20, 0.25, 0.25, 0.25, 0\ndef c4, 0.5, 0.5, 0.5, 0.5\nmov r5, c0\n"
               "loop aL, i0\nadd r5, r5, c[aL]\nendloop\nmul r0, r5, c4", 0.875f, 0.375f, 0.875f},
    {"vs_2_0", "def c4, 300, -21, 0, 0\nmov r0, c1\nmova a0.xy, c4\nadd r0, r0, c[a0.x]\nadd r0, r0, c[a0.y + 20]", 0.25f,
     0.5f, 0.75f},
    // lrp: a * (b - c) + c.
    {"vs_2_0", "lrp r0, r1, r2, r3", 0.21875f, 0.375f, 0.15625f},
    {"vs_2_0", "def c4, 0, 3, 4, 2\nnrm r0, c4", 0.0f, 0.6f, 0.8f},
    {"vs_2_0", "def c4, 0, 3, 4, 2\nnrm r5, c4\nmov r0, r5.w", 0.4f, 0.4f, 0.4f},
    {"vs_2_0", "def c4, 0.25, 0.5, -0.25, 2\npow r0, c4.x, c4.y", 0.5f, 0.5f, 0.5f},
    {"vs_2_0", "def c4, 0.25, 0.5, -0.25, 2\npow r0, c4.z, c4.y", 0.5f, 0.5f, 0.5f},  // |base|
    {"vs_2_0", "def c4, 0.5, 1, 0, 0\ndef c5, 0, 0.5, 0.25, 0\ndef c6, 0.5, 0.5, 0.5, 0.5\n"
               "crs r0.xyz, c4, c5\nadd r0, r0, c6", 0.75f, 0.375f, 0.75f},
    {"vs_2_0", "def c4, 1.0471976, 0, 0, 0\n"
               "def c5, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668\n"
               "def c6, -0.020833334, -0.125, 1, 0.5\nsincos r0.xy, c4.x, c5, c6", 0.5f, 0.86603f, 0.0f},
    {"vs_2_0", "def c4, 1.0471976, 0, 0, 0\n"
               "def c5, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668\n"
               "def c6, -0.020833334, -0.125, 1, 0.5\nsincos r0.y, c4.x, c5, c6", 0.0f, 0.86603f, 0.0f},
    {"vs_2_0", "def c4, -0.25, 0.5, -0.75, 0\nabs r0, c4", 0.25f, 0.5f, 0.75f},
    {"vs_2_0", "def c4, -0.5, 0, 0.5, 0\ndef c5, 0.5, 0.5, 0.5, 0.5\nsgn r5, c4, r6, r7\nmad r0, r5, c5, c5", 0.0f, 0.5f,
     1.0f},
    {"vs_2_0", "def c4, -1.25, 1.5, 0, 0\nexpp r0, c4.x", 0.42045f, 0.42045f, 0.42045f},
    {"vs_2_0", "def c4, -1.25, 1.5, 0, 0\nlogp r0, c4.y", 0.58496f, 0.58496f, 0.58496f},
    {"vs_2_0", "def c4, 1.25, -0.25, 2.75, 0\nfrc r0, c4", 0.25f, 0.75f, 0.75f},
    // Written the way published samples write them: capitals, numbers with C's "f".
    {"vs.1.1", "DEF C4, 0.25F, .5f, 0.75, 1.0f\nMOV R0.XYZ, C4", 0.25f, 0.5f, 0.75f},
    // Subroutines called on a predicate component, plain or negated; only the true ones run.
    {"vs_2_x", "setp_gt p0, c1, c2\ncallnz l1, p0.y\ncallnz l2, p0.x\ncallnz l3, !p0.x\n"
               "label l1\nmov r0.x, c1.x\nret\nlabel l2\nmov r0.y, c1.y\nret\nlabel l3\nmov r0.z, c1.z\nret",
     0.25f, 0.0f, 0.75f},
};

// Every pixel case has A, B and C in c1, c2 and c3, (0.5, 0.5, 0.5, 0.5) in c4, ones in c5 and
// (2, 1.5, -3, 1) in c7 (ps_2_0 and ps_3_0 also A, B and C in r1 to r3). The vertex colour is
// (0.5, 0.25, 0.75), the specular colour (0.25, 0.25, 0), the fog 0.5; texture set 0 is
// (-0.25, 0.5, 1.5), sets 1 to 3 are (0, 0, 1), (1, 0, 0) and (0, 1, 0). Stage 0 holds one texel (0.125, 0.878, 0.376, 0.627); stages 1 to 3 a 4 x 4 texture
// whose texel (i, j) is (i * 64 + 32, j * 64 + 32, 0), so a sample shows where it was taken.
const Case kPixelCases[] = {
    {"ps.1.1", "mov r0, v0", 0.5f, 0.25f, 0.75f},
    {"ps.1.1", "add r0, v0, v1", 0.75f, 0.5f, 0.75f},
    {"ps.1.1", "add r0, c1, c2", 0.75f, 0.75f, 0.875f},
    // Constants of ps 1.x are clamped to [-1, 1], those of ps 2.0 are not.
    {"ps.1.1", "mul r0, c7, c4", 0.5f, 0.5f, 0.0f},
    {"ps_1_4", "def c6, 2, 1.5, -3, 1\nmul r0, c6, c4", 0.5f, 0.5f, 0.0f},
    {"ps_2_0", "mul r0, c7, c4", 1.0f, 0.75f, 0.0f},
    {"ps.1.1", "sub r0, c1, c2", 0.0f, 0.25f, 0.625f},
    {"ps.1.1", "mov r1, c3\nmad r0, c1, c2, r1", 0.25f, 0.625f, 0.34375f},
    {"ps.1.1", "lrp r0, c1, c2, c3", 0.21875f, 0.375f, 0.15625f},
    {"ps.1.1", "dp3 r0, c1, c2", 0.34375f, 0.34375f, 0.34375f},
    {"ps.1.2", "dp4 r0, c1, c2", 0.84375f, 0.84375f, 0.84375f},
    // Instruction modifiers: the shift, then the saturation.
    {"ps.1.1", "mul_x2 r0, c1, c2", 0.25f, 0.25f, 0.1875f},
    {"ps.1.1", "mul_x4 r0, c1, c2", 0.5f, 0.5f, 0.375f},
    {"ps.1.1", "mul_d2 r0, c1, c2", 0.0625f, 0.0625f, 0.046875f},
    {"ps.1.1", "add_sat r1, c1, c1\nmul r0, r1, c4", 0.25f, 0.5f, 0.5f},
    {"ps.1.1", "mul_x4_sat r1, c1, c1\nmul r0, r1, c4", 0.125f, 0.5f, 0.5f},
    {"ps_1_4", "mul_x8 r0, c2, c3", 0.5f, 1.0f, 0.25f},
    {"ps_1_4", "mul_d4 r0, c1, c1", 0.015625f, 0.0625f, 0.140625f},
    {"ps_1_4", "mul_d8 r0, c1, c1", 0.0078125f, 0.03125f, 0.0703125f},
    // Source modifiers.
    {"ps.1.1", "mov r1, c1\nadd r0, r1_bias, c4", 0.25f, 0.5f, 0.75f},
    {"ps.1.1", "mov r1, c1\nadd r0, r1_bx2, c4", 0.0f, 0.5f, 1.0f},
    {"ps.1.1", "mov r1, c1\nadd r0, -r1, c5", 0.75f, 0.5f, 0.25f},
    {"ps.1.1", "mov r1, c1\nmov r0, 1-r1", 0.75f, 0.5f, 0.25f},
    {"ps.1.1", "mov r1, c1\nadd r0, -r1_bias, c4", 0.75f, 0.5f, 0.25f},
    {"ps.1.1", "mov r1, c2\nadd r0, -r1_bx2, c4", 0.5f, 1.0f, 1.0f},
    {"ps_1_4", "mov r1, c1\nmul r0, r1_x2, c4", 0.25f, 0.5f, 0.75f},
    // Alpha replicate, write masks and co-issued colour and alpha instructions.
    {"ps.1.1", "mov r0, c2.a", 0.5f, 0.5f, 0.5f},
    {"ps.1.1", "mov r1, c2\nmov r1.rgb, c1\nmul r0, r1, r1.a", 0.125f, 0.25f, 0.375f},
    {"ps.1.1", "mov r1.rgb, c1\n+mov r1.a, c2\nmul r0, r1, r1.a", 0.125f, 0.25f, 0.375f},
    {"ps.1.1", "mul r1.rgb, c1, c4\n+add r1.a, c2, c4\nmul r0, r1, r1.a", 0.125f, 0.25f, 0.375f},
    // A co-issued pair reads its sources before either writes: the second sees the old value.
    {"ps.1.1", "mov r1, c2\nmov r1.rgb, c1\n+mov r1.a, r1.b\nmul r0, r1, r1.a", 0.03125f, 0.0625f, 0.09375f},
    {"ps_1_4", "mov r1, c1\nmul r1.rgb, c1, c4\n+add r1.a, r1.r, c4.r\nmul r0, r1, r1.a", 0.09375f, 0.1875f, 0.28125f},
    // cnd: r0.a greater than a half (ps 1.1 to 1.3), each component (ps 1.4); cmp: not below zero.
    {"ps.1.1", "mov r0, c2\ncnd r0, r0.a, c1, c3", 0.125f, 0.5f, 0.25f},
    {"ps.1.1", "def c6, 0, 0, 0, 0.625\nmov r0, c6\ncnd r0, r0.a, c1, c3", 0.25f, 0.5f, 0.75f},
    {"ps_1_4", "def c6, 0.25, 0.5, 0.75, 0\ncnd r0, c6, c1, c2", 0.5f, 0.25f, 0.75f},
    {"ps.1.2", "def c6, -0.5, 0, 0.5, 0\ncmp r0, c6, c1, c2", 0.5f, 0.5f, 0.75f},
    // Texture instructions that compute: texcoord clamps to [0, 1], texcrd does not.
    {"ps.1.1", "texcoord t0\nmul r0, t0, c4", 0.0f, 0.25f, 0.5f},
    {"ps_1_4", "texcrd r1.rgb, t0\nmul r0, r1, c4", 0.0f, 0.25f, 0.75f},
    {"ps_1_4", "texcrd r1.rgb, t0.xyw\nmul r0, r1, c4", 0.0f, 0.25f, 0.5f},
    {"ps.1.1", "tex t0\nmov r0, t0", 0.125f, 0.878f, 0.376f},
    {"ps.1.1", "tex t0\ntexreg2ar t1, t0\nmov r0, t1", 160 / 255.0f, 32 / 255.0f, 0.0f},
    {"ps.1.1", "tex t0\ntexreg2gb t1, t0\nmov r0, t1", 224 / 255.0f, 96 / 255.0f, 0.0f},
    {"ps.1.1", "tex t0\ntexm3x2pad t1, t0\ntexm3x2tex t2, t0\nmov r0, t2", 96 / 255.0f, 32 / 255.0f, 0.0f},
    {"ps.1.2", "tex t0\ntexdp3 t1, t0\nmov r0, t1", 0.376f, 0.376f, 0.376f},
    {"ps.1.2", "tex t0\ntexdp3tex t1, t0\nmov r0, t1", 96 / 255.0f, 32 / 255.0f, 0.0f},
    {"ps.1.2", "tex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3 t3, t0\nmov r0, t3", 0.376f, 0.125f, 0.878f},
    {"ps_1_4", "texld r0, t0\nmov r0, r0.a", 0.627f, 0.627f, 0.627f},
    // ps 2.0.
    {"ps_2_0", "add r0, r1, r2", 0.75f, 0.75f, 0.875f},
    {"ps_2_0", "dcl_centroid t1\ndcl_pp t2\nadd r0, t1, t2", 1.0f, 0.0f, 1.0f},
    {"ps_3_0", "dcl_color0 v0\ndcl_fog v1.x\nmul r0, v0, v1.x", 0.25f, 0.125f, 0.375f},
    {"ps_2_0", "mad r0, r1, -r2, r3", 0.0f, 0.375f, 0.15625f},
    {"ps_2_0", "lrp r0, r1, r2, r3", 0.21875f, 0.375f, 0.15625f},
    {"ps_2_0", "def c6, -0.5, 0, 0.5, 0\ncmp r0, c6, r1, r2", 0.5f, 0.5f, 0.75f},
    {"ps_2_0", "dp2add r0, r1, r2, r3.y", 0.75f, 0.75f, 0.75f},
    {"ps_2_0", "add_sat r5, r1, r1\nmul r0, r5, c4", 0.25f, 0.5f, 0.5f},
    {"ps_2_0", "def c6, 4, -4, -1, 0\nrcp r0.x, c6.x\nrsq r0.y, c6.y\nexp r0.z, c6.z", 0.25f, 0.5f, 0.5f},
    {"ps_2_0", "def c6, 0.25, 0.5, -0.25, 2\npow r0, c6.z, c6.y", 0.5f, 0.5f, 0.5f},
    {"ps_2_0", "def c6, 0, 3, 4, 2\nnrm r0, c6", 0.0f, 0.6f, 0.8f},
    {"ps_2_0", "def c6, 1.25, -0.25, 2.75, 0\nfrc r0, c6", 0.25f, 0.75f, 0.75f},
    {"ps_2_0", "def c6, 1.0471976, 0, 0, 0\n"
               "def c7, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668\n"
               "def c8, -0.020833334, -0.125, 1, 0.5\nmov r0, c0\nsincos r0.xy, c6.x, c7, c8", 0.5f, 0.86603f, 0.0f},
    {"ps_2_0", "def c6, 1, 0, 0, 0\ndef c7, 0, 0, 1, 0\ndef c8, 0, 1, 0, 0\nm3x3 r0.xyz, r1, c6", 0.25f, 0.75f, 0.5f},
};

class AsmArithmeticTest : public ShaderTest {
 protected:
  void SetUp() override {
    ShaderTest::SetUp();
    const float addressed[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0.5f, 0};
    dev->SetVertexShaderConstantF(19, addressed, 4);
    // What the pixel cases' vertex shader passes on: colours and texture sets 0 to 3.
    const float feed[24] = {0.5f, 0.25f, 0.75f, 1, -0.25f, 0.5f, 1.5f, 1, 0, 0, 1, 0,
                            1,    0,     0,     0, 0,      1,    0,    0, 0.25f, 0.25f, 0, 0};
    dev->SetVertexShaderConstantF(0, feed, 6);
    const float beyond[4] = {2, 1.5f, -3, 1};
    dev->SetPixelShaderConstantF(7, beyond, 1);
    texel_ = MakeTexture(1, [](int, int) { return 0xA020E060u; });
    where_ = MakeTexture(4, [](int i, int j) { return 0xFF000000u | uint32_t(i * 64 + 32) << 16 | uint32_t(j * 64 + 32) << 8; });
    for (uint32_t s = 0; s < 4; ++s) {
      dev->SetTexture(s, s == 0 ? texel_ : where_);
      dev->SetSamplerState(s, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
      dev->SetSamplerState(s, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
      dev->SetSamplerState(s, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
      dev->SetSamplerState(s, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
      dev->SetSamplerState(s, gfx::SAMP_ADDRESSV, gfx::TADDRESS_CLAMP);
    }
    dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev->SetRenderState(gfx::RS_ZENABLE, 0);
  }
  void TearDown() override {
    if (dev)
      for (uint32_t s = 0; s < 4; ++s) dev->SetTexture(s, nullptr);
    if (texel_) texel_->Release();
    if (where_) where_->Release();
    ShaderTest::TearDown();
  }

  template <class Texel>
  gfx::Texture* MakeTexture(int size, Texel texel) {
    gfx::Texture* texture = nullptr;
    EXPECT_EQ(dev->CreateTexture(uint32_t(size), uint32_t(size), 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture,
                                 nullptr),
              gfx::kOk);
    gfx::LockedRect lr;
    EXPECT_EQ(texture->LockRect(0, &lr, nullptr, 0), gfx::kOk);
    for (int j = 0; j < size; ++j)
      for (int i = 0; i < size; ++i) {
        const uint32_t value = texel(i, j);
        std::memcpy(static_cast<uint8_t*>(lr.bits) + j * lr.pitch + i * 4, &value, 4);
      }
    texture->UnlockRect(0);
    return texture;
  }

  // Draws the case over the whole target and gives the colour in its middle.
  uint32_t Draw(const Case& c) {
    const std::string profile = c.profile;
    const bool vertex = profile[0] == 'v';
    std::string vs, ps;
    if (vertex) {
      const std::string body = c.body;
      const size_t labels = body.find("label ");
      const std::string subroutines = labels == std::string::npos ? "" : "ret\n" + body.substr(labels);
      vs = profile + "\n" + (profile[2] == '_' ? "dcl_position v0\n" : "") + kConstants + kLoad +
           body.substr(0, labels) + "\nmov oPos, v0\nmov oD0, r0\n" + subroutines;
      ps = "ps.1.1\nmov r0, v0\n";
    } else {
      vs = "vs.1.1\nmov oPos, v0\nmov oD0, c0\nmov oD1, c5\nmov oT0, c1\nmov oT1, c2\nmov oT2, c3\nmov oT3, c4\n"
           "mov oFog, c1.y\n";
      const bool ps2 = profile == "ps_2_0" || profile == "ps_3_0";
      ps = profile + "\n" + kConstants + "def c4, 0.5, 0.5, 0.5, 0.5\ndef c5, 1, 1, 1, 1\n" +
           (ps2 ? "def c0, 0, 0, 0, 0\nmov r1, c1\nmov r2, c2\nmov r3, c3\n" : "") + c.body +
           (ps2 ? "\nmov oC0, r0\n" : "\n");
    }
    const std::vector<uint32_t> vertexFunction = Asm(vs), pixelFunction = Asm(ps);
    if (vertexFunction.empty() || pixelFunction.empty()) return 0;
    UseVertexShader(vertexFunction);
    UsePixelShader(pixelFunction);
    struct Vertex {
      float x, y, z;
    } quad[4] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}};
    dev->SetFVF(gfx::FVF_XYZ);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    dev->BeginScene();
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, quad, sizeof quad[0]), gfx::kOk);
    dev->EndScene();
    return Pixel(kWidth / 2, kHeight / 2);
  }

  void Check(const Case& c) {
    SCOPED_TRACE(std::string(c.profile) + "\n" + c.body);
    auto channel = [](float v) { return uint32_t(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); };
    const uint32_t expected = 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
    const uint32_t drawn = Draw(c);
    EXPECT_TRUE(gfxtest::Near(drawn, expected, 2)) << std::hex << "drew " << drawn << ", expected " << expected;
  }

  gfx::Texture* texel_ = nullptr;
  gfx::Texture* where_ = nullptr;
};

TEST_F(AsmArithmeticTest, VertexShaderInstructionsComputeWhatTheApiDefines) {
  for (const Case& c : kVertexCases) Check(c);
}

TEST_F(AsmArithmeticTest, PixelShaderInstructionsAndModifiersComputeWhatTheApiDefines) {
  for (const Case& c : kPixelCases) Check(c);
}

}  // namespace
}  // namespace shadertest
