// The ResultList inside CoreData: list-producing commands publish entries of a text and three
// integer values; the game reads them back by entry number from 1.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

// Makes entry `index` (from 0) ready for a text of `textSize` characters: allocates 256 entries on
// first use and doubles the array before index reaches its last slot. All memory goes through the
// CoreData allocation callback. False when the memory could not be had.
bool PrepareResultListEntry(int32_t index, uint32_t textSize);

// Getters (entry numbers from 1). Errors 9001-9005 are raised and the getter returns 0 or null.
int32_t GetResultListCount();
int32_t GetResultListValueA(int32_t n);
int32_t GetResultListValueB(int32_t n);
int32_t GetResultListValueC(int32_t n);
// A new string (allocation callback) holding entry n's text; the caller owns it.
char* GetResultListString(int32_t n);
bool CheckResultListIndex(int32_t n);

// Publishing, for fillers: starts a list of `count` entries (prepares every entry first, so no entry
// is written before the array has its final size) and then fills entry by entry.
bool BeginResultList(int32_t count, uint32_t textSize, bool hasValues, bool hasTexts);
void SetResultListEntry(int32_t index, const char* text, int32_t a, int32_t b, int32_t c);
// valid := count >= 1.
void EndResultList(int32_t count);

// Frees every entry's text and the array; the list is empty and not valid afterwards.
void FreeResultList(ResultList& list);
