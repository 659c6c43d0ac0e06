// The shader compilers: HLSL (through glslang's HLSL front end and SPIRV-Cross) and shader assembly
// (our own translator), both into a compiled shader "function" the device creates shaders from.
//
// A function is a token stream shaped like compiled Direct3D 9 shader code, the form the engine's
// effects and shader commands take shaders in: the version token (0xFFFE0000 | major << 8 | minor for vertex shaders, 0xFFFF0000 | ... for
// pixel shaders), for vertex shaders one dcl instruction per input register (usage and usage index),
// comment blocks (0x0000FFFE | dwords << 16) with our payload (the generated GLSL and the constant
// table), and the end token 0x0000FFFF. GetShaderInputSemantics (effect.h) reads its inputs.
//
// Constant registers mean what they meant on that API: 256 float4 registers for vertex shaders, 224
// (3.0) or 32 (2.0) for pixel shaders, 16 int4 and 16 bool registers. A column_major matrix (HLSL's
// default) takes one register per column of the engine's row-vector matrix, a row_major one one per
// row; mul(position, WorldViewProj) computes position x M.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/api.h"

namespace platform::d3dx {

using gfx::Result;

// Register sets of a constant.
enum ShaderRegisterSet : uint32_t { RS_BOOL = 0, RS_INT4 = 1, RS_FLOAT4 = 2, RS_SAMPLER = 3 };

// One entry of a function's constant table. For samplers registerIndex is the device sampler stage.
struct ShaderConstant {
  std::string name;
  uint32_t registerSet = RS_FLOAT4;  // ShaderRegisterSet
  uint32_t registerIndex = 0, registerCount = 0;
  uint32_t rows = 1, columns = 1, elements = 1;  // elements: array length, 1 for a single value
  bool rowMajor = false;                         // matrices: one register per row (else per column)
};

// Longest source either compiler accepts (longer sources fail with a message, never run away).
constexpr size_t kMaxShaderSourceBytes = 1 << 20;

// Compiles the HLSL function `entry` of `source` for `profile` (vs_1_1 .. vs_3_0, ps_2_0 .. ps_3_0).
// uniformArguments are the compile-time arguments of "compile vs_2_0 main(1, true)", bound in order to
// the entry's uniform parameters. *errors receives "sourceName(line): message" lines. The same
// (source, entry, profile, arguments) compiles once: later calls copy the cached function.
Result CompileShaderHLSL(std::string_view source, std::string_view sourceName, std::string_view entry,
                         std::string_view profile, std::span<const std::string> uniformArguments,
                         std::vector<uint32_t>* function, std::string* errors);

// Translates shader assembly (vs_1_1 .. vs_3_0, ps_1_1 .. ps_3_0, also written "vs.1.1"; vs 1.x
// inputs with or without dcl_ instructions). An instruction the translator does not know fails the
// whole source with its name and line.
Result AssembleShader(std::string_view source, std::string_view sourceName, std::vector<uint32_t>* function,
                      std::string* errors);

// The constant table of a function made by either compiler; kInvalidCall for any other stream.
Result GetShaderConstants(const uint32_t* function, std::vector<ShaderConstant>* constants);

// Tokens of a function up to and including its end token; 0 for a stream that is not one of ours.
uint32_t GetShaderTokenCount(const uint32_t* function);

// How many HLSL compiles the cache saved (for tests).
uint32_t HlslCacheHits();

}  // namespace platform::d3dx
