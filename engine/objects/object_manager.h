// The object module's one manager and renderer: the vertex and index buffers the meshes are drawn
// from, the draw list and visible list, the cache of device state, the transparent list and the
// shadow and mirror settings. The object commands mark work (refresh, invalid draw list); the
// per-frame preparation and the render passes carry it out.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/objects/records.h"

// One shared vertex buffer, in a singly linked chain.
struct VertexBufferPool {
  uint32_t fvf = 0;  // 0: the meshes use `declaration`
  platform::gfx::VertexDeclaration* declaration = nullptr;  // one reference held by the pool
  uint32_t vertexSize = 0;  // stride of every mesh placed here
  uint32_t wordsUsed = 0;   // sum over its meshes of vertex size / 4 x vertex count
  uint32_t capacity = 0;    // vertices
  uint32_t verticesUsed = 0;
  platform::gfx::VertexBuffer* buffer = nullptr;
  VertexBufferPool* next = nullptr;
  VertexBufferPool* prev = nullptr;
  uint8_t locked = 0;
  uint8_t* lockedData = nullptr;
  std::vector<uint32_t> starts;  // first vertex of every place given out, rising
  // A pool made for one mesh whose place identical meshes share (FindSharedPool): the bytes it was
  // made from (empty: not shared) and their hash, the place every sharer copies, and how many places
  // beyond the first use it.
  std::vector<uint8_t> sharedBytes;
  uint64_t sharedHash = 0;
  DrawBufferInfo sharedPlace{};
  uint32_t sharers = 0;
};

// One shared 16-bit index buffer, in a singly linked chain.
struct IndexBufferPool {
  uint32_t capacity = 0;  // indices
  uint32_t indicesUsed = 0;
  platform::gfx::IndexBuffer* buffer = nullptr;
  IndexBufferPool* next = nullptr;
  IndexBufferPool* prev = nullptr;
  std::vector<uint32_t> starts;  // first index of every place given out, rising
};

// One object of the opaque pass as the draw loop reads it. The items are gathered once per pass in one
// tight walk over the records, where the cache misses of many objects overlap; an object of one frame
// and one mesh (no instance, glue or shadow) is then drawn from its item without going back to its
// object and frame records: a plain mesh (a single stage, no effect, subsets or points) from the item
// alone, a mesh of an effect through the mesh's own draw.
struct DrawItem {
  Matrix world{};                     // item: the frame's world matrix
  ObjectRecord* object = nullptr;
  MeshRecord* mesh = nullptr;         // item: its mesh; null: the object is drawn by DrawObject
  DrawBufferInfo place{};             // item: the mesh's buffer range
  uint32_t fvf = 0;                   // item: the mesh's vertex format
  uint8_t repeatsPreviousState = 0;   // item: sets exactly the states of the item before it
  uint8_t effect = 0;                 // item: its mesh draws through its effect
};

// Texture numbers of the texture cache.
constexpr int32_t kNoTextureSet = -22000000;
constexpr int32_t kTexturesAfterSubsets = -9999999;  // the next mesh sets its textures again

class ObjectManager {
 public:
  ObjectManager();
  ~ObjectManager();
  ObjectManager(const ObjectManager&) = delete;
  ObjectManager& operator=(const ObjectManager&) = delete;

  // Resizes the per-object lists (sort keys, listed flags, draw list, visible list) to n entries, all
  // cleared. False when they cannot be allocated.
  bool SetCapacity(uint32_t n);

  // --- buffer pools
  // A pool with room for the mesh (or a new one); null when none can be had.
  VertexBufferPool* FindVertexBufferPool(uint32_t fvf, platform::gfx::VertexDeclaration* declaration,
                                         uint32_t vertexSize, uint32_t vertexCount, uint32_t indexCount,
                                         bool separate, uint32_t primitiveType);
  IndexBufferPool* FindIndexBufferPool(uint32_t indexCount, bool separate);
  // Places the mesh and copies its vertices and indices in; true when it has a place.
  bool AddMeshToBuffers(MeshRecord* mesh, bool separate);
  // Every mesh of every frame (mesh, shadow, bound box, bound sphere); false when any failed.
  bool AddObjectToBuffers(ObjectRecord* object);
  // Releases the buffers the mesh is in; every other mesh placed in them is taken out too and marked
  // to be placed again. The mesh has no place afterwards, so it is not drawn until added again.
  bool RemoveMeshFromBuffers(MeshRecord* mesh);
  void RemoveObjectFromBuffers(ObjectRecord* object);
  void ReleaseMeshesOfBuffer(const VertexBufferPool* vertexPool, const IndexBufferPool* indexPool);
  // Places again the marked meshes of objects not waiting for their own refresh.
  void ReaddMarkedMeshes();
  // The once-per-frame refresh (only when the refresh byte is set).
  void RefreshObjectBuffers();
  // An object with a mesh whose layout changed is placed again on the next refresh.
  void CheckObjectMeshLayout(ObjectRecord* object);
  // Copies the mesh's live vertices (and indices) into its place; the pool stays locked until
  // UnlockVertexPools.
  bool CopyMeshToVertexBuffer(MeshRecord* mesh);
  void UpdateChangedVertexBuffers();
  void UnlockVertexPools();
  void RequestRefresh() { refreshNeeded = 1; }

