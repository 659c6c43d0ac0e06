// The effect object made from a parsed effect file: parameter values, techniques and passes with
// their compiled shaders, state application, and the device state saved at Begin and put back at End.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3dx/effects/effect.h"
#include "platform/d3dx/effects/effect_compile.h"
#include "platform/d3dx/effects/effect_parse.h"
#include "platform/gfx/device.h"
#include "platform/gfx/ref_counted_impl.h"

namespace platform::d3dx {

class EffectImpl : public gfx::RefCountedImpl<Effect> {
 public:
  // Compiles every shader the file names and creates it on the device. A shader that does not
  // compile fails the whole effect (the messages go to *errors), unless its target is beyond what
  // the device runs: then only the techniques that use it are invalid.
  static Result Create(gfx::Device* device, EffectFileDecl file, const std::string& fileName, EffectImpl** effect,
                       std::string* errors);

  Result GetDesc(EffectDesc* desc) override;
  EffectHandle GetParameter(EffectHandle parent, uint32_t index) override;
  EffectHandle GetParameterByName(EffectHandle parent, const char* name) override;
  EffectHandle GetParameterBySemantic(EffectHandle parent, const char* semantic) override;
  Result GetParameterDesc(EffectHandle parameter, ParameterDesc* desc) override;
  EffectHandle GetAnnotation(EffectHandle object, uint32_t index) override;
  EffectHandle GetAnnotationByName(EffectHandle object, const char* name) override;
  Result GetString(EffectHandle parameter, const char** text) override;
  Result GetInt(EffectHandle parameter, int32_t* value) override;
  Result GetValue(EffectHandle parameter, void* data, uint32_t bytes) override;
  EffectHandle GetTechnique(uint32_t index) override;
  EffectHandle GetTechniqueByName(const char* name) override;
  Result GetTechniqueDesc(EffectHandle technique, TechniqueDesc* desc) override;
  EffectHandle GetPass(EffectHandle technique, uint32_t index) override;
  Result GetPassDesc(EffectHandle pass, PassDesc* desc) override;
  Result FindNextValidTechnique(EffectHandle from, EffectHandle* next) override;
  Result SetTechnique(EffectHandle technique) override;
  Result SetMatrix(EffectHandle parameter, const Matrix* matrix) override;
  Result SetVector(EffectHandle parameter, const Vector4* vector) override;
  Result SetFloat(EffectHandle parameter, float value) override;
  Result SetInt(EffectHandle parameter, int32_t value) override;
  Result SetBool(EffectHandle parameter, int32_t value) override;
  Result SetTexture(EffectHandle parameter, gfx::BaseTexture* texture) override;
  Result SetMatrixTransposeArray(EffectHandle parameter, const Matrix* matrices, uint32_t count) override;
  Result Begin(uint32_t* passes, uint32_t flags) override;
  Result BeginPass(uint32_t pass) override;
  Result CommitChanges() override;
  Result EndPass() override;
  Result End() override;

 protected:
  ~EffectImpl() override;

 private:
  struct Value {  // a parameter or an annotation
    EffectParameterDecl decl;
    std::vector<uint32_t> annotations;  // value indices
    gfx::BaseTexture* texture = nullptr;  // one reference
  };
  // How a parameter a shader reads reaches its registers, worked out once when the effect is made.
  struct ConstantUpload {
    uint32_t value = 0;               // value index
    uint32_t start = 0, count = 0;    // registers (a sampler: its stage)
    ConstantFile file = kConstantFloat;
    bool sampler = false;             // a sampler's texture and states go to stage `start`
    bool byColumn = false;            // a column_major matrix: column k of each element in a register
  };
  struct Shader {
    std::vector<uint32_t> function;
    std::vector<ShaderConstant> constants;
    std::vector<int32_t> constantValues;  // value index of each constant's parameter, -1 for none
    std::vector<ConstantUpload> uploads;
    gfx::VertexShader* vertex = nullptr;
    gfx::PixelShader* pixel = nullptr;
    bool runs = true;  // compiled and created (or NULL)
  };
  struct Pass {
    std::string name;
    std::vector<uint32_t> annotations;
    std::vector<EffectStateDecl> states;
    int32_t vertexShader = -1, pixelShader = -1;  // shader indices
  };
  struct StateKey {
    StateKind kind;
    uint32_t index, id;
    bool operator==(const StateKey& o) const { return kind == o.kind && index == o.index && id == o.id; }
  };
  // What Begin read of one state the technique sets; lights, the material and transforms, seldom set
  // by effects, keep their values aside (savedLights_ ... by `block`), so a save stays small.
  struct SavedState {
    StateKey key;
    uint32_t word = 0;   // render, sampler and stage states; a light on or off
    uint32_t block = 0;  // index into savedLights_, savedMaterials_ or savedMatrices_
    gfx::BaseTexture* texture = nullptr;
    gfx::VertexShader* vertexShader = nullptr;
    gfx::PixelShader* pixelShader = nullptr;
  };
  struct Technique {
    std::string name;
    std::vector<uint32_t> annotations;
    std::vector<uint32_t> passes;  // pass indices
    std::vector<StateKey> touched;
    bool valid = true;
  };

  EffectImpl(gfx::Device* device, EffectFileDecl file);
  Result Build(const std::string& fileName, std::string* errors);
  Result CompileShader(uint32_t index, const std::string& fileName, std::string* errors);
  uint32_t AddValue(EffectParameterDecl decl);
  void CollectTouched(Technique* technique);
  Value* FindValue(EffectHandle handle);
  Value* NumericValue(EffectHandle handle);
  int32_t ShaderOf(const EffectStateDecl& state) const;
  void ApplyPass(const Pass& pass);
  void ApplyState(const EffectStateDecl& state);
  void ApplySampler(const Value& sampler, uint32_t stage);
  void ApplyConstantState(const EffectStateDecl& state);
  void PlanUploads(Shader* shader);
  void UploadConstants(const Shader& shader, bool vertex);
  // The registers of one upload, four numbers each, from `out` on.
  void LayOutUpload(const ConstantUpload& upload, const EffectParameterDecl& value, float* out);
  // `count` registers of `file` from `start`, `width` numbers each (a bool register reads the first).
  void SetRegisters(bool vertex, ConstantFile file, uint32_t start, const float* values, uint32_t count,
                    uint32_t width);
  void SaveStates(const Technique& technique);
  void RestoreStates();
  uint32_t WordOf(const EffectStateDecl& state) const;
  const float* NumbersOf(const EffectStateDecl& state, size_t count);

  gfx::Device* device_;  // one reference
  EffectFileDecl file_;
  std::vector<Value> values_;
  std::vector<uint32_t> parameters_;  // value indices of the top-level parameters
  std::unordered_map<std::string, uint32_t> parameterByName_;
  std::vector<Shader> shaders_;
  std::vector<Pass> passes_;
  std::vector<Technique> techniques_;
  int32_t technique_ = -1;
  int32_t pass_ = -1;
  bool begun_ = false;
  std::vector<SavedState> saved_;  // the first savedCount_ hold what Begin saved
  size_t savedCount_ = 0;
  std::vector<gfx::Light> savedLights_;
  std::vector<gfx::Material> savedMaterials_;
  std::vector<gfx::Matrix> savedMatrices_;
  std::vector<float> scratch_;
  float registers_[256 * 4];
  gfx::Caps caps_{};
};

}  // namespace platform::d3dx
