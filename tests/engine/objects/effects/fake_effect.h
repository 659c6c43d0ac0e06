// A compiled effect as a compiler would hand it over, made by the tests: parameters with semantics and
// annotations, techniques of passes with vertex-shader tokens, and a record of every value set.
#pragma once
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/d3dx/effects/effect.h"

namespace effect_test {

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

struct FakeAnnotation {
  std::string name;
  std::string text;  // string annotations
  int32_t value = 0;  // integer annotations
};

struct FakeParameter {
  std::string name;
  std::string semantic;  // empty: none
  uint32_t parameterClass = dx::PC_MATRIX_ROWS;
  uint32_t type = dx::PT_FLOAT;
  std::vector<FakeAnnotation> annotations{};
  std::string text{};  // value of a string parameter
};

struct FakePass {
  std::vector<uint32_t> vertexShader;  // empty: none
};

class FakeEffect : public dx::Effect {
 public:
  // Handles: parameter i is 1000 + i, annotation j of parameter i is 100000 + 100 i + j, technique t is
  // 5000 + t, pass p of technique t is 6000 + 10 t + p.
  std::vector<FakeParameter> parameters;
  std::vector<std::vector<FakePass>> techniques;
  bool validTechnique = true;

  std::map<dx::EffectHandle, gfx::Matrix> matrices;
  std::map<dx::EffectHandle, gfx::Vector4> vectors;
  std::map<dx::EffectHandle, float> floats;
  std::map<dx::EffectHandle, gfx::BaseTexture*> textures;
  std::vector<gfx::Matrix> palette;
  dx::EffectHandle selected = 0;
  int begun = 0, ended = 0;
  uint32_t references = 1;

  uint32_t AddRef() override { return ++references; }
  uint32_t Release() override {
    const uint32_t left = --references;
    if (left == 0) delete this;
    return left;
  }

