// The shared effect table and the binding of a mesh's named effect.
#include "engine/objects/effect_binding.h"

#include <strings.h>

#include <cstdio>
#include <memory>

#include "engine/objects/mesh_state.h"
#include "engine/objects/record_links.h"
#include "platform/fs/contained_name.h"

namespace {

bool SameNoCase(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

void DeleteEffect(EffectObject* effect) { delete effect; }

}  // namespace

std::array<EffectObject*, kEffectTableSize>& EffectTable() {
  static std::array<EffectObject*, kEffectTableSize> table{};
  return table;
}

void InstallEffectRecordLinks() { GetRecordLinks().deleteEffect = DeleteEffect; }

void BindEffectByName(MeshRecord* mesh) {
  if (!mesh) return;
  InstallEffectRecordLinks();
  char name[kRecordNameLength];
  CopyRecordName(name, mesh->effectFileName);  // attaching empties the mesh's own copy

  // The name comes from the model file and is taken from the current folder: one that would leave it
  // is not opened, and the mesh draws without an effect.
  if (const char* fault = platform::fs::ContainedNameFault(name)) {
    std::fprintf(stderr, "qel: effect \"%s\" of a model not loaded: %s\n", name, fault);
    return;
  }

  const auto& table = EffectTable();
  for (size_t i = 1; i < table.size(); ++i) {
    if (table[i] && SameNoCase(table[i]->fileName, name)) {
      if (SetMeshEffect(mesh, table[i])) mesh->effectShared = 1;
      return;
    }
  }
  auto effect = std::make_unique<MeshEffect>();
  // An effect that does not compile would draw nothing: the mesh keeps drawing without one.
  if (!effect->Load(name, 0, 0)) return;
  if (SetMeshEffect(mesh, effect.get())) effect.release();
}
