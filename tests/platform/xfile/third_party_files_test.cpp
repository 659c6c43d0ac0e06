// The X files of Debian's assimp-testmodels, written by several exporters, read through the reader
// and counted. Figures come from each file's own text and from `assimp info -r FILE`.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;
namespace ids = platform::xfile::ids;

const std::filesystem::path kFolder = "/usr/share/assimp/models/X";

struct Counts {
  int meshes = 0, frames = 0, skin_weights = 0, animation_sets = 0, animations = 0;
  uint64_t vertices = 0, faces = 0, triangles = 0, keys = 0;
  uint32_t max_key_time = 0;
};

Counts Count(const xf::Reader& reader) {
  Counts c;
  ForEachObject(reader, [&](const xf::DataObject& o) {
    xf::BlobReader blob(o);
    uint32_t n = 0, k = 0;
    if (o.Type() == ids::Mesh) {
      ++c.meshes;
      ASSERT_TRUE(blob.ReadU32(n) && blob.Skip(size_t(n) * 12));
      c.vertices += n;
      ASSERT_TRUE(blob.ReadU32(n));
      c.faces += n;
      for (uint32_t f = 0; f < n; ++f) {
        ASSERT_TRUE(blob.ReadU32(k) && blob.Skip(size_t(k) * 4));
        c.triangles += k >= 3 ? k - 2 : 0;
      }
    } else if (o.Type() == ids::AnimationKey) {
      ASSERT_TRUE(blob.ReadU32(k) && blob.ReadU32(n));
      c.keys += n;
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t time, values;
        ASSERT_TRUE(blob.ReadU32(time) && blob.ReadU32(values) && blob.Skip(size_t(values) * 4));
        c.max_key_time = std::max(c.max_key_time, time);
      }
      EXPECT_EQ(blob.Remaining(), 0u);
    }
    c.frames += o.Type() == ids::Frame;
    c.skin_weights += o.Type() == ids::SkinWeights;
    c.animation_sets += o.Type() == ids::AnimationSet;
    c.animations += o.Type() == ids::Animation;
  });
  return c;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The template name of a line that opens a data object ("  Mesh name {", "Frame {"), or "".
std::string ObjectLineType(const std::string& line) {
  std::istringstream words(line);
  std::string type, next;
  words >> type;
  if (type.empty() || !(std::isalpha(uint8_t(type[0])) || type[0] == '_') || type == "template") return "";
  for (char ch : type)
    if (!std::isalnum(uint8_t(ch)) && ch != '_') return "";
  words >> next;
  if (next != "{") words >> next;
  if (next.empty() || next[0] != '{') return "";
  for (char& ch : type) ch = char(std::tolower(uint8_t(ch)));
  return type;
}

class ThirdPartyFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kFolder)) GTEST_SKIP() << "assimp-testmodels is not installed";
  }
};

struct Expected {
  const char* file;
  int meshes;
  uint64_t vertices, faces, triangles;
  int frames, skin_weights, animation_sets, animations;
  uint64_t keys;
  uint32_t max_key_time;
};

// Faces, bones (SkinWeights) and animation channels as `assimp info -r` gives them; vertices and keys
// as the files' own text holds them.
constexpr Expected kExpected[] = {
    {"test_cube_text.x", 1, 24, 12, 12, 2, 1, 0, 0, 0, 0},
    {"test_cube_binary.x", 1, 24, 12, 12, 2, 1, 0, 0, 0, 0},
    {"test_cube_compressed.x", 1, 24, 12, 12, 2, 1, 0, 0, 0, 0},
    {"fromtruespace_bin32.x", 1, 4132, 6656, 6656, 1, 0, 0, 0, 0, 0},
    {"anim_test.x", 1, 1720, 840, 840, 4, 4, 1, 4, 288, 24},
    {"BCN_Epileptic.X", 3, 0, 5126, 5126, 57, 54, 1, 57, 1834, 0},
    {"Testwuson.X", 1, 0, 3732, 3732, 39, 37, 3, 117, 4565, 0},
    {"kwxport_test_cubewithvcolors.x", 1, 24, 12, 12, 1, 0, 0, 0, 0, 0},
    {"test.x", 1, 24, 12, 12, 1, 0, 0, 0, 0, 0},
    {"TestFormatDetection", 1, 24, 12, 12, 1, 0, 0, 0, 0, 0},
};

