// Template declarations: built-in ones, a file's own, and the layouts they give data objects.
#include <gtest/gtest.h>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;
namespace ids = platform::xfile::ids;

// Files name templates by these GUIDs, so a typo here would make objects unrecognisable.
TEST(XTemplates, BuiltInTemplatesCarryThePublishedGuids) {
  const std::pair<const char*, xf::Guid> kBuiltIn[] = {
      {"Header", ids::Header}, {"Vector", ids::Vector}, {"Coords2d", ids::Coords2d}, {"Matrix4x4", ids::Matrix4x4},
      {"ColorRGBA", ids::ColorRGBA}, {"ColorRGB", ids::ColorRGB}, {"IndexedColor", ids::IndexedColor},
      {"Boolean", ids::Boolean}, {"Boolean2d", ids::Boolean2d}, {"MaterialWrap", ids::MaterialWrap},
      {"TextureFilename", ids::TextureFilename}, {"Material", ids::Material}, {"MeshFace", ids::MeshFace},
      {"MeshFaceWraps", ids::MeshFaceWraps}, {"MeshTextureCoords", ids::MeshTextureCoords},
      {"MeshMaterialList", ids::MeshMaterialList}, {"MeshNormals", ids::MeshNormals},
      {"MeshVertexColors", ids::MeshVertexColors}, {"Mesh", ids::Mesh},
      {"FrameTransformMatrix", ids::FrameTransformMatrix}, {"Frame", ids::Frame}, {"FloatKeys", ids::FloatKeys},
      {"TimedFloatKeys", ids::TimedFloatKeys}, {"AnimationKey", ids::AnimationKey},
      {"AnimationOptions", ids::AnimationOptions}, {"Animation", ids::Animation},
      {"AnimationSet", ids::AnimationSet}, {"InlineData", ids::InlineData}, {"Url", ids::Url},
      {"ProgressiveMesh", ids::ProgressiveMesh}, {"Guid", ids::GuidTemplate},
      {"StringProperty", ids::StringProperty}, {"PropertyBag", ids::PropertyBag},
      {"ExternalVisual", ids::ExternalVisual}, {"RightHanded", ids::RightHanded},
      {"XSkinMeshHeader", ids::XSkinMeshHeader}, {"SkinWeights", ids::SkinWeights},
      {"VertexDuplicationIndices", ids::VertexDuplicationIndices}, {"AnimTicksPerSecond", ids::AnimTicksPerSecond},
      {"FVFData", ids::FVFData}, {"VertexElement", ids::VertexElement}, {"DeclData", ids::DeclData},
      {"EffectInstance", ids::EffectInstance}, {"EffectParamFloats", ids::EffectParamFloats},
      {"EffectParamString", ids::EffectParamString}, {"EffectParamDWord", ids::EffectParamDWord},
      {"FaceAdjacency", ids::FaceAdjacency}, {"CompressedAnimationSet", ids::CompressedAnimationSet},
  };
  xf::Reader reader;
  for (auto [name, guid] : kBuiltIn) {
    const xf::Template* t = reader.FindTemplate(name);
    ASSERT_NE(t, nullptr) << name;
    EXPECT_TRUE(t->has_guid) << name;
    EXPECT_EQ(xf::FormatGuid(t->guid), xf::FormatGuid(guid)) << name;
  }
  EXPECT_EQ(xf::FormatGuid(ids::Frame), "3d82ab46-62da-11cf-ab39-0020af71e433");
}

constexpr char kDeclarations[] = R"(
template Pair { <11111111-0000-0000-0000-000000000001> WORD a; STRING s; }
template Open { <11111111-0000-0000-0000-000000000002> DWORD n; [...] }
template Closed { <11111111-0000-0000-0000-000000000003> DWORD n; }
template Restricted { <11111111-0000-0000-0000-000000000004> [Open <11111111-0000-0000-0000-000000000002>, Closed] }
template Grid {
  <11111111-0000-0000-0000-000000000005>
  DWORD rows; DWORD cols;
  array FLOAT cells[rows][cols];
  array WORD fixed[2];
  array Pair pairs[rows];
}
)";

TEST(XTemplates, DeclarationsGiveRestrictionsAndLayouts) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(std::string(kDeclarations) + R"(
Grid g { 2; 3; 1, 2, 3, 4, 5, 6; 7, 8; 1; "one";, 2; "two";; }
)"))) << reader.Error();
  EXPECT_EQ(reader.FindTemplate("Open")->restriction, xf::Restriction::kOpen);
  EXPECT_EQ(reader.FindTemplate("Closed")->restriction, xf::Restriction::kClosed);
  const xf::Template& restricted = *reader.FindTemplate("Restricted");
  EXPECT_EQ(restricted.restriction, xf::Restriction::kRestricted);
  ASSERT_EQ(restricted.allowed.size(), 2u);
  EXPECT_EQ(restricted.allowed[0].name, "Open");
  EXPECT_TRUE(restricted.allowed[0].has_guid);
  EXPECT_FALSE(restricted.allowed[1].has_guid);
  const xf::Template& grid = *reader.FindTemplate("Grid");
  ASSERT_EQ(grid.members.size(), 5u);
  EXPECT_EQ(grid.members[2].dimensions.size(), 2u);
  EXPECT_EQ(grid.members[2].dimensions[1].member, 1);
  EXPECT_EQ(grid.members[3].dimensions[0].count, 2u);

  const xf::DataObject& g = *reader.DataObjects().at(0);
  EXPECT_EQ(xf::FormatGuid(g.Type()), "11111111-0000-0000-0000-000000000005");
  xf::BlobReader blob(g);
  uint32_t rows, cols;
  float cells[6];
  uint16_t fixed[2], a;
  const char* s;
  ASSERT_TRUE(blob.ReadU32(rows) && blob.ReadU32(cols) && blob.ReadFloats(cells, 6));
  EXPECT_EQ(cells[5], 6.0f);
  ASSERT_TRUE(blob.ReadU16(fixed[0]) && blob.ReadU16(fixed[1]));
  EXPECT_EQ(fixed[1], 8);
  for (const char* expected : {"one", "two"}) {
    ASSERT_TRUE(blob.ReadU16(a) && blob.ReadString(s));
    EXPECT_STREQ(s, expected);
  }
  EXPECT_EQ(blob.Remaining(), 0u);
  EXPECT_EQ(g.Size(), 4u + 4 + 24 + 4 + 2 * 6);
}

