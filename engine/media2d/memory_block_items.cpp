// Blocks made from bitmaps, images and sounds, and those items made again from blocks.
#include <cstdint>
#include <initializer_list>

#include "engine/core/errors.h"
#include "engine/media2d/memory_block.h"
#include "engine/media2d/memory_block_state.h"
#include "platform/audio/wave_format.h"

namespace audio = platform::audio;

namespace {

constexpr int32_t kMaxLinkedNumber = 21999999;  // bitmaps, meshes and sounds as these commands take them
constexpr int32_t kMaxImageNumber = 22000000;
constexpr uint32_t kErrorBitmapNumber = 1001, kErrorBitmapMissing = 1002;
constexpr uint32_t kErrorImageNumber = 501, kErrorImageMissing = 502, kErrorImageUnreadable = 507;
constexpr uint32_t kErrorSoundNumber = 3001, kErrorSoundMissing = 3004;

constexpr int kPixelHeaderWords = 3;  // width, height, depth
constexpr int kSoundHeaderWords = 7;  // the wave format's fields, each widened to 32 bits

MemoryBlockLinks& Links() { return MemoryBlocks().links; }

int32_t Raise(uint32_t code) {
  RaiseErrorCode(code);
  return 0;
}

struct PixelRows {
  int32_t width = 0, height = 0, depth = 0;
  int32_t bytes = 0;  // width x height x depth / 8
};

// The pixel rows of a bitmap or image block: null (with 5101, 5103 or 5105 raised) unless the header
// gives a depth the item takes and the block holds every row it describes.
const uint8_t* ReadPixelBlock(int32_t block, std::initializer_list<int32_t> depths, PixelRows* rows) {
  uint32_t header[kPixelHeaderWords];
  size_t dataSize = 0;
  const uint8_t* data = ReadItemBlock(block, header, kPixelHeaderWords, &dataSize);
  if (!data) return nullptr;
  int32_t depth = 0;
  bool fits = PositiveCount(header[0], &rows->width) && PositiveCount(header[1], &rows->height) &&
              PositiveCount(header[2], &depth);
  bool known = false;
  for (int32_t d : depths) known = known || d == depth;
  const uint64_t bytes = uint64_t(rows->width) * uint64_t(rows->height) * uint64_t(depth / 8);
  if (!fits || !known || bytes > dataSize) {
    RaiseErrorCode(kErrorBlockContents);
    return nullptr;
  }
  rows->depth = depth;
  rows->bytes = int32_t(bytes);  // at most the block's own size
  return data;
}

uint16_t Narrow(uint32_t word, bool* fits) {
  *fits = *fits && word <= 0xFFFF;
  return uint16_t(word);
}

}  // namespace

// --- bitmaps

int32_t MakeMemoryBlockFromBitmap(int32_t block, int32_t bitmap) {
  if (!InBlockRange(block)) return Raise(kErrorBlockNumber);
  if (bitmap < 0 || bitmap > kMaxLinkedNumber) return Raise(kErrorBitmapNumber);
  MemoryBlockLinks& l = Links();
  if (!l.getBitmapData) return 0;
  int32_t width = 0, height = 0, depth = 0, size = 0;
  uint8_t* data = nullptr;
  l.getBitmapData(bitmap, &width, &height, &depth, &data, &size, 1);
  if (!data || size < 0) {
    // The screen always exists: when its pixels cannot be read there is simply no block.
    if (bitmap != 0) RaiseErrorCode(kErrorBitmapMissing);
    l.getBitmapData(bitmap, nullptr, nullptr, nullptr, &data, nullptr, 0);
    return 0;
  }
  const uint32_t header[kPixelHeaderWords] = {uint32_t(width), uint32_t(height), uint32_t(depth)};
  const bool made = WriteItemBlock(block, header, kPixelHeaderWords, data, size_t(size));
  l.getBitmapData(bitmap, nullptr, nullptr, nullptr, &data, nullptr, 0);
  return made ? 1 : 0;
}

