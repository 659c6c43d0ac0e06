// What the records and the frame-tree code need from modules that are not part of them. Each module
// installs its links when it starts; a null link does nothing (or takes the static default said).
#pragma once

#include "engine/objects/records.h"

struct RecordLinks {
  // Device layer and effect module: nothing creates such objects until they are there.
  void (*releaseTexture)(platform::gfx::Texture*) = nullptr;
  void (*releaseDeclaration)(platform::gfx::VertexDeclaration*) = nullptr;
  void (*deleteEffect)(EffectObject*) = nullptr;
  // Object table: the object under a number (for glued objects); null: no glue target is found.
  ObjectRecord* (*findObject)(uint32_t number) = nullptr;
  // Keyframe animation: sets every frame's animated matrix for an animation frame. Null: the static
  // pose (offset x local), which is also what an object without animation sets gets.
  bool (*animateObjectFrame)(ObjectRecord* object, float frame) = nullptr;
  // Vertex animation: rewrites a frame's mesh for the object's current frame. Null: nothing.
  bool (*updateObjectAnimation)(ObjectRecord* object, FrameRecord* frame) = nullptr;
};

RecordLinks& GetRecordLinks();

// Each releases through its link when both the link and the object are there.
void ReleaseRecordTexture(platform::gfx::Texture* texture);
void ReleaseRecordDeclaration(platform::gfx::VertexDeclaration* declaration);
void DeleteRecordEffect(EffectObject* effect);
