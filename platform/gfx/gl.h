// GL entry points for the device layer (no loader: the compatibility context's functions are
// linked directly). Include only inside platform/gfx.
#pragma once
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
