// Bitmaps and images into blocks and back, on the real device.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/media2d/memory_blocks/block_fixture.h"

namespace block_test {
namespace {

// 4 x 2 opaque pixels, each different.
std::vector<uint8_t> SamplePixels() {
  std::vector<uint8_t> bytes(4 * 2 * 4);
  for (uint32_t i = 0; i < 8; ++i) {
    const uint32_t pixel = 0xFF000000u | (i * 0x1F0D07u);
    std::memcpy(&bytes[i * 4], &pixel, 4);
  }
  return bytes;
}

struct ItemPixels {
  int32_t width = 0, height = 0, depth = 0;
  std::vector<uint8_t> bytes;
};

// The pixels an item's module hands the memory blocks.
template <typename Size, typename Mode>
ItemPixels PixelsOf(void (*get)(int32_t, int32_t*, int32_t*, int32_t*, uint8_t**, Size*, Mode), int32_t item) {
  ItemPixels p;
  uint8_t* data = nullptr;
  Size size = 0;
  get(item, &p.width, &p.height, &p.depth, &data, &size, 1);
  if (data) p.bytes.assign(data, data + size);
  get(item, nullptr, nullptr, nullptr, &data, nullptr, 0);
  return p;
}

ItemPixels BitmapPixels(int32_t bitmap) { return PixelsOf(GetBitmapData, bitmap); }
ItemPixels ImagePixels(int32_t image) { return PixelsOf(GetImageData, image); }

class PixelBlockTest : public BlockTest {
 protected:
  static void SetUpTestSuite() { core_ = engine_test::StartEngineDisplay(&word_); }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }

  void SetUp() override {
    ASSERT_NE(GetDirect3DDevice(), nullptr);
    BitmapModule::Constructor();
    BitmapModule::SetErrorHandler(&word_);
    BitmapModule::PassCoreData(core_);
    ImageModule::Constructor();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    BlockTest::SetUp();
  }
  void TearDown() override {
    BlockTest::TearDown();
    ImageModule::Destructor();
    SelectBitmap(0);
    BitmapModule::Destructor();
  }

  static inline CoreData* core_ = nullptr;
};

TEST_F(PixelBlockTest, ABitmapBlockHoldsItsSizeDepthAndRows) {
  NewBitmap(4, 4, 2);
  SelectBitmap(0);
  ASSERT_EQ(MakeMemoryBlockFromBitmap(1, 4), 1);
  EXPECT_EQ(GetMemoryBlockSize(1), 44);
  EXPECT_EQ(HeaderOf(1, 3), (std::vector<uint32_t>{4, 2, 32}));
  EXPECT_EQ(DataOf(1, 3), BitmapPixels(4).bytes);
  EXPECT_EQ(word_, 0u);
}

TEST_F(PixelBlockTest, ABitmapComesBackFromItsBlock) {
  const std::vector<uint8_t> pixels = SamplePixels();
  SetBitmapData(4, 4, 2, 32, pixels.data(), int32_t(pixels.size()));
  ASSERT_NE(MakeMemoryBlock(2, 3), nullptr);  // a block the conversion replaces
  ASSERT_EQ(MakeMemoryBlockFromBitmap(2, 4), 1);
  ASSERT_EQ(MakeBitmapFromMemoryBlock(9, 2), 1);
  const ItemPixels back = BitmapPixels(9);
  EXPECT_EQ(back.width, 4);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.bytes, pixels);
  EXPECT_EQ(word_, 0u);
}

TEST_F(PixelBlockTest, AnImageComesBackFromItsBlock) {
  const std::vector<uint8_t> pixels = SamplePixels();
  MakeImageFromData(3, 4, 2, 32, pixels.data(), uint32_t(pixels.size()));
  ASSERT_EQ(MakeMemoryBlockFromImage(1, 3), 1);
  EXPECT_EQ(HeaderOf(1, 3), (std::vector<uint32_t>{4, 2, 32}));
  EXPECT_EQ(DataOf(1, 3), pixels);
  ASSERT_EQ(MakeImageFromMemoryBlock(8, 1), 1);
  const ItemPixels back = ImagePixels(8);
  EXPECT_EQ(back.width, 4);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.depth, 32);
  EXPECT_EQ(back.bytes, pixels);
  EXPECT_EQ(word_, 0u);
}

