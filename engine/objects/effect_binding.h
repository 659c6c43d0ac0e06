// Effects reached by name: the shared effect table and the binding of a mesh's named effect.
#pragma once
#include <array>

#include "engine/objects/effect_object.h"

constexpr size_t kEffectTableSize = 65535;

// Effects shared between meshes, found by file name. Nothing in the engine fills it; a mesh attached
// to one of them does not delete it.
std::array<EffectObject*, kEffectTableSize>& EffectTable();

// Attaches the effect named by the mesh's effect file name: a shared effect of that name from the table
// (any entry but the first, letter case ignored), else a new effect loaded from the file. An effect
// that does not load, or that the mesh does not take, is not attached: the mesh then draws as it would
// without an effect.
void BindEffectByName(MeshRecord* mesh);

// Lets the records delete the effects meshes own (installed the first time an effect is made).
void InstallEffectRecordLinks();