  // --- draw list and per-frame preparation
  bool PrepareObjectsForFrame();
  bool BuildDrawList();
  bool CullDrawList();
  void InvalidateDrawList() { drawListInvalid = 1; }
  void UpdateAllFrameMatrices();

  // --- device state and drawing
  void ResetStateCache();
  bool SetDefaultRenderStates();
  void SetCullModeCached();
  bool SetVertexFormatCached(const MeshRecord* mesh);
  bool SetVertexFormatCached(platform::gfx::VertexShader* shader, uint32_t fvf,
                             platform::gfx::VertexDeclaration* declaration);
  bool SetStreamsCached(const MeshRecord* mesh);
  bool SetStreamsCached(const DrawBufferInfo& place);
  bool SetMeshMaterial(const MeshRecord* mesh, const MeshMaterial& material);
  bool SetMeshRenderStates(const MeshRecord* mesh);
  bool SetMeshTextureStages(const MeshRecord* mesh);
  bool DrawMesh(MeshRecord* mesh);
  // DrawMesh from a place and a state comparison already made.
  bool DrawMeshAt(MeshRecord* mesh, const DrawBufferInfo& place, bool repeated);
  // The mesh sets exactly the states the last mesh drawn set, which are still in force: its state
  // setters are skipped. NoteStateMesh remembers the mesh just drawn for the next one;
  // NoteEffectStateMesh a mesh its effect drew, whose render states (not stages) a mesh drawn by an
  // effect after it may repeat.
  bool RepeatsLastState(const MeshRecord* mesh) const;
  // RepeatsLastState for `last` as the last mesh drawn.
  static bool RepeatsStateOf(const MeshRecord& mesh, const MeshRecord& last);
  void NoteStateMesh(const MeshRecord* mesh);
  void NoteEffectStateMesh(const MeshRecord* mesh);
  bool DrawObject(ObjectRecord* object);
  void RestoreDefaultStages();

  // --- render passes
  bool UpdateObjects();      // main phase of one camera pass
  bool RenderLateObjects();  // transparent objects far to near, then screen-locked ones
  bool RenderObjectPass(int pass);
  // The object stops casting shadows and reflecting; the stencil mode and pass count follow.
  void ClearObjectStencilEffects(ObjectRecord* object);

  // --- stencil shadows and mirrors
  bool FillScreenQuad(uint32_t color);
  void BeginStencilEffects();
  void EndStencilEffects();
  void BeginShadowVolumes();
  bool DrawFrameShadowVolumes(const std::vector<FrameRecord*>* frames, MeshRecord* mesh);
  bool DrawShadowVolumes(const std::vector<FrameRecord*>* frames, MeshRecord* mesh);
  void EndShadowVolumes();

  // Stream cache.
  platform::gfx::VertexBuffer* currentVertexBuffer = nullptr;
  platform::gfx::VertexBuffer* lastVertexBuffer = nullptr;
  platform::gfx::IndexBuffer* currentIndexBuffer = nullptr;
  platform::gfx::IndexBuffer* lastIndexBuffer = nullptr;
  // Vertex-format cache.
  platform::gfx::VertexShader* currentVertexShader = nullptr;
  uint32_t currentFvf = 0;
  platform::gfx::VertexShader* lastVertexShader = nullptr;
  uint32_t lastFvf = 0;
  // Texture cache.
  int32_t currentTexture = kNoTextureSet;
  int32_t lastTexture = kNoTextureSet;
  uint32_t lastStageCount = 0;

  uint8_t drawListInvalid = 1;
  uint8_t forceVertexFormat = 1;
  uint8_t forceStreams = 1;

  uint32_t listedCount = 0;
  uint32_t countAtLastBuild = 0xFFFFFFFFu;  // no build yet
  uint32_t capacity = 0;
  uint32_t visibleCount = 0;
  std::vector<int32_t> sortKeys;
  std::vector<uint8_t> listedFlags;
  std::vector<ObjectRecord*> drawList;
  std::vector<ObjectRecord*> visibleList;

  VertexBufferPool* vertexPools = nullptr;
  IndexBufferPool* indexPools = nullptr;
  VertexBufferPool* vertexPoolsTail = nullptr;
  IndexBufferPool* indexPoolsTail = nullptr;

  // Sampler cache of stages 0 to 7.
  uint32_t addressU[8] = {}, addressV[8] = {}, magFilter[8] = {}, minFilter[8] = {}, mipFilter[8] = {};

