#include "platform/d3dx/pictures/textures.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/window/window.h"

namespace {

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;
namespace pw = platform::window;

constexpr uint32_t kMagenta = 0xFFFF00FF;

intptr_t QuietProcedure(pw::Window*, uint32_t, uintptr_t, intptr_t) { return 0; }

// One device for the whole suite, on a hidden window, and a folder for the picture files.
class TexturesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string why;
    ASSERT_TRUE(pw::InitPlatform(&why)) << why;
    window_ = pw::Window::Create("textures", pw::WS_POPUP, 0, 0, 64, 64, QuietProcedure, &why);
    ASSERT_NE(window_, nullptr) << why;
    gfx::Ref<gfx::Api> api(gfx::CreateApi(gfx::kSdkVersion));
    ASSERT_TRUE(api);
    gfx::PresentParams params{};
    params.backBufferWidth = 64;
    params.backBufferHeight = 64;
    params.backBufferFormat = gfx::FMT_X8R8G8B8;
    params.backBufferCount = 1;
    params.swapEffect = gfx::SWAPEFFECT_DISCARD;
    params.deviceWindow = window_->DeviceWindow();
    params.windowed = 1;
    params.enableAutoDepthStencil = 1;
    params.autoDepthStencilFormat = gfx::FMT_D24S8;
    ASSERT_EQ(api->CreateDevice(0, gfx::DEVTYPE_HAL, window_->DeviceWindow(), gfx::CREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device_),
              gfx::kOk);
    folder_ = std::filesystem::temp_directory_path() / "qel_textures_test";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  static void TearDownTestSuite() {
    if (device_) device_->Release();
    device_ = nullptr;
    if (window_) pw::Window::Destroy(window_);
    window_ = nullptr;
    std::filesystem::remove_all(folder_);
  }

  static std::string Path(const char* name) { return (folder_ / name).string(); }

  // Writes a picture file made by our own writers (their bytes are checked by the CPU tests).
  static std::string WriteFile(const char* name, d3dx::ImageFileFormat format, const d3dx::Picture& p, bool alpha) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(d3dx::EncodePicture(format, p, alpha, bytes), gfx::kOk);
    EXPECT_EQ(d3dx::WritePictureBytes(Path(name), bytes), gfx::kOk);
    return Path(name);
  }

  static d3dx::Picture Level(gfx::Texture* texture, uint32_t level) {
    gfx::Ref<gfx::Surface> surface;
    EXPECT_EQ(texture->GetSurfaceLevel(level, surface.put()), gfx::kOk);
    d3dx::Picture p;
    EXPECT_EQ(d3dx::ReadSurface(surface.get(), &p), gfx::kOk);
    return p;
  }

  static gfx::Ref<gfx::Surface> Surface(gfx::Texture* texture, uint32_t level = 0) {
    gfx::Ref<gfx::Surface> surface;
    EXPECT_EQ(texture->GetSurfaceLevel(level, surface.put()), gfx::kOk);
    return surface;
  }

  static gfx::Result Fill(gfx::Texture* texture, const d3dx::Picture& p, const gfx::Rect* rect = nullptr,
                          uint32_t filter = d3dx::FILTER_NONE, uint32_t key = 0) {
    return d3dx::LoadSurfaceFromPicture(Surface(texture).get(), rect, p, nullptr, filter, key);
  }

  static gfx::Ref<gfx::Texture> Made(uint32_t w, uint32_t h, uint32_t levels, gfx::Format format) {
    gfx::Ref<gfx::Texture> t;
    EXPECT_EQ(d3dx::CreateTexture(device_, w, h, levels, 0, format, gfx::POOL_MANAGED, t.put()), gfx::kOk);
    return t;
  }

  static inline gfx::Device* device_ = nullptr;
  static inline pw::Window* window_ = nullptr;
  static inline std::filesystem::path folder_;
};

