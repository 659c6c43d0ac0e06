// The 3DS converter's entries: the two passes over the file, the intermediate X text file and its
// reload through the model loader.
#include "engine/formats/converter_3ds.h"

#include <unistd.h>

#include <cstdio>

#include "engine/formats/converter_3ds_state.h"
#include "engine/formats/converter_entry.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/model_loader.h"
#include "engine/formats/temp_folder.h"
#include "platform/d3dx/math_matrix.h"

namespace {

constexpr char kTempXName[] = "kvotemp.x";

void Reset3DSPass(bool countingPass) {
  Convert3DSState& s = State3DS();
  s.countingPass = countingPass;
  s.nodeCounter = countingPass ? 0 : -1;
  s.openFrames = 0;
  s.worldMatrix = s.parentMatrix = s.meshMatrix = platform::d3dx::MatrixIdentity();
  s.hasMeshMatrix = false;
  s.nameBuffer.clear();
  std::fill(std::begin(s.currentColor), std::end(s.currentColor), 0.0f);
  s.currentPercentage = 0;
  s.materialName.clear();
  s.nodes.clear();
  s.node.reset();
  s.nesting = 0;
}

// Both passes over the file in the state; the second pass's text goes to `writer`.
bool Write3DSPasses(XTextWriter* writer) {
  Convert3DSState& s = State3DS();
  s.parentOf.Reset();
  s.frameDepth.Reset();
  s.pivot.Reset();
  s.matrixStack.Reset();

  XTextWriter counting;  // never opened: the first pass writes nothing
  s.writer = &counting;
  Reset3DSPass(true);
  bool ok = Read3DSMainChunk();
  if (ok) {
    // The text of a model runs to about eight times its file.
    writer->Reserve(s.file.size * 10 + 4096);
    writer->WriteHeader();
    s.writer = writer;
    Reset3DSPass(false);
    ok = Read3DSMainChunk();
    if (ok) WriteXAnimationSet();
  }
  s.writer = nullptr;
  s.nodes.clear();
  s.node.reset();
  return ok && !writer->Overflowed();
}

// Writes the X text of the file in the state to the temporary folder, loads it and removes it.
bool Convert3DSViaTempX() {
  Convert3DSState& s = State3DS();
  SetupTempFolder();
  const std::string folder = ModelTempFolder();
  if (folder.empty()) return false;  // never the current or the root folder
  const std::string path = folder + kTempXName;
  bool ok = false;
  {
    XTextWriter writer;
    ok = Write3DSPasses(&writer) && WriteTemporaryFile(path, writer.Buffer(), writer.Length());
  }
  if (!ok) return false;
  uint32_t error = 0;
  ok = TryLoadModelFile(path.c_str(), &s.root, &error);
  unlink(path.c_str());  // the folder's own path: nothing to resolve
  return ok;
}

bool Convert3DSInState(const uint8_t** image, uint32_t* size) {
  Convert3DSState& s = State3DS();
  const bool ok = RunConversion([&] { return Convert3DSViaTempX() && SaveModelToMemory(s.root.get(), &s.image); },
                                [] { Free3DSModel(nullptr); }, s.image, image, size);
  s.file = {};
  return ok;
}

}  // namespace

void Set3DSDebugOutput(FILE* stream) { State3DS().debug = stream; }

bool Convert3DSModel(const char* fileName, const uint8_t** image, uint32_t* size) {
  if (!ResetConverterOutputs(image, size)) return false;
  Free3DSModel(nullptr);
  std::vector<uint8_t> file;
  if (!fileName || !ReadWholeFile(fileName, &file)) return false;
  State3DS().file = {file.data(), file.size()};
  return Convert3DSInState(image, size);
}

bool Convert3DSModelFromMemory(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize) {
  if (!ResetConverterOutputs(image, imageSize)) return false;
  Free3DSModel(nullptr);
  State3DS().file = {static_cast<const uint8_t*>(data), data ? size : 0};
  return Convert3DSInState(image, imageSize);
}

bool Write3DSAsXText(const void* data, size_t size, std::string* text) {
  Convert3DSState& s = State3DS();
  s.file = {static_cast<const uint8_t*>(data), data ? size : 0};
  XTextWriter writer;
  const bool ok = Write3DSPasses(&writer);
  s.file = {};
  if (text) *text = ok ? std::string(writer.Buffer(), writer.Length()) : std::string();
  return ok;
}

void Free3DSModel(const uint8_t*) {
  Convert3DSState& s = State3DS();
  s.root.reset();
  s.image = std::vector<uint8_t>();
  s.vertices.clear();
  s.faces.clear();
  s.normals.clear();
  s.normalIndices.clear();
  s.textureCoords.clear();
  s.nodes.clear();
  s.node.reset();
}
