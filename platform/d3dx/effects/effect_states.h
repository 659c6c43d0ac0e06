// The states a pass or a sampler_state block of an effect file may assign: their names as effect files
// write them (letter case ignored), the device state each one sets, and the names of their values.
#pragma once
#include <cstdint>
#include <string_view>

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
  kVertexConstant,  // float registers from [index]
  kPixelConstant,
};

// What a state's value is.
enum class StateValueKind : uint8_t { kWord, kFloat, kBool, kVector, kMatrix, kObject };

enum LightMember : uint32_t {
  kLightType, kLightDiffuse, kLightSpecular, kLightAmbient, kLightPosition, kLightDirection, kLightRange,
  kLightFalloff, kLightAttenuation0, kLightAttenuation1, kLightAttenuation2, kLightTheta, kLightPhi,
};
enum MaterialMember : uint32_t { kMaterialDiffuse, kMaterialAmbient, kMaterialSpecular, kMaterialEmissive, kMaterialPower };

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
};

// The state of an assignment's name; null for a name no effect state has.
const StateInfo* FindState(std::string_view name);
// The value of a named constant for the state ("SrcAlpha", "Linear", "True" ...); false when the
// state has no value of that name.
bool FindStateValue(const StateInfo& state, std::string_view name, uint32_t* value);

}  // namespace platform::d3dx
