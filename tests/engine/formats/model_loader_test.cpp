// Loading model files by name: the dispatch by extension, the errors it raises, and the temporary
// folder of the model formats.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/formats/model_loader.h"
#include "engine/formats/temp_folder.h"
#include "engine/objects/object_errors.h"
#include "platform/fs/folder.h"
#include "tests/engine/formats/formats_fixtures.h"
#include "tests/engine/objects/error_double.h"
#include "tests/platform/fs/scratch_folder.h"

namespace {

using namespace formats_test;

const std::string kTriangle = XText("Mesh tri { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n");

class ModelLoaderTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    RaisedErrors().clear();
  }
  static std::string Image(const ObjectRecord& object) {
    const std::vector<uint8_t> image = Save(object);
    return std::string(image.begin(), image.end());
  }
};

TEST_F(ModelLoaderTest, ExtensionIsTheTextAfterTheLastDot) {
  EXPECT_EQ(ModelFileExtension("Models\\Zevo.X"), "X");
  EXPECT_EQ(ModelFileExtension("a.b.kvo"), "kvo");
  EXPECT_EQ(ModelFileExtension("ball"), "");
  EXPECT_EQ(ModelFileExtension(".x"), "");
  EXPECT_EQ(ModelFileExtension("x."), "");
  EXPECT_EQ(ModelFileExtension(("m." + std::string(300, 'x')).c_str()).size(), 255u);
}

TEST_F(ModelLoaderTest, DispatchByExtension) {
  Write("Models/zevo.x", kTriangle);
  Write("model.xof", kTriangle);
  Write("ball", kTriangle);
  Write(".x", kTriangle);
  Write("notx.x", "not an X file");
  Write("templates.x", XText("template T { <11111111-2222-3333-4444-555555555555> DWORD a; }\n"));
  ObjectRecord one;
  one.root = NamedFrame("kvo");
  Write("a.b.kvo", Image(one));
  std::string wrongMagic = Image(one);
  wrongMagic[5] = 'X';
  Write("bad.KVO", wrongMagic);
  for (const char* name : {"m.md2", "m.3ds", "m.mdl", "m.MD3"}) Write(name, kTriangle);
  std::filesystem::create_directory(root_ + "/folder.x");

  struct Case {
    const char* name;
    uint32_t error;  // 0: loads
  };
  const Case cases[] = {
      {"Models\\Zevo.X", 0},  // through the resolver, any letter case
      {"model.xof", 0},       // every extension starting with x
      {"a.b.kvo", 0},
      {"missing.x", kErrorModelFileMissing},
      {"folder.x", kErrorModelFileMissing},  // a folder is no model file
      {"ball", kErrorModelLoadFailed},  // exists, but no extension chooses a converter
      {"missing", kErrorModelFileMissing},
      {".x", kErrorModelLoadFailed},
      {"notx.x", kErrorModelLoadFailed},
      {"templates.x", kErrorModelLoadFailed},  // no mesh
      {"bad.KVO", kErrorModelLoadFailed},
      {"missing.kvo", kErrorModelFileMissing},
      {"m.md2", kErrorModelLoadFailed},  // this and the next three hold X text: their converters refuse it
      {"m.3ds", kErrorModelLoadFailed},
      {"m.mdl", kErrorModelLoadFailed},
      {"m.MD3", kErrorModelLoadFailed},
      {"nowhere.md3", kErrorModelLoadFailed},  // a folder name: not tested for existence
  };
  for (const Case& c : cases) {
    RaisedErrors().clear();
    auto object = std::make_unique<ObjectRecord>();  // replaced by the result, or null
    const bool loaded = LoadModelFile(c.name, &object);
    EXPECT_EQ(loaded, c.error == 0) << c.name;
    EXPECT_EQ(bool(object), c.error == 0) << c.name;
    if (c.error) EXPECT_EQ(RaisedErrors(), std::vector<uint32_t>{c.error}) << c.name;
    else EXPECT_TRUE(RaisedErrors().empty()) << c.name;
  }
}

TEST_F(ModelLoaderTest, ConvertedModelArrivesAsItsTree) {
  Write("tri.x", kTriangle);
  std::unique_ptr<ObjectRecord> object;
  ASSERT_TRUE(LoadModelFile("tri.x", &object));
  ASSERT_TRUE(object->root && object->root->mesh);
  EXPECT_EQ(object->root->mesh->vertexCount, 3);
  EXPECT_EQ(object->meshList.size(), 1u);

  std::vector<uint8_t> image;
  EXPECT_TRUE(ConvertModelFile("tri.x", "x", &image));
  EXPECT_FALSE(ConvertModelFile("tri.x", "obj", &image));
  EXPECT_TRUE(image.empty());
}

TEST_F(ModelLoaderTest, TempFolderIsTheEnginesOwn) {
  SetupTempFolder();
  const std::string first = ModelTempFolder();
  SetupTempFolder();
  EXPECT_EQ(ModelTempFolder(), first);
  EXPECT_EQ(first, platform::fs::TempFolder());
  ASSERT_GT(first.size(), 1u);
  EXPECT_EQ(first.back(), '/');
  EXPECT_EQ(first.find("//"), std::string::npos);
  EXPECT_NE(first.find("tvqdata"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(first));
}

// Intermediate files: created whole, replaced by a new file when their bytes change, and left alone
// (the same file, not rewritten) when they already hold the bytes.
TEST_F(ModelLoaderTest, TemporaryFilesAreWrittenWholeAndOnlyWhenChanged) {
  namespace fs = std::filesystem;
  const std::string path = root_ + "/skin.bmp";
  const auto contents = [&] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto inode = [&] {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
  };
  ASSERT_TRUE(WriteTemporaryFile(path, "first", 5));
  EXPECT_EQ(contents(), "first");
  const ino_t written = inode();
  ASSERT_TRUE(WriteTemporaryFile(path, "first", 5));
  EXPECT_EQ(inode(), written);
  ASSERT_TRUE(WriteTemporaryFile(path, "firs", 4));  // same start, shorter
  EXPECT_EQ(contents(), "firs");
  ASSERT_TRUE(WriteTemporaryFile(path, "", 0));
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_FALSE(WriteTemporaryFile(root_ + "/missing/skin.bmp", "x", 1));
  EXPECT_FALSE(fs::exists(root_ + "/missing"));
  fs::create_directory(root_ + "/folder");
  EXPECT_FALSE(WriteTemporaryFile(root_ + "/folder", "x", 1));  // a folder is never replaced
  EXPECT_TRUE(fs::is_directory(root_ + "/folder"));
}

}  // namespace
