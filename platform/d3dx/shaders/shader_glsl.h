// The GLSL conventions both shader compilers follow. Values pass between the stages through the
// compatibility built-ins (COLORn: gl_FrontColor/gl_Color and the secondary colour, TEXCOORDn:
// gl_TexCoord[n], FOG: gl_FogFragCoord), so any vertex shader links with any pixel shader and either
// stage works with the fixed pipeline on the other side. A vertex shader writes its position to
// qel_pos; the epilogue turns the API's clip space (y up, z in [0, w], pixel centres on integers)
// into GL's for the device's top-row-first storage, with qel_fix = (1 / viewport width, 1 / height)
// set by the device.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::d3dx {

constexpr int kGlslVersion = 120;

// The usage (DECLUSAGE_*) and index of a semantic such as "TEXCOORD3", "COLOR", "SV_Position";
// false for names that are not semantics of the API.
bool ParseSemantic(std::string_view semantic, uint32_t* usage, uint32_t* index);

// The GLSL expression standing for a vertex output (vertexOutput) or pixel input of `components`
// components with a usage; empty when the stage cannot pass it.
std::string StageVariable(bool vertexOutput, uint32_t usage, uint32_t index, uint32_t components);

// Declarations every vertex shader has, and the main that runs `body` (a function name) and then
// writes gl_Position from qel_pos.
inline constexpr const char* kVertexPrologue = "uniform vec4 qel_fix;\nvec4 qel_pos = vec4(0.0, 0.0, 0.0, 1.0);\n";
std::string VertexMain(std::string_view body);

}  // namespace platform::d3dx
