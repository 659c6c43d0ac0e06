// The 3DS converter on scenes built in code: the X text it writes, the tree the loader gets from it
// (hierarchy, placement, materials, keyframer tracks), the temporary file, and damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/formats/converter_3ds.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

std::string Chunk(uint16_t id, const std::string& body) {
  return FileBytes().U16(id).U32(uint32_t(6 + body.size())).Append(body).data;
}

std::string Floats(std::initializer_list<float> values) {
  FileBytes b;
  for (float v : values) b.F32(v);
  return b.data;
}

std::string Name(const std::string& name) { return name + '\0'; }

struct Triangle3DS {
  std::vector<float> vertices;  // x, y, z as the file has them
  std::vector<uint16_t> faces;  // a, b, c
};

// A triangle mesh chunk: vertices, faces with an optional material group, an optional matrix.
std::string TriMesh(const Triangle3DS& t, const std::string& material = "", const std::string& matrix = "",
                    const std::string& texCoords = "") {
  FileBytes vertices;
  vertices.U16(uint16_t(t.vertices.size() / 3));
  for (float v : t.vertices) vertices.F32(v);
  FileBytes faces;
  faces.U16(uint16_t(t.faces.size() / 3));
  for (size_t f = 0; f < t.faces.size(); f += 3) faces.U16(t.faces[f]).U16(t.faces[f + 1]).U16(t.faces[f + 2]).U16(7);
  if (!material.empty()) faces.Append(Chunk(0x4130, FileBytes().Append(Name(material)).U16(1).U16(0).data));
  faces.Append(Chunk(0x4150, FileBytes().U32(1).data));
  std::string body = Chunk(0x4110, vertices.data);
  if (!texCoords.empty()) body += Chunk(0x4140, texCoords);
  if (!matrix.empty()) body += Chunk(0x4160, matrix);
  return Chunk(0x4100, body + Chunk(0x4120, faces.data));
}

std::string Object(const std::string& name, const std::string& children) {
  return Chunk(0x4000, Name(name) + children);
}

// A track of keys (frame, then 3 or 4 floats each).
std::string Track(uint16_t id, const std::vector<std::pair<uint16_t, std::vector<float>>>& keys) {
  FileBytes b;
  b.U16(0).Zeros(8).U16(uint16_t(keys.size())).U16(0);
  for (const auto& [frame, values] : keys) {
    b.U16(frame).U32(0);
    for (float v : values) b.F32(v);
  }
  return Chunk(id, b.data);
}

std::string Node(const std::string& name, int16_t parent, const std::string& children = "") {
  FileBytes header;
  header.Append(Name(name)).U16(0x4000).U16(0).I16(parent);
  return Chunk(0xB002, Chunk(0xB030, FileBytes().I16(0).data) + Chunk(0xB010, header.data) + children);
}

std::string Scene(const std::string& editor, const std::string& keyframer = "") {
  std::string body = Chunk(0x0002, FileBytes().U32(3).data) +
                     Chunk(0x3D3D, Chunk(0x3D3E, FileBytes().U32(3).data) + editor);
  if (!keyframer.empty()) body += Chunk(0xB000, Chunk(0xB00A, std::string(15, '\0')) + keyframer);
  return Chunk(0x4D4D, body);
}

std::string TranslationMatrix(float x, float y, float z) { return Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, x, y, z}); }

const Triangle3DS kTriangle{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}};
const Triangle3DS kRaisedTriangle{{0, 0, 5, 1, 0, 5, 0, 1, 5}, {0, 1, 2}};

// Two objects, the second nested in the first by the keyframer, a material with every part, tracks,
// a dummy node between them and an instance node after them.
std::string NestedScene() {
  const std::string material =
      Chunk(0xAFFF, Chunk(0xA000, Name("Red Stone")) + Chunk(0xA020, Chunk(0x0011, std::string("\xFF\x80\x00", 3))) +
                        Chunk(0xA030, Chunk(0x0010, Floats({0.5f, 0.25f, 0.125f}))) +
                        Chunk(0xA040, Chunk(0x0030, FileBytes().I16(30).data)) +
                        Chunk(0xA200, Chunk(0x0030, FileBytes().I16(100).data) + Chunk(0xA300, Name("rock.jpg"))));
  const std::string editor = material +
                             Object("Base", TriMesh(kTriangle, "Red Stone", TranslationMatrix(10, 20, 30))) +
                             Object("Arm", TriMesh(kRaisedTriangle, "", TranslationMatrix(10, 20, 35)));
  const float half = 1.5707964f;
  const std::string keyframer =
      Node("Base", -1,
           Chunk(0xB013, Floats({1, 2, 3})) + Track(0xB020, {{0, {1, 2, 3}}, {10, {4, 5, 6}}}) +
               Track(0xB021, {{0, {half, 0, 0, 1}}, {10, {half, 0, 0, 1}}}) + Track(0xB022, {{0, {1, 1, 1}}})) +
      Node("$$$DUMMY", -1, Chunk(0xB011, Name("Dummy01"))) +
      Node("Arm", 0, Track(0xB022, {{0, {2, 2, 2}}})) +
      Node("Ghost", -1, Chunk(0xB011, Name("Copy")) + Track(0xB020, {{0, {1, 1, 1}}}));
  return Scene(editor, keyframer);
}

