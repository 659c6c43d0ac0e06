// Damaged, truncated and hostile input of every encoding fails to open with a reason, and never
// crashes or leaks (this suite runs under the sanitizers).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;

// One top-level object that holds everything, so every proper prefix cuts it short.
constexpr char kText[] = R"(xof 0303txt 0032
Frame root {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  Mesh m {
    3; 0;0;0;, 1;0;0;, 0;1;0;;
    1; 3;0,1,2;;
    MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "t.png"; } } }
  }
  Frame <aaaaaaaa-0000-0000-0000-000000000001> { {m} }
})";

std::vector<uint8_t> BinaryImage() {
  BinaryWriter w;
  w.Open("Frame", "root");
  w.Open("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).Close();
  w.Open("Mesh", "m").Integers({3}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Integers({1, 3, 0, 1, 2});
  w.Open("MeshMaterialList").Integers({1, 1, 0});
  w.Open("Material").Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
  w.Open("TextureFilename").String("t.png").Close().Close().Close().Close();
  w.Open("Frame").Reference("m").Close();
  w.Close();
  return w.bytes();
}

std::vector<std::pair<const char*, std::vector<uint8_t>>> Images() {
  return {{"text", Bytes(kText)},
          {"binary", BinaryImage()},
          {"compressed text", Compress(Bytes(kText), 100)},
          {"compressed binary", Compress(BinaryImage(), 100)}};
}

bool Open(xf::Reader& reader, const std::vector<uint8_t>& image) { return reader.OpenMemory(image.data(), image.size()); }

// A header with nothing after it is a well-formed file without objects; every other cut fails.
TEST(XDamaged, EveryTruncationFails) {
  for (const auto& [what, image] : Images()) {
    SCOPED_TRACE(what);
    xf::Reader reader;
    ASSERT_TRUE(Open(reader, image)) << reader.Error();
    ASSERT_EQ(reader.DataObjects().size(), 1u);
    bool compressed = std::string_view(reinterpret_cast<const char*>(&image[8]), 4).find("zip") != std::string::npos;
    size_t body = image[16] == '\n' ? 17 : 16;
    for (size_t size = 0; size < image.size(); ++size) {
      std::vector<uint8_t> cut(image.begin(), image.begin() + ptrdiff_t(size));
      if (!compressed && size >= 16 && size <= body) {
        ASSERT_TRUE(Open(reader, cut)) << reader.Error();
        ASSERT_TRUE(reader.DataObjects().empty());
        continue;
      }
      ASSERT_FALSE(Open(reader, cut)) << "cut at " << size;
      ASSERT_FALSE(reader.Error().empty());
      ASSERT_TRUE(reader.DataObjects().empty());
    }
  }
}

TEST(XDamaged, HostileValuesFailWithoutBeingTrusted) {
  auto text = [](std::string body) { return Bytes("xof 0303txt 0032\n" + body); };
  auto binary = [](auto&& build) {
    BinaryWriter w;
    build(w);
    return w.bytes();
  };
  std::vector<uint8_t> compressed = Compress(Bytes(kText), 100);
  auto patched = [&](size_t offset, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> out = compressed;
    std::copy(bytes.begin(), bytes.end(), out.begin() + ptrdiff_t(offset));
    return out;
  };
  const std::pair<const char*, std::vector<uint8_t>> kCases[] = {
      {"empty", {}},
      {"header only in part", Bytes("xof 0303txt")},
      {"not an X file", Bytes("xyz 0303txt 0032 Frame {}")},
      {"unknown format", Bytes("xof 0303abc 0032")},
      {"unknown float size", Bytes("xof 0303txt 0016")},
      {"vertex count beyond the data", text("Mesh m { 4000000000; 1;2;3;; 0;; }")},
      {"nested array count beyond the data", text("Mesh m { 1; 0;0;0;; 1; 3000000000; 1,2,3;; }")},
      {"texture coordinates beyond the data", text("MeshTextureCoords { 2000000000; 0;0;, 1;1;; }")},
      {"float array of a size no file holds",
       text("template Big { <00000000-0000-0000-0000-0000000000b1> array FLOAT a[4294967295][4294967295]; }\n"
            "template Row { <00000000-0000-0000-0000-0000000000b2> DWORD n; array Big rows[n]; }\n"
            "Row { 3; 1; 2; 3; }")},
      {"vertex list cut short", text("Mesh m { 3; 1;2;3;, 4;5; }")},
      {"value where a name belongs", text("Frame f { 12 }")},
      {"stray brace", text("}")},
      {"unterminated string", text("TextureFilename { \"abc; }")},
      {"bad GUID", text("Frame f <zz> { }")},
      {"empty reference", text("Frame f { { } }")},
      {"string where a number belongs", text("Vector { \"1\"; 2; 3; }")},
      {"name length beyond the file", binary([](BinaryWriter& w) { w.Token(kName).Integers({}); })},
      {"integer list beyond the file",
       binary([](BinaryWriter& w) { w.Open("Vector").Token(kIntegerList).Token(0xFFFF).Token(0x3FFF); })},
      {"unknown token", binary([](BinaryWriter& w) { w.Open("Frame").Token(99).Close(); })},
      {"float list beyond the data", binary([](BinaryWriter& w) { w.Open("Vector").Floats({1, 2}).Close(); })},
      {"compressed size beyond any sane file", patched(16, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"compressed total larger than its blocks", patched(16, {0xFF, 0x40, 0x00, 0x00})},
      {"compressed block without its mark", patched(24, {'C', 'X'})},
      {"compressed block longer than the file", patched(22, {0xFF, 0xFF})},
      {"compressed block announcing more output", patched(20, {101, 0})},
      {"compressed stream damaged", patched(30, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& [what, image] : kCases) {
    SCOPED_TRACE(what);
    xf::Reader reader;
    EXPECT_FALSE(Open(reader, image));
    EXPECT_FALSE(reader.Error().empty());
    EXPECT_TRUE(reader.DataObjects().empty());
  }
}

// Random damage either fails to open or opens into objects that can be walked whole.
TEST(XDamaged, RandomDamageNeverCrashes) {
  std::mt19937 random(7018);
  for (const auto& [what, image] : Images()) {
    SCOPED_TRACE(what);
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> damaged = image;
      int changes = 1 + int(random() % 4);
      for (int i = 0; i < changes; ++i) {
        size_t at = 16 + random() % (damaged.size() - 16);
        switch (random() % 3) {
          case 0: damaged[at] = uint8_t(random()); break;
          case 1: damaged.erase(damaged.begin() + ptrdiff_t(at)); break;
          default: damaged.insert(damaged.begin() + ptrdiff_t(at), uint8_t(random())); break;
        }
      }
      xf::Reader reader;
      if (Open(reader, damaged)) {
        Flatten(reader);
      } else {
        EXPECT_FALSE(reader.Error().empty());
      }
    }
  }
}

TEST(XOpen, FilesOpenThroughThePathResolverAndFailuresLeaveNothingOpen) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "qel_xfile_test";
  std::filesystem::create_directories(folder / "Models");
  {
    std::ofstream out(folder / "Models" / "cube.x", std::ios::binary);
    out << kText;
  }
  xf::Reader reader;
  EXPECT_TRUE(reader.Open((folder / "Models").string() + "\\cube.x")) << reader.Error();
  EXPECT_EQ(reader.DataObjects().size(), 1u);

  EXPECT_FALSE(reader.Open((folder / "Models" / "missing.x").string()));
  EXPECT_NE(reader.Error().find("missing.x"), std::string::npos);
  EXPECT_TRUE(reader.DataObjects().empty());
  EXPECT_EQ(reader.NextDataObject(), nullptr);

  EXPECT_TRUE(reader.Open((folder / "Models" / "cube.x").string())) << reader.Error();
  EXPECT_NE(reader.NextDataObject(), nullptr);
  EXPECT_EQ(reader.NextDataObject(), nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
