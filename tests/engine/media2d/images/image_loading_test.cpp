// Images from picture files, empty images, the lookup by file name, deletion and the getters.
#include <string>

#include "tests/engine/media2d/images/media_fixture.h"

namespace media_test {
namespace {

using ImageLoading = MediaTest;

// 4 x 2: a magenta pixel at (1, 0), the rest opaque colours.
d3dx::Picture KeyedPicture() {
  d3dx::Picture p(4, 2);
  p.pixels = {0xFF102030, kMagenta, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF112233, 0xFF445566};
  return p;
}

TEST_F(ImageLoading, UnscaledLoadPutsThePictureInTheCornerWithTheColourKey) {
  SetImageColorKey(255, 0, 255);
  EXPECT_EQ(Images().colorKey, 0xFFFF00FFu);
  const std::string bmp = WritePicture("keyed.bmp", d3dx::IFF_BMP, KeyedPicture());
  ASSERT_EQ(LoadImageWithMode(bmp.c_str(), 7, 1), 1);
  EXPECT_EQ(GetImageWidth(7), 4);
  EXPECT_EQ(GetImageHeight(7), 2);
  // This device makes textures of any size: the picture covers its whole texture.
  EXPECT_EQ(Level0Desc(7).width, 4u);
  EXPECT_EQ(Level0Desc(7).format, uint32_t(gfx::FMT_A8R8G8B8));
  EXPECT_EQ(GetImageU(7), 1.0f);
  EXPECT_EQ(GetImageV(7), 1.0f);
  EXPECT_EQ(FindImage(7)->depth, 32);
  EXPECT_STREQ(GetImageFileName(7), bmp.c_str());
  const d3dx::Picture pixels = TexturePixels(GetImageTexture(7));
  EXPECT_EQ(pixels.At(0, 0), 0xFF102030u);
  EXPECT_EQ(pixels.At(1, 0), 0x00000000u);  // the key made transparent
  EXPECT_EQ(pixels.At(3, 1), 0xFF445566u);
  EXPECT_EQ(word_, 0u);
}

TEST_F(ImageLoading, PicturesWithTheirOwnAlphaAreNotKeyedWhateverTheCaseOfTheirExtension) {
  SetImageColorKey(255, 0, 255);
  d3dx::Picture p = KeyedPicture();
  p.At(0, 0) = 0x80FF0000;
  for (const char* name : {"alpha.PNG", "alpha.Png", "alpha.png"}) {
    const std::string png = WritePicture(name, d3dx::IFF_PNG, p);
    ASSERT_EQ(LoadImageWithMode(png.c_str(), 3, 1), 1) << name;
    const d3dx::Picture pixels = TexturePixels(GetImageTexture(3));
    EXPECT_EQ(pixels.At(0, 0), 0x80FF0000u) << name;
    EXPECT_EQ(pixels.At(1, 0), kMagenta) << name;
  }
}

TEST_F(ImageLoading, ModeZeroStretchesOverAFullMipChainAndLoadModesShrinkTheTexture) {
  SetImageColorKey(255, 0, 255);
  d3dx::Picture p(64, 32, 0xFF204060);
  const std::string bmp = WritePicture("plain.bmp", d3dx::IFF_BMP, p);
  ASSERT_EQ(LoadImage(bmp.c_str(), 1), 1);
  EXPECT_EQ(GetImageTexture(1)->GetLevelCount(), 7u);
  EXPECT_EQ(Level0Desc(1).width, 64u);
  EXPECT_EQ(GetImageU(1), 1.0f);
  EXPECT_EQ(TexturePixels(GetImageTexture(1)).At(63, 31), 0xFF204060u);

  // Load mode 2 halves both sides; the record keeps the file's size.
  DeleteImage(1);  // else the lookup finds it
  ASSERT_EQ(LoadTextureByName(bmp.c_str(), 2), -1);
  EXPECT_EQ(Level0Desc(-1).width, 32u);
  EXPECT_EQ(Level0Desc(-1).height, 16u);
  EXPECT_EQ(GetImageWidth(-1), 64);
  DeleteImage(-1);

  // 16384: a 1 x 1 empty texture in place of the picture.
  ASSERT_EQ(LoadTextureByName(bmp.c_str(), 16384), -1);
  EXPECT_EQ(Level0Desc(-1).width, 1u);
  EXPECT_EQ(Level0Desc(-1).height, 1u);
  EXPECT_EQ(GetImageWidth(-1), 64);
  EXPECT_EQ(GetImageHeight(-1), 32);

  // Not keyed, mode 0: the file's own format, stretched, extents 1.0.
  const std::string png = WritePicture("plain.png", d3dx::IFF_PNG, p);
  ASSERT_EQ(LoadImage(png.c_str(), 2), 1);
  EXPECT_EQ(Level0Desc(2).width, 64u);
  EXPECT_EQ(GetImageV(2), 1.0f);
  EXPECT_EQ(word_, 0u);
}

TEST_F(ImageLoading, AJpegLoadsCloseToItsColour) {
  const std::string jpg = WriteJpeg("blue.jpg", 40, 30, 0x2050C0);
  ASSERT_EQ(LoadImageWithMode(jpg.c_str(), 1, 1), 1);
  EXPECT_EQ(GetImageWidth(1), 40);
  EXPECT_EQ(GetImageHeight(1), 30);
  EXPECT_TRUE(Near(TexturePixels(GetImageTexture(1)).At(20, 15), 0xFF2050C0u));
}

TEST_F(ImageLoading, LookupByNameNumbersDownwardAndReusesFreedNumbers) {
  const std::string a = WritePicture("a.bmp", d3dx::IFF_BMP, KeyedPicture());
  const std::string b = WritePicture("b.bmp", d3dx::IFF_BMP, KeyedPicture());
  EXPECT_EQ(LoadTextureByName(a.c_str(), 0), -1);
  std::string upper = a;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(LoadTextureByName(upper.c_str(), 0), -1);  // the same file in other letters
  EXPECT_EQ(LoadTextureByName(b.c_str(), 0), -2);
  EXPECT_EQ(LoadTextureByName(Path("missing.bmp").c_str(), 0), 0);
  EXPECT_EQ(word_, 0u);  // the lookup raises no code
  DeleteImage(-1);
  EXPECT_EQ(word_, 0u);
  EXPECT_FALSE(HasImage(-1));
  EXPECT_EQ(LoadTextureByName(b.c_str(), 0), -2);
  EXPECT_EQ(LoadTextureByName(a.c_str(), 0), -1);
  // An image loaded under a positive number is found as well.
  const std::string c = WritePicture("c.bmp", d3dx::IFF_BMP, KeyedPicture());
  ASSERT_EQ(LoadImage(c.c_str(), 5), 1);
  EXPECT_EQ(LoadTextureByName(c.c_str(), 0), 5);
}

TEST_F(ImageLoading, AFailedLoadLeavesNoImageAndBadFilesGiveAClearFailure) {
  const std::string good = WritePicture("good.bmp", d3dx::IFF_BMP, KeyedPicture());
  ASSERT_EQ(LoadImage(good.c_str(), 9), 1);
  // A BMP whose pixel data is cut off: its header reads, its pixels do not.
  std::vector<uint8_t> bytes;
  ASSERT_EQ(d3dx::EncodePicture(d3dx::IFF_BMP, d3dx::Picture(32, 32, 0xFF00FF00), false, bytes), gfx::kOk);
  bytes.resize(bytes.size() / 2);
  ASSERT_EQ(d3dx::WritePictureBytes(Path("cut.bmp"), bytes), gfx::kOk);
  for (int mode : {0, 1}) {
    word_ = 0;
    EXPECT_EQ(LoadImageWithMode(Path("cut.bmp").c_str(), 9, mode), 0) << mode;
    EXPECT_EQ(word_, 506u);
    EXPECT_FALSE(ImageExists(9));
  }
  word_ = 0;
  EXPECT_EQ(LoadImageUnscaled(Path("nothing.bmp").c_str(), 9), 0);
  EXPECT_EQ(word_, 0u);  // the unscaled load raises nothing
  const std::string longName(300, 'x');
  EXPECT_EQ(LoadImage(longName.c_str(), 9), 0);
  EXPECT_EQ(word_, 506u);
}

TEST_F(ImageLoading, CreatingUnderAUsedNumberReplacesTheImageAndReleasesItsTexture) {
  gfx::Texture* first = CreateImage(4, 100, 50);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetImageWidth(4), 100);
  EXPECT_EQ(FindImage(4)->depth, 32);
  first->AddRef();
  gfx::Texture* second = CreateImage(4, 8, 8);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->Release(), 0u);  // ours was the last reference
  EXPECT_EQ(GetImageTexture(4), second);
  EXPECT_EQ(Images().images.Count(), 1);