// 3 x 2 with a magenta pixel, as the game's keyed pictures have.
d3dx::Picture Keyed() {
  d3dx::Picture p(3, 2);
  p.pixels = {0xFF102030, kMagenta, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0};
  return p;
}

// A square DDS of 32-bit ARGB pixels (all levels, all faces, in file order).
std::vector<uint8_t> ArgbDds(uint32_t side, uint32_t mips, uint32_t caps2, std::initializer_list<uint32_t> pixels) {
  std::vector<uint8_t> dds = {'D', 'D', 'S', ' '};
  auto put = [&](uint32_t v) { for (int i = 0; i < 4; ++i) dds.push_back(uint8_t(v >> (8 * i))); };
  for (uint32_t v : {124u, mips > 1 ? 0x21007u : 0x1007u, side, side, 0u, 0u, mips}) put(v);
  for (int i = 0; i < 11; ++i) put(0);
  for (uint32_t v : {32u, 0x41u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u, 0x1000u, caps2, 0u, 0u, 0u}) put(v);
  for (uint32_t v : pixels) put(v);
  return dds;
}

TEST_F(TexturesTest, InformationOfAFileAndOfNoFile) {
  const std::string name = WriteFile("info.bmp", d3dx::IFF_BMP, Keyed(), false);
  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::GetImageInfoFromFile(name, &info), gfx::kOk);
  EXPECT_EQ(info.width, 3u);
  EXPECT_EQ(info.height, 2u);
  EXPECT_EQ(info.imageFileFormat, d3dx::IFF_BMP);
  EXPECT_EQ(d3dx::GetImageInfoFromFile(Path("missing.bmp"), &info), d3dx::kFileNotFound);
}

// Keyed load of a whole file: a full mip chain in the module's format, the key applied, each level
// filtered from the one above.
TEST_F(TexturesTest, KeyedTextureWithItsMipChain) {
  const std::string name = WriteFile("keyed.bmp", d3dx::IFF_BMP, Keyed(), false);
  gfx::Ref<gfx::Texture> t;
  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::CreateTextureFromFileEx(device_, name, 3, 2, d3dx::kDefault, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED,
                                          d3dx::FILTER_POINT, d3dx::kDefault, kMagenta, &info, t.put()),
            gfx::kOk);
  EXPECT_EQ(info.width, 3u);
  ASSERT_EQ(t->GetLevelCount(), 2u);
  d3dx::Picture top = Level(t.get(), 0);
  d3dx::Picture expected = Keyed();
  expected.pixels[1] = 0;
  EXPECT_EQ(top.pixels, expected.pixels);
  d3dx::Picture next = Level(t.get(), 1);
  ASSERT_EQ(next.width, 1u);
  // The box of all six pixels, the keyed one counting as 0x00000000.
  EXPECT_EQ(next.pixels[0] & 0xFFFFFF, 0x5D6B78u);
  EXPECT_NEAR(double(next.pixels[0] >> 24), 212.5, 0.5);
}

// The interface pictures: the file unscaled in the corner of a larger texture, the rest as made.
TEST_F(TexturesTest, PictureInTheCornerOfALargerTexture) {
  const std::string name = WriteFile("corner.bmp", d3dx::IFF_BMP, Keyed(), false);
  gfx::Ref<gfx::Texture> t = Made(4, 4, 1, gfx::FMT_A8R8G8B8);
  const gfx::Rect corner{0, 0, 3, 2};
  ASSERT_EQ(Fill(t.get(), d3dx::Picture(4, 4, 0xFF00FF00)), gfx::kOk);
  ASSERT_EQ(d3dx::LoadSurfaceFromFile(Surface(t.get()).get(), &corner, name, nullptr, d3dx::FILTER_POINT, kMagenta,
                                      nullptr),
            gfx::kOk);
  d3dx::Picture p = Level(t.get(), 0);
  EXPECT_EQ(p.At(0, 0), 0xFF102030u);
  EXPECT_EQ(p.At(1, 0), 0u);
  EXPECT_EQ(p.At(2, 1), 0xFFD0E0F0u);
  EXPECT_EQ(p.At(3, 0), 0xFF00FF00u);
  EXPECT_EQ(p.At(0, 2), 0xFF00FF00u);
}

