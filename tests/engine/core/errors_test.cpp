#include "engine/core/errors.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/empty_entry.h"

namespace {

TEST(Errors, LatestCodeWinsAndTextsLeaveTheWordAlone) {
  uint32_t word = 0;
  SetCoreErrorHandler(&word);
  EXPECT_EQ(GetCoreDataPointer()->errorWord, &word);
  RaiseErrorCode(7006);
  RaiseErrorText("ignored");
  RaiseErrorCode(7008);
  RaiseErrorText("also ignored");
  EXPECT_EQ(word, 7008u);
  EXPECT_STREQ(LastErrorText(), "also ignored");

  uint32_t moduleWord = 0;
  SetModuleErrorHandler(&moduleWord);  // the shared pointer every module writes through
  RaiseErrorCode(501);
  EXPECT_EQ(moduleWord, 501u);
  EXPECT_EQ(word, 7008u);

  SetModuleErrorHandler(nullptr);
  RaiseErrorCode(1);  // no word handed over: nothing happens
  SetCoreErrorHandler(nullptr);
}

TEST(CoreAlloc, HandsOverAndFreesThroughThePointersAddress) {
  char* block = nullptr;
  CoreAllocFree(&block, 0);  // freeing a null pointer is fine
  EXPECT_EQ(block, nullptr);
  CoreAllocFree(&block, 16);
  ASSERT_NE(block, nullptr);
  CoreAllocFree(&block, 0);

  char* text = HandOverNewString(CoreAllocFree, "abc");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "abc");
  text = HandOverString(CoreAllocFree, text, "longer text");  // the previous one is freed (ASan checks)
  EXPECT_STREQ(text, "longer text");
  char* empty = HandOverString(CoreAllocFree, nullptr, nullptr);
  EXPECT_STREQ(empty, "");
  CoreAllocFree(&text, 0);
  CoreAllocFree(&empty, 0);
  EXPECT_EQ(HandOverNewString(nullptr, "x"), nullptr);
}

TEST(EmptyEntry, FitsAnySlotAndReturnsZero) {
  EXPECT_EQ(EmptyEntryAs<void (*)()>(), &EmptyEntry);
  auto getter = EmptyEntryAs<int32_t (*)(int32_t)>();
  EXPECT_EQ(getter(42), 0);
  auto pointer = EmptyEntryAs<void* (*)(const char*, int)>();
  EXPECT_EQ(pointer("x", 1), nullptr);
}

}  // namespace
