// Every picture the game loads decodes, and the ones it draws with the colour key are cut cleanly.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/fs/folder.h"
#include "tests/assets/assets_fixture.h"

namespace {

using platform::d3dx::Picture;
constexpr uint32_t kKey = 0xFFFF00FF;

struct Named {
  const char* name;
  bool keyed;  // drawn with the key colour transparent
};

const Named kPictures[] = {
    {"Art\\heaven.jpg", false},       {"Art\\music.jpg", false},         {"Art\\Loading.jpg", false},
    {"Art\\menubg.bmp", false},       {"Art\\menubg2.bmp", false},       {"Art\\menuframe.bmp", true},
    {"Art\\Gui1.bmp", true},          {"Art\\Gui2.bmp", false},          {"Art\\Gui3.bmp", true},
    {"Art\\Life1.bmp", true},         {"Art\\Particle1.bmp", true},      {"Art\\arrow left.bmp", true},
    {"Art\\arrow right.bmp", true},   {"Art\\arrow up.bmp", true},       {"Art\\arrow down.bmp", true},
    {"Art\\turn left.bmp", true},     {"Art\\turn right.bmp", true},     {"Art\\plus.bmp", true},
    {"Art\\minus.bmp", true},         {"Art\\circle.bmp", true},         {"Art\\dot.bmp", true},
    {"Art\\colourinfo.bmp", true},    {"Art\\showwarp.bmp", true},       {"Art\\background.bmp", true},
    {"Art\\buyplan.bmp", true},       {"Art\\tick.bmp", true},           {"Textures\\TexPlain.jpg", false},
    {"Textures\\Warp.bmp", true},     {"Textures\\PlayerStart.jpg", false}, {"Textures\\Message.jpg", false},
    {"Textures\\Platform.jpg", false}, {"Textures\\Respawn.jpg", false}, {"Models\\plasmaball-blue.jpg", false},
};

bool Decode(const std::string& name, Picture* picture) {
  std::vector<uint8_t> bytes;
  platform::d3dx::PictureFile file;
  if (platform::d3dx::ReadPictureBytes(name, bytes) != 0) return false;
  if (platform::d3dx::DecodePicture(bytes.data(), bytes.size(), file) != 0) return false;
  *picture = file.Image();
  return true;
}

// A pixel the key does not remove but that shows as pink: what an antialiased edge leaves.
bool NearKey(uint32_t p) {
  if (p == kKey) return false;
  const int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
  return std::abs(r - 255) + g + std::abs(b - 255) < 60;
}

class PicturesTest : public AssetsTest {};

TEST_F(PicturesTest, EveryPictureTheGameLoadsDecodesAndKeyedOnesHaveCleanEdges) {
  for (const Named& named : kPictures) {
    SCOPED_TRACE(named.name);
    Picture picture;
    ASSERT_TRUE(Decode(named.name, &picture));
    EXPECT_GT(picture.width, 0u);
    size_t keyed = 0, fringe = 0;
    for (uint32_t p : picture.pixels) keyed += (p | 0xFF000000u) == kKey, fringe += NearKey(p | 0xFF000000u);
    if (named.keyed) EXPECT_GT(keyed, 0u) << "nothing is transparent";
    else EXPECT_EQ(keyed, 0u) << "a picture drawn without the key shows magenta";
    EXPECT_EQ(fringe, 0u) << "pink edges round the transparent parts";
  }
}

TEST_F(PicturesTest, TheHudFrameLetsEveryGaugeShowThrough) {
  // The game fills the gauges first and draws the frame over them at (0, H - 75).
  Picture gui;
  ASSERT_TRUE(Decode("Art\\Gui1.bmp", &gui));
  struct Box {
    uint32_t x0, y0, x1, y1;  // inclusive, in the frame's own pixels
  };
  const Box gauges[] = {{21, 22, 204, 28}, {21, 38, 204, 44}, {21, 46, 204, 61},
                        {220, 41, 246, 61}, {255, 41, 281, 61}, {290, 41, 316, 61}};
  for (const Box& box : gauges)
    for (uint32_t y = box.y0; y <= box.y1; ++y)
      for (uint32_t x = box.x0; x <= box.x1; ++x) ASSERT_EQ(gui.At(x, y) | 0xFF000000u, kKey) << x << "," << y;
}

TEST_F(PicturesTest, EveryLevelTextureTheEditorListsDecodes) {
  std::vector<platform::fs::FolderEntry> entries;
  platform::fs::ListFolder("Textures", entries);
  int textures = 0;
  for (const auto& entry : entries) {
    if (entry.name.find(".jpg") == std::string::npos && entry.name.find(".bmp") == std::string::npos) continue;
    SCOPED_TRACE(entry.name);
    Picture picture;
    EXPECT_TRUE(Decode("Textures\\" + entry.name, &picture));
    ++textures;
  }
  EXPECT_GE(textures, 6);
}

}  // namespace
