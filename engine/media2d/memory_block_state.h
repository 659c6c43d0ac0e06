// The memory-block module's tables and its links to the modules whose items it converts. Internal to
// the module and its tests (which may point a link at a stand-in).
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/media2d/memory_block.h"
#include "platform/audio/wave_format.h"

struct MemoryBlockLinks {
  // Mode 1 hands out a new buffer describing the item, any other mode frees the buffer given.
  void (*getBitmapData)(int32_t bitmap, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data,
                        int32_t* size, uint8_t mode) = nullptr;
  void (*setBitmapData)(int32_t bitmap, int32_t width, int32_t height, int32_t depth, const uint8_t* data,
                        int32_t size) = nullptr;
  void (*getImageData)(int32_t image, int32_t* width, int32_t* height, int32_t* depth, uint8_t** data,
                       uint32_t* size, int32_t mode) = nullptr;
  void (*makeImageFromData)(int32_t image, int32_t width, int32_t height, int32_t depth, const uint8_t* data,
                            uint32_t size) = nullptr;
  // The object module's free-standing meshes. Mode 1 hands out a plain triangle-list copy of the
  // mesh's vertices (no data for a missing mesh), any other mode frees the data given.
  void (*getMeshVertexData)(int32_t mesh, uint32_t* fvf, uint32_t* vertexSize, int32_t* vertexCount,
                            uint8_t** data, uint32_t* byteSize, int32_t mode) = nullptr;
  // A new unindexed mesh filed under the number in place of any there; false when it could not be.
  bool (*createMeshFromVertexData)(int32_t mesh, uint32_t fvf, uint32_t vertexSize, const uint8_t* data,
                                   int32_t vertexCount) = nullptr;
  void (*getSoundData)(int32_t sound, int32_t* bitsPerSecond, int32_t* samplesPerSecond, int32_t* seconds,
                       uint8_t** data, int32_t* size, uint8_t mode, platform::audio::WaveFormat* format) = nullptr;
  // False when the sound could not be made.
  bool (*makeSoundFromData)(int32_t sound, uint32_t formatTag, uint32_t channels, uint32_t samplesPerSecond,
                            const uint8_t* samples, int32_t size, const platform::audio::WaveFormat* format) = nullptr;
};

struct MemoryBlockState {
  // Indexed by block number; entry 0 is never used.
  uint8_t* address[kMemoryBlockCount + 1] = {};
  int32_t size[kMemoryBlockCount + 1] = {};      // what the commands see
  int32_t capacity[kMemoryBlockCount + 1] = {};  // bytes allocated; size never exceeds it
  CoreData* core = nullptr;
  MemoryBlockLinks links;
};

MemoryBlockState& MemoryBlocks();

inline bool InBlockRange(int32_t block) { return block >= 1 && block <= kMemoryBlockCount; }
// The block's bytes when the number is in range and in use (null otherwise, raising 5101 or 5103).
uint8_t* ConfirmMemoryBlock(int32_t block);

// Files a zeroed block of `size` bytes under the number, freeing an old one only once the new one
// exists; null when the memory cannot be had (the old block, if any, stays).
uint8_t* AllocateMemoryBlock(int32_t block, int32_t size);

// Little-endian u32 header words.
inline uint32_t ReadHeaderWord(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
inline void WriteHeaderWord(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

// A block of `words` header words followed by `dataSize` bytes of `data`, under the number in place
// of any there. 5104 and false when it cannot be made (too large for a block, or no memory).
bool WriteItemBlock(int32_t block, const uint32_t* header, int words, const uint8_t* data, size_t dataSize);

// The header words and data of an item block: null (with 5101, 5103 or 5105 raised) unless the block
// is in use and holds at least the header. `dataSize` gets the bytes behind the header.
const uint8_t* ReadItemBlock(int32_t block, uint32_t* header, int words, size_t* dataSize);
// A header word as a count: true when it fits a positive i32.
inline bool PositiveCount(uint32_t word, int32_t* count) {
  if (word < 1 || word > 0x7FFFFFFFu) return false;
  *count = int32_t(word);
  return true;
}