class Converter3DSTest : public ConverterTest {
 protected:
  static std::string Text(const std::string& file) {
    std::string text;
    EXPECT_TRUE(Write3DSAsXText(file.data(), file.size(), &text));
    return text;
  }
  static bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }
  // Files the temporary folder holds.
  size_t TempFiles() const {
    return std::filesystem::is_directory(TempFolder()) ? CountEntries(TempFolder()) : 0;
  }
};

TEST_F(Converter3DSTest, NestedSceneAsXText) {
  const std::string text = Text(NestedScene());
  // The child's frame opens inside the parent's, with its matrix relative to the parent's.
  const size_t base = text.find("Frame Base {"), arm = text.find("Frame Arm {");
  ASSERT_NE(base, std::string::npos);
  ASSERT_NE(arm, std::string::npos);
  EXPECT_LT(base, arm);
  EXPECT_TRUE(Has(text, "10.000000,30.000000,20.000000,1.000000;;\n}\nMesh xBase {")) << text;
  EXPECT_TRUE(Has(text, "0.000000,5.000000,0.000000,1.000000;;\n}\nMesh xArm {")) << text;
  EXPECT_TRUE(Has(text, "}\n}\n}\nAnimationSet x3ds_animset_0 {\n")) << "both frames close before the set";
  // Corners turned (a, c, b), one material for every face, one normal per corner.
  EXPECT_TRUE(Has(text, "\n1;\n3;0,2,1;;\nMeshMaterialList {\n1;\n1;\n0;;\n{Red_Stone}\n}\n")) << text;
  EXPECT_TRUE(Has(text, "MeshNormals  {\n3;\n0.000000;1.000000;0.000000;,\n")) << text;
  EXPECT_TRUE(Has(text, "Material Red_Stone {\n1.000000,0.501961,0.000000,1.000000;;\n30.000000;\n"
                        "0.500000,0.250000,0.125000;;\n0.000000,0.000000,0.000000;;\n"
                        "TextureFilename {\n\"rock.jpg\";\n}\n}\n"))
      << text;
  // Tracks: the dummy and the instance make no Animation and take no number; a unit scale is left out.
  EXPECT_TRUE(Has(text, "Animation x3ds_anim_0 {\n{Base}\nAnimationKey {\n0;\n2;\n"
                        "0; 4; 0.707107, -0.000000, -0.707107, -0.000000;;,\n"))
      << text;
  EXPECT_TRUE(Has(text, "AnimationKey {\n2;\n2;\n0; 3; 1.000000, 3.000000, 2.000000;;,\n"
                        "10; 3; 4.000000, 6.000000, 5.000000;;;\n}\n}\n"))
      << text;
  EXPECT_TRUE(Has(text, "Animation x3ds_anim_1 {\n{Arm}\nAnimationKey {\n1;\n1;\n0; 3; 2.000000, 2.000000, 2.000000;;;\n"))
      << text;
  EXPECT_FALSE(Has(text, "x3ds_anim_2"));
  EXPECT_FALSE(Has(text, "DUMMY"));
  EXPECT_FALSE(Has(text, "Ghost"));
}

