// The states a pass or a sampler_state block of an effect file may assign: their names as effect files
// write them (letter case ignored), the device state each one sets, and the names of their values.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::d3dx {

enum class StateKind : uint8_t {
  kRender,        // render state `id`
  kSampler,       // sampler state `id` of stage [index]
  kStage,         // texture-stage state `id` of stage [index]
  kTexture,       // texture of stage [index] (a texture parameter)
  kSamplerObject, // the texture and states of a sampler parameter, on stage [index]
  kLightEnable,   // light [index] on or off
  kLight,         // member `id` (LightMember) of light [index]
  kMaterial,      // member `id` (MaterialMember) of the material
  kTransform,     // transform `id` (+ [index] for world and texture transforms)
  kVertexShader,
  kPixelShader,
  kVertexConstant,  // registers of file `id` (ConstantFile) from [index]
  kPixelConstant,
};

// What a state's value is.
enum class StateValueKind : uint8_t { kWord, kFloat, kBool, kVector, kMatrix, kObject };

enum LightMember : uint32_t {
  kLightType, kLightDiffuse, kLightSpecular, kLightAmbient, kLightPosition, kLightDirection, kLightRange,
  kLightFalloff, kLightAttenuation0, kLightAttenuation1, kLightAttenuation2, kLightTheta, kLightPhi,
};
enum MaterialMember : uint32_t { kMaterialDiffuse, kMaterialAmbient, kMaterialSpecular, kMaterialEmissive, kMaterialPower };
enum ConstantFile : uint32_t { kConstantFloat, kConstantInt, kConstantBool };

struct NamedValue {
  const char* name;
  uint32_t value;
};

struct StateInfo {
  const char* name;
  StateKind kind;
  uint32_t id;
  StateValueKind value;
  const NamedValue* names = nullptr;  // the value names this state accepts
  uint32_t nameCount = 0;
  uint32_t registers = 0;  // shader-constant states: the registers they set, 0 = as many as the value holds
};

// The state of an assignment's name; null for a name no effect state has.
const StateInfo* FindState(std::string_view name);
// The value of a named constant for the state ("SrcAlpha", "Linear", "True" ...); false when the
// state has no value of that name.
bool FindStateValue(const StateInfo& state, std::string_view name, uint32_t* value);

// How many registers the file of a shader-constant state has (float registers: vertex 256, pixel 224).
uint32_t ConstantRegisterCount(const StateInfo& state);

// The registers a shader-constant state sets from a value of `count` numbers stored row after row,
// `columns` to a row (of a matrix, a vector or a scalar, or of each element of an array): each row in
// a register of its own, padded with zeros to four numbers, so a float4x4 fills four registers, an
// array of float4 one per element and a scalar one; bool registers take one number each. A state of a
// fixed register count cuts the value or pads it with zeros to that count. *out gets four numbers per
// register (one for bool registers).
void LayOutConstantRegisters(const StateInfo& state, const float* numbers, size_t count, uint32_t columns,
                             std::vector<float>* out);

}  // namespace platform::d3dx
