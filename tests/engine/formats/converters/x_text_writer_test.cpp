// The X text writer: the exact text of each piece, the closed writer of the counting pass, the
// capacity, and a document that reads back through the X reader and converter to the tree it
// describes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "engine/formats/x_converter.h"
#include "engine/formats/x_text_writer.h"
#include "tests/engine/formats/converters/converters_fixtures.h"

namespace {

using namespace converters_test;

const float kTriangle[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};

XTextMaterial Material(std::string_view name, std::initializer_list<float> diffuse, float power,
                       std::string_view textureFile) {
  XTextMaterial m;
  m.name = name;
  std::copy(diffuse.begin(), diffuse.end(), m.diffuse);
  m.power = power;
  m.textureFile = textureFile;
  return m;
}
const uint32_t kFace[] = {0, 2, 1};

TEST(XTextWriter, ClosedWriterKeepsOnlyFreeText) {
  XTextWriter w;
  const float matrix[16] = {};
  w.BeginFrame("F");
  w.WriteFrameTransformMatrix(matrix);
  w.BeginMesh("M");
  w.WriteVectorList(3, kTriangle);
  w.WriteTriangleList(1, kFace);
  w.WriteMeshMaterialList(1, 1, 0, "Wood");
  w.WriteMaterial(Material("Wood", {1, 1, 1, 1}, 0, ""));
  w.BeginMeshNormals();
  w.BeginMeshTextureCoords();
  w.WriteTextureCoords(3, kTriangle);
  w.CloseBlock();
  EXPECT_EQ(w.Length(), 0u);
  w.AppendLine("line");
  w.Append("text");
  EXPECT_EQ(std::string(w.Buffer()), "line\ntext");
}

TEST(XTextWriter, WritesEachPieceAsTheXTextHasIt) {
  XTextWriter w;
  w.WriteHeader();
  w.BeginFrame("Box 01");
  float matrix[16];
  for (int i = 0; i < 16; ++i) matrix[i] = float(i) / 2;
  w.WriteFrameTransformMatrix(matrix);
  w.BeginMesh("xBox");
  w.WriteVectorList(3, kTriangle);
  w.WriteTriangleList(1, kFace);
  w.WriteMeshMaterialList(1, 2, 0, "Material_#1#");
  w.BeginMeshNormals();
  w.WriteVectorList(0, nullptr);
  w.WriteTriangleList(0, nullptr);
  w.CloseBlock();
  w.BeginMeshTextureCoords();
  const float uv[] = {0.5f, 1, 0, 0.25f};
  w.WriteTextureCoords(2, uv);
  w.CloseBlock();
  w.CloseBlock();
  w.CloseBlock();
  XTextMaterial material = Material("Material_#1#", {1, 0.5f, 0.25f, 1}, 20, "wood.jpg");
  material.specular[0] = 0.1f, material.specular[1] = 0.2f, material.specular[2] = 0.3f;
  w.WriteMaterial(material);
  EXPECT_EQ(std::string(w.Buffer()),
            "xof 0302txt 0032\nHeader {\n1;\n0;\n1;\n}\n"
            "Frame Box_01 {\n"
            "FrameTransformMatrix {\n"
            "0.000000,0.500000,1.000000,1.500000,\n"
            "2.000000,2.500000,3.000000,3.500000,\n"
            "4.000000,4.500000,5.000000,5.500000,\n"
            "6.000000,6.500000,7.000000,7.500000;;\n}\n"
            "Mesh xBox {\n"
            "3;\n0.000000;0.000000;0.000000;,\n1.000000;0.000000;0.000000;,\n0.000000;1.000000;0.000000;;\n"
            "\n1;\n3;0,2,1;;\n"
            "MeshMaterialList {\n1;\n2;\n0,\n0;;\n{Material__1_}\n}\n"
            "MeshNormals  {\n0;\n\n0;\n}\n"
            "MeshTextureCoords {\n2;\n0.500000;1.000000;,\n0.000000;0.250000;;\n}\n"
            "}\n}\n"
            "Material Material__1_ {\n1.000000,0.500000,0.250000,1.000000;;\n20.000000;\n"
            "0.100000,0.200000,0.300000;;\n0.000000,0.000000,0.000000;;\n"
            "TextureFilename {\n\"wood.jpg\";\n}\n}\n");
  EXPECT_EQ(w.Length(), std::string(w.Buffer()).size());
  EXPECT_FALSE(w.Overflowed());
}

// Every float as printf's "%f" writes it: ties at the sixth decimal, values that round to zero with
// their sign, denormals, the integers where the decimals run out, infinities and NaN, and a spread of
// random bit patterns and of model-sized values.
TEST(XTextWriter, FloatsReadAsPrintfWritesThem) {
  std::vector<float> values = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 0.0000005f, -0.0000005f, 0.0000004f, 0.0000015f,
                               0.0000025f, 1e-7f, -1e-7f, 1e-30f, -1e-45f, 1.17549435e-38f, 0.1f, 2.5e-6f,
                               123456.789f, 8388607.5f, 16777217.0f, 4.2949673e9f, 1.8446744e19f, -3.4028235e38f,
                               std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN()};
  for (int k = 0; k < 64; ++k) values.push_back(std::ldexp(float(k) + 0.5f, -20));  // exact ties
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    const uint32_t bits = uint32_t(random());
    float f;
    std::memcpy(&f, &bits, sizeof f);
    values.push_back(f);
    values.push_back(std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(random));
  }
  for (float v : values) {
    char expected[512], text[64];
    std::snprintf(expected, sizeof expected, "%f", double(v));
    ASSERT_EQ(std::string(text, FormatFloatFixed6(v, text)), expected) << std::hexfloat << v;
  }
}

