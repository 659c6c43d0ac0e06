// Walking an object's frame tree: frame and mesh lists, names, bone links, animation key preparation
// and the frame matrices. Walk order: a frame, then its child subtree, then its sibling subtree.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/objects/records.h"

// Visits the tree from `frame` (its siblings included) in walk order, without recursion.
void ForEachFrame(FrameRecord* frame, const std::function<void(FrameRecord*)>& visit);

// Add the number of frames, or of frames carrying a mesh, to *counter.
void CountFrames(FrameRecord* frame, int32_t* counter);
void CountMeshFrames(FrameRecord* frame, int32_t* counter);

// Rebuilds the frame list (setting each frame's index and parent) and the mesh list from the tree; a
// second build replaces the first. Sets noMeshes when the tree carries no mesh.
bool BuildObjectMeshList(ObjectRecord* object);
// Lists, then every frame's offset matrix from its vectors, then the combined matrices from the
// identity. False without a root frame.
bool RefreshObjectFrames(ObjectRecord* object);
// The first frame in walk order with exactly this name; null for a null frame or name.
FrameRecord* FindFrameByName(const char* name, FrameRecord* frame);

// Gives every mesh one empty bone-frame and bone-matrix entry per bone.
bool AllocateBoneLinks(const std::vector<MeshRecord*>& meshes);
// For every frame, the first bone of each mesh with the frame's name is linked to it (its frame and
// its combined matrix). A bone whose name matches no frame keeps null links; walkers skip it.
bool LinkBonesToFrames(const std::vector<MeshRecord*>& meshes, FrameRecord* frame);

// Longest animation this engine accepts, in frames; longer ones come from corrupt files.
constexpr uint32_t kMaxAnimationLength = 1u << 20;
// The object's animation range from its attached frames and animation sets, keys prepared and tracks
// linked to their frames. False without a set or track.
bool PrepareAnimation(ObjectRecord* object);
// Sorts the keys by frame (equal frames keep their order) and gives position and scale keys their
// slope towards the next key.
void PrepareAnimationKeys(AnimationRecord* track);

// offset := Scaling(scale) x Rx x Ry x Rz (degrees) x Translation(offsetTranslation).
void BuildFrameLocalMatrix(FrameRecord* frame);
// For the frame, its descendants and siblings: animated := offset x local; world matrix invalid.
void CombineFrameMatrices(FrameRecord* frame);
// combined := animated x parent for the frame, its descendants (with their parent's combined
// matrix) and its siblings (with the same parent matrix). False for a missing frame.
bool UpdateFrameMatrices(FrameRecord* frame, const Matrix& parent);
