// Block numbering, errors, zero-filled memory and the value accessors at a block's edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "tests/engine/media2d/memory_blocks/block_fixture.h"

namespace block_test {
namespace {

TEST_F(BlockTest, NumbersAndMissingBlocksRaiseTheirErrors) {
  ASSERT_NE(MakeMemoryBlock(257, 1), nullptr);
  ASSERT_NE(MakeMemoryBlock(1, 16), nullptr);
  struct Case {
    const char* what;
    void (*call)();
    uint32_t code;
  } cases[] = {
      {"make 0", [] { EXPECT_EQ(MakeMemoryBlock(0, 1), nullptr); }, 5101},
      {"make 258", [] { EXPECT_EQ(MakeMemoryBlock(258, 1), nullptr); }, 5101},
      {"make negative", [] { EXPECT_EQ(MakeMemoryBlock(-1, 1), nullptr); }, 5101},
      {"make in use", [] { EXPECT_EQ(MakeMemoryBlock(257, 4), nullptr); }, 5102},
      {"make size 0", [] { EXPECT_EQ(MakeMemoryBlock(2, 0), nullptr); }, 5106},
      {"make negative size", [] { EXPECT_EQ(MakeMemoryBlock(2, -8), nullptr); }, 5106},
      {"in use before size", [] { EXPECT_EQ(MakeMemoryBlock(1, 0), nullptr); }, 5102},
      {"delete missing", [] { DeleteMemoryBlock(2); }, 5103},
      {"delete 258", [] { DeleteMemoryBlock(258); }, 5101},
      {"exists 258", [] { EXPECT_EQ(MemoryBlockExists(258), 0); }, 5101},
      {"exists missing", [] { EXPECT_EQ(MemoryBlockExists(2), 0); }, 0},
      {"exists", [] { EXPECT_EQ(MemoryBlockExists(257), 1); }, 0},
      {"pointer missing", [] { EXPECT_EQ(GetMemoryBlockPtr(2), nullptr); }, 5103},
      {"pointer 0", [] { EXPECT_EQ(GetMemoryBlockPtr(0), nullptr); }, 5101},
      {"size missing", [] { EXPECT_EQ(GetMemoryBlockSize(2), 0); }, 5103},
      {"size", [] { EXPECT_EQ(GetMemoryBlockSize(1), 16); }, 0},
      {"size 258", [] { EXPECT_EQ(GetMemoryBlockSize(258), 0); }, 5101},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.call), c.code) << c.what;
  EXPECT_EQ(GetMemoryBlockSize(257), 1);  // the refused remake kept the first block
}

TEST_F(BlockTest, BlocksAreZeroFilledEvenWhereAnEarlierBlockWasWritten) {
  uint8_t* first = MakeMemoryBlock(3, 4096);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetMemoryBlockPtr(3), first);
  for (int32_t i = 0; i < 4096; ++i) ASSERT_EQ(first[i], 0) << i;
  std::memset(first, 0xAB, 4096);
  DeleteMemoryBlock(3);
  EXPECT_EQ(MemoryBlockExists(3), 0);
  const uint8_t* second = MakeMemoryBlock(3, 4096);
  ASSERT_NE(second, nullptr);
  for (int32_t i = 0; i < 4096; ++i) ASSERT_EQ(second[i], 0) << i;
  EXPECT_EQ(word_, 0u);
}

TEST_F(BlockTest, ValuesAreLittleEndianAndKeepTheirLowBits) {
  ASSERT_NE(MakeMemoryBlock(4, 8), nullptr);
  WriteMemoryBlockDword(4, 0, 0x11223344u);
  EXPECT_EQ(ReadMemoryBlockByte(4, 0), 0x44);
  EXPECT_EQ(ReadMemoryBlockWord(4, 1), 0x2233);
  WriteMemoryBlockByte(4, 3, 0x1FF);
  WriteMemoryBlockWord(4, 4, -2);
  EXPECT_EQ(ReadMemoryBlockDword(4, 0), 0xFF223344u);
  EXPECT_EQ(ReadMemoryBlockWord(4, 4), 0xFFFE);
  WriteMemoryBlockFloat(4, 4, -1.5f);
  EXPECT_EQ(ReadMemoryBlockFloat(4, 4), -1.5f);
  EXPECT_EQ(ReadMemoryBlockDword(4, 4), 0xBFC00000u);
  EXPECT_EQ(word_, 0u);
}