int32_t MakeBitmapFromMemoryBlock(int32_t bitmap, int32_t block) {
  if (bitmap < 0 || bitmap > kMaxLinkedNumber) return Raise(kErrorBitmapNumber);
  PixelRows rows;
  const uint8_t* data = ReadPixelBlock(block, {16, 24, 32}, &rows);
  if (!data || !Links().setBitmapData) return 0;
  Links().setBitmapData(bitmap, rows.width, rows.height, rows.depth, data, rows.bytes);
  return 1;
}

// --- images

int32_t MakeMemoryBlockFromImage(int32_t block, int32_t image) {
  if (!InBlockRange(block)) return Raise(kErrorBlockNumber);
  if (image < 1 || image > kMaxImageNumber) return Raise(kErrorImageNumber);
  MemoryBlockLinks& l = Links();
  if (!l.getImageData) return 0;
  int32_t width = 0, height = 0, depth = 0;
  uint32_t size = 0;
  uint8_t* data = nullptr;
  l.getImageData(image, &width, &height, &depth, &data, &size, 1);
  if (!data) return Raise(size == 1 ? kErrorImageUnreadable : kErrorImageMissing);
  const uint32_t header[kPixelHeaderWords] = {uint32_t(width), uint32_t(height), uint32_t(depth)};
  const bool made = WriteItemBlock(block, header, kPixelHeaderWords, data, size);
  l.getImageData(image, nullptr, nullptr, nullptr, &data, nullptr, 0);
  return made ? 1 : 0;
}

int32_t MakeImageFromMemoryBlock(int32_t image, int32_t block) {
  if (image < 1 || image > kMaxImageNumber) return Raise(kErrorImageNumber);
  PixelRows rows;
  const uint8_t* data = ReadPixelBlock(block, {16, 32}, &rows);
  if (!data || !Links().makeImageFromData) return 0;
  Links().makeImageFromData(image, rows.width, rows.height, rows.depth, data, uint32_t(rows.bytes));
  return 1;
}

// --- sounds

int32_t MakeMemoryBlockFromSound(int32_t block, int32_t sound) {
  if (!InBlockRange(block)) return Raise(kErrorBlockNumber);
  if (sound < 1 || sound > kMaxLinkedNumber) return Raise(kErrorSoundNumber);
  MemoryBlockLinks& l = Links();
  if (!l.getSoundData) return 0;
  audio::WaveFormat f{};
  int32_t bitsPerSecond = 0, samplesPerSecond = 0, seconds = 0, size = 0;
  uint8_t* data = nullptr;
  l.getSoundData(sound, &bitsPerSecond, &samplesPerSecond, &seconds, &data, &size, 1, &f);
  if (!data || size < 0) {
    l.getSoundData(sound, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
    return Raise(kErrorSoundMissing);
  }
  const uint32_t header[kSoundHeaderWords] = {f.formatTag,  f.channels,      f.samplesPerSecond, f.avgBytesPerSecond,
                                              f.blockAlign, f.bitsPerSample, f.extraSize};
  const bool made = WriteItemBlock(block, header, kSoundHeaderWords, data, size_t(size));
  l.getSoundData(sound, nullptr, nullptr, nullptr, &data, nullptr, 0, nullptr);
  return made ? 1 : 0;
}

int32_t MakeSoundFromMemoryBlock(int32_t sound, int32_t block) {
  if (sound < 1 || sound > kMaxLinkedNumber) return Raise(kErrorSoundNumber);
  uint32_t h[kSoundHeaderWords];
  size_t dataSize = 0;
  const uint8_t* data = ReadItemBlock(block, h, kSoundHeaderWords, &dataSize);
  if (!data) return 0;
  // The sound module replaces a sound before it looks at the format, so a header it cannot play is
  // refused here and the sound of that number stays as it was.
  bool fits = true;
  const audio::WaveFormat format{Narrow(h[0], &fits), Narrow(h[1], &fits), h[2], h[3],
                                 Narrow(h[4], &fits), Narrow(h[5], &fits), Narrow(h[6], &fits)};
  if (!fits || !audio::IsPlayablePcm(format) || dataSize < format.blockAlign) return Raise(kErrorBlockContents);
  if (!Links().makeSoundFromData) return 0;
  return Links().makeSoundFromData(sound, h[0], h[1], h[2], data, int32_t(dataSize), &format) ? 1 : 0;
}
