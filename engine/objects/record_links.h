// What the records and the frame-tree code need from modules that are not part of them. Each module
// installs its links when it starts; a null link does nothing (or takes the static default said).
#pragma once

#include "engine/objects/records.h"

struct RecordLinks {
  // Display and device layer, set together by InstallDeviceRecordLinks: the device meshes get their
  // device objects on (null, or no device yet: none are made, and the code that places a mesh makes
  // them later with CreateMeshDeviceDeclaration), and the release of the references records hold.
  platform::gfx::Device* (*device)() = nullptr;
  void (*releaseTexture)(platform::gfx::Texture*) = nullptr;
  void (*releaseDeclaration)(platform::gfx::VertexDeclaration*) = nullptr;
  // Effect module: nothing creates effects until it is there.
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

// The device through the link; null without one.
platform::gfx::Device* GetRecordDevice();

// Each releases through its link when both the link and the object are there.
void ReleaseRecordTexture(platform::gfx::Texture* texture);
void ReleaseRecordDeclaration(platform::gfx::VertexDeclaration* declaration);
void DeleteRecordEffect(EffectObject* effect);
