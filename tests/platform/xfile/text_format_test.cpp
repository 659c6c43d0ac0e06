// The text encoding, with the looseness exporters rely on.
#include <gtest/gtest.h>

#include <charconv>
#include <random>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;
namespace ids = platform::xfile::ids;

TEST(XText, LooseSeparatorsIntegersAndCommentsReadAlike) {
  const char* kVariants[] = {
      "Vector v { 1.0; 2.0; 3.0; }",
      "Vector v {1,2,3}",
      "Vector v { 1;; 2;; 3;;; }",
      "Vector v { 1 2 3 }",
      "Vector v { // one\n 1.0; # two\n 2.0e0;\n +3.000000;; }",
      "Vector v{1.;2.;3.;;}",
      "Vector v { # old line ends\r 1;\r// x\r 2; 3; }",
      "vector v { 1; 2; 3; }",  // template names in any letter case
      "Vector v {1.0// a comment right after a number\n2# so\n3;}",
  };
  for (const char* variant : kVariants) {
    SCOPED_TRACE(variant);
    xf::Reader reader;
    ASSERT_TRUE(OpenText(reader, Text(variant))) << reader.Error();
    ASSERT_EQ(reader.DataObjects().size(), 1u);
    const xf::DataObject& v = *reader.DataObjects()[0];
    EXPECT_EQ(v.Type(), ids::Vector);
    EXPECT_EQ(v.Name(), "v");
    EXPECT_EQ(Floats(v), (std::vector<float>{1, 2, 3}));
  }
}

TEST(XText, NumbersInTheirExporterSpellings) {
  const std::pair<const char*, float> kFloats[] = {
      {"-1.#IND00", -1.0f}, {"1.#INF00", 1.0f}, {"1.#QNAN0", 1.0f}, {"1e3", 1000.0f}, {"-.5", -0.5f}, {"7", 7.0f},
  };
  for (auto [text, value] : kFloats) {
    SCOPED_TRACE(text);
    xf::Reader reader;
    ASSERT_TRUE(OpenText(reader, Text(std::string("Coords2d { ") + text + "; 0; }"))) << reader.Error();
    EXPECT_EQ(Floats(*reader.DataObjects()[0])[0], value);
  }
  // Integers read from any number; negative ones wrap as the 32-bit values they were written from.
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("RightHanded { -1; } RightHanded { 2.7; }"))) << reader.Error();
  EXPECT_EQ(Words(*reader.DataObjects()[0])[0], 0xFFFFFFFFu);
  EXPECT_EQ(Words(*reader.DataObjects()[1])[0], 2u);
}

