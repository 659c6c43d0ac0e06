// Textures of meshes found by file name through the image module, and meshes letting go of textures
// the image module releases.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_table.h"
#include "platform/fs/contained_name.h"

namespace gfx = platform::gfx;

namespace {

constexpr size_t kPathLength = 260;  // characters with the terminator
constexpr uint32_t kOpModulate = 4;
constexpr uint32_t kArgTexture = 2;

const ObjectModuleLinks& Links() { return GetObjectModuleState().links; }

int32_t LoadByName(const std::string& path, int32_t loadMode) {
  if (path.empty() || !Links().loadTextureByName) return 0;
  return Links().loadTextureByName(path.c_str(), loadMode);
}

gfx::Texture* ImageTexture(int32_t image) {
  return Links().getImageTexture ? Links().getImageTexture(image) : nullptr;
}

// "%s%s" cut to the path length; empty for a name that would leave the folder.
std::string JoinPath(const char* folder, const char* name) {
  std::string path;
  platform::fs::JoinContainedName(folder ? folder : "", name, path);
  if (path.size() > kPathLength - 1) path.resize(kPathLength - 1);
  return path;
}

// The part after the last '\' or '/'; a control character also ends the search from the right.
const char* BareName(const char* name) {
  const char* end = name + std::strlen(name);
  for (const char* p = end; p > name; --p) {
    const unsigned char c = static_cast<unsigned char>(p[-1]);
    if (c == '\\' || c == '/' || c < 32) return p;
  }
  return name;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (!*text || std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix)))
      return false;
  return true;
}

void ForgetInMesh(MeshRecord* mesh, gfx::Texture* texture) {
  if (!mesh) return;
  for (TextureStage& stage : mesh->stages)
    if (stage.imageTexture == texture) stage.imageTexture = nullptr;
  for (MaterialSubset& subset : mesh->subsets)
    if (subset.texture == texture) subset.texture = nullptr;
}

void ForgetInFrames(FrameRecord* root, gfx::Texture* texture) {
  ForEachFrame(root, [texture](FrameRecord* frame) {
    ForgetInMesh(frame->mesh.get(), texture);
    ForgetInMesh(frame->shadowMesh.get(), texture);
    ForgetInMesh(frame->boundBoxMesh.get(), texture);
    ForgetInMesh(frame->boundSphereMesh.get(), texture);
    if (MeshRecord* mesh = frame->mesh.get())
      for (auto& attached : mesh->attachedFrames) ForgetInFrames(attached.get(), texture);
  });
}

}  // namespace

int32_t LoadMeshTexture(const char* name, const char* folder, int32_t loadMode) {
  if (!name || !name[0]) return 0;
  // The name comes from a model or effect file. Its last part is looked for in the model's folder, so
  // a name written on another machine ("C:\Art\wood.bmp") still finds "wood.bmp" there; the name
  // as a whole is tried only while it stays inside the current folder.
  const char* bare = BareName(name);
  if (int32_t image = LoadByName(JoinPath(folder, bare), loadMode)) return image;
  const size_t bareLength = std::strlen(bare);
  if (bareLength < 5) return 0;
  const std::string dds = std::string(bare, bareLength - 4) + ".dds";
  if (int32_t image = LoadByName(JoinPath(folder, dds.c_str()), loadMode)) return image;
  if (const char* fault = platform::fs::ContainedNameFault(name)) {
    std::fprintf(stderr, "qel: texture \"%s\" not loaded from where it names: %s\n", name, fault);
  } else if (int32_t image = LoadByName(name, loadMode)) {
    return image;
  }
  return LoadByName(bare, loadMode);
}

int32_t LoadMeshTextureDefault(const char* name, const char* folder) { return LoadMeshTexture(name, folder, 0); }

void ApplyMeshTextures(MeshRecord* mesh, const char* folder, int32_t materialMode, int32_t loadMode,
                       const char* prefix) {
  if (!mesh) return;
  if (mesh->subsetTextures != 1) {
    for (TextureStage& stage : mesh->stages) {
      const int32_t mode = prefix && !StartsWithNoCase(stage.fileName, prefix) ? 0 : loadMode;
      const int32_t image = LoadMeshTexture(stage.fileName, folder, mode);
      stage.image = image;
      stage.imageTexture = image ? ImageTexture(image) : nullptr;
      if (image && materialMode != 2) {
        stage.colorOp = kOpModulate;
        stage.colorArg1 = kArgTexture;
        mesh->material.diffuse = {1, 1, 1, 1};
      }
      if (materialMode != 2) mesh->material.ambient = mesh->material.diffuse;
    }
    return;
  }
  bool stageReplaced = false;
  for (MaterialSubset& subset : mesh->subsets) {
    const int32_t image = LoadMeshTexture(subset.name, folder, loadMode);
    subset.texture = image ? ImageTexture(image) : nullptr;
    if (image && materialMode == 0) subset.material.diffuse = {1, 1, 1, 1};
    if (materialMode != 2) subset.material.ambient = subset.material.diffuse;
    if (subset.texture && !stageReplaced) {
      stageReplaced = true;
      mesh->stages.clear();
      mesh->stages.emplace_back();
      TextureStage& stage = mesh->stages[0];
      stage.image = image;
      stage.colorOp = kOpModulate;
      stage.colorArg1 = kArgTexture;
    }
  }
}

void ApplyMeshTexturesAll(MeshRecord* mesh, const char* folder, int32_t materialMode, int32_t loadMode) {
  ApplyMeshTextures(mesh, folder, materialMode, loadMode, nullptr);
}

void ApplyMeshTexturesDefault(MeshRecord* mesh, const char* folder, int32_t materialMode) {
  ApplyMeshTextures(mesh, folder, materialMode, 0, nullptr);
}

void ReleaseMeshTextures(MeshRecord* mesh) {
  if (!mesh || !Links().deleteImage) return;
  if (mesh->subsetTextures != 1) {
    for (TextureStage& stage : mesh->stages) {
      if (stage.image >= 0) continue;
      const int32_t image = stage.image;
      stage.image = 0;
      Links().deleteImage(image);
    }
    return;
  }
  if (!mesh->stages.empty() && mesh->stages[0].image != 0) {
    const int32_t image = mesh->stages[0].image;
    mesh->stages[0].image = 0;
    Links().deleteImage(image);
  }
}

void ForgetReleasedTexture(gfx::Texture* texture) {
  if (!texture) return;
  for (const auto& slot : GetObjectTable().slots)
    if (slot) ForgetInFrames(slot->root.get(), texture);
  for (const auto& mesh : GetMeshTable().slots) ForgetInMesh(mesh.get(), texture);
}
