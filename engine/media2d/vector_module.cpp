// The vector store's lookups.
#include <algorithm>
#include <cstdint>

#include "engine/core/errors.h"
#include "engine/media2d/vector.h"
#include "engine/media2d/vector_state.h"

namespace gfx = platform::gfx;

VectorStore::~VectorStore() {
  for (IdListNode* node = types.Head(); node; node = node->next) delete static_cast<VectorTypeRecord*>(node->data);
  for (IdListNode* node = values.Head(); node; node = node->next) delete static_cast<VectorValues*>(node->data);
}

VectorStore& Vectors() {
  static VectorStore store;
  return store;
}

namespace VectorModule {

void Constructor() {}

void Destructor() {}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  VectorStore& s = Vectors();
  s.core = coreData;
  s.errorFlag = 1;
}

void RefreshD3D(int mode) {
  if (mode != 1) return;
  Constructor();
  PassCoreData(Vectors().core);
}

}  // namespace VectorModule

namespace {

// Copies `count` values of the entry into `out`, or zeros when the type does not match or the number
// is missing (raising as the commands say).
void ReadValues(float* out, int count, uint32_t number, uint32_t type, const char* missingText) {
  std::fill(out, out + count, 0.0f);
  if (!CheckVectorType(number, type)) {
    RaiseErrorCode(kErrorVector);
    return;
  }
  const auto* entry = Vectors().values.FindAs<VectorValues>(int32_t(number));
  if (!entry) {
    if (Vectors().errorFlag) RaiseErrorCode(kErrorVector);
    RaiseErrorText(missingText);
    return;
  }
  std::copy(entry->v, entry->v + count, out);
}

}  // namespace

bool CheckVectorType(uint32_t number, uint32_t wanted) {
  const auto* record = Vectors().types.FindAs<VectorTypeRecord>(int32_t(number));
  return !record || record->type == wanted;
}

void SetVector3(uint32_t number, float x, float y, float z) {
  if (!CheckVectorType(number, kVectorType3)) {
    RaiseErrorCode(kErrorVector);
    return;
  }
  auto* entry = Vectors().values.FindAs<VectorValues>(int32_t(number));
  if (!entry) {
    if (Vectors().errorFlag) RaiseErrorCode(kErrorVector);
    RaiseErrorText("SetVector3 - matrix does not exist");
    return;
  }
  entry->v[0] = x;
  entry->v[1] = y;
  entry->v[2] = z;
}

void GetVector3(gfx::Vector3* out, uint32_t number) {
  float v[3];
  ReadValues(v, 3, number, kVectorType3, "GetVector3 - vector does not exist");
  if (out) *out = gfx::Vector3{v[0], v[1], v[2]};
}

void GetVector4(gfx::Vector4* out, uint32_t number) {
  float v[4];
  ReadValues(v, 4, number, kVectorType4, "GetVector4 - vector does not exist");
  if (out) *out = gfx::Vector4{v[0], v[1], v[2], v[3]};
}

void GetMatrix(gfx::Matrix* out, uint32_t number) {
  float v[16];
  ReadValues(v, 16, number, kVectorTypeMatrix, "GetMatrix - vector does not exist");
  if (!out) return;
  for (int i = 0; i < 16; ++i) out->m[i / 4][i % 4] = v[i];
}

int32_t VectorExists(uint32_t number) { return Vectors().values.Find(int32_t(number)) ? 1 : 0; }
