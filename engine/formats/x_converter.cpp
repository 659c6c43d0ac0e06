// The X converter's entries and its walk over the file's data objects. The file is read once; the
// walk runs twice over it: pass 0 builds frames and meshes, pass 1 the animation, so tracks can name
// frames wherever they stand in the file.
#include <cstring>
#include <new>

#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/x_converter.h"
#include "engine/formats/x_converter_state.h"
#include "engine/objects/frame_tree.h"
#include "platform/xfile/blob_reader.h"

namespace xf = platform::xfile;
namespace ids = platform::xfile::ids;

namespace {

// Far above any model this engine draws, far below what would exhaust the machine.
constexpr uint64_t kRecordBudgetBytes = uint64_t{256} << 20;

enum class Pass { kGeometry, kAnimation };

struct Walk {
  Pass pass;
  AnimationSet* set = nullptr;
  AnimationRecord* track = nullptr;
};

// A new frame named `name`, linked as the first child of `parent`: siblings end up in reverse file
// order, as stored models have them.
FrameRecord* ReadXFrame(FrameRecord* parent, const std::string& name) {
  if (!ChargeXBudget(sizeof(FrameRecord))) return nullptr;
  auto frame = std::make_unique<FrameRecord>();
  CopyRecordName(frame->name, name.c_str());
  frame->parent = parent;
  frame->sibling = std::move(parent->child);
  parent->child = std::move(frame);
  return parent->child.get();
}

bool ReadXFrameTransformMatrix(const xf::DataObject& object, FrameRecord* frame) {
  xf::BlobReader blob(object);
  return blob.ReadFloats(&frame->localMatrix.m[0][0], 16);
}

bool ReadXDataObject(const xf::DataObject& object, FrameRecord* frame, Walk walk);

// Children written inside the object, and the objects its references name (a reference that names
// nothing, or would lead back into itself, is passed over).
bool WalkXChildren(const xf::DataObject& object, FrameRecord* frame, Walk walk) {
  for (const xf::Child& child : object.Children()) {
    const xf::DataObject* next = child.IsReference() ? child.Resolve() : child.Object();
    if (next && !ReadXDataObject(*next, frame, walk)) return false;
  }
  return true;
}

bool ReadGeometry(const xf::DataObject& object, FrameRecord* frame, Walk walk) {
  const xf::Guid& type = object.Type();
  if (type == ids::Frame) {
    FrameRecord* child = ReadXFrame(frame, object.Name());
    return child && WalkXChildren(object, child, walk);
  }
  if (type == ids::FrameTransformMatrix) {
    if (!ReadXFrameTransformMatrix(object, frame)) return false;
  } else if (type == ids::Mesh) {
    // A frame carries one mesh; a further mesh gets a frame of its own below it.
    FrameRecord* target = frame->mesh ? ReadXFrame(frame, object.Name()) : frame;
    if (!target || !ReadXMesh(object, target)) return false;
  } else if (type == ids::AnimationSet || type == ids::Animation || type == ids::AnimationKey) {
    return true;
  }
  return WalkXChildren(object, frame, walk);
}

bool ReadAnimation(const xf::DataObject& object, FrameRecord* frame, Walk walk) {
  const xf::Guid& type = object.Type();
  if (type == ids::AnimationSet) {
    if (!ChargeXBudget(sizeof(AnimationSet))) return false;
    ReadXAnimationSet(XState().object.get(), object.Name(), &walk.set);
  } else if (type == ids::Animation && walk.set) {
    if (!ChargeXBudget(sizeof(AnimationRecord))) return false;
    ReadXAnimation(walk.set, object.Name(), &walk.track);
  } else if (type == ids::AnimationKey && walk.track) {
    if (!ReadXAnimationKey(object, walk.track, walk.set)) return false;
  } else if (type == ids::Frame && walk.track) {
    // The frame an Animation refers to names its track.
    CopyRecordName(walk.track->name, object.Name().c_str());
    return true;
  }
  return WalkXChildren(object, frame, walk);
}

bool ReadXDataObject(const xf::DataObject& object, FrameRecord* frame, Walk walk) {
  return walk.pass == Pass::kGeometry ? ReadGeometry(object, frame, walk) : ReadAnimation(object, frame, walk);
}

bool EnumerateXFile(const xf::Reader& reader, FrameRecord* root, Pass pass) {
  for (const xf::DataObject* object : reader.DataObjects())
    if (!ReadXDataObject(*object, root, Walk{pass})) return false;
  return true;
}

// Builds the tree in the state from an open file; true when it holds at least one mesh.
bool LoadXFile(const xf::Reader& reader) {
  XConverterState& state = XState();
  state.object = std::make_unique<ObjectRecord>();
  state.object->root = std::make_unique<FrameRecord>();
  state.budget = kRecordBudgetBytes;
  if (!EnumerateXFile(reader, state.object->root.get(), Pass::kGeometry) ||
      !EnumerateXFile(reader, state.object->root.get(), Pass::kAnimation))
    return false;
  RefreshObjectFrames(state.object.get());
  if (!BuildMaterialSubsets(state.object.get())) return false;
  return !state.object->frameList.empty() && !state.object->meshList.empty();
}

// The tree of the open file as an image in the state.
bool ConvertOpenXFile(const xf::Reader& reader, const uint8_t** image, uint32_t* size) {
  XConverterState& state = XState();
  bool ok = false;
  try {
    ok = LoadXFile(reader) && SaveModelToMemory(state.object.get(), &state.image);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) {
    ClearXState();
    return false;
  }
  *image = state.image.data();
  *size = uint32_t(state.image.size());
  return true;
}

}  // namespace

XConverterState& XState() {
  static XConverterState state;
  return state;
}

// Arrays are emptied but keep their storage: the next mesh and the next model reuse it rather than
// fetch fresh pages from the system for every large array.
void ResetXMeshScratch() {
  XConverterState& s = XState();
  s.vertices.clear();
  s.triangles.clear();
  s.triangleFaces.clear();
  s.normals.clear();
  s.normalTriangles.clear();
  s.colors.clear();
  s.faceMaterials.clear();
  s.hasFaceMaterials = false;
  s.maxWeightsPerVertex = s.maxWeightsPerFace = 0;
  s.boneCount = 0;
  s.materials.clear();
  s.skinWeights.clear();
}

void ClearXState() {
  XConverterState& s = XState();
  s.object.reset();
  s.image.clear();
  s.file.clear();
  ResetXMeshScratch();
}

bool ChargeXBudget(uint64_t bytes) {
  XConverterState& s = XState();
  if (bytes > s.budget) return false;
  s.budget -= bytes;
  return true;
}

bool ConvertXModel(const char* fileName, const uint8_t** image, uint32_t* size) {
  if (!image || !size) return false;
  *image = nullptr;
  *size = 0;
  ClearXState();
  std::vector<uint8_t>& file = XState().file;
  xf::Reader reader;
  if (!fileName || !ReadWholeFile(fileName, &file) || !reader.OpenMemory(file.data(), file.size())) return false;
  file.clear();
  return ConvertOpenXFile(reader, image, size);
}

bool ConvertXModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize) {
  if (!image || !imageSize) return false;
  *image = nullptr;
  *imageSize = 0;
  ClearXState();
  xf::Reader reader;
  if (!reader.OpenMemory(data, size)) return false;
  return ConvertOpenXFile(reader, image, imageSize);
}

void FreeXModel(const uint8_t*) { ClearXState(); }
