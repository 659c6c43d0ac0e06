// An effect's life: finding and compiling its file, the mesh conversions it asks for, and its draw
// bracket.
#include "engine/objects/effect_object.h"

#include <strings.h>

#include <cstdio>
#include <string>

#include "engine/formats/temp_folder.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/record_links.h"
#include "engine/objects/tangent_space.h"
#include "platform/fs/files.h"
#include "platform/fs/folder.h"
#include "platform/gfx/resources.h"

namespace dx = platform::d3dx;
namespace fs = platform::fs;

namespace {

struct SplitName {
  std::string folder;  // empty: the current folder
  std::string bare;
};

// At the last '\' or '/' after the first character; a name whose only separator leads is taken whole.
SplitName Split(const std::string& name) {
  for (size_t i = name.size(); i-- > 1;) {
    if (name[i] == '\\' || name[i] == '/') return {name.substr(0, i), name.substr(i + 1)};
  }
  return {std::string(), name};
}

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         strncasecmp(text.c_str() + text.size() - tail.size(), tail.data(), tail.size()) == 0;
}

// The engine's temporary folder, "plugins" at its end read as "effects"; empty when there is none.
std::string EffectTempFolder() {
  SetupTempFolder();
  std::string folder = ModelTempFolder();
  for (const char* tail : {"plugins\\", "plugins/"}) {
    if (EndsWithNoCase(folder, tail)) folder.replace(folder.size() - 8, 7, "effects");
  }
  return folder;
}

// Compiles the effect file at one of the places tried. The messages of the first file that is there
// but does not compile go to *failure, to be shown when no place gives an effect.
bool Compile(const std::string& path, dx::Effect** effect, std::string* failure) {
  std::string errors;
  const platform::gfx::Result result = dx::CreateEffectFromFile(GetRecordDevice(), path, effect, &errors);
  if (platform::gfx::Succeeded(result) && *effect) return true;
  if (result != platform::gfx::kNotFound && failure->empty()) failure->assign(errors.empty() ? path + ": does not compile\n" : errors);
  return false;
}

// Changes the current folder for the time of a load and always changes it back.
class FolderGuard {
 public:
  FolderGuard() : saved_(fs::CurrentFolder()) {}
  ~FolderGuard() {
    if (!saved_.empty()) fs::ChangeCurrentFolder(saved_);
  }
  FolderGuard(const FolderGuard&) = delete;
  FolderGuard& operator=(const FolderGuard&) = delete;

 private:
  std::string saved_;
};

}  // namespace

EffectObject::~EffectObject() {
  DeleteMeshRecord(effectMesh);
  effectMesh = nullptr;
  if (effect) effect->Release();
  effect = nullptr;
  xFileName.clear();
}

bool EffectObject::Load(const char* name, uint8_t loadXFileMesh, uint8_t loadTexturesFlag) {
  CopyRecordName(fileName, name);
  const std::string fullName = fileName;
  const SplitName split = Split(fullName);
  FolderGuard guard;
  if (!split.folder.empty()) fs::ChangeCurrentFolder(split.folder);

  if (effect) effect->Release();
  effect = nullptr;
  std::string failure;
  bool made = Compile(split.bare, &effect, &failure);
  // Without a temporary folder the further places would be relative to wherever the process stands.
  const std::string temp = made ? std::string() : EffectTempFolder();
  if (!made && !temp.empty()) made = Compile(temp + split.bare, &effect, &failure);
  if (!made && !temp.empty()) {
    made = Compile(temp + "media/" + fullName, &effect, &failure);
    if (made) fs::ChangeCurrentFolder(temp + "media/" + split.folder);
  }
  if (!made && !temp.empty()) {
    const std::string destination = temp + "_modified_fx.fx";
    if (PatchShaderDeclarations(split.bare.c_str(), destination.c_str())) {
      made = Compile(destination, &effect, &failure);
      fs::DeleteFile(destination);
    }
  }
  // The mesh draws without the effect either way; the reason is not kept from whoever looks.
  if (!made) {
    if (!failure.empty()) std::fprintf(stderr, "qel: effect \"%s\" does not compile:\n%s", fileName, failure.c_str());
    return false;
  }

  ParseParameters(loadXFileMesh, loadTexturesFlag);
  loadTextures = loadTexturesFlag;
  dx::EffectHandle technique = 0;
  if (platform::gfx::Failed(effect->FindNextValidTechnique(0, &technique))) {
    std::fprintf(stderr, "qel: effect \"%s\" has no technique this device runs\n", fileName);
    return false;
  }
  if (technique) effect->SetTechnique(technique);
  return true;
}

bool EffectObject::ConvertMesh(MeshRecord* mesh) {
  if (effectMesh && mesh) CopyMeshRecord(mesh, effectMesh);
  return true;
}

void EffectObject::GenerateTangents(MeshRecord* mesh) {
  AddEffectVertexStreams(mesh, generateNormals, readsTangent, readsColor, hasBonePalette);
}

uint32_t EffectObject::Begin(MeshRecord* mesh, Matrix) {
  if (!effect || !mesh) return 0;
  for (uint32_t k = 0; k < textureParameterCount && k < mesh->stages.size(); ++k) {
    effect->SetTexture(effect->GetParameter(0, textureParameters[k]), mesh->stages[k].imageTexture);
  }
  uint32_t passes = 0;
  if (platform::gfx::Failed(effect->Begin(&passes, 0))) passes = 0;
  ApplyConstants(mesh);
  return passes;
}

void EffectObject::End() {
  if (effect) effect->End();
}
