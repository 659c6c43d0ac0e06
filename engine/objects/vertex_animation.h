// Vertex animation: a mesh's live vertices rewritten from its untouched backup copy when the object's
// animation frame changes, by bone skinning, a baked table of per-vertex matrices, or morphing
// between per-frame copies of the mesh.
#pragma once

#include "engine/objects/records.h"

// Chooses and runs the frame mesh's vertex animation for the object's current frame; true.
bool UpdateObjectAnimation(ObjectRecord* object, FrameRecord* frame);
// The per-frame mesh update: while the object plays (or a refresh was asked for) every frame's mesh
// is animated (only the first frame with a baked table, which covers all meshes at once); then the
// previous frame and blend factor catch up and the refresh request is spent.
void UpdateObjectFrames(ObjectRecord* object);

// Copies the live vertices into the backup when the mesh has none (or one of the wrong size).
void BackupMeshVertices(MeshRecord* mesh);
// Baked per-vertex matrices of the first track, row = the whole frame, over all the object's meshes.
void SkinMeshVertices(ObjectRecord* object, FrameRecord* frame);
// Positions mixed between the attached frames around the current frame.
void MorphMeshFrames(ObjectRecord* object, FrameRecord* frame);
// Positions and normals blended from the bones' combined matrices and the influences' weights.
void BlendMeshBones(ObjectRecord* object, FrameRecord* frame);
