// The memory-block module as start-up leaves it, its errors caught in a test-owned word.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/errors.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"

namespace block_test {

class BlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemoryBlockModule::Constructor();
    MemoryBlockModule::SetErrorHandler(&word_);
    MemoryBlockModule::PassCoreData(GetCoreDataPointer());
    word_ = 0;
  }
  void TearDown() override { MemoryBlockModule::Destructor(); }

  // The error code a call leaves (0 for none).
  template <typename F>
  static uint32_t ErrorOf(F call) {
    word_ = 0;
    call();
    return word_;
  }

  // A block holding `header` as little-endian words followed by `data`.
  static void MakeItemBlock(int32_t block, std::vector<uint32_t> header, const std::vector<uint8_t>& data) {
    FreeMemoryBlock(block);
    uint8_t* at = MakeMemoryBlock(block, int32_t(header.size() * 4 + data.size()));
    ASSERT_NE(at, nullptr);
    for (size_t i = 0; i < header.size(); ++i) WriteHeaderWord(at + 4 * i, header[i]);
    if (!data.empty()) std::memcpy(at + header.size() * 4, data.data(), data.size());
  }

  static std::vector<uint32_t> HeaderOf(int32_t block, int words) {
    std::vector<uint32_t> header;
    for (int i = 0; i < words; ++i) header.push_back(ReadMemoryBlockDword(block, 4 * i));
    return header;
  }

  static std::vector<uint8_t> DataOf(int32_t block, int headerWords) {
    const uint8_t* at = MemoryBlockPtrOrZero(block);
    const int32_t size = MemoryBlockSizeOrZero(block);
    if (!at || size < headerWords * 4) return {};
    return std::vector<uint8_t>(at + headerWords * 4, at + size);
  }

  static inline uint32_t word_ = 0;
};

}  // namespace block_test