  EXPECT_EQ(CreateImage(5, 0, 10), nullptr);  // no texture of nothing
  EXPECT_FALSE(HasImage(5));
  gfx::Texture* target = CreateImageWithFormat(6, 64, 64, gfx::FMT_X8R8G8B8);
  ASSERT_NE(target, nullptr);
  gfx::SurfaceDesc desc{};
  target->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.usage & gfx::USAGE_RENDERTARGET, uint32_t(gfx::USAGE_RENDERTARGET));
}

TEST_F(ImageLoading, GettersOfMissingImagesAndTheDeviceResetThatDeletesEveryImage) {
  EXPECT_EQ(GetImageWidth(77), -1);
  EXPECT_EQ(GetImageHeight(77), -1);
  EXPECT_EQ(GetImageU(77), 1.0f);
  EXPECT_EQ(GetImageV(77), 1.0f);
  EXPECT_EQ(GetImageTexture(77), nullptr);
  EXPECT_EQ(GetImageFileName(77), nullptr);
  EXPECT_EQ(word_, 0u);

  ASSERT_NE(CreateImage(1, 16, 16), nullptr);
  ASSERT_NE(CreateImage(2, 16, 16), nullptr);
  ImageModule::RefreshD3D(0);
  EXPECT_EQ(Images().images.Count(), 0);
  ImageModule::RefreshD3D(1);
  EXPECT_EQ(Images().format, uint32_t(gfx::FMT_A8R8G8B8));
  EXPECT_NE(CreateImage(1, 16, 16), nullptr);
}

