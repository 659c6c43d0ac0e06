// The binary encoding (32- and 64-bit floats) and the compressed forms of both encodings give the same
// objects as the text.
#include <gtest/gtest.h>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;
namespace ids = platform::xfile::ids;

constexpr char kText[] = R"(xof 0303txt 0032
template Tagged { <22222222-0000-0000-0000-000000000001> STRING tag; DWORD n; array FLOAT values[n]; }
Material red { 1;0;0;1;; 10; 0.5;0.5;0.5;; 0;0;0;; TextureFilename { "wall.jpg"; } }
Frame root {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1.1,2,3,1;; }
  Mesh tri {
    3; 0;0;0;, 1;0;0;, 0;1;0;;
    1; 3;0,1,2;;
    MeshMaterialList { 1; 1; 0;; {red} }
  }
  Tagged t { "hello"; 2; 0.25, -4; }
})";

std::vector<uint8_t> Binary(bool double_floats) {
  BinaryWriter w(double_floats);
  // template Tagged { <guid> STRING tag; DWORD n; array FLOAT values[n]; }
  xf::Guid tagged;
  xf::ParseGuid("22222222-0000-0000-0000-000000000001", tagged);
  w.Token(kTemplate).Name("Tagged").Token(kOpenBrace).Guid(tagged);
  w.Token(kLpstr).Name("tag").Token(kSemicolon);
  w.Token(kDword).Name("n").Token(kSemicolon);
  w.Token(kArray).Token(kFloat).Name("values").Token(kOpenBracket).Name("n").Token(kCloseBracket).Token(kSemicolon);
  w.Token(kCloseBrace);

  w.Open("Material", "red").Floats({1, 0, 0, 1, 10, 0.5, 0.5, 0.5, 0, 0, 0});
  w.Open("TextureFilename").String("wall.jpg").Close();
  w.Close();

  w.Open("Frame", "root");
  w.Open("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.1, 2, 3, 1}).Close();
  // One list may hold several members, and a lone integer or separators may stand between lists.
  w.Open("Mesh", "tri").Integer(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Token(kSemicolon).Integers({1, 3, 0, 1, 2});
  w.Open("MeshMaterialList").Integers({1, 1}).Token(kComma).Integers({0}).Reference("red").Close();
  w.Close();
  w.Open("Tagged", "t").String("hello").Integers({2}).Floats({0.25, -4}).Close();
  w.Close();
  return w.bytes();
}

TEST(XBinary, EveryEncodingGivesTheSameObjects) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, kText)) << reader.Error();
  std::vector<ObjectView> text = Flatten(reader);
  ASSERT_EQ(text.size(), 8u);

  const std::pair<const char*, std::vector<uint8_t>> kImages[] = {
      {"binary, 32-bit floats", Binary(false)},
      {"binary, 64-bit floats", Binary(true)},
      {"compressed text", Compress(Bytes(kText), 64)},
      {"compressed binary", Compress(Binary(false), 50)},
      {"compressed binary, 64-bit floats, one block", Compress(Binary(true), 60000)},
  };
  for (const auto& [what, image] : kImages) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(reader.OpenMemory(image.data(), image.size())) << reader.Error();
    EXPECT_TRUE(SameTree(text, Flatten(reader)));
  }
}

TEST(XBinary, SixtyFourBitFloatsNarrowToTheNearestFloat) {
  std::vector<uint8_t> image = Binary(true);
  xf::Reader reader;
  ASSERT_TRUE(reader.OpenMemory(image.data(), image.size())) << reader.Error();
  const xf::DataObject& matrix = *reader.DataObjects()[1]->Children()[0].Object();
  EXPECT_EQ(matrix.Type(), ids::FrameTransformMatrix);
  ASSERT_EQ(matrix.Size(), 64u);
  EXPECT_EQ(Floats(matrix)[12], float(1.1));
}

TEST(XBinary, CompressedBlocksReachBackIntoEarlierOutput) {
  // A long repetitive text compresses into many small blocks that copy from the ones before.
  std::string text = "xof 0303txt 0032\n";
  for (int i = 0; i < 400; ++i) text += "Vector v" + std::to_string(i) + " { 1.000000; 2.000000; 3.000000; }\n";
  std::vector<uint8_t> image = Compress(Bytes(text), 4096);
  ASSERT_LT(image.size(), text.size() / 4);
  xf::Reader reader;
  ASSERT_TRUE(reader.OpenMemory(image.data(), image.size())) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 400u);
  EXPECT_EQ(reader.DataObjects()[399]->Name(), "v399");
}

}  // namespace
