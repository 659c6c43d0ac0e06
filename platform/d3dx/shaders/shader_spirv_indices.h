// Array indices the HLSL front end makes unsigned, made signed for GLSL 1.20, which has no unsigned
// integers: HLSL takes any number as an index (an int parameter, kept in a float register, indexing a
// constant array), and the front end converts it to uint before it indexes.
#pragma once
#include <vector>

namespace platform::d3dx {

// Rewrites each float-to-unsigned conversion whose result only ever indexes (access chains) into a
// float-to-signed one. A module without a 32-bit signed integer type is left alone.
void MakeIndicesSigned(std::vector<unsigned>* spirv);

}  // namespace platform::d3dx