  gfx::Result GetDesc(dx::EffectDesc* desc) override {
    desc->creator = "test";
    desc->parameters = uint32_t(parameters.size());
    desc->techniques = uint32_t(techniques.size());
    desc->functions = 0;
    return gfx::kOk;
  }
  dx::EffectHandle GetParameter(dx::EffectHandle parent, uint32_t index) override {
    return parent == 0 && index < parameters.size() ? 1000 + index : 0;
  }
  dx::EffectHandle GetParameterByName(dx::EffectHandle parent, const char* name) override {
    for (size_t i = 0; i < parameters.size(); ++i)
      if (parameters[i].name == name) return 1000 + i;
    return 0;
  }
  dx::EffectHandle GetParameterBySemantic(dx::EffectHandle, const char*) override { return 0; }
  gfx::Result GetValue(dx::EffectHandle, void*, uint32_t) override { return gfx::kInvalidCall; }
  dx::EffectHandle GetTechniqueByName(const char*) override { return 0; }
  gfx::Result SetInt(dx::EffectHandle p, int32_t v) override { return floats[p] = float(v), gfx::kOk; }
  gfx::Result SetBool(dx::EffectHandle p, int32_t v) override { return floats[p] = v ? 1.0f : 0.0f, gfx::kOk; }
  gfx::Result CommitChanges() override { return gfx::kOk; }
  gfx::Result GetParameterDesc(dx::EffectHandle handle, dx::ParameterDesc* desc) override {
    *desc = dx::ParameterDesc{};
    if (const FakeParameter* p = Parameter(handle)) {
      desc->name = p->name.c_str();
      desc->semantic = p->semantic.empty() ? nullptr : p->semantic.c_str();
      desc->parameterClass = p->parameterClass;
      desc->type = p->type;
      desc->annotations = uint32_t(p->annotations.size());
      return gfx::kOk;
    }
    if (const FakeAnnotation* a = Annotation(handle)) {
      desc->name = a->name.c_str();
      desc->parameterClass = dx::PC_OBJECT;
      return gfx::kOk;
    }
    return gfx::kInvalidCall;
  }
  dx::EffectHandle GetAnnotation(dx::EffectHandle object, uint32_t index) override {
    const FakeParameter* p = Parameter(object);
    return p && index < p->annotations.size() ? 100000 + 100 * (object - 1000) + index : 0;
  }
  dx::EffectHandle GetAnnotationByName(dx::EffectHandle object, const char* name) override {
    const FakeParameter* p = Parameter(object);
    for (size_t j = 0; p && j < p->annotations.size(); ++j)
      if (p->annotations[j].name == name) return 100000 + 100 * (object - 1000) + j;
    return 0;
  }
  gfx::Result GetString(dx::EffectHandle handle, const char** text) override {
    if (const FakeAnnotation* a = Annotation(handle)) return *text = a->text.c_str(), gfx::kOk;
    if (const FakeParameter* p = Parameter(handle)) return *text = p->text.c_str(), gfx::kOk;
    return gfx::kInvalidCall;
  }
  gfx::Result GetInt(dx::EffectHandle handle, int32_t* value) override {
    if (const FakeAnnotation* a = Annotation(handle)) return *value = a->value, gfx::kOk;
    return gfx::kInvalidCall;
  }
  dx::EffectHandle GetTechnique(uint32_t index) override { return index < techniques.size() ? 5000 + index : 0; }
  gfx::Result GetTechniqueDesc(dx::EffectHandle technique, dx::TechniqueDesc* desc) override {
    *desc = dx::TechniqueDesc{};
    desc->passes = uint32_t(techniques.at(technique - 5000).size());
    return gfx::kOk;
  }
  dx::EffectHandle GetPass(dx::EffectHandle technique, uint32_t index) override {
    return 6000 + 10 * (technique - 5000) + index;
  }
  gfx::Result GetPassDesc(dx::EffectHandle pass, dx::PassDesc* desc) override {
    *desc = dx::PassDesc{};
    const FakePass& p = techniques.at((pass - 6000) / 10).at((pass - 6000) % 10);
    if (!p.vertexShader.empty()) {
      desc->vertexShaderFunction = p.vertexShader.data();
      desc->vertexShaderTokens = uint32_t(p.vertexShader.size());
    }
    return gfx::kOk;
  }
  gfx::Result FindNextValidTechnique(dx::EffectHandle from, dx::EffectHandle* next) override {
    if (!validTechnique) return gfx::kFail;
    *next = techniques.empty() ? 0 : 5000;
    return gfx::kOk;
  }
  gfx::Result SetTechnique(dx::EffectHandle technique) override { return selected = technique, gfx::kOk; }
  gfx::Result SetMatrix(dx::EffectHandle p, const gfx::Matrix* m) override { return matrices[p] = *m, gfx::kOk; }
  gfx::Result SetVector(dx::EffectHandle p, const gfx::Vector4* v) override { return vectors[p] = *v, gfx::kOk; }
  gfx::Result SetFloat(dx::EffectHandle p, float f) override { return floats[p] = f, gfx::kOk; }
  gfx::Result SetTexture(dx::EffectHandle p, gfx::BaseTexture* t) override { return textures[p] = t, gfx::kOk; }
  gfx::Result SetMatrixTransposeArray(dx::EffectHandle, const gfx::Matrix* m, uint32_t count) override {
    palette.assign(m, m + count);
    return gfx::kOk;
  }
  gfx::Result Begin(uint32_t* passes, uint32_t) override {
    ++begun;
    *passes = techniques.empty() ? 0 : uint32_t(techniques[0].size());
    return gfx::kOk;
  }
  gfx::Result BeginPass(uint32_t) override { return gfx::kOk; }
  gfx::Result EndPass() override { return gfx::kOk; }
  gfx::Result End() override { return ++ended, gfx::kOk; }

  static dx::EffectHandle Handle(size_t parameter) { return 1000 + parameter; }

 private:
  const FakeParameter* Parameter(dx::EffectHandle h) const {
    return h >= 1000 && h < 1000 + parameters.size() ? &parameters[h - 1000] : nullptr;
  }
  const FakeAnnotation* Annotation(dx::EffectHandle h) const {
    if (h < 100000) return nullptr;
    const size_t i = (h - 100000) / 100, j = (h - 100000) % 100;
    return i < parameters.size() && j < parameters[i].annotations.size() ? &parameters[i].annotations[j] : nullptr;
  }
};

}  // namespace effect_test