// Decimals take a shortcut of their own; every spelling must still give the double that from_chars
// gives, bit for bit, on both sides of the shortcut's limits (19 digits, mantissa 2^53, 22 decimals).
TEST(XText, DecimalsReadToTheNearestDouble) {
  const char* kWords[] = {
      "0.1", "-0.0", "0.30000000000000004", "4.35", "-.5", "5.", "+2.5", "12345678.9", "3.14159265358979323846",
      "9007199254740992.0", "9007199254740993.0", "123456789012345678", "1234567890123456789",
      "0.0000000000000000000001", "0.00000000000000000000001", "1.0000000000000000000001", "1e-5", "0.000000"};
  for (const char* word : kWords) {
    SCOPED_TRACE(word);
    xf::Reader reader;
    ASSERT_TRUE(OpenText(reader, Text(std::string("template D { <00000000-0000-0000-0000-00000000000d> DOUBLE d; }\n"
                                                  "D { ") + word + "; }"))) << reader.Error();
    const xf::DataObject& d = *reader.DataObjects().at(0);
    ASSERT_EQ(d.Size(), 8u);
    std::string_view digits(word[0] == '+' ? word + 1 : word);
    double expected = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), expected);
    EXPECT_EQ(std::memcmp(d.Data(), &expected, 8), 0) << "expected " << expected;
  }
  // Decimals of every length up to and past the shortcut's limits, in one array of doubles; the last
  // one runs up to the end of the text, where fewer than eight bytes are left to look at.
  std::mt19937_64 random(11);
  std::string values;
  std::vector<double> expected;
  for (int i = 0; i < 400; ++i) {
    std::string word = random() % 3 == 0 ? "-" : "";
    for (int n = int(random() % 21); n > 0; --n) word += char('0' + random() % 10);
    if (random() % 4 != 0) {
      word += '.';
      for (int n = int(random() % 24); n > 0; --n) word += char('0' + random() % 10);
    }
    std::string_view digits(word);
    if (digits.find_first_of("0123456789") == std::string_view::npos) continue;  // no number
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    expected.push_back(value);
    values += (values.empty() ? "" : random() % 2 ? ", " : ",\n") + word;
  }
  const std::string text = "template Ds { <00000000-0000-0000-0000-0000000000de> DWORD n; array DOUBLE d[n]; }\nDs { " +
                           std::to_string(expected.size()) + "; " + values;
  xf::Reader many;
  ASSERT_TRUE(OpenText(many, Text(text + "; }"))) << many.Error();
  const xf::DataObject& d = *many.DataObjects().at(0);
  ASSERT_EQ(d.Size(), 4 + 8 * expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(std::memcmp(d.Data() + 4 + 8 * i, &expected[i], 8), 0) << i << ": expected " << expected[i];

  // Integers past 32 bits keep their low bits; past 64 bits they read as a float out of range: 0.
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("RightHanded { 4294967297; } RightHanded { 123456789012345678901; }"))) << reader.Error();
  EXPECT_EQ(Words(*reader.DataObjects()[0])[0], 1u);
  EXPECT_EQ(Words(*reader.DataObjects()[1])[0], 0u);
}

TEST(XText, NamesMayStartWithADigitOrHoldDashesAndDots) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("Frame 1st-bone.L_01 { }\nFrame f { {1st-bone.L_01} }"))) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 2u);
  EXPECT_EQ(reader.DataObjects()[0]->Name(), "1st-bone.L_01");
  const xf::Child& ref = reader.DataObjects()[1]->Children().at(0);
  EXPECT_EQ(ref.Resolve(), reader.DataObjects()[0]);
}

TEST(XText, MeshBlobIsTheFlatLayoutOfItsTemplate) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(R"(
Mesh quad {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  2; 4;0,1,2,3;, 3;0,2,3;;
  MeshMaterialList { 1; 2; 0, 0;; Material red { 1;0;0;1;; 10; 0;0;0;; 0;0;0;; TextureFilename { "wall.jpg"; } } }
}
)"))) << reader.Error();
  const xf::DataObject& mesh = *reader.DataObjects().at(0);
  EXPECT_EQ(mesh.Type(), ids::Mesh);
  // nVertices, 4 x Vector, nFaces, MeshFace{4; 4 indices}, MeshFace{3; 3 indices}
  ASSERT_EQ(mesh.Size(), 4u + 4 * 12 + 4 + (4 + 16) + (4 + 12));
  std::vector<uint32_t> w = Words(mesh);
  EXPECT_EQ(w[0], 4u);
  float x1;
  std::memcpy(&x1, &w[4], 4);
  EXPECT_EQ(x1, 1.0f);
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + 13, w.end()), (std::vector<uint32_t>{2, 4, 0, 1, 2, 3, 3, 0, 2, 3}));

  const xf::DataObject& list = *mesh.Children().at(0).Object();
  EXPECT_EQ(list.Type(), ids::MeshMaterialList);
  EXPECT_EQ(Words(list), (std::vector<uint32_t>{1, 2, 0, 0}));
  const xf::DataObject& material = *list.Children().at(0).Object();
  EXPECT_EQ(material.Size(), 44u);
  EXPECT_EQ(Floats(material)[4], 10.0f);

  // A STRING member is a 4-byte handle the object turns back into text.
  const xf::DataObject& texture = *material.Children().at(0).Object();
  ASSERT_EQ(texture.Size(), 4u);
  xf::BlobReader blob(texture);
  const char* name = nullptr;
  ASSERT_TRUE(blob.ReadString(name));
  EXPECT_STREQ(name, "wall.jpg");
  EXPECT_EQ(texture.String(0), nullptr);
  EXPECT_EQ(texture.String(12345), nullptr);
}