TEST_F(ThirdPartyFiles, CountsMatchTheFilesAndAnIndependentReader) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.file);
    xf::Reader reader;
    ASSERT_TRUE(reader.Open((kFolder / e.file).string())) << reader.Error();
    Counts c = Count(reader);
    EXPECT_EQ(c.meshes, e.meshes);
    if (e.vertices) {
      EXPECT_EQ(c.vertices, e.vertices);
    }
    EXPECT_EQ(c.faces, e.faces);
    EXPECT_EQ(c.triangles, e.triangles);
    EXPECT_EQ(c.frames, e.frames);
    EXPECT_EQ(c.skin_weights, e.skin_weights);
    EXPECT_EQ(c.animation_sets, e.animation_sets);
    EXPECT_EQ(c.animations, e.animations);
    EXPECT_EQ(c.keys, e.keys);
    if (e.max_key_time) {
      EXPECT_EQ(c.max_key_time, e.max_key_time);
    }
  }
}

// Every data object a text file writes on its own line ("Mesh name {") is one the reader exposes.
TEST_F(ThirdPartyFiles, TextFilesExposeEveryObjectTheirTextHolds) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
    std::string text = ReadText(entry.path());
    if (text.compare(0, 16, "xof 0303txt 0032") != 0) continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    std::map<std::string, int> in_text, in_reader;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::string type = ObjectLineType(line);
      if (!type.empty()) ++in_text[type];
    }
    xf::Reader reader;
    ASSERT_TRUE(reader.Open(entry.path().string())) << reader.Error();
    ForEachObject(reader, [&](const xf::DataObject& o) {
      std::string type = o.TemplateName();
      for (char& ch : type) ch = char(std::tolower(uint8_t(ch)));
      ++in_reader[type];
    });
    EXPECT_EQ(in_reader, in_text);
  }
  EXPECT_GE(files, 6);
}

TEST_F(ThirdPartyFiles, TextBinaryAndCompressedCubesGiveTheSameTree) {
  std::vector<ObjectView> trees[3];
  const char* names[3] = {"test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x"};
  for (int i = 0; i < 3; ++i) {
    xf::Reader reader;
    ASSERT_TRUE(reader.Open((kFolder / names[i]).string())) << reader.Error();
    trees[i] = Flatten(reader);
  }
  EXPECT_TRUE(SameTree(trees[0], trees[1]));
  EXPECT_TRUE(SameTree(trees[1], trees[2]));
  bool material_reference = false;
  for (const ObjectView& v : trees[0]) material_reference |= v.line == "{Material} -> Material Material";
  EXPECT_TRUE(material_reference);
}

TEST_F(ThirdPartyFiles, ExporterQuirksReadAsMeant) {
  // "TextureFileName" for TextureFilename; strings read as written, backslashes and all.
  const std::pair<const char*, const char*> kTextures[] = {{"anim_test.x", ""}, {"test.x", ".\\\\test.png"}};
  for (auto [file, texture] : kTextures) {
    SCOPED_TRACE(file);
    xf::Reader reader;
    ASSERT_TRUE(reader.Open((kFolder / file).string())) << reader.Error();
    std::vector<std::string> names;
    ForEachObject(reader, [&](const xf::DataObject& o) {
      if (o.Type() != ids::TextureFilename) return;
      xf::BlobReader blob(o);
      const char* name = nullptr;
      ASSERT_TRUE(blob.ReadString(name));
      ASSERT_NE(name, nullptr);
      names.push_back(name);
    });
    EXPECT_EQ(names, std::vector<std::string>{texture});
  }

  // Every track of the animation names its frame by reference, and every reference resolves.
  xf::Reader reader;
  ASSERT_TRUE(reader.Open((kFolder / "BCN_Epileptic.X").string())) << reader.Error();
  int resolved_frames = 0;
  ForEachObject(reader, [&](const xf::DataObject& o) {
    for (const xf::Child& c : o.Children())
      if (c.IsReference() && c.Resolve() && c.Resolve()->Type() == ids::Frame) ++resolved_frames;
  });
  EXPECT_EQ(resolved_frames, 57);
}

TEST_F(ThirdPartyFiles, DamagedCompressedFileFailsToOpen) {
  xf::Reader reader;
  EXPECT_FALSE(reader.Open((kFolder / "OV_GetNextToken").string()));
  EXPECT_FALSE(reader.Error().empty());
  EXPECT_TRUE(reader.DataObjects().empty());
}

}  // namespace
