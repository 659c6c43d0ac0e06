// Hooks for tests of the modules above the device: what a test needs to see or to vary of the
// device without a forwarding wrapper. Not for the game itself.
#pragma once
#include <cstdint>

#include "platform/gfx/device.h"

namespace platform::gfx {

// Draw calls the device has issued since it was made (DrawPrimitive, DrawIndexedPrimitive and
// their caller-memory forms; refused calls and calls of no primitives are not counted).
uint32_t DrawCallCount(Device* device);

// Rectangles of CPU pixels textures have sent to GL since the device was made (a texture sends what
// changed once, before the next draw that uses it).
uint32_t TextureUploadCount(Device* device);

// Texture capability bits (PTEXTURECAPS_*) added to and removed from what every interface and
// device report from now on, e.g. PTEXTURECAPS_POW2 to try the paths of devices that need
// power-of-two textures. SetTextureCapsOverride(0, 0) goes back to the real answer.
void SetTextureCapsOverride(uint32_t add, uint32_t remove);

// Devices made from now on draw as though the GL had no base-vertex draws (true) or as the GL
// allows (false), to try the path that moves the vertex arrays instead.
void SetBaseVertexDrawsDisabled(bool disabled);

}  // namespace platform::gfx
