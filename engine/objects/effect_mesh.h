// The model an effect names in its "XFile" parameter, read into a stand-alone mesh record whose
// geometry then replaces that of every mesh the effect is attached to.
#pragma once

#include "engine/objects/records.h"

// Reads every mesh of the X file (frames' transforms applied) into one new triangle-list record:
// positions, normals and texture coordinates where the file has them; no materials, textures, frames
// or bones. *mesh is set only when the file loads. Always true; a file that cannot be read raises no
// error and leaves *mesh as it was.
bool LoadEffectMesh(const char* fileName, MeshRecord** mesh);