TEST(XTextWriter, NamesBecomeWhatAnXNameCanHold) {
  EXPECT_EQ(XTextWriter::XName("Default name"), "Default_name");
  EXPECT_EQ(XTextWriter::XName("a{b};c\"d#e/f"), "a_b__c_d_e_f");
  EXPECT_EQ(XTextWriter::XName("01_-_Default.1"), "01_-_Default.1");
}

TEST(XTextWriter, DocumentPastTheCapacityIsMarkedIncomplete) {
  XTextWriter w;
  w.WriteHeader();
  const std::string block((XTextWriter::kCapacity - w.Length()) / 3, 'a');
  for (int i = 0; i < 3; ++i) w.Append(block);
  EXPECT_FALSE(w.Overflowed());
  w.Append(block);
  EXPECT_TRUE(w.Overflowed());
  EXPECT_LE(w.Length(), XTextWriter::kCapacity);
  w.CloseBlock();  // nothing more is added once a write was dropped
  EXPECT_LE(w.Length(), XTextWriter::kCapacity);
}

// A nested frame with a transform and a textured, lit mesh: everything the 3DS converter writes.
TEST(XTextWriter, DocumentReadsBackToTheTreeItDescribes) {
  XTextWriter w;
  w.WriteHeader();
  w.WriteMaterial(Material("Stone#2", {0.5f, 0.25f, 1, 1}, 8, "stone.bmp"));
  w.BeginFrame("Outer");
  w.BeginFrame("Inner");
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
  w.WriteFrameTransformMatrix(matrix);
  w.BeginMesh("xInner");
  const float quad[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  w.WriteVectorList(4, quad);
  const uint32_t faces[] = {0, 1, 2, 0, 2, 3};
  w.WriteTriangleList(2, faces);
  w.WriteMeshMaterialList(1, 2, 0, "Stone#2");
  w.BeginMeshNormals();
  const float normals[] = {0, 0, -1};
  w.WriteVectorList(1, normals);
  const uint32_t normalFaces[] = {0, 0, 0, 0, 0, 0};
  w.WriteTriangleList(2, normalFaces);
  w.CloseBlock();
  w.BeginMeshTextureCoords();
  const float uv[] = {0, 1, 1, 1, 1, 0, 0, 0};
  w.WriteTextureCoords(4, uv);
  w.CloseBlock();
  w.CloseBlock();
  w.CloseBlock();
  w.CloseBlock();

  const uint8_t* image = nullptr;
  uint32_t size = 0;
  std::unique_ptr<ObjectRecord> object;
  ASSERT_TRUE(ConvertXModelFromMemory(w.Buffer(), w.Length(), &image, &size)) << w.Buffer();
  ASSERT_TRUE(LoadModelFromMemory(image, size, &object));
  FreeXModel(image);

  const FrameRecord* outer = object->root->child.get();
  ASSERT_TRUE(outer);
  EXPECT_STREQ(outer->name, "Outer");
  const FrameRecord* inner = outer->child.get();
  ASSERT_TRUE(inner && inner->mesh);
  EXPECT_STREQ(inner->name, "Inner");
  EXPECT_EQ(inner->localMatrix.m[3][0], 5);
  EXPECT_EQ(inner->localMatrix.m[3][2], 7);
  const MeshRecord& mesh = *inner->mesh;
  EXPECT_EQ(mesh.vertexCount, 4);
  EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
  for (size_t v = 0; v < 4; ++v) {
    const VertexView view = VertexOf(mesh, v);
    EXPECT_EQ(view.position.x, quad[3 * v]) << v;
    EXPECT_EQ(view.position.y, quad[3 * v + 1]) << v;
    EXPECT_EQ(view.normal.z, -1) << v;
    EXPECT_EQ(view.u, uv[2 * v]) << v;
    EXPECT_EQ(view.v, uv[2 * v + 1]) << v;
  }
  ASSERT_EQ(mesh.stages.size(), 1u);
  EXPECT_STREQ(mesh.stages[0].fileName, "stone.bmp");
  EXPECT_EQ(mesh.material.diffuse.g, 0.25f);
  EXPECT_EQ(mesh.material.power, 8);
}

}  // namespace