TEST_F(ImageLoading, ImageErrors) {
  const std::string good = WritePicture("e.bmp", d3dx::IFF_BMP, KeyedPicture());
  ASSERT_NE(CreateImage(1, 8, 8), nullptr);
  struct Case {
    const char* what;
    void (*call)(const std::string& file);
    uint32_t code;
  } cases[] = {
      {"delete out of range", [](const std::string&) { DeleteImage(0); }, 501},
      {"delete a missing image", [](const std::string&) { DeleteImage(2); }, 502},
      {"delete a negative number not in use", [](const std::string&) { DeleteImage(-3); }, 501},
      {"exists out of range", [](const std::string&) { ImageExists(22000001); }, 501},
      {"file name out of range", [](const std::string&) { GetImageFileName(-1); }, 501},
      {"load out of range ends in 506", [](const std::string& f) { LoadImage(f.c_str(), 0); }, 506},
      {"load of no file", [](const std::string&) { LoadImageWithMode("no such file.bmp", 2, 1); }, 506},
      {"capture out of range", [](const std::string&) { CaptureImage(0, 0, 0, 8, 8); }, 501},
      {"capture of an empty rectangle", [](const std::string&) { CaptureImage(2, 5, 0, 5, 8); }, 504},
      {"capture of a reversed rectangle", [](const std::string&) { CaptureImage(2, 0, 8, 8, 0); }, 504},
      {"capture past the surface", [](const std::string&) { CaptureImage(2, 0, 0, 641, 8); }, 504},
      {"capture from a negative origin", [](const std::string&) { CaptureImage(2, -1, 0, 8, 8); }, 504},
      {"draw out of range", [](const std::string&) { DrawImageAt(-5, 0, 0); }, 501},
      {"draw a missing image", [](const std::string&) { DrawImageAt(2, 0, 0); }, 502},
  };
  for (const Case& c : cases) {
    word_ = 0;
    c.call(good);
    EXPECT_EQ(word_, c.code) << c.what;
  }
  EXPECT_TRUE(HasImage(1));
  EXPECT_FALSE(HasImage(2));

  // Without a render surface there is nothing to capture.
  gfx::Surface* surface = core_->currentRenderSurface;
  core_->currentRenderSurface = nullptr;
  word_ = 0;
  EXPECT_EQ(CaptureImage(2, 0, 0, 8, 8), 0);
  EXPECT_EQ(word_, 500u);
  core_->currentRenderSurface = surface;
}

}  // namespace
}  // namespace media_test