TEST_F(Converter3DSTest, NestedSceneLoadsAsItsTree) {
  Write("scene.3ds", NestedScene());
  const auto object = LoadFile("SCENE.3DS");
  ASSERT_TRUE(object);
  EXPECT_TRUE(RaisedErrors().empty());
  const FrameRecord* base = object->root->child.get();
  ASSERT_TRUE(base && base->mesh);
  EXPECT_STREQ(base->name, "Base");
  const FrameRecord* arm = base->child.get();
  ASSERT_TRUE(arm && arm->mesh);
  EXPECT_STREQ(arm->name, "Arm");
  EXPECT_EQ(arm->localMatrix.m[3][1], 5.0f);

  // Vertices stored (x, z, y), in the object's own space less its pivot (1, 3, 2).
  const MeshRecord& mesh = *base->mesh;
  ASSERT_EQ(mesh.vertexCount, 3);
  const Vector3 second = VertexOf(mesh, 1).position;
  EXPECT_FLOAT_EQ(second.x, 1 - 10 - 1);
  EXPECT_FLOAT_EQ(second.y, 0 - 30 - 3);
  EXPECT_FLOAT_EQ(second.z, 0 - 20 - 2);
  EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 2, 1}));
  ASSERT_EQ(mesh.stages.size(), 1u);
  EXPECT_STREQ(mesh.stages[0].fileName, "rock.jpg");
  EXPECT_FLOAT_EQ(mesh.material.diffuse.g, 128 * 0.003921569f);
  EXPECT_FLOAT_EQ(mesh.material.power, 30);

  ASSERT_TRUE(object->firstSet);
  const AnimationRecord* armTrack = object->firstSet->firstTrack.get();
  ASSERT_TRUE(armTrack && armTrack->next);
  const AnimationRecord* baseTrack = armTrack->next.get();
  EXPECT_STREQ(armTrack->name, "Arm");
  EXPECT_STREQ(baseTrack->name, "Base");
  EXPECT_EQ(armTrack->scaleKeys.size(), 1u);
  ASSERT_EQ(baseTrack->positionKeys.size(), 2u);
  EXPECT_EQ(baseTrack->positionKeys[1].frame, 10u);
  EXPECT_EQ(baseTrack->positionKeys[1].value.y, 6.0f);
  ASSERT_EQ(baseTrack->rotationKeys.size(), 2u);
  // The second key adds its quarter turn to the first: a half turn about the file's z (our -y).
  const Quaternion half = baseTrack->rotationKeys[1].rotation;
  EXPECT_NEAR(std::fabs(half.y), 1.0f, 1e-5);
  EXPECT_NEAR(half.w, 0.0f, 1e-5);
  EXPECT_EQ(object->firstSet->length, 10u);
  EXPECT_EQ(TempFiles(), 0u) << "the X text is removed after the load";
}

TEST_F(Converter3DSTest, EdgesOfTheText) {
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      {"unnamed object", Scene(Object("", TriMesh(kTriangle))), {"Frame Default_name {", "Mesh xDefault_name {"}, {}},
      {"long name with spaces", Scene(Object("The long name here", TriMesh(kTriangle))), {"Frame The_long_na {"}, {}},
      {"no mesh", Scene(Object("Empty", "")), {"Frame Empty {\n}\n"}, {"Mesh"}},
      {"vertices without faces", Scene(Object("Dots", TriMesh({{0, 0, 0}, {}}))), {"Frame Dots {"}, {"Mesh"}},
      {"no matrix, no group", Scene(Object("Plain", TriMesh(kTriangle))), {"Mesh xPlain {"},
       {"FrameTransformMatrix", "MeshMaterialList"}},
      {"no keyframer: frames side by side", Scene(Object("A", TriMesh(kTriangle)) + Object("B", TriMesh(kTriangle))),
       {"Frame A {", "}\n}\nFrame B {"}, {"AnimationSet"}},
      {"degenerate face", Scene(Object("Flat", TriMesh({{1, 1, 1}, {0, 0, 0}}))),
       {"0.577350;0.577350;0.577350;"}, {}},
      {"texture coordinates shorter than the vertices",
       Scene(Object("Uv", TriMesh(kTriangle, "", "", FileBytes().U16(1).F32(0.5f).F32(0.25f).data))),
       {"MeshTextureCoords {\n3;\n0.500000;0.250000;,\n0.000000;0.000000;,\n"}, {}},
  };
  for (const Case& c : cases) {
    const std::string text = Text(c.file);
    for (const std::string& piece : c.present) EXPECT_TRUE(Has(text, piece)) << c.what << ": " << piece << "\n" << text;
    for (const std::string& piece : c.absent) EXPECT_FALSE(Has(text, piece)) << c.what << ": " << piece << "\n" << text;
  }
}