TEST_F(TexturesTest, StretchedAndConvertedIntoOtherFormats) {
  d3dx::Picture two(2, 2);
  two.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  struct Case {
    gfx::Format format;
    uint32_t bottomRight;  // what the format makes of 0x80FFFFFF
  };
  for (const Case& c : {Case{gfx::FMT_A8R8G8B8, 0x80FFFFFF}, Case{gfx::FMT_R5G6B5, 0xFFFFFFFF},
                        Case{gfx::FMT_A4R4G4B4, 0x88FFFFFF}, Case{gfx::FMT_X8R8G8B8, 0xFFFFFFFF}}) {
    gfx::Ref<gfx::Texture> t = Made(4, 4, 1, c.format);
    ASSERT_EQ(Fill(t.get(), two, nullptr, d3dx::FILTER_POINT), gfx::kOk);
    gfx::SurfaceDesc desc{};
    Surface(t.get())->GetDesc(&desc);
    EXPECT_EQ(desc.format, c.format);
    d3dx::Picture p = Level(t.get(), 0);
    EXPECT_EQ(p.At(1, 1), 0xFFFF0000u) << c.format;
    EXPECT_EQ(p.At(2, 0), 0xFF00FF00u) << c.format;
    EXPECT_EQ(p.At(3, 3), c.bottomRight) << c.format;
  }
}