TEST(XTemplates, AFileMayDeclareAStandardTemplateAgainForItselfOnly) {
  // Some exporters declare the skin header with DWORDs; their objects take that layout.
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(R"(
template XSkinMeshHeader { <3cf169ce-ff7c-44ab-93c0-f78f62d172e2> DWORD a; DWORD b; DWORD c; }
template Mesh { <3d82ab44-62da-11cf-ab39-0020af71e433> DWORD nVertices; array Vector vertices[nVertices]; DWORD nFaces; array MeshFace faces[nFaces]; [...] }
XSkinMeshHeader { 1; 2; 3; }
)"))) << reader.Error();
  EXPECT_EQ(reader.DataObjects().at(0)->Size(), 12u);
  ASSERT_TRUE(OpenText(reader, Text("XSkinMeshHeader { 1; 2; 3; }"))) << reader.Error();
  EXPECT_EQ(reader.DataObjects().at(0)->Size(), 6u);
}

TEST(XTemplates, ADeclarationPartWayThroughAFileServesTheObjectsAfterIt) {
  // Objects before the second declaration keep the layout of the first; later ones, also where the
  // template only stands inside another (here per array element), take the new one.
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(R"(
template Pair { <00000000-0000-0000-0000-0000000000a1> DWORD a; DWORD b; }
template Pairs { <00000000-0000-0000-0000-0000000000a2> DWORD n; array Pair p[n]; }
Pairs { 2; 1; 2;, 3; 4;; }
template Pair { <00000000-0000-0000-0000-0000000000a1> DWORD a; }
Pairs { 2; 1;, 3;; }
template Pairs { <00000000-0000-0000-0000-0000000000a2> DWORD n; array Vector v[n]; }
Pairs { 1; 1; 2; 3;; }
template Vector { <3d82ab5e-62da-11cf-ab39-0020af71e433> FLOAT x; FLOAT y; }
Pairs { 1; 1; 2;; }
)"))) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 4u);
  EXPECT_EQ(reader.DataObjects()[0]->Size(), 4u + 2 * 8);
  EXPECT_EQ(reader.DataObjects()[1]->Size(), 4u + 2 * 4);
  EXPECT_EQ(reader.DataObjects()[2]->Size(), 4u + 12);
  EXPECT_EQ(reader.DataObjects()[3]->Size(), 4u + 8);  // the file's own Vector, over the standard one
}

TEST(XTemplates, RegisteredTemplatesServeLaterFiles) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("Pair p { 1; \"x\"; }"))) << reader.Error();
  EXPECT_TRUE(reader.DataObjects().empty());  // an object of an unknown template is passed over
  std::string declarations = Text(kDeclarations);
  ASSERT_TRUE(reader.RegisterTemplates(declarations.data(), declarations.size())) << reader.Error();
  ASSERT_TRUE(OpenText(reader, Text("Pair p { 1; \"x\"; }"))) << reader.Error();
  ASSERT_EQ(reader.DataObjects().size(), 1u);
  EXPECT_EQ(reader.DataObjects()[0]->Size(), 6u);
}

TEST(XTemplates, BadDeclarationsAndLayoutsFailTheFile) {
  const char* kBad[] = {
      "template T { <11111111-0000-0000-0000-000000000001> array DWORD a[n]; DWORD n; }",   // size from a later member
      "template T { <11111111-0000-0000-0000-000000000001> FLOAT n; array DWORD a[n]; }",   // size from a float
      "template T { <11111111-0000-0000-0000-000000000001> T inner; } T t { 1; }",          // contains itself
      "template T { <11111111-0000-0000-0000-000000000001> Missing m; } T t { 1; }",        // undeclared member type
      "template T { <11111111-0000-0000-0000-000000000001> DWORD n; ",                       // cut short
      "template T <11111111-0000-0000-0000-000000000001> { }",                               // GUID outside
      "template T { <11111111-0000-0000-0000-00000000001> }",                                // malformed GUID
  };
  for (const char* bad : kBad) {
    SCOPED_TRACE(bad);
    xf::Reader reader;
    EXPECT_FALSE(OpenText(reader, Text(bad)));
    EXPECT_FALSE(reader.Error().empty());
  }
}

}  // namespace
