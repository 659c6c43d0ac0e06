#include "engine/core/id_list.h"

#include <new>

void* IdList::Add(int32_t id, void* data, bool allowDuplicates) {
  if (!allowDuplicates) {
    // The whole list is searched: numbers arrive in any order, and a second node with the same
    // number would shadow the data the caller just handed over.
    IdListNode* node = head;
    for (int32_t i = 0; node && i < count; ++i, node = node->next) {
      if (node->id == id) {
        node->data = data;
        return data;
      }
    }
  }
  auto* node = new (std::nothrow) IdListNode{id, data, nullptr, tail};
  if (!node) return nullptr;
  if (tail) tail->next = node;
  tail = node;
  if (!head) head = node;
  ++count;
  return node;
}

void IdList::Remove(int32_t id) {
  IdListNode* node = head;
  for (int32_t i = 0; node && i < count; ++i, node = node->next) {
    if (node->id != id) continue;
    if (node->previous) node->previous->next = node->next;
    else head = node->next;
    if (node->next) node->next->previous = node->previous;
    else tail = node->previous;
    delete node;
    --count;
    return;
  }
}

void* IdList::Find(int32_t id) const {
  IdListNode* node = head;
  for (int32_t i = 0; node && i < count; ++i, node = node->next) {
    if (node->id == id) return node->data;
  }
  return nullptr;
}

void IdList::FreeNodes() {
  IdListNode* node = head;
  for (int32_t i = 0; node && i < count; ++i) {
    IdListNode* next = node->next;
    delete node;
    node = next;
  }
}

void IdList::Clear() {
  FreeNodes();
  tail = head = nullptr;
  count = 0;
}