// Making a block checks the block first; making an item checks the item first.
TEST_F(PixelBlockTest, NumbersAndMissingItemsRaiseTheirErrors) {
  ASSERT_NE(MakeMemoryBlock(1, 12), nullptr);
  struct Case {
    const char* what;
    int32_t (*call)();
    uint32_t code;
  } cases[] = {
      {"block from bitmap, both bad", [] { return MakeMemoryBlockFromBitmap(0, -1); }, 5101},
      {"bitmap negative", [] { return MakeMemoryBlockFromBitmap(2, -1); }, 1001},
      {"bitmap 22000000", [] { return MakeMemoryBlockFromBitmap(2, 22000000); }, 1001},
      {"bitmap missing", [] { return MakeMemoryBlockFromBitmap(2, 7); }, 1002},
      {"bitmap from block, both bad", [] { return MakeBitmapFromMemoryBlock(-1, 0); }, 1001},
      {"bitmap from block 258", [] { return MakeBitmapFromMemoryBlock(5, 258); }, 5101},
      {"bitmap from missing block", [] { return MakeBitmapFromMemoryBlock(5, 3); }, 5103},
      {"block from image, both bad", [] { return MakeMemoryBlockFromImage(258, 0); }, 5101},
      {"image 0", [] { return MakeMemoryBlockFromImage(2, 0); }, 501},
      {"image 22000001", [] { return MakeMemoryBlockFromImage(2, 22000001); }, 501},
      {"image missing", [] { return MakeMemoryBlockFromImage(2, 7); }, 502},
      {"image from block, both bad", [] { return MakeImageFromMemoryBlock(0, 0); }, 501},
      {"image from missing block", [] { return MakeImageFromMemoryBlock(5, 3); }, 5103},
  };
  for (const Case& c : cases) {
    int32_t result = -1;
    EXPECT_EQ(ErrorOf([&] { result = c.call(); }), c.code) << c.what;
    EXPECT_EQ(result, 0) << c.what;
  }
  EXPECT_EQ(MemoryBlockExists(2), 0);
  EXPECT_EQ(GetMemoryBlockSize(1), 12);
  EXPECT_EQ(BitmapExists(5), 0);
  EXPECT_FALSE(HasImage(5));
}

TEST_F(PixelBlockTest, TheScreenMakesABlockOfTheBackBuffer) {
  ASSERT_EQ(MakeMemoryBlockFromBitmap(1, 0), 1);
  EXPECT_EQ(HeaderOf(1, 3), (std::vector<uint32_t>{640, 480, 32}));
  EXPECT_EQ(GetMemoryBlockSize(1), 12 + 640 * 480 * 4);
}

// A header that describes more than the block holds, or pixels the item cannot take, is refused and
// the item of that number stays as it was.
TEST_F(PixelBlockTest, ABadHeaderChangesNoItem) {
  const std::vector<uint8_t> pixels = SamplePixels();
  SetBitmapData(6, 4, 2, 32, pixels.data(), int32_t(pixels.size()));
  MakeImageFromData(6, 4, 2, 32, pixels.data(), uint32_t(pixels.size()));
  const std::vector<uint8_t> rows(64, 0x33);
  struct Case {
    const char* what;
    std::vector<uint32_t> header;
    size_t dataBytes;
    bool bitmapTakesIt;  // the image takes only 16 and 32 bits
  } cases[] = {
      {"rows past the end", {4, 5, 32}, 64, false},
      {"one byte short", {4, 2, 32}, 31, false},
      {"width 0", {0, 2, 32}, 64, false},
      {"negative height", {4, 0xFFFFFFFEu, 32}, 64, false},
      {"huge width", {0x40000000u, 0x40000000u, 32}, 64, false},
      {"depth 8", {4, 2, 8}, 64, false},
      {"depth 0", {4, 2, 0}, 64, false},
      {"depth 24", {4, 2, 24}, 64, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeItemBlock(1, c.header, std::vector<uint8_t>(rows.begin(), rows.begin() + ptrdiff_t(c.dataBytes)));
    if (!c.bitmapTakesIt) {
      EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeBitmapFromMemoryBlock(6, 1), 0); }), 5105u);
      EXPECT_EQ(BitmapPixels(6).bytes, pixels);
    }
    EXPECT_EQ(ErrorOf([] { EXPECT_EQ(MakeImageFromMemoryBlock(6, 1), 0); }), 5105u);
    EXPECT_EQ(ImagePixels(6).bytes, pixels);
  }
  MakeItemBlock(1, {4, 2}, {});  // shorter than the header
  EXPECT_EQ(ErrorOf([] { MakeBitmapFromMemoryBlock(6, 1); }), 5105u);
  EXPECT_EQ(ErrorOf([] { MakeImageFromMemoryBlock(6, 1); }), 5105u);
  EXPECT_EQ(BitmapPixels(6).bytes, pixels);
}

}  // namespace
}  // namespace block_test