TEST_F(TexturesTest, BlockCompressedTexturesKeepWhatIsAroundTheRectangle) {
  gfx::Ref<gfx::Texture> t = Made(8, 8, 1, gfx::FMT_DXT1);
  gfx::SurfaceDesc desc{};
  Surface(t.get())->GetDesc(&desc);
  if (desc.format != gfx::FMT_DXT1) GTEST_SKIP() << "the device offers no block compression";
  ASSERT_EQ(Fill(t.get(), d3dx::Picture(8, 8, 0xFFFF0000)), gfx::kOk);
  const gfx::Rect inner{2, 2, 6, 6};
  ASSERT_EQ(Fill(t.get(), d3dx::Picture(4, 4, 0xFF0000FF), &inner), gfx::kOk);
  d3dx::Picture p = Level(t.get(), 0);
  EXPECT_EQ(p.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(p.At(2, 2), 0xFF0000FFu);
  EXPECT_EQ(p.At(5, 5), 0xFF0000FFu);
  EXPECT_EQ(p.At(6, 5), 0xFFFF0000u);
  EXPECT_EQ(p.At(7, 7), 0xFFFF0000u);
}

// Files that are not keyed come in their own format, or the nearest one the device takes.
TEST_F(TexturesTest, FilesInTheirOwnFormat) {
  d3dx::Picture p(2, 1);
  p.pixels = {0x80112233, 0xFF445566};
  const std::string png = WriteFile("alpha.png", d3dx::IFF_PNG, p, true);
  gfx::Ref<gfx::Texture> t;
  ASSERT_EQ(d3dx::CreateTextureFromFile(device_, png, t.put()), gfx::kOk);
  gfx::SurfaceDesc desc{};
  Surface(t.get())->GetDesc(&desc);
  EXPECT_EQ(desc.format, gfx::FMT_A8R8G8B8);
  EXPECT_EQ(Level(t.get(), 0).pixels, p.pixels);

  // A paletted picture has no texture format of its own.
  std::vector<uint8_t> bmp = {'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                              1, 0, 1, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 1, 2, 3, 0, 0x80, 0, 0, 0};
  ASSERT_EQ(d3dx::WritePictureBytes(Path("paletted.bmp"), bmp), gfx::kOk);
  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::CreateTextureFromFileEx(device_, Path("paletted.bmp"), d3dx::kDefault, d3dx::kDefault, 1, 0,
                                          d3dx::kFormatFromFile, gfx::POOL_MANAGED, d3dx::kDefault, d3dx::kDefault, 0,
                                          &info, t.put()),
            gfx::kOk);
  EXPECT_EQ(info.format, gfx::FMT_P8);
  Surface(t.get())->GetDesc(&desc);
  EXPECT_EQ(desc.format, gfx::FMT_A8R8G8B8);
  EXPECT_EQ(Level(t.get(), 0).pixels, std::vector<uint32_t>{0xFF030201});
}

TEST_F(TexturesTest, MipLevelsStoredInTheFileAreUsed) {
  // A 2 x 2 DDS whose second level is not the average of the first.
  const std::vector<uint8_t> dds =
      ArgbDds(2, 2, 0, {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF00FF00u});
  ASSERT_EQ(d3dx::WritePictureBytes(Path("mips.dds"), dds), gfx::kOk);
  gfx::Ref<gfx::Texture> t;
  ASSERT_EQ(d3dx::CreateTextureFromFileEx(device_, Path("mips.dds"), d3dx::kDefault, d3dx::kDefault, d3dx::kFromFile,
                                          0, d3dx::kFormatFromFile, gfx::POOL_MANAGED, d3dx::kDefault, d3dx::kDefault, 0,
                                          nullptr, t.put()),
            gfx::kOk);
  ASSERT_EQ(t->GetLevelCount(), 2u);
  EXPECT_EQ(Level(t.get(), 1).pixels, std::vector<uint32_t>{0xFF00FF00});
}

TEST_F(TexturesTest, CopiesBetweenSurfacesWithScaleAndKey) {
  gfx::Ref<gfx::Texture> from = Made(2, 1, 1, gfx::FMT_A8R8G8B8), to = Made(4, 2, 1, gfx::FMT_A8R8G8B8);
  d3dx::Picture p(2, 1);
  p.pixels = {kMagenta, 0xFF123456};
  ASSERT_EQ(Fill(from.get(), p), gfx::kOk);
  ASSERT_EQ(d3dx::LoadSurfaceFromSurface(Surface(to.get()).get(), nullptr, Surface(from.get()).get(), nullptr,
                                         d3dx::FILTER_POINT, kMagenta),
            gfx::kOk);
  EXPECT_EQ(Level(to.get(), 0).pixels,
            (std::vector<uint32_t>{0, 0, 0xFF123456, 0xFF123456, 0, 0, 0xFF123456, 0xFF123456}));
  // A surface onto itself.
  const gfx::Rect left{0, 0, 1, 1};
  ASSERT_EQ(d3dx::LoadSurfaceFromSurface(Surface(from.get()).get(), &left, Surface(from.get()).get(), nullptr,
                                         d3dx::FILTER_BOX, 0),
            gfx::kOk);
  EXPECT_EQ(Level(from.get(), 0).pixels[0], 0xFF891AABu);  // the box of both pixels
}

TEST_F(TexturesTest, SavedTexturesReadBackAsTheyWere) {
  gfx::Ref<gfx::Texture> t = Made(4, 2, d3dx::kDefault, gfx::FMT_A8R8G8B8);
  gfx::LockedRect locked{};
  ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), gfx::kOk);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 4; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch)[x] = 0xFF000000u | (y * 4 + x) * 0x10203;
  ASSERT_EQ(t->UnlockRect(0), gfx::kOk);
  const d3dx::Picture written = Level(t.get(), 0);
  for (d3dx::ImageFileFormat format : {d3dx::IFF_BMP, d3dx::IFF_PNG}) {
    const std::string name = Path(format == d3dx::IFF_BMP ? "saved.bmp" : "saved.png");
    ASSERT_EQ(d3dx::SaveTextureToFile(name, format, t.get()), gfx::kOk);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(d3dx::ReadPictureBytes(name, bytes), gfx::kOk);
    d3dx::PictureFile file;
    ASSERT_EQ(d3dx::DecodePicture(bytes.data(), bytes.size(), file), gfx::kOk);
    EXPECT_EQ(file.Image().pixels, written.pixels);
  }
  const gfx::Rect outside{0, 0, 5, 1};
  EXPECT_EQ(d3dx::SaveSurfaceToFile(Path("bad.bmp"), d3dx::IFF_BMP, Surface(t.get()).get(), &outside), gfx::kInvalidCall);
}

