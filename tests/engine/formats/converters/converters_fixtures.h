// Helpers for the converter tests: little-endian file bytes built in code, and a fixture whose
// scratch folder is both the current folder and $TMPDIR, so the converters' temporary files (the 3DS
// converter's X text, the MDL skins) land in it and suites can run side by side.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/formats/converter_3ds.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/model_loader.h"
#include "engine/objects/object_errors.h"
#include "engine/objects/vertex_layout.h"
#include "tests/engine/objects/error_double.h"
#include "tests/platform/fs/scratch_folder.h"

namespace converters_test {

// A file image written field by field, little-endian.
struct FileBytes {
  std::string data;

  size_t Size() const { return data.size(); }
  FileBytes& Raw(const void* bytes, size_t n) {
    data.append(static_cast<const char*>(bytes), n);
    return *this;
  }
  FileBytes& U8(uint8_t v) { return Raw(&v, 1); }
  FileBytes& U16(uint16_t v) { return Raw(&v, 2); }
  FileBytes& I16(int16_t v) { return Raw(&v, 2); }
  FileBytes& U32(uint32_t v) { return Raw(&v, 4); }
  FileBytes& I32(int32_t v) { return Raw(&v, 4); }
  FileBytes& F32(float v) { return Raw(&v, 4); }
  // The text in a field of `field` bytes, NUL-padded.
  FileBytes& Text(std::string_view text, size_t field) {
    std::string padded(text.substr(0, field));
    padded.resize(field, '\0');
    data += padded;
    return *this;
  }
  FileBytes& Zeros(size_t n) {
    data.append(n, '\0');
    return *this;
  }
  FileBytes& Append(const std::string& bytes) {
    data += bytes;
    return *this;
  }
  void SetI32(size_t at, int32_t v) { std::memcpy(&data[at], &v, 4); }
  void SetU16(size_t at, uint16_t v) { std::memcpy(&data[at], &v, 2); }
};

inline int32_t I32At(const std::string& data, size_t at) {
  int32_t v;
  std::memcpy(&v, data.data() + at, 4);
  return v;
}

class ConverterTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    const char* previous = std::getenv("TMPDIR");
    hadTmpdir_ = previous != nullptr;
    if (previous) previousTmpdir_ = previous;
    setenv("TMPDIR", root_.c_str(), 1);
    RaisedErrors().clear();
    Set3DSDebugOutput(nullptr);
  }
  void TearDown() override {
    if (hadTmpdir_) setenv("TMPDIR", previousTmpdir_.c_str(), 1);
    else unsetenv("TMPDIR");
    Set3DSDebugOutput(nullptr);
    ScratchFolderTest::TearDown();
  }
  std::string TempFolder() const { return root_ + "/tvqdata/"; }
  // Files take both names the temporary folder could have, so none can be made.
  void BlockTempFolder() {
    Write("tvqdata", "a file");
    Write("tvqdata-" + std::to_string(geteuid()), "a file");
  }

  // Loads a model file as the object module does; null (and the error in RaisedErrors) on failure.
  static std::unique_ptr<ObjectRecord> LoadFile(const std::string& name) {
    std::unique_ptr<ObjectRecord> object;
    LoadModelFile(name.c_str(), &object);
    return object;
  }
  // The file fails to load with the loader's 7018 and no tree.
  static void ExpectLoadFails(const std::string& name, const std::string& what = "") {
    RaisedErrors().clear();
    std::unique_ptr<ObjectRecord> object;
    EXPECT_FALSE(LoadModelFile(name.c_str(), &object)) << name << " " << what;
    EXPECT_FALSE(object) << name << " " << what;
    EXPECT_EQ(RaisedErrors(), std::vector<uint32_t>{kErrorModelLoadFailed}) << name << " " << what;
    RaisedErrors().clear();
  }

 private:
  bool hadTmpdir_ = false;
  std::string previousTmpdir_;
};

// A converter's image read back into a tree; null when the conversion or the read fails. The
// converter is freed either way.
template <typename Convert, typename Free>
std::unique_ptr<ObjectRecord> ConvertAndLoad(Convert convert, Free free) {
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  std::unique_ptr<ObjectRecord> object;
  if (convert(&image, &size)) LoadModelFromMemory(image, size, &object);
  free(image);
  return object;
}

// Position, normal and first texture coordinates of a vertex of a mesh.
struct VertexView {
  Vector3 position;
  Vector3 normal;
  float u, v;
  uint32_t diffuse;
};

inline VertexView VertexOf(const MeshRecord& mesh, size_t index) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  const uint8_t* vertex = &mesh.vertices.at(index * mesh.vertexSize);
  VertexView view{ReadVertexPosition(vertex, layout), ReadVertexNormal(vertex, layout),
                  ReadVertexFloat(vertex, layout.u[0]), ReadVertexFloat(vertex, layout.v[0]), 0};
  if (layout.diffuse) view.diffuse = ReadVertexWord(vertex, layout.diffuse);
  return view;
}

// The frames of a chain (each the only child of the one before), from the root down.
inline std::vector<const FrameRecord*> Chain(const ObjectRecord& object) {
  std::vector<const FrameRecord*> frames;
  for (const FrameRecord* f = object.root.get(); f; f = f->child.get()) frames.push_back(f);
  return frames;
}

}  // namespace converters_test
