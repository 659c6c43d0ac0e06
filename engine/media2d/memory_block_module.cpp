// The memory-block module's entries, its table of numbered blocks and the plain block commands.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "engine/audio/sound.h"
#include "engine/core/errors.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"
#include "engine/objects/object_table.h"

MemoryBlockState& MemoryBlocks() {
  static MemoryBlockState state;
  return state;
}

namespace {

void ReleaseBlock(MemoryBlockState& s, int32_t block) {
  std::free(s.address[block]);
  s.address[block] = nullptr;
  s.size[block] = s.capacity[block] = 0;
}

void ReleaseEveryBlock() {
  MemoryBlockState& s = MemoryBlocks();
  for (int32_t block = 1; block <= kMemoryBlockCount; ++block) ReleaseBlock(s, block);
}

}  // namespace

namespace MemoryBlockModule {

// Blocks left from an earlier start are freed rather than lost.
void Constructor() { ReleaseEveryBlock(); }

void Destructor() { ReleaseEveryBlock(); }

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  MemoryBlockState& s = MemoryBlocks();
  s.core = coreData;
  MemoryBlockLinks& l = s.links;
  l.getBitmapData = GetBitmapData;
  l.setBitmapData = SetBitmapData;
  l.getImageData = GetImageData;
  l.makeImageFromData = MakeImageFromData;
  l.getMeshVertexData = GetMeshVertexData;
  l.createMeshFromVertexData = CreateMeshFromVertexData;
  l.getSoundData = GetSoundData;
  l.makeSoundFromData = MakeSoundFromData;
}

void RefreshD3D(int) {}

}  // namespace MemoryBlockModule

uint8_t* ConfirmMemoryBlock(int32_t block) {
  if (!InBlockRange(block)) {
    RaiseErrorCode(kErrorBlockNumber);
    return nullptr;
  }
  uint8_t* address = MemoryBlocks().address[block];
  if (!address) RaiseErrorCode(kErrorBlockMissing);
  return address;
}

uint8_t* AllocateMemoryBlock(int32_t block, int32_t size) {
  if (!InBlockRange(block) || size < 1) return nullptr;
  auto* address = static_cast<uint8_t*>(std::calloc(size_t(size), 1));
  if (!address) return nullptr;
  MemoryBlockState& s = MemoryBlocks();
  ReleaseBlock(s, block);
  s.address[block] = address;
  s.size[block] = s.capacity[block] = size;
  return address;
}

bool WriteItemBlock(int32_t block, const uint32_t* header, int words, const uint8_t* data, size_t dataSize) {
  const size_t headerSize = size_t(words) * 4;
  uint8_t* address = nullptr;
  if (dataSize <= size_t(std::numeric_limits<int32_t>::max()) - headerSize)
    address = AllocateMemoryBlock(block, int32_t(headerSize + dataSize));
  if (!address) {
    RaiseErrorCode(kErrorBlockMemory);
    return false;
  }
  for (int i = 0; i < words; ++i) WriteHeaderWord(address + 4 * i, header[i]);
  if (dataSize) std::memcpy(address + headerSize, data, dataSize);
  return true;
}

const uint8_t* ReadItemBlock(int32_t block, uint32_t* header, int words, size_t* dataSize) {
  const uint8_t* address = ConfirmMemoryBlock(block);
  if (!address) return nullptr;
  const size_t size = size_t(MemoryBlocks().size[block]), headerSize = size_t(words) * 4;
  if (size < headerSize) {
    RaiseErrorCode(kErrorBlockContents);
    return nullptr;
  }
  for (int i = 0; i < words; ++i) header[i] = ReadHeaderWord(address + 4 * i);
  *dataSize = size - headerSize;
  return address + headerSize;
}

uint8_t* MakeMemoryBlock(int32_t block, int32_t size) {
  if (!InBlockRange(block)) {
    RaiseErrorCode(kErrorBlockNumber);
    return nullptr;
  }
  if (MemoryBlocks().address[block]) {
    RaiseErrorCode(kErrorBlockInUse);
    return nullptr;
  }
  if (size < 1) {
    RaiseErrorCode(kErrorBlockSize);
    return nullptr;
  }
  uint8_t* address = AllocateMemoryBlock(block, size);
  if (!address) RaiseErrorCode(kErrorBlockMemory);
  return address;
}

void DeleteMemoryBlock(int32_t block) {
  if (ConfirmMemoryBlock(block)) ReleaseBlock(MemoryBlocks(), block);
}

int32_t MemoryBlockExists(int32_t block) {
  if (!InBlockRange(block)) {
    RaiseErrorCode(kErrorBlockNumber);
    return 0;
  }
  return MemoryBlocks().address[block] ? 1 : 0;
}

uint8_t* GetMemoryBlockPtr(int32_t block) { return ConfirmMemoryBlock(block); }

int32_t GetMemoryBlockSize(int32_t block) { return ConfirmMemoryBlock(block) ? MemoryBlocks().size[block] : 0; }

uint8_t* RemakeMemoryBlock(int32_t block, int32_t size) {
  FreeMemoryBlock(block);
  return AllocateMemoryBlock(block, size);
}

void FreeMemoryBlock(int32_t block) {
  if (InBlockRange(block)) ReleaseBlock(MemoryBlocks(), block);
}

int32_t MemoryBlockSizeOrZero(int32_t block) { return InBlockRange(block) ? MemoryBlocks().size[block] : 0; }

uint8_t* MemoryBlockPtrOrZero(int32_t block) { return InBlockRange(block) ? MemoryBlocks().address[block] : nullptr; }

void SetMemoryBlockSize(int32_t block, int32_t size) {
  if (!InBlockRange(block)) return;
  MemoryBlockState& s = MemoryBlocks();
  if (s.address[block] && size >= 1 && size <= s.capacity[block]) s.size[block] = size;
}
