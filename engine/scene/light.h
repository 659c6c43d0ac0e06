// The light module: numbered device lights (the light number is the device's light index), the scene's
// ambient level and the device fog. Light 0 is a directional light made at start-up; the game makes the
// others. Light numbers run from 0 to 22000000: 7301 outside that range, 7303 for a light that does not
// exist; CreateLight also raises 7305 for light 0 and 7302 for a light that exists. After an error
// nothing changes.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace LightModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and clears its fog flag.
void PassCoreData(CoreData* coreData);
// 0 frees every light; 1 starts the module again, so only a fresh light 0 exists.
void RefreshD3D(int mode);
}  // namespace LightModule

// A white point light at the origin with range 1000, enabled.
void CreateLight(int32_t light);
// Type spot at the origin pointing down (0, -1, 0), cone angles in degrees; it keeps its range but does
// not fade with distance until SetLightRange.
void SetLightToSpot(int32_t light, float innerDegrees, float outerDegrees);
// The range and a fade to half strength at a third of it. A range that is not a positive number is
// refused.
void SetLightRange(int32_t light, float range);
void SetLightPosition(int32_t light, float x, float y, float z);
// Diffuse red, green and blue from 0xRRGGBB; alpha and specular stay.
void SetLightColor(int32_t light, uint32_t color);
void SetPointLight(int32_t light, float x, float y, float z);
void SetDirectionalLight(int32_t light, float x, float y, float z);

// Linear vertex fog from the kept start (0) to the kept end, in the kept colour (black): a colour set
// before EnableFog is replaced, so the game sets its colour afterwards.
void EnableFog();
void DisableFog();
void SetFogColor(uint32_t color);       // ARGB, straight to the device
void SetFogDistance(int32_t distance);  // the fog end
