// The pieces of the tree world's drawing shared by its files. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/world/tree_world_state.h"

namespace platform::gfx { class Device; }

// Stage 0 shows the texture, stage 1 multiplies in the lightmap; both samplers wrap and filter
// linearly.
void SetWorldStageDefaults(platform::gfx::Device* device);
// One face: polygons as fans, patches and meshes as indexed lists, all from client memory; counted in
// the CoreData polygon counter.
void DrawWorldFace(platform::gfx::Device* device, const WorldFace& face);
// The visible faces of one group: by texture with their lightmaps, or stage by stage of a stage set.
void RenderWorldFaces(platform::gfx::Device* device, const WorldFaceGroup& group);

// Seconds of the module's clock, and of the clock wrapped every 100 seconds (for scrolling).
double GetWorldTimeSeconds();
double GetWorldScrollSeconds();
// The frame a stage shows at `seconds`: 0 unless it animates.
int32_t StageFrame(const WorldStage& stage, double seconds);
// A scroll step brought down to at most 1.0 by whole steps, as a per-polygon scroll is.
float ReduceScroll(float step);
// The stage's coordinate source and modifiers applied to the face's drawing coordinates; the change
// is marked so RestoreFaceTexCoords can undo it after the draw (a polygon or mesh from its source
// vertices, which run beside the drawing vertices number for number; a patch from a saved copy).
void ApplyStageTexCoordMods(WorldFace& face, const WorldStage& stage);
void RestoreFaceTexCoords(WorldFace& face);
