// The memory-block module: 257 numbered blocks of zero-filled bytes that callers read and write, and
// the conversions between blocks and bitmaps, images, meshes and sounds. A block made from an item is
// a small header of little-endian u32 words describing the item, followed at once by its raw data:
//   bitmap, image: width, height, depth (bits per pixel); rows top to bottom without gaps
//   mesh:          FVF code, vertex size, vertex count; the vertices unindexed, three per triangle
//   sound:         format tag, channels, samples per second, average bytes per second, block align,
//                  bits per sample, extra format size; the sample bytes
// A block is user-writable memory, so every size and offset read from it is checked against the
// block's size before it is used; an item is made from a block only when the header describes an item
// the block really holds.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace MemoryBlockModule {
void Constructor();
void Destructor();  // frees every block
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and links the bitmap, image, mesh and sound conversions.
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);  // blocks hold no device objects: nothing to do
}  // namespace MemoryBlockModule

constexpr int32_t kMemoryBlockCount = 257;  // numbers 1..257

enum MemoryBlockError : uint32_t {
  kErrorBlockNumber = 5101,    // outside 1..257
  kErrorBlockInUse = 5102,
  kErrorBlockMissing = 5103,
  kErrorBlockMemory = 5104,    // the memory could not be had
  kErrorBlockContents = 5105,  // an access past the block's end, or a header the block does not hold
  kErrorBlockSize = 5106,      // size below 1
};

// Block numbers outside 1..257 raise 5101 in every command; a number that is free raises 5103.
// A new block of `size` zero bytes: its address, or null after an error.
uint8_t* MakeMemoryBlock(int32_t block, int32_t size);
void DeleteMemoryBlock(int32_t block);
int32_t MemoryBlockExists(int32_t block);  // 1 in use, else 0
uint8_t* GetMemoryBlockPtr(int32_t block);
int32_t GetMemoryBlockSize(int32_t block);

// Values at a byte position, little-endian. A value that would not lie wholly inside the block raises
// 5105: reads give 0 and writes change nothing. Writes keep the low bits of the value.
int32_t ReadMemoryBlockByte(int32_t block, int32_t position);
int32_t ReadMemoryBlockWord(int32_t block, int32_t position);
uint32_t ReadMemoryBlockDword(int32_t block, int32_t position);
float ReadMemoryBlockFloat(int32_t block, int32_t position);
void WriteMemoryBlockByte(int32_t block, int32_t position, int32_t value);
void WriteMemoryBlockWord(int32_t block, int32_t position, int32_t value);
void WriteMemoryBlockDword(int32_t block, int32_t position, uint32_t value);
void WriteMemoryBlockFloat(int32_t block, int32_t position, float value);

// Making a block from an item (1 when made, else 0) checks the block number first, then the item's;
// the block takes the number whether or not one was there, and an old block is freed only once the
// new one exists. Making an item from a block (1 when handed to the item's module, else 0) checks the
// item number first, then the block's, then the header (5105).
int32_t MakeMemoryBlockFromBitmap(int32_t block, int32_t bitmap);  // 1001 outside 0..21999999; 1002
int32_t MakeBitmapFromMemoryBlock(int32_t bitmap, int32_t block);  // 1001; depth 16, 24 or 32
int32_t MakeMemoryBlockFromImage(int32_t block, int32_t image);    // 501 outside 1..22000000; 507; 502
int32_t MakeImageFromMemoryBlock(int32_t image, int32_t block);    // 501; depth 16 or 32
int32_t MakeMemoryBlockFromMesh(int32_t block, int32_t mesh);      // 7001 outside 1..21999999; 7003
int32_t MakeMeshFromMemoryBlock(int32_t mesh, int32_t block);      // 7001; 7002 when it cannot be stored
int32_t MakeMemoryBlockFromSound(int32_t block, int32_t sound);    // 3001 outside 1..21999999; 3004
int32_t MakeSoundFromMemoryBlock(int32_t sound, int32_t block);    // 3001

// Forms without errors, for other modules.
// Frees a block of that number when there is one, then makes it anew: the address, or null.
uint8_t* RemakeMemoryBlock(int32_t block, int32_t size);
void FreeMemoryBlock(int32_t block);
int32_t MemoryBlockSizeOrZero(int32_t block);
uint8_t* MemoryBlockPtrOrZero(int32_t block);
// Records a smaller (or the full) size for a block in use; a size of 1 up to the bytes the block was
// made with. Other sizes change nothing, so no later access can pass the block's memory.
void SetMemoryBlockSize(int32_t block, int32_t size);
