// Byte, word, dword and float values read from and written into a block by position.
#include <cstdint>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"

namespace {

// Where `width` bytes at `position` lie in the block: null (with the error raised) unless all of them
// lie inside it.
uint8_t* ValueAt(int32_t block, int32_t position, int32_t width) {
  uint8_t* address = ConfirmMemoryBlock(block);
  if (!address) return nullptr;
  if (position < 0 || int64_t(position) + width > MemoryBlocks().size[block]) {
    RaiseErrorCode(kErrorBlockContents);
    return nullptr;
  }
  return address + position;
}

uint32_t ReadLittleEndian(const uint8_t* at, int32_t width) {
  uint32_t value = 0;
  for (int32_t i = 0; i < width; ++i) value |= uint32_t(at[i]) << (8 * i);
  return value;
}

void WriteLittleEndian(uint8_t* at, int32_t width, uint32_t value) {
  for (int32_t i = 0; i < width; ++i) at[i] = uint8_t(value >> (8 * i));
}

uint32_t Read(int32_t block, int32_t position, int32_t width) {
  const uint8_t* at = ValueAt(block, position, width);
  return at ? ReadLittleEndian(at, width) : 0;
}

void Write(int32_t block, int32_t position, int32_t width, uint32_t value) {
  if (uint8_t* at = ValueAt(block, position, width)) WriteLittleEndian(at, width, value);
}

}  // namespace

int32_t ReadMemoryBlockByte(int32_t block, int32_t position) { return int32_t(Read(block, position, 1)); }

int32_t ReadMemoryBlockWord(int32_t block, int32_t position) { return int32_t(Read(block, position, 2)); }

uint32_t ReadMemoryBlockDword(int32_t block, int32_t position) { return Read(block, position, 4); }

float ReadMemoryBlockFloat(int32_t block, int32_t position) {
  const uint32_t bits = Read(block, position, 4);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void WriteMemoryBlockByte(int32_t block, int32_t position, int32_t value) {
  Write(block, position, 1, uint32_t(value));
}

void WriteMemoryBlockWord(int32_t block, int32_t position, int32_t value) {
  Write(block, position, 2, uint32_t(value));
}

void WriteMemoryBlockDword(int32_t block, int32_t position, uint32_t value) { Write(block, position, 4, value); }

void WriteMemoryBlockFloat(int32_t block, int32_t position, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Write(block, position, 4, bits);
}