// Every value must lie wholly inside the block: each width is taken at the last place it fits and
// refused one byte further, before the start and far out; a refused write leaves the block as it was.
TEST_F(BlockTest, ValuesPastTheBlocksEndAreRefused) {
  constexpr int32_t kSize = 8;
  ASSERT_NE(MakeMemoryBlock(5, kSize), nullptr);
  struct Access {
    const char* what;
    int32_t width;
    void (*write)(int32_t position);
    uint32_t (*read)(int32_t position);
    uint32_t written;
  } accesses[] = {
      {"byte", 1, [](int32_t p) { WriteMemoryBlockByte(5, p, 0x11); },
       [](int32_t p) { return uint32_t(ReadMemoryBlockByte(5, p)); }, 0x11},
      {"word", 2, [](int32_t p) { WriteMemoryBlockWord(5, p, 0x1111); },
       [](int32_t p) { return uint32_t(ReadMemoryBlockWord(5, p)); }, 0x1111},
      {"dword", 4, [](int32_t p) { WriteMemoryBlockDword(5, p, 0x11111111u); },
       [](int32_t p) { return ReadMemoryBlockDword(5, p); }, 0x11111111u},
      {"float", 4, [](int32_t p) { WriteMemoryBlockFloat(5, p, 2.0f); },
       [](int32_t p) { return uint32_t(ReadMemoryBlockFloat(5, p)); }, 2},
  };
  uint8_t* at = GetMemoryBlockPtr(5);
  for (const Access& a : accesses) {
    const int32_t last = kSize - a.width;
    for (int32_t position : {last, last + 1, -1, std::numeric_limits<int32_t>::max()}) {
      SCOPED_TRACE(std::string(a.what) + " at " + std::to_string(position));
      const bool inside = position == last;
      std::memset(at, 0x5A, kSize);
      EXPECT_EQ(ErrorOf([&] { a.write(position); }), inside ? 0u : 5105u);
      uint32_t read = 0;
      EXPECT_EQ(ErrorOf([&] { read = a.read(position); }), inside ? 0u : 5105u);
      EXPECT_EQ(read, inside ? a.written : 0u);
      if (!inside) {
        for (int32_t i = 0; i < kSize; ++i) EXPECT_EQ(at[i], 0x5A) << i;
      }
    }
  }
  EXPECT_EQ(ErrorOf([] { WriteMemoryBlockByte(6, 0, 1); }), 5103u);
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(ReadMemoryBlockByte(0, 0), 0); }), 5101u);
}

TEST_F(BlockTest, ARecordedSizeStaysWithinTheBlocksMemoryAndBoundsItsValues) {
  ASSERT_NE(MakeMemoryBlock(7, 8), nullptr);
  SetMemoryBlockSize(7, 4);
  EXPECT_EQ(GetMemoryBlockSize(7), 4);
  EXPECT_EQ(ErrorOf([] { ReadMemoryBlockByte(7, 4); }), 5105u);
  for (int32_t refused : {9, 0, -1}) {
    SetMemoryBlockSize(7, refused);
    EXPECT_EQ(GetMemoryBlockSize(7), 4) << refused;
  }
  SetMemoryBlockSize(7, 8);
  EXPECT_EQ(ErrorOf([] { ReadMemoryBlockDword(7, 4); }), 0u);
  SetMemoryBlockSize(8, 4);  // a free number stays free
  EXPECT_EQ(MemoryBlockExists(8), 0);
}

TEST_F(BlockTest, TheFormsWithoutErrorsRaiseNothing) {
  EXPECT_EQ(MemoryBlockPtrOrZero(300), nullptr);
  EXPECT_EQ(MemoryBlockSizeOrZero(9), 0);
  FreeMemoryBlock(9);
  FreeMemoryBlock(0);
  EXPECT_EQ(RemakeMemoryBlock(258, 4), nullptr);
  EXPECT_EQ(RemakeMemoryBlock(9, 0), nullptr);
  EXPECT_EQ(word_, 0u);

  uint8_t* first = RemakeMemoryBlock(9, 4);
  ASSERT_NE(first, nullptr);
  first[0] = 7;
  const uint8_t* second = RemakeMemoryBlock(9, 64);  // over a block in use
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(MemoryBlockSizeOrZero(9), 64);
  EXPECT_EQ(MemoryBlockPtrOrZero(9), second);
  EXPECT_EQ(second[0], 0);
  FreeMemoryBlock(9);
  EXPECT_EQ(MemoryBlockExists(9), 0);
  EXPECT_EQ(word_, 0u);
}

// An item block too large for a block's size is refused before any memory is sought, and the block
// already under the number stays.
TEST_F(BlockTest, AnItemBlockTooLargeForABlockKeepsTheOldBlock) {
  uint8_t* old = MakeMemoryBlock(10, 4);
  ASSERT_NE(old, nullptr);
  const uint32_t header[3] = {1, 2, 3};
  const uint8_t byte = 0;
  EXPECT_EQ(ErrorOf([&] {
              EXPECT_FALSE(WriteItemBlock(10, header, 3, &byte, size_t(std::numeric_limits<int32_t>::max()) - 11));
            }),
            5104u);
  EXPECT_EQ(GetMemoryBlockPtr(10), old);
  EXPECT_EQ(GetMemoryBlockSize(10), 4);
}

TEST_F(BlockTest, TheDestructorFreesEveryBlock) {
  ASSERT_NE(MakeMemoryBlock(1, 4), nullptr);
  ASSERT_NE(MakeMemoryBlock(257, 4), nullptr);
  MemoryBlockModule::Destructor();
  EXPECT_EQ(MemoryBlockExists(1), 0);
  EXPECT_EQ(MemoryBlockExists(257), 0);
  EXPECT_NE(MakeMemoryBlock(1, 4), nullptr);
}

}  // namespace
}  // namespace block_test
