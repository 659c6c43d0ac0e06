// The tree-world module: one static world of faces (polygons, patches, meshes) over shared vertex
// arrays, split by a tree of planes down to leaves with a cluster visibility table, drawn with
// lightmaps and multi-stage surfaces, and 25 collision slots that keep cameras and objects out of its
// faces. World tables hold positions in world units with z up; the engine works in engine units with
// y up (WorldToEngineUnits). The module raises no runtime errors.
//
// Nothing in the engine loads a world: a loader (or a test) builds one with the commands below, makes
// it present with FinishWorld, turns drawing on with render switch bit 2 and activates slots.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class Texture; }

namespace TreeWorldModule {
// Device, camera and object links; every collision slot back to its start values.
void Constructor();
// Releases the whole world; a second call frees nothing.
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and the links, takes the device when it holds none yet; camera number 0.
void PassCoreData(CoreData* coreData);
}  // namespace TreeWorldModule

// --- the frame step's slots (CoreTable)
// Frame start: each active slot sweeps its entity's move since the last frame through the world.
void UpdateWorldCollisions();
// Every camera pass: fixed states, the visible faces when a world is present and drawing is on, and
// then fog off, specular on, counter-clockwise culling, less-or-equal depth test, blending and alpha
// test off and the identity world transform.
void RenderWorld();
// Frame end: each active slot keeps its entity's position for the next frame's sweep.
void StoreWorldCollisionPositions();

// --- units
platform::gfx::Vector3 WorldToEngineUnits(const platform::gfx::Vector3& world);
platform::gfx::Vector3 WorldIntToEngineUnits(int32_t x, int32_t y, int32_t z);
platform::gfx::Vector3 EngineToWorldUnits(const platform::gfx::Vector3& engine);

// --- building a world
struct WorldSourceVertex;
struct WorldStageSet;
struct WorldPlane;
struct WorldNode;
struct WorldLeaf;
// Releases the present world and every table.
void ClearWorld();
// A texture entry that holds its own reference on `texture` (null allowed); its number, -1 when the
// array cannot grow.
int32_t AddWorldTexture(const char* name, platform::gfx::Texture* texture);
// A lightmap made from width x height RGB byte triples (row by row); its number, -1 when it cannot be
// made (sizes from 1 to 1024, a device).
int32_t AddWorldLightmap(const uint8_t* rgb, int32_t width, int32_t height);
// A stage set (at most 32 frames per stage); its number, -1 when refused.
int32_t AddWorldStageSet(const WorldStageSet& set);
// Faces from source vertices in world units: a convex polygon in fan order (at least 3 vertices), a
// mesh (index triples into its vertices) or a patch (its own triangle list, with its box). The first
// vertex's normal is the face normal; the front side is where it points. Texture, lightmap and stage
// set are numbers given by the commands above, -1 for none. The face number, -1 when refused (too few
// vertices, an index past the vertices, 65536 faces or patches reached).
int32_t AddWorldPolygon(const WorldSourceVertex* vertices, int32_t count, int32_t texture, int32_t lightmap,
                        int32_t stageSet);
int32_t AddWorldMesh(const WorldSourceVertex* vertices, int32_t count, const uint16_t* indices, int32_t indexCount,
                     int32_t texture, int32_t lightmap, int32_t stageSet);
int32_t AddWorldPatch(const WorldSourceVertex* vertices, int32_t count, const uint16_t* indices, int32_t indexCount,
                      int32_t texture, int32_t lightmap, int32_t stageSet);
// The tree, copied: planes, nodes (a negative child c names leaf -(c + 1)), leaves and the face
// numbers they list. Visibility rows are optional (null: every cluster sees every other); cluster c
// is seen from cluster r when bit (c & 7) of byte (c >> 3) of row r is set. References that point
// outside the tables are skipped wherever they are read.
void SetWorldTree(const WorldPlane* planes, int32_t planeCount, const WorldNode* nodes, int32_t nodeCount,
                  const WorldLeaf* leaves, int32_t leafCount, const int32_t* leafFaces, int32_t leafFaceCount,
                  const uint8_t* visibilityRows, int32_t clusterCount, int32_t bytesPerRow);
// Groups the faces by stage set or texture and makes the world present. False when it has no face.
bool FinishWorld();
// Bit 2 draws the world's faces.
void SetWorldRenderSwitch(uint8_t flags);
// The camera whose position chooses the visible leaves.
void SetWorldCamera(int32_t camera);

// --- collision slots 0..24 (false for a slot outside them)
// The slot follows camera `number` (kind 1) or object `number` (any other kind) with a sphere of
// `radius`, or the slot's ellipsoid radii when the radius is -1. Response 0 moves the entity to where
// its sweep ends, 1 puts it back where it was, any other value leaves it. The collision centre lies
// heightOffset below the entity's position. False for a radius that is neither -1 nor a positive number.
bool SetWorldCollisionSlot(int32_t slot, int32_t kind, int32_t number, float radius, int32_t response,
                           float heightOffset);
// False unless all three are positive numbers.
bool SetWorldCollisionRadii(int32_t slot, float x, float y, float z);
// An activated slot starts again from the entity's position on its next update.
bool ActivateWorldCollisionSlot(int32_t slot, bool active);
// 1 when a sweep of the slot has hit a face since the hit was last cleared, else 0; the read clears it.
int32_t TakeWorldCollisionHit(int32_t slot);
// The last sweep's end point minus the position read for it.
platform::gfx::Vector3 GetWorldCollisionDelta(int32_t slot);

// Sweeps a sphere (all radii equal) or an ellipsoid from `from` to `to` through the world's faces,
// sliding along what it meets, at most `recursionLimit` levels deep. 1 when it touched a face; the end
// point goes to `end` when given. The tolerance is kept for callers and not used.
int32_t TraceWorldMove(const platform::gfx::Vector3& from, const platform::gfx::Vector3& to,
                       const platform::gfx::Vector3& radii, platform::gfx::Vector3* end, int32_t recursionLimit,
                       float tolerance);