TEST_F(TexturesTest, CubeTexturesFromCubeAndFlatPictures) {
  const std::vector<uint8_t> dds = ArgbDds(1, 1, 0xFE00, {0xFF000000u, 0xFF000028u, 0xFF000050u, 0xFF000078u,
                                                          0xFF0000A0u, 0xFF0000C8u});
  ASSERT_EQ(d3dx::WritePictureBytes(Path("cube.dds"), dds), gfx::kOk);
  const std::string flat = WriteFile("flat.bmp", d3dx::IFF_BMP, d3dx::Picture(2, 2, 0xFF336699), false);
  for (const std::string& name : {Path("cube.dds"), flat}) {
    gfx::Ref<gfx::CubeTexture> cube;
    ASSERT_EQ(d3dx::CreateCubeTextureFromFileEx(device_, name, d3dx::kDefault, d3dx::kDefault, 0, d3dx::kFormatFromFile,
                                                gfx::POOL_MANAGED, d3dx::kDefault, d3dx::kDefault, 0, nullptr, cube.put()),
              gfx::kOk);
    for (uint32_t face = 0; face < 6; ++face) {
      gfx::Ref<gfx::Surface> surface;
      ASSERT_EQ(cube->GetCubeMapSurface(face, 0, surface.put()), gfx::kOk);
      d3dx::Picture p;
      ASSERT_EQ(d3dx::ReadSurface(surface.get(), &p), gfx::kOk);
      EXPECT_EQ(p.pixels[0], name == flat ? 0xFF336699u : 0xFF000000u | face * 40) << name << " face " << face;
    }
  }
}

TEST_F(TexturesTest, BadInputIsRefusedWithoutAnyTexture) {
  ASSERT_EQ(d3dx::WritePictureBytes(Path("cut.bmp"), {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40}), gfx::kOk);
  gfx::Ref<gfx::Texture> t;
  gfx::Texture* raw = reinterpret_cast<gfx::Texture*>(1);
  EXPECT_EQ(d3dx::CreateTextureFromFile(device_, Path("cut.bmp"), &raw), d3dx::kInvalidData);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(d3dx::CreateTextureFromFile(device_, Path("none.bmp"), t.put()), d3dx::kFileNotFound);
  EXPECT_EQ(d3dx::CreateTextureFromFileEx(device_, Path("cut.bmp"), 0, 0, 0, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED,
                                          0, d3dx::kDefault, 0, nullptr, t.put()),
            gfx::kInvalidCall);

  gfx::Ref<gfx::Texture> small = Made(2, 2, 1, gfx::FMT_A8R8G8B8);
  const gfx::Rect outside{1, 1, 3, 2}, negative{-1, 0, 1, 1};
  EXPECT_EQ(Fill(small.get(), Keyed(), &outside), gfx::kInvalidCall);
  EXPECT_EQ(d3dx::LoadSurfaceFromPicture(Surface(small.get()).get(), nullptr, Keyed(), &negative, d3dx::FILTER_POINT, 0),
            gfx::kInvalidCall);
  // A surface already locked cannot be written: the lock's failure comes back.
  gfx::LockedRect locked{};
  ASSERT_EQ(small->LockRect(0, &locked, nullptr, 0), gfx::kOk);
  EXPECT_TRUE(gfx::Failed(Fill(small.get(), Keyed(), nullptr, d3dx::FILTER_POINT)));
  small->UnlockRect(0);
}

}  // namespace
