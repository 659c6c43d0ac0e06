#include "engine/system/result_list.h"

#include <cstdio>
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/core/errors.h"
#include "engine/system/system_module.h"

namespace {

constexpr int32_t kFirstCapacity = 256;
constexpr uint32_t kFreshTextSize = 2;

ResultList& List() { return GetCoreDataPointer()->resultList; }

AllocFreeCallback Alloc() {
  AllocFreeCallback callback = GetCoreDataPointer()->allocFree;
  return callback ? callback : CoreAllocFree;
}

template <typename T>
T* Allocate(size_t bytes) {
  T* block = nullptr;
  Alloc()(&block, static_cast<uint32_t>(bytes));
  if (block) std::memset(static_cast<void*>(block), 0, bytes);
  return block;
}

template <typename T>
void Release(T*& block) {
  if (block) Alloc()(&block, 0);
  block = nullptr;
}

// Every text buffer holds textSize + 1 bytes, so a text of textSize characters always fits.
bool GiveFreshText(ResultListEntry& entry) {
  entry.text = Allocate<char>(kFreshTextSize + 1);
  entry.textSize = entry.text ? kFreshTextSize : 0;
  return entry.text != nullptr;
}

bool GrowEntries(ResultList& list, int32_t capacity) {
  auto* entries = Allocate<ResultListEntry>(sizeof(ResultListEntry) * size_t(capacity));
  if (!entries) return false;
  for (int32_t i = 0; i < capacity; ++i) {
    if (i < list.capacity) {  // texts move over, values do not
      entries[i].textSize = list.entries[i].textSize;
      entries[i].text = list.entries[i].text;
    } else if (!GiveFreshText(entries[i])) {
      for (int32_t j = list.capacity; j < i; ++j) Release(entries[j].text);
      Release(entries);
      return false;
    }
  }
  Release(list.entries);
  list.entries = entries;
  list.capacity = capacity;
  return true;
}

}  // namespace

bool PrepareResultListEntry(int32_t index, uint32_t textSize) {
  ResultList& list = List();
  if (index < 0) return false;
  if (!list.entries) {
    list.capacity = 0;
    if (!GrowEntries(list, kFirstCapacity)) return false;
  }
  while (index > list.capacity - 2) {
    if (!GrowEntries(list, list.capacity * 2)) return false;
  }
  ResultListEntry& entry = list.entries[index];
  if (entry.textSize < textSize) {
    char* text = Allocate<char>(size_t(textSize) + 1);
    if (!text) return false;
    if (entry.text) std::memcpy(text, entry.text, std::strlen(entry.text) + 1);
    Release(entry.text);
    entry.text = text;
    entry.textSize = textSize;
  }
  return true;
}

bool BeginResultList(int32_t count, uint32_t textSize, bool hasValues, bool hasTexts) {
  ResultList& list = List();
  list.hasValues = hasValues;
  list.hasTexts = hasTexts;
  list.count = 0;
  list.valid = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (!PrepareResultListEntry(i, textSize)) return false;
  }
  return true;
}

void SetResultListEntry(int32_t index, const char* text, int32_t a, int32_t b, int32_t c) {
  ResultList& list = List();
  if (index < 0 || index >= list.capacity) return;
  ResultListEntry& entry = list.entries[index];
  std::snprintf(entry.text, size_t(entry.textSize) + 1, "%s", text ? text : "");
  entry.valueA = a;
  entry.valueB = b;
  entry.valueC = c;
  if (index + 1 > list.count) list.count = index + 1;
}

void EndResultList(int32_t count) {
  ResultList& list = List();
  list.count = count;
  list.valid = count >= 1 ? 1 : 0;
}

void FreeResultList(ResultList& list) {
  for (int32_t i = 0; list.entries && i < list.capacity; ++i) Release(list.entries[i].text);
  Release(list.entries);
  list = ResultList{};
}

int32_t GetResultListCount() { return List().count; }

bool CheckResultListIndex(int32_t n) {
  const ResultList& list = List();
  if (!list.valid) return RaiseErrorCode(9005), false;
  if (n < 1 || n > list.capacity) return RaiseErrorCode(9001), false;
  if (!list.hasValues) return RaiseErrorCode(9004), false;
  if (n > list.count) return RaiseErrorCode(9002), false;
  return true;
}

int32_t GetResultListValueA(int32_t n) { return CheckResultListIndex(n) ? List().entries[n - 1].valueA : 0; }
int32_t GetResultListValueB(int32_t n) { return CheckResultListIndex(n) ? List().entries[n - 1].valueB : 0; }
int32_t GetResultListValueC(int32_t n) { return CheckResultListIndex(n) ? List().entries[n - 1].valueC : 0; }

char* GetResultListString(int32_t n) {
  const ResultList& list = List();
  if (!list.valid) return RaiseErrorCode(9005), nullptr;
  if (n < 1 || n > list.capacity) return RaiseErrorCode(9001), nullptr;
  if (!list.hasTexts) return RaiseErrorCode(9003), nullptr;
  if (n > list.count) return RaiseErrorCode(9002), nullptr;
  const char* text = list.entries[n - 1].text;
  if (!text) return nullptr;
  return HandOverNewString(SystemModule::AllocFree(), text);
}
