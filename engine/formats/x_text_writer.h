// Composes an X file in text form ("xof 0302txt 0032") piece by piece: header, frames, transform
// matrices, meshes with their vector, face, material, normal and texture-coordinate lists, materials,
// closing braces and free text. The 3DS converter drives it and writes the result to a file, which
// the X converter then reads.
//
// Until WriteHeader has been called every block operation does nothing (AppendLine and Append still
// write): the 3DS converter's counting pass runs through a writer that was never opened. Floats are
// written with "%f", counts and indices with "%i".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct XTextMaterial {
  std::string_view name;
  float diffuse[4] = {1, 1, 1, 1};  // red, green, blue, alpha
  float power = 0;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  float textureAmount = -1;  // carried for the caller, not written
  std::string_view textureFile;
};

// "%f" of the float (six decimals, rounded as printf rounds) into `out`, which has room for 64
// characters; returns the end of the text.
char* FormatFloatFixed6(float value, char* out);

class XTextWriter {
 public:
  // Characters a document may hold; a write past it is dropped and marks the writer overflowed.
  static constexpr size_t kCapacity = 50000003;

  // Replaces the text with the six header lines and opens the writer.
  void WriteHeader();
  // Room for a document of about this many characters (at most the capacity), so the text is not
  // copied over as it grows.
  void Reserve(size_t characters) { text_.reserve(characters < kCapacity ? characters : kCapacity); }
  uint32_t Length() const { return uint32_t(text_.size()); }
  const char* Buffer() const { return text_.c_str(); }
  // True once a write did not fit: the document is incomplete and must not be used.
  bool Overflowed() const { return overflowed_; }

  void BeginFrame(std::string_view name);  // "Frame name {"
  void BeginMesh(std::string_view name);   // "Mesh name {"
  void CloseBlock();                        // "}"
  // 16 floats, row by row: four lines of four values.
  void WriteFrameTransformMatrix(const float values[16]);
  void AppendLine(std::string_view text);  // the text and a line feed
  void Append(std::string_view text);
  void BeginMeshNormals();  // "MeshNormals  {"
  // count, then count x (x, y, z).
  void WriteVectorList(uint32_t count, const float* xyz);
  // An empty line, count, then count faces of three indices.
  void WriteTriangleList(int32_t count, const uint32_t* corners);
  // Every face gets the same material index; the list names one material by reference.
  void WriteMeshMaterialList(int32_t materialCount, int32_t faceCount, uint32_t faceMaterial, std::string_view name);
  // A Material with its TextureFilename, written also for an empty file name.
  void WriteMaterial(const XTextMaterial& material);
  void BeginMeshTextureCoords();  // "MeshTextureCoords {"
  // count, then count x (u, v).
  void WriteTextureCoords(int32_t count, const float* uv);

  // The name as the X text can hold it: '#' (which starts a comment there), blanks, control
  // characters and the characters that end a name token become '_'.
  static std::string XName(std::string_view name);

 private:
  void Put(std::string_view text);
  void PutFloat(float value);
  void PutInt(int64_t value);

  std::string text_;
  bool open_ = false;
  bool overflowed_ = false;
};