// A colour holder's trailing chunk holds bytes that read as a colour id; scanning meets it, its length
// leaves the holder, and the holder ends there with the colour read before.
TEST_F(Converter3DSTest, ScanningPassesOverFalseFinds) {
  const std::string material = Chunk(
      0xAFFF, Chunk(0xA000, Name("Lit")) +
                  Chunk(0xA020, Chunk(0x0011, std::string("\xFF\x00\x00", 3)) + Chunk(0x0012, std::string("\x11\x00\x40", 3))));
  const std::string text = Text(Scene(material + Object("Box", TriMesh(kTriangle, "Lit"))));
  EXPECT_TRUE(Has(text, "Material Lit {\n1.000000,0.000000,0.000000,1.000000;;")) << text;
  EXPECT_TRUE(Has(text, "Mesh xBox {")) << text;
}

TEST_F(Converter3DSTest, DamagedFilesFail) {
  const std::string good = NestedScene();
  const size_t base = good.find(std::string("Base\0", 5));
  const size_t vertexList = good.find(std::string("\x10\x41", 2), base);
  const size_t faceList = good.find(std::string("\x20\x41\x2E\x00", 4), base);  // 46 bytes long
  const size_t track = good.find(std::string("\x20\xB0", 2));
  ASSERT_NE(faceList, std::string::npos);
  ASSERT_NE(track, std::string::npos);
  struct Case {
    const char* what;
    std::string file;
  };
  std::vector<Case> cases = {
      {"not a 3DS file", "XX" + good.substr(2)},
      {"cut short", good.substr(0, good.size() - 1)},
      {"cut in half", good.substr(0, good.size() / 2)},
      {"header only", good.substr(0, 6)},
  };
  std::string file = good;
  file[vertexList + 6] = '\x7F';  // vertex count past its chunk
  cases.push_back({"vertex count", file});
  file = good;
  file[faceList + 8] = 9;  // a face naming vertex 9 of 3
  cases.push_back({"face index", file});
  file = good;
  file[vertexList + 3] = '\x7F';  // a child chunk longer than its parent
  cases.push_back({"chunk length", file});
  file = good;
  file[track + 16] = '\x70';  // key count past the track
  cases.push_back({"key count", file});
  for (const Case& c : cases) {
    Write("damaged.3ds", c.file);
    ExpectLoadFails("damaged.3ds", c.what);
    EXPECT_EQ(TempFiles(), 0u) << c.what;
  }
}

// Without a temporary folder the X text has nowhere to go: not the current folder, not the root.
TEST_F(Converter3DSTest, NoTemporaryFolderNoConversion) {
  BlockTempFolder();
  Write("scene.3ds", NestedScene());
  ExpectLoadFails("scene.3ds");
  EXPECT_FALSE(Exists("kvotemp.x"));
  EXPECT_FALSE(Exists("/kvotemp.x"));
}

TEST_F(Converter3DSTest, DebugLinesGoWhereTheyAreSent) {
  FILE* lines = std::tmpfile();
  ASSERT_TRUE(lines);
  Set3DSDebugOutput(lines);
  const std::string light =
      Chunk(0x4600, Floats({1, 2, 3}) + Chunk(0x0010, Floats({1, 0.5f, 0})) + Chunk(0x4620, std::string(1, '\x01')));
  std::string text;
  EXPECT_TRUE(Write3DSAsXText(nullptr, 0, &text) == false);
  const std::string scene = Scene(Object("", "") + Object("Lamp", light) + Object("Box", TriMesh(kTriangle)));
  EXPECT_TRUE(Write3DSAsXText(scene.data(), scene.size(), &text));
  Set3DSDebugOutput(nullptr);
  std::rewind(lines);
  std::string printed(1 << 16, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), lines));
  std::fclose(lines);
  for (const char* line : {"> Found Main chunk id of 4D4D\n", ">> Found *Editor* chunk id of 3D3D\n",
                           ">>> Found Object chunk id of 4000\n", ">>>>* Dummy Object found\n",
                           "     Found name : Lamp\n", ">>>> Found Light chunk id of 4600\n",
                           "     Found light at coordinates: X:  1.00, Y:  2.00,Z:  3.00\n",
                           ">>>>> Found Color def (RGB) chunk id of 10\n",
                           "     Found Color (RGB) def of: R: 1.00,G: 0.50,B: 0.00\n", "      Light is on\n",
                           "      Found (3) number of vertices\n"})
    EXPECT_TRUE(Has(printed, line)) << line << "\n" << printed;
}

}  // namespace