  // Render-state cache.
  uint8_t wireframe = 0, lighting = 1, culling = 1, fog = 0;
  uint32_t ambientMode = 1;  // 0 ambient 0, 1 scene ambient, 2 white
  uint8_t alphaTest = 0;
  uint32_t alphaRef = 0;
  uint8_t translucent = 0;
  uint32_t translucentMode = 0;
  uint8_t depthBias = 0;
  uint8_t fogColorBlack = 0;
  uint32_t savedFogColor = 0, savedAmbient = 0;  // read from the device at the start of each pass
  uint32_t currentCull = platform::gfx::CULL_CCW;
  uint32_t frameCull = platform::gfx::CULL_CCW;  // clockwise inside a mirror

  // The last mesh drawn whose states a following mesh may repeat without sending them again; null
  // after anything else changed device state (pass start, cache reset, subsets, effects, ...).
  const MeshRecord* lastStateMesh = nullptr;
  uint8_t repeatStates = 0;  // set while the opaque and late passes draw their objects

  platform::gfx::Material defaultMaterial{};
  uint8_t textureFactorAlpha = 0;  // an object drawn with a texture-factor alpha is being drawn

  // Shadows and mirrors.
  uint32_t shadowColor = 0;
  uint32_t shades = 1;
  uint32_t shadowAlpha = 64;
  uint32_t mirrorTint = 0x40000000;
  platform::gfx::VertexBuffer* screenQuad = nullptr;
  // The reflection of the first mirror in the visible list.
  platform::d3dx::Plane mirrorPlane{0, 0, 0, 0};
  Vector3 mirrorPoint{0, 0, 0};
  uint8_t mirrorClip = 0;
  Matrix savedView{};
  int32_t shadowLight = 0;  // the light whose position casts the shadows
  uint8_t shadowsOn = 1;
  uint8_t refreshNeeded = 0;
  // Some mesh has its vertices-changed byte set (MarkMeshVerticesChanged): without it the per-frame
  // copy of changed vertices walks no object.
  uint8_t verticesPending = 1;

  uint32_t transparentCapacity = 256;
  std::vector<ObjectRecord*> transparentList;  // lives on between frames and only grows
  // The opaque pass's items; drawItemCount of them are this pass's. The array only grows.
  std::vector<DrawItem> drawItems;
  uint32_t drawItemCount = 0;
  // 0: every object draws through DrawObject and the late pass walks the whole visible list (tests
  // compare both ways).
  uint8_t plainItems = 1;
  // The visible objects the late pass draws (transparent or screen-locked), in visible-list order,
  // noted by the opaque pass's gathering so that the late pass need not walk every visible object;
  // lateListReady from the gathering until the next frame's preparation. Only grows.
  std::vector<ObjectRecord*> lateList;
  uint8_t lateListReady = 0;

 private:
  // The draw list's sort entries (first texture, object), kept so that a rebuild reuses their space.
  std::vector<std::pair<int32_t, ObjectRecord*>> sortEntries_;
  // Nodes of both chains still linked: a place may name a node already released, which is then
  // only compared by address and never touched.
  std::unordered_set<const void*> livePools_;
  // Pools identical meshes share, by the hash of their bytes.
  std::unordered_multimap<uint64_t, VertexBufferPool*> sharedPools_;
  VertexBufferPool* FindSharedPool(uint64_t hash, const std::vector<uint8_t>& bytes) const;
  void ForgetSharedPool(VertexBufferPool* pool);
  template <class Pool>
  void AppendPool(Pool** head, Pool** tail, Pool* node);
  template <class Pool>
  bool UnlinkPool(Pool** head, Pool** tail, const Pool* node);
  bool MarkMirrors();      // pass 1
  bool DrawShadowPass();   // pass 2
  void DrawScreenQuad();
  void ReleasePools();
  bool DrawMeshPrimitives(MeshRecord* mesh, const DrawBufferInfo& place);
  bool DrawPlacePrimitives(const DrawBufferInfo& place);
  void GatherDrawItems(uint32_t stencilMode);
  void PrefetchDrawItems(uint32_t i) const;
  MeshRecord* ItemMesh(ObjectRecord* object, uint32_t stencilMode) const;
  bool ItemRepeatsState(const DrawItem& item, const MeshRecord* previousMesh) const;
  bool DrawPlainItem(const DrawItem& item, const MeshRecord* previousMesh);
  bool DrawEffectItem(const DrawItem& item, const MeshRecord* previousMesh);
  bool SetMeshStagesAndTextures(const MeshRecord* mesh);
  bool DrawMeshWithEffect(MeshRecord* mesh, const DrawBufferInfo& place);
};

// The module's manager. ResetObjectManager releases everything it holds (buffers, lists, screen
// quad) and leaves a freshly constructed one; the module calls it when it hands over its core data
// and when it releases its objects.
ObjectManager& GetObjectManager();
void ResetObjectManager();

// Every writer of a mesh's live vertices calls this: the frame's preparation copies them into the
// mesh's place.
void MarkMeshVerticesChanged(MeshRecord* mesh);

// The object module's per-camera-pass entries of the core's table.
void RunBeginStencilEffects();
void RunObjectMainPhase();
void RunEndStencilEffects();
void RunObjectLatePhase();
