// Reading an effect's parameters once after it compiles: semantic names bound to handle slots, texture
// parameters, the effect's own mesh and the vertex inputs its shaders read.
#include <strings.h>

#include <string>

#include "engine/objects/effect_mesh.h"
#include "engine/objects/effect_object.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_table.h"
#include "platform/d3dx/pictures/textures.h"
#include "platform/fs/contained_name.h"
#include "platform/gfx/resources.h"

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

namespace {

struct SemanticName {
  const char* name;
  int slot;
};

// In the order names are compared; several names share a slot.
constexpr SemanticName kSemantics[] = {
    {"world", kSlotWorld},
    {"view", kSlotView},
    {"projection", kSlotProjection},
    {"worldview", kSlotWorldView},
    {"viewprojection", kSlotViewProjection},
    {"worldviewprojection", kSlotWorldViewProjection},
    {"worldviewit", kSlotWorldViewInverse},
    {"worldit", kSlotWorldInverse},
    {"viewit", kSlotViewInverse},
    {"WorldInverse", kSlotWorldInverse},
    {"WorldTranspose", kSlotWorldTranspose},
    {"WorldInverseTranspose", kSlotWorldInverseTranspose},
    {"ViewInverse", kSlotViewInverse},
    {"ViewTranspose", kSlotViewTranspose},
    {"ViewInverseTranspose", kSlotViewInverseTranspose},
    {"ProjectionTranspose", kSlotProjectionTranspose},
    {"ViewProjectionTranspose", kSlotViewProjectionTranspose},
    {"WorldViewProjectionTranspose", kSlotWorldViewProjectionTranspose},
    {"WorldViewInverse", kSlotWorldViewInverse},
    {"cameraposition", kSlotCameraPosition},
    {"eyeposition", kSlotEyePosition},
    {"UIDirectional", kSlotLightDirection},
    {"UIDirectionalInv", kSlotLightDirectionObject},
    {"UIPosition", kSlotLightPosition},
    {"directionalight", kSlotLightDirection},
    {"pointlight", kSlotLightPosition},
    {"spotlight", kSlotLightPosition},
    {"time", kSlotTime},
    {"sintime", kSlotSinTime},
    {"meshradius", kSlotMeshRadius},
    {"alphaoverride", kSlotAlphaOverride},
    {"bonematrixpalette", kSlotBonePalette},
};

bool SameNoCase(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

// What a parameter's annotations say about the texture it names.
struct TextureAnnotations {
  std::string file, type;
  int32_t width = -1, height = -1, depth = -1;
};

TextureAnnotations ReadTextureAnnotations(dx::Effect* effect, dx::EffectHandle parameter, uint32_t count) {
  TextureAnnotations t;
  for (uint32_t a = 0; a < count; ++a) {
    const dx::EffectHandle annotation = effect->GetAnnotation(parameter, a);
    dx::ParameterDesc desc;
    if (!annotation || gfx::Failed(effect->GetParameterDesc(annotation, &desc)) || !desc.name) continue;
    const char* text = nullptr;
    int32_t value = 0;
    if (SameNoCase(desc.name, "name") || SameNoCase(desc.name, "file")) {
      if (gfx::Succeeded(effect->GetString(annotation, &text)) && text) t.file = text;
    } else if (SameNoCase(desc.name, "type") || SameNoCase(desc.name, "texturetype")) {
      if (gfx::Succeeded(effect->GetString(annotation, &text)) && text) t.type = text;
    } else if (SameNoCase(desc.name, "width")) {
      if (gfx::Succeeded(effect->GetInt(annotation, &value))) t.width = value;
    } else if (SameNoCase(desc.name, "height")) {
      if (gfx::Succeeded(effect->GetInt(annotation, &value))) t.height = value;
    } else if (SameNoCase(desc.name, "depth")) {
      if (gfx::Succeeded(effect->GetInt(annotation, &value))) t.depth = value;
    }
  }
  return t;
}

// The texture a parameter names, loaded now; the loaded texture is set into the parameter. Names are
// read from the effect file and taken from its folder, never from outside it.
void LoadParameterTexture(dx::Effect* effect, dx::EffectHandle parameter, const TextureAnnotations& t) {
  if (t.type.empty() || SameNoCase(t.type.c_str(), "2d")) {
    const int32_t image = LoadMeshTexture(t.file.c_str(), "", 0);
    const auto getTexture = GetObjectModuleState().links.getImageTexture;
    if (gfx::Texture* texture = getTexture ? getTexture(image) : nullptr) effect->SetTexture(parameter, texture);
  } else if (SameNoCase(t.type.c_str(), "cube") && !platform::fs::ContainedNameFault(t.file)) {
    gfx::CubeTexture* cube = nullptr;
    const uint32_t size = t.width > 0 ? uint32_t(t.width) : dx::kDefault;
    if (gfx::Succeeded(dx::CreateCubeTextureFromFileEx(GetObjectModuleState().device, t.file, size, dx::kDefault, 0,
                                                        gfx::FMT_UNKNOWN, gfx::POOL_MANAGED, dx::kDefault,
                                                        dx::kDefault, 0, nullptr, &cube)) &&
        cube) {
      effect->SetTexture(parameter, cube);
      cube->Release();  // the effect holds what it needs
    }
  }
  // Volume textures do not exist on this device, and other types name nothing to load.
}

}  // namespace

bool EffectObject::MatchSemantic(const char* name, dx::EffectHandle handle) {
  if (!name) return false;
  for (const SemanticName& semantic : kSemantics) {
    if (!SameNoCase(name, semantic.name)) continue;
    if (handle) {
      slots[semantic.slot] = handle;
      boundSlots |= 1u << semantic.slot;
      return true;
    }
    if (slots[semantic.slot]) return true;
  }
  return SameNoCase(name, "xfile");
}

bool EffectObject::ParseParameters(uint8_t loadXFileMesh, uint8_t loadTexturesFlag) {
  if (!effect) return false;
  textureParameterCount = 0;
  effect->GetDesc(&description);
  for (uint32_t i = 0; i < description.parameters; ++i) {
    const dx::EffectHandle handle = effect->GetParameter(0, i);
    dx::ParameterDesc desc;
    if (!handle || gfx::Failed(effect->GetParameterDesc(handle, &desc))) continue;
    for (const char* annotation : {"UIDirectional", "UIDirectionalInv", "UIPosition"}) {
      if (effect->GetAnnotationByName(handle, annotation)) MatchSemantic(annotation, handle);
    }
    dx::EffectHandle object = effect->GetAnnotationByName(handle, "Object");
    if (!object) object = effect->GetAnnotationByName(handle, "UIObject");
    const char* objectName = nullptr;
    if (object && gfx::Succeeded(effect->GetString(object, &objectName))) MatchSemantic(objectName, handle);
    if (desc.semantic && desc.parameterClass <= dx::PC_MATRIX_COLUMNS) MatchSemantic(desc.semantic, handle);

    const TextureAnnotations texture = ReadTextureAnnotations(effect, handle, desc.annotations);
    if (texture.file.empty()) continue;
    if (loadTexturesFlag == 0) {
      if (textureParameterCount < kMaxEffectTextureParameters) textureParameters[textureParameterCount++] = i;
    } else {
      LoadParameterTexture(effect, handle, texture);
    }
  }

  if (loadXFileMesh == 1) {
    const dx::EffectHandle xfile = effect->GetParameterByName(0, "XFile");
    dx::ParameterDesc desc;
    const char* name = nullptr;
    if (xfile && gfx::Succeeded(effect->GetParameterDesc(xfile, &desc)) &&
        gfx::Succeeded(effect->GetString(xfile, &name)) && name && !platform::fs::ContainedNameFault(name)) {
      xFileName = name;
      DeleteMeshRecord(effectMesh);
      effectMesh = nullptr;
      LoadEffectMesh(xFileName.c_str(), &effectMesh);
    }
  }

  readsNormal = readsColor = readsTangent = readsBinormal = 0;
  hasBonePalette = slots[kSlotBonePalette] ? 1 : 0;
  for (uint32_t t = 0; t < description.techniques; ++t) {
    const dx::EffectHandle technique = effect->GetTechnique(t);
    dx::TechniqueDesc techniqueDesc;
    if (!technique || gfx::Failed(effect->GetTechniqueDesc(technique, &techniqueDesc))) continue;
    for (uint32_t p = 0; p < techniqueDesc.passes; ++p) {
      dx::PassDesc pass;
      const dx::EffectHandle handle = effect->GetPass(technique, p);
      if (!handle || gfx::Failed(effect->GetPassDesc(handle, &pass)) || !pass.vertexShaderFunction) continue;
      dx::ShaderSemantic inputs[dx::kMaxShaderSemantics];
      uint32_t count = 0;
      if (gfx::Failed(dx::GetShaderInputSemantics(pass.vertexShaderFunction, pass.vertexShaderTokens, inputs, &count)))
        continue;
      for (uint32_t k = 0; k < count; ++k) {
        switch (inputs[k].usage) {
          case gfx::DECLUSAGE_NORMAL: readsNormal = 1; break;
          case gfx::DECLUSAGE_COLOR: readsColor = 1; break;
          case gfx::DECLUSAGE_TANGENT: readsTangent = 1; break;
          case gfx::DECLUSAGE_BINORMAL: readsBinormal = 1; break;
          default: break;
        }
      }
    }
  }
  return true;
}
