// Frame trees for the object tests.
#pragma once
#include <memory>

#include "engine/objects/frame_tree.h"
#include "engine/objects/records.h"
#include "platform/d3dx/math_matrix.h"

namespace qel_test {

// A new frame named `name` with the given local translation, appended as the last child of parent.
inline FrameRecord* AddChildFrame(FrameRecord* parent, const char* name, Vector3 translation = {0, 0, 0}) {
  auto frame = std::make_unique<FrameRecord>();
  CopyRecordName(frame->name, name);
  frame->localMatrix = platform::d3dx::MatrixTranslation(translation.x, translation.y, translation.z);
  FrameRecord* raw = frame.get();
  std::unique_ptr<FrameRecord>* slot = &parent->child;
  while (*slot) slot = &(*slot)->sibling;
  *slot = std::move(frame);
  return raw;
}

inline std::unique_ptr<ObjectRecord> MakeObjectWithRoot(const char* rootName = "root") {
  auto object = std::make_unique<ObjectRecord>();
  object->root = std::make_unique<FrameRecord>();
  CopyRecordName(object->root->name, rootName);
  return object;
}

}  // namespace qel_test
