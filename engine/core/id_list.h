// Keyed lists of engine items by caller-chosen number. The lists hold pointers; the module that adds
// an item owns it and frees it.
#pragma once
#include <cstdint>

struct IdListNode {
  int32_t id;
  void* data;
  IdListNode* next;
  IdListNode* previous;
};

class IdList {
 public:
  IdList() = default;
  ~IdList() { FreeNodes(); }
  IdList(const IdList&) = delete;
  IdList& operator=(const IdList&) = delete;

  // Without duplicates, an existing node with `id` (wherever it sits) takes `data` and `data` is
  // returned; otherwise a node is appended at the tail and returned. Null when no node could be made.
  void* Add(int32_t id, void* data, bool allowDuplicates = false);
  // Unlinks and frees the first node with `id`; nothing when there is none.
  void Remove(int32_t id);
  // The data of the first node from the head with `id`, null when there is none.
  void* Find(int32_t id) const;
  template <typename T>
  T* FindAs(int32_t id) const { return static_cast<T*>(Find(id)); }
  int32_t Count() const { return count; }
  // Frees every node and empties the list.
  void Clear();
  // Frees every node; the fields keep their values (destructor body).
  void FreeNodes();

  IdListNode* Head() const { return head; }
  IdListNode* Tail() const { return tail; }

 private:
  IdListNode* tail = nullptr;
  IdListNode* head = nullptr;
  int32_t count = 0;
};

// A module's container of numbered records: the module's own copies hang in `records`; `first` is
// made and freed with it. Modules derive to add their own fields (a draw queue, say).
struct RecordList {
  IdList first;
  IdList records;

  void* Find(int32_t id) const { return records.Find(id); }
  template <typename T>
  T* FindAs(int32_t id) const { return records.FindAs<T>(id); }
};
