// Which meshes may skip their state setters: the renderer's comparison of two meshes' draw states.
#pragma once
#include "engine/objects/records.h"

// A mesh whose states depend only on its own fields and the pass: one stage at most, coordinates
// that do not follow the view, no subsets, points or effects.
bool RepeatableState(const MeshRecord& mesh);

// Both meshes set the same render states, material, stage and texture (the state key of the draw).
bool SameDrawState(const MeshRecord& a, const MeshRecord& b);
