// Limits and extensions of the GL implementation, read once. Before any device exists the
// interface object still has to answer capability and format questions, so the first query
// makes a short-lived hidden window and context when none is current.
#pragma once
#include <string>

namespace platform::gfx {

struct GlInfo {
  std::string vendor, renderer, version;
  int maxTextureSize = 2048;
  int maxTextureUnits = 8;
  int maxLights = 8;
  int maxClipPlanes = 6;
  float maxPointSize = 64.0f;
  float maxAnisotropy = 1.0f;
  bool s3tc = false;
  bool mirrorClamp = false;
  bool baseVertex = false;  // indexed draws may add a base vertex to their index values
  bool samplerObjects = false;  // sampler states can be held per unit instead of per texture
};

// Reads the limits of the current context.
GlInfo ReadCurrentGlInfo();
// Null when no GL context could be made (no video driver).
const GlInfo* QueryGlInfo();

// Keeps every library loaded so far mapped for the rest of the process. Called once the GL driver is
// loaded (a GL window or context exists): SDL unloads the driver with its last GL window, and what the
// driver keeps for the whole process would then show in a leak report with no library to name it
// (and no suppression to match it).
void PinLoadedLibraries();

// Context attributes of every context the layer makes: 2.1 compatibility.
void SetContextAttributes();

}  // namespace platform::gfx
