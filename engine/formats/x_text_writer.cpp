#include "engine/formats/x_text_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

void XTextWriter::Put(std::string_view text) {
  if (overflowed_ || text.size() > kCapacity - text_.size()) {
    overflowed_ = true;
    return;
  }
  text_.append(text);
}

// The float's exact value is mantissa x 2^exponent with a 24-bit mantissa, so a millionth part of it
// is (mantissa x 15625) x 2^(exponent + 6), a product below 2^38: the six decimals come from one
// integer shift, rounded to nearest with ties to even as printf rounds the exact value. Values past
// 2^63 millionths, infinities and NaNs take the library's path.
char* FormatFloatFixed6(float value, char* out) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint32_t biased = (bits >> 23) & 0xFF;
  const uint64_t mantissa = biased ? (bits & 0x7FFFFF) | 0x800000 : bits & 0x7FFFFF;
  const int shift = (biased ? int(biased) - 150 : -149) + 6;
  const uint64_t scaled = mantissa * 15625;
  if (biased == 0xFF || shift > 25) return std::to_chars(out, out + 64, double(value), std::chars_format::fixed, 6).ptr;
  uint64_t millionths;
  if (shift >= 0) {
    millionths = scaled << shift;
  } else if (shift <= -40) {
    millionths = 0;  // below a quarter of a millionth
  } else {
    const int k = -shift;
    millionths = scaled >> k;
    const uint64_t rest = scaled & ((uint64_t{1} << k) - 1), half = uint64_t{1} << (k - 1);
    millionths += rest > half || (rest == half && (millionths & 1));
  }
  static constexpr auto kPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) pairs[2 * i] = char('0' + i / 10), pairs[2 * i + 1] = char('0' + i % 10);
    return pairs;
  }();
  if (bits >> 31) *out++ = '-';
  out = std::to_chars(out, out + 24, millionths / 1000000).ptr;
  *out++ = '.';
  const uint32_t fraction = uint32_t(millionths % 1000000);
  std::memcpy(out, &kPairs[2 * (fraction / 10000)], 2);
  std::memcpy(out + 2, &kPairs[2 * (fraction / 100 % 100)], 2);
  std::memcpy(out + 4, &kPairs[2 * (fraction % 100)], 2);
  return out + 6;
}

// "%f" and "%lli" as the C library prints them, without the formatted print's cost per number.
void XTextWriter::PutFloat(float value) {
  char number[64];
  const char* end = FormatFloatFixed6(value, number);
  Put(std::string_view(number, size_t(end - number)));
}

void XTextWriter::PutInt(int64_t value) {
  char number[32];
  const auto end = std::to_chars(number, number + sizeof number, value).ptr;
  Put(std::string_view(number, size_t(end - number)));
}

std::string XTextWriter::XName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (uint8_t(c) <= ' ' || std::strchr("#{}[](),;<>\"/", c)) c = '_';
  return out;
}

void XTextWriter::WriteHeader() {
  text_.clear();
  overflowed_ = false;
  open_ = true;
  Put("xof 0302txt 0032\nHeader {\n1;\n0;\n1;\n}\n");
}

void XTextWriter::BeginFrame(std::string_view name) {
  if (!open_) return;
  Put("Frame ");
  Put(XName(name));
  Put(" {\n");
}

void XTextWriter::BeginMesh(std::string_view name) {
  if (!open_) return;
  Put("Mesh ");
  Put(XName(name));
  Put(" {\n");
}

void XTextWriter::CloseBlock() {
  if (open_) Put("}\n");
}

void XTextWriter::WriteFrameTransformMatrix(const float values[16]) {
  if (!open_) return;
  Put("FrameTransformMatrix {\n");
  for (int i = 0; i < 16; ++i) {
    PutFloat(values[i]);
    if (i < 15) Put(",");
    if (i == 3 || i == 7 || i == 11) Put("\n");
  }
  Put(";;\n}\n");
}

void XTextWriter::AppendLine(std::string_view text) {
  Put(text);
  Put("\n");
}

void XTextWriter::Append(std::string_view text) { Put(text); }

void XTextWriter::BeginMeshNormals() {
  if (open_) Put("MeshNormals  {\n");
}

// Each line of a list is put together here and added to the text whole.
void XTextWriter::WriteVectorList(uint32_t count, const float* xyz) {
  if (!open_) return;
  PutInt(count);
  Put(";\n");
  for (uint32_t i = 0; i < count; ++i) {
    char line[3 * 64 + 8];
    char* end = line;
    for (int k = 0; k < 3; ++k) {
      end = FormatFloatFixed6(xyz[3 * size_t(i) + k], end);
      *end++ = ';';
    }
    *end++ = i + 1 < count ? ',' : ';';
    *end++ = '\n';
    Put(std::string_view(line, size_t(end - line)));
  }
}

void XTextWriter::WriteTriangleList(int32_t count, const uint32_t* corners) {
  if (!open_) return;
  Put("\n");
  PutInt(count);
  Put(";\n");
  for (int32_t f = 0; f < count; ++f) {
    char line[3 * 12 + 8] = {'3', ';'};
    char* end = line + 2;
    for (int k = 0; k < 3; ++k) {
      end = std::to_chars(end, line + sizeof line, corners[3 * size_t(f) + k]).ptr;
      if (k < 2) *end++ = ',';
    }
    end = std::copy_n(f + 1 < count ? ";,\n" : ";;\n", 3, end);
    Put(std::string_view(line, size_t(end - line)));
  }
}

void XTextWriter::WriteMeshMaterialList(int32_t materialCount, int32_t faceCount, uint32_t faceMaterial,
                                        std::string_view name) {
  if (!open_) return;
  Put("MeshMaterialList {\n");
  PutInt(materialCount);
  Put(";\n");
  PutInt(faceCount);
  Put(";\n");
  for (int32_t f = 0; f < faceCount; ++f) {
    PutInt(faceMaterial);
    Put(f + 1 < faceCount ? ",\n" : ";;\n");
  }
  Put("{");
  Put(XName(name));
  Put("}\n}\n");
}

void XTextWriter::WriteMaterial(const XTextMaterial& m) {
  if (!open_) return;
  const auto floats = [this](const float* values, int n, const char* end) {
    for (int i = 0; i < n; ++i) {
      PutFloat(values[i]);
      Put(i + 1 < n ? "," : end);
    }
  };
  Put("Material ");
  Put(XName(m.name));
  Put(" {\n");
  floats(m.diffuse, 4, ";;\n");
  floats(&m.power, 1, ";\n");
  floats(m.specular, 3, ";;\n");
  floats(m.emissive, 3, ";;\n");
  // A quote would end the string early.
  std::string file(m.textureFile);
  for (char& c : file)
    if (c == '"') c = '_';
  Put("TextureFilename {\n\"");
  Put(file);
  Put("\";\n}\n}\n");
}

void XTextWriter::BeginMeshTextureCoords() {
  if (open_) Put("MeshTextureCoords {\n");
}

void XTextWriter::WriteTextureCoords(int32_t count, const float* uv) {
  if (!open_) return;
  PutInt(count);
  Put(";\n");
  for (int32_t i = 0; i < count; ++i) {
    char line[2 * 64 + 8];
    char* end = FormatFloatFixed6(uv[2 * size_t(i)], line);
    *end++ = ';';
    end = FormatFloatFixed6(uv[2 * size_t(i) + 1], end);
    end = std::copy_n(i + 1 < count ? ";,\n" : ";;\n", 3, end);
    Put(std::string_view(line, size_t(end - line)));
  }
}
