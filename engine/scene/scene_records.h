// What the camera, light and particle modules do alike with their record lists: a record stored under
// a number in place of an older one, and every record freed.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/id_list.h"

// Deletes the record of that number (clearing *current when it pointed at it) and stores `record` in
// its place. The record, or null (and the record deleted) when no node could be made.
template <class T>
T* StoreRecord(RecordList& list, int32_t id, std::unique_ptr<T> record, T** current) {
  if (T* old = list.FindAs<T>(id)) {
    list.records.Remove(id);
    if (*current == old) *current = nullptr;
    delete old;
  }
  if (!list.records.Add(id, record.get())) return nullptr;
  return record.release();
}

// Deletes every record and empties the list.
template <class T>
void FreeRecords(RecordList& list) {
  for (IdListNode* node = list.records.Head(); node; node = node->next) delete static_cast<T*>(node->data);
  list.records.Clear();
}