TEST(XText, UnnamedObjectsAndObjectIds) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("Frame { } Frame named <01234567-89ab-cdef-0123-456789abcdef> { }"))) << reader.Error();
  const xf::DataObject& unnamed = *reader.NextDataObject();
  const xf::DataObject& named = *reader.NextDataObject();
  EXPECT_EQ(reader.NextDataObject(), nullptr);
  EXPECT_FALSE(unnamed.HasName());
  EXPECT_EQ(unnamed.Name(), "$NoName$");
  EXPECT_FALSE(unnamed.HasId());
  ASSERT_TRUE(named.HasId());
  EXPECT_EQ(xf::FormatGuid(named.Id()), "01234567-89ab-cdef-0123-456789abcdef");
}

TEST(XText, ObjectsOfUndeclaredTemplatesArePassedOverByTheirBraces) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(R"(
Unknown u { 1; "}{"; <01234567-89ab-cdef-0123-456789abcdef>; Inner { { ref } } }
Frame f {
  Gadget { 1, 2, 3; Frame notSeen { } }
  Frame child { }
}
)"))) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 1u);
  const xf::DataObject& f = *reader.DataObjects()[0];
  ASSERT_EQ(f.Children().size(), 1u);
  EXPECT_EQ(f.Children()[0].Object()->Name(), "child");
}

// The text our 3DS conversion writes, block for block as its writer spells them.
TEST(XText, ReadsTheTextOurModelWriterProduces) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, R"(xof 0302txt 0032
Header {
1;
0;
1;
}
Material Wood_1 {
0.500000,0.250000,0.125000,1.000000;;
20.000000;
0.900000,0.900000,0.900000;;
0.000000,0.000000,0.000000;;
TextureFilename {
"";
}
}
Frame Default name {
FrameTransformMatrix {
1.000000,0.000000,0.000000,0.000000,
0.000000,1.000000,0.000000,0.000000,
0.000000,0.000000,1.000000,0.000000,
0.000000,0.000000,0.000000,1.000000;;
}
Mesh xBox {
3;
0.000000;0.000000;0.000000;,
1.000000;0.000000;0.000000;,
0.000000;1.000000;0.000000;;

1;
3;0,2,1;;
MeshMaterialList {
1;
1;
0;;
{Wood_1}
}
MeshNormals  {
1;
0.000000;0.000000;1.000000;;

1;
3;0,0,0;;
}
MeshTextureCoords {
3;
0.000000;0.000000;,
1.000000;0.000000;,
0.000000;1.000000;;
}
}
}
AnimationSet x3ds_animset_0 {
Animation x3ds_anim_0 {
{xBox}
AnimationKey {
0;
2;
0; 4; 1.000000, 0.000000, 0.000000, 0.000000;;,
4800; 4; 0.707107, 0.707107, 0.000000, 0.000000;;;
}
}
}
)")) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 4u);
  const xf::DataObject& frame = *reader.DataObjects()[2];
  EXPECT_EQ(frame.Name(), "Default name");
  const xf::DataObject& mesh = *frame.Children().at(1).Object();
  ASSERT_EQ(mesh.Children().size(), 3u);
  EXPECT_EQ(mesh.Children()[0].Object()->Children().at(0).Resolve(), reader.DataObjects()[1]);
  EXPECT_EQ(mesh.Children()[2].Object()->Size(), 4u + 3 * 8);
  const xf::DataObject& key = *reader.DataObjects()[3]->Children().at(0).Object()->Children().at(1).Object();
  EXPECT_EQ(key.Type(), ids::AnimationKey);
  std::vector<uint32_t> w = Words(key);
  ASSERT_EQ(w.size(), 2u + 2 * 6);
  EXPECT_EQ(w[8], 4800u);
  EXPECT_EQ(reader.DataObjects()[3]->Children()[0].Object()->Children()[0].Resolve(), &mesh);
}

}  // namespace
