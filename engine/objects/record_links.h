// What the records need from modules that are not part of them: releasing device objects and
// deleting effects. The device layer and the effect module install these when they start; until
// then nothing creates such objects, and a null link does nothing.
#pragma once

#include "engine/objects/records.h"

struct RecordLinks {
  void (*releaseTexture)(platform::gfx::Texture*) = nullptr;
  void (*releaseDeclaration)(platform::gfx::VertexDeclaration*) = nullptr;
  void (*deleteEffect)(EffectObject*) = nullptr;
};

RecordLinks& GetRecordLinks();

// Each releases through its link when both the link and the object are there.
void ReleaseRecordTexture(platform::gfx::Texture* texture);
void ReleaseRecordDeclaration(platform::gfx::VertexDeclaration* declaration);
void DeleteRecordEffect(EffectObject* effect);
