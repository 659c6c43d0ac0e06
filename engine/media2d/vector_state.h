// The vector store's two lists. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"

// The entry's type, in the type list.
struct VectorTypeRecord {
  uint32_t type = 0;  // a VectorType
};

// The entry's values, in the data list: a 3-vector uses the first 3, a 4-vector 4, a matrix all 16
// (row by row). Every record holds 16, so a read of the wrong width stays inside it.
struct VectorValues {
  float v[16] = {};
};

// The store owns the records in both lists and frees them when it ends; anything that adds an entry
// adds it to both lists under the same number.
struct VectorStore {
  VectorStore() = default;
  ~VectorStore();
  VectorStore(const VectorStore&) = delete;
  VectorStore& operator=(const VectorStore&) = delete;

  IdList types;   // number -> VectorTypeRecord
  IdList values;  // number -> VectorValues
  uint8_t errorFlag = 0;  // 1 once PassCoreData ran: a missing number raises 7801
  CoreData* core = nullptr;
};

VectorStore& Vectors();
