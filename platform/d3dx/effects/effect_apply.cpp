// Running an effect: Begin saves the device states its technique sets, each pass sets its states,
// shaders, samplers and shader constants, and End puts the saved states back.
#include <algorithm>
#include <cstring>

#include "platform/d3dx/effects/effect_impl.h"

namespace platform::d3dx {

namespace {

gfx::Light DefaultLight() {
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1, 1, 1, 0};
  light.direction = {0, 0, 1};
  return light;
}

gfx::ColorValue Color(const float* n) { return {n[0], n[1], n[2], n[3]}; }

}  // namespace

uint32_t EffectImpl::WordOf(const EffectStateDecl& state) const {
  if (state.kind != EffectStateDecl::kParameter) return state.word;
  const Value& v = values_[parameters_[state.parameter]];
  const float f = v.decl.numbers.empty() ? 0.0f : v.decl.numbers[0];
  if (state.state->value == StateValueKind::kFloat) return gfx::FloatBits(f);
  return uint32_t(int64_t(f));
}

const float* EffectImpl::NumbersOf(const EffectStateDecl& state, size_t count) {
  scratch_.assign(count, 0.0f);
  const std::vector<float>& numbers =
      state.kind == EffectStateDecl::kParameter ? values_[parameters_[state.parameter]].decl.numbers : state.numbers;
  std::copy_n(numbers.begin(), std::min(count, numbers.size()), scratch_.begin());
  return scratch_.data();
}

void EffectImpl::ApplySampler(const Value& sampler, uint32_t stage) {
  for (const EffectStateDecl& s : sampler.decl.samplerStates) {
    if (s.state->kind == StateKind::kTexture) {
      const bool named = s.kind == EffectStateDecl::kParameter;
      device_->SetTexture(stage, named ? values_[parameters_[s.parameter]].texture : nullptr);
    } else {
      device_->SetSamplerState(stage, s.state->id, WordOf(s));
    }
  }
}

void EffectImpl::ApplyState(const EffectStateDecl& s) {
  const StateInfo& info = *s.state;
  switch (info.kind) {
    case StateKind::kRender: device_->SetRenderState(info.id, WordOf(s)); break;
    case StateKind::kSampler: device_->SetSamplerState(s.index, info.id, WordOf(s)); break;
    case StateKind::kStage: device_->SetTextureStageState(s.index, info.id, WordOf(s)); break;
    case StateKind::kTexture:
      device_->SetTexture(s.index, s.kind == EffectStateDecl::kParameter ? values_[parameters_[s.parameter]].texture : nullptr);
      break;
    case StateKind::kSamplerObject:
      if (s.kind == EffectStateDecl::kParameter) ApplySampler(values_[parameters_[s.parameter]], s.index);
      break;
    case StateKind::kLightEnable: device_->LightEnable(s.index, WordOf(s) != 0); break;
    case StateKind::kLight: {
      gfx::Light light = DefaultLight();
      device_->GetLight(s.index, &light);
      const float* n = NumbersOf(s, 4);
      const float f = info.value == StateValueKind::kFloat ? gfx::BitsFloat(WordOf(s)) : n[0];
      switch (info.id) {
        case kLightType: light.type = WordOf(s); break;
        case kLightDiffuse: light.diffuse = Color(n); break;
        case kLightSpecular: light.specular = Color(n); break;
        case kLightAmbient: light.ambient = Color(n); break;
        case kLightPosition: light.position = {n[0], n[1], n[2]}; break;
        case kLightDirection: light.direction = {n[0], n[1], n[2]}; break;
        case kLightRange: light.range = f; break;
        case kLightFalloff: light.falloff = f; break;
        case kLightAttenuation0: light.attenuation0 = f; break;
        case kLightAttenuation1: light.attenuation1 = f; break;
        case kLightAttenuation2: light.attenuation2 = f; break;
        case kLightTheta: light.theta = f; break;
        case kLightPhi: light.phi = f; break;
        default: break;
      }
      device_->SetLight(s.index, &light);
      break;
    }
    case StateKind::kMaterial: {
      gfx::Material material{};
      device_->GetMaterial(&material);
      const float* n = NumbersOf(s, 4);
      switch (info.id) {
        case kMaterialDiffuse: material.diffuse = Color(n); break;
        case kMaterialAmbient: material.ambient = Color(n); break;
        case kMaterialSpecular: material.specular = Color(n); break;
        case kMaterialEmissive: material.emissive = Color(n); break;
        case kMaterialPower: material.power = gfx::BitsFloat(WordOf(s)); break;
        default: break;
      }
      device_->SetMaterial(&material);
      break;
    }
    case StateKind::kTransform: {
      gfx::Matrix m;
      std::memcpy(m.m, NumbersOf(s, 16), sizeof m.m);
      device_->SetTransform(info.id + s.index, &m);
      break;
    }
    case StateKind::kVertexShader: {
      const int32_t shader = ShaderOf(s);
      device_->SetVertexShader(shader >= 0 ? shaders_[size_t(shader)].vertex : nullptr);
      break;
    }
    case StateKind::kPixelShader: {
      const int32_t shader = ShaderOf(s);
      device_->SetPixelShader(shader >= 0 ? shaders_[size_t(shader)].pixel : nullptr);
      break;
    }
    case StateKind::kVertexConstant: case StateKind::kPixelConstant: ApplyConstantState(s); break;
  }
}

// A shader-constant state: the value into consecutive registers from [index] (see
// LayOutConstantRegisters), as many as the register file has from there.
void EffectImpl::ApplyConstantState(const EffectStateDecl& s) {
  const StateInfo& info = *s.state;
  const std::vector<float>* registers = &s.numbers;
  if (s.kind == EffectStateDecl::kParameter) {
    const EffectParameterDecl& value = values_[parameters_[s.parameter]].decl;
    LayOutConstantRegisters(info, value.numbers.data(), value.numbers.size(), value.columns, &scratch_);
    registers = &scratch_;
  }
  const uint32_t width = info.id == kConstantBool ? 1 : 4;
  const uint32_t count = std::min(uint32_t(registers->size() / width), ConstantRegisterCount(info) - s.index);
  const ConstantFile file = ConstantFile(info.id);
  SetRegisters(info.kind == StateKind::kVertexConstant, file, s.index, registers->data(), count, width);
}

void EffectImpl::SetRegisters(bool vertex, ConstantFile file, uint32_t start, const float* values, uint32_t count,
                              uint32_t width) {
  if (count == 0) return;
  if (file == kConstantFloat) {
    if (vertex) device_->SetVertexShaderConstantF(start, values, count);
    else device_->SetPixelShaderConstantF(start, values, count);
    return;
  }
  int32_t words[256 * 4];
  count = std::min(count, 256u);
  if (file == kConstantInt) {
    for (uint32_t i = 0; i < count * 4; ++i) words[i] = int32_t(values[i]);
    if (vertex) device_->SetVertexShaderConstantI(start, words, count);
    else device_->SetPixelShaderConstantI(start, words, count);
  } else {
    for (uint32_t r = 0; r < count; ++r) words[r] = values[r * width] != 0.0f;
    if (vertex) device_->SetVertexShaderConstantB(start, words, count);
    else device_->SetPixelShaderConstantB(start, words, count);
  }
}

// Parameters into registers as compiled effects always had them: a column_major matrix gives column k
// to register r + k, a row_major one row k; scalars and vectors take one register per array element;
// bool registers one number each.
void EffectImpl::PlanUploads(Shader* shader) {
  for (size_t c = 0; c < shader->constants.size(); ++c) {
    const ShaderConstant& constant = shader->constants[c];
    if (shader->constantValues[c] < 0) continue;
    const EffectParameterDecl& v = values_[size_t(shader->constantValues[c])].decl;
    ConstantUpload upload;
    upload.value = uint32_t(shader->constantValues[c]);
    upload.start = constant.registerIndex;
    if (constant.registerSet == RS_SAMPLER) {
      upload.sampler = true;
      if (v.type >= PT_SAMPLER && v.type <= PT_SAMPLERCUBE) shader->uploads.push_back(upload);
      continue;
    }
    if (v.parameterClass == PC_OBJECT || v.parameterClass == PC_STRUCT || constant.registerCount == 0 ||
        v.columns == 0 || v.columns > 4 || v.rows > 4)
      continue;
    upload.count = std::min(constant.registerCount, 256u);
    upload.file = constant.registerSet == RS_FLOAT4 ? kConstantFloat
                  : constant.registerSet == RS_INT4 ? kConstantInt
                                                    : kConstantBool;
    const bool matrix = v.parameterClass == PC_MATRIX_ROWS || v.parameterClass == PC_MATRIX_COLUMNS;
    upload.byColumn = matrix && !constant.rowMajor && v.parameterClass != PC_MATRIX_ROWS;
    shader->uploads.push_back(upload);
  }
}

void EffectImpl::LayOutUpload(const ConstantUpload& u, const EffectParameterDecl& value, float* out) {
  const float* n = value.numbers.data();
  const size_t size = value.numbers.size();
  if (u.file == kConstantBool) {
    for (uint32_t r = 0; r < u.count; ++r) out[r * 4] = r < size && n[r] != 0.0f ? 1.0f : 0.0f;
    return;
  }
  const uint32_t rows = value.rows, columns = value.columns;
  // The usual cases in straight copies: float4 rows (row_major matrices, vectors, arrays of them), and
  // a whole column_major float4x4.
  if (!u.byColumn && columns == 4 && size >= size_t(u.count) * 4) {
    for (uint32_t k = 0; k < u.count * 4; k += 4) {
      out[k] = n[k];
      out[k + 1] = n[k + 1];
      out[k + 2] = n[k + 2];
      out[k + 3] = n[k + 3];
    }
    return;
  }
  if (u.byColumn && rows == 4 && columns == 4 && u.count <= 4 && size >= 16) {
    for (uint32_t r = 0; r < u.count; ++r) {
      out[r * 4] = n[r];
      out[r * 4 + 1] = n[4 + r];
      out[r * 4 + 2] = n[8 + r];
      out[r * 4 + 3] = n[12 + r];
    }
    return;
  }
  if (!u.byColumn) {
    // Row r of the numbers (a matrix row, or a vector or scalar element) in register r.
    for (uint32_t r = 0; r < u.count; ++r) {
      const size_t first = size_t(r) * columns;
      for (uint32_t j = 0; j < 4; ++j) out[r * 4 + j] = j < columns && first + j < size ? n[first + j] : 0.0f;
    }
    return;
  }
  const uint32_t stride = rows * columns;
  for (uint32_t r = 0; r < u.count; ++r) {
    const size_t element = r / columns, column = r % columns;
    for (uint32_t j = 0; j < 4; ++j) {
      const size_t at = element * stride + size_t(j) * columns + column;
      out[r * 4 + j] = j < rows && at < size ? n[at] : 0.0f;
    }
  }
}

// Constants in consecutive registers of one file go to the device in one call.
void EffectImpl::UploadConstants(const Shader& shader, bool vertex) {
  uint32_t runStart = 0, runCount = 0;
  ConstantFile runFile = kConstantFloat;
  for (const ConstantUpload& u : shader.uploads) {
    const Value& v = values_[u.value];
    if (u.sampler) {
      ApplySampler(v, u.start);
      continue;
    }
    if (runCount && (u.file != runFile || u.start != runStart + runCount || runCount + u.count > 256)) {
      SetRegisters(vertex, runFile, runStart, registers_, runCount, 4);
      runCount = 0;
    }
    if (!runCount) runStart = u.start, runFile = u.file;
    LayOutUpload(u, v.decl, registers_ + size_t(runCount) * 4);
    runCount += u.count;
  }
  if (runCount) SetRegisters(vertex, runFile, runStart, registers_, runCount, 4);
}

void EffectImpl::ApplyPass(const Pass& pass) {
  for (const EffectStateDecl& s : pass.states) ApplyState(s);
  if (pass.vertexShader >= 0) UploadConstants(shaders_[size_t(pass.vertexShader)], true);
  if (pass.pixelShader >= 0) UploadConstants(shaders_[size_t(pass.pixelShader)], false);
}

void EffectImpl::SaveStates(const Technique& technique) {
  savedLights_.clear();
  savedMaterials_.clear();
  savedMatrices_.clear();
  if (saved_.size() < technique.touched.size()) saved_.resize(technique.touched.size());
  savedCount_ = technique.touched.size();
  for (size_t k = 0; k < savedCount_; ++k) {
    const StateKey& key = technique.touched[k];
    SavedState& s = saved_[k];
    s.key = key;
    switch (key.kind) {
      case StateKind::kRender: device_->GetRenderState(key.id, &s.word); break;
      case StateKind::kSampler: device_->GetSamplerState(key.index, key.id, &s.word); break;
      case StateKind::kStage: device_->GetTextureStageState(key.index, key.id, &s.word); break;
      case StateKind::kTexture: device_->GetTexture(key.index, &s.texture); break;
      case StateKind::kLightEnable: {
        int32_t enabled = 0;
        device_->GetLightEnable(key.index, &enabled);
        s.word = uint32_t(enabled);
        break;
      }
      case StateKind::kLight:
        s.block = uint32_t(savedLights_.size());
        device_->GetLight(key.index, &savedLights_.emplace_back(DefaultLight()));
        break;
      case StateKind::kMaterial:
        s.block = uint32_t(savedMaterials_.size());
        device_->GetMaterial(&savedMaterials_.emplace_back());
        break;
      case StateKind::kTransform:
        s.block = uint32_t(savedMatrices_.size());
        device_->GetTransform(key.id, &savedMatrices_.emplace_back());
        break;
      case StateKind::kVertexShader: device_->GetVertexShader(&s.vertexShader); break;
      case StateKind::kPixelShader: device_->GetPixelShader(&s.pixelShader); break;
      default: break;
    }
  }
}

void EffectImpl::RestoreStates() {
  for (size_t k = 0; k < savedCount_; ++k) {
    SavedState& s = saved_[k];
    const StateKey& key = s.key;
    switch (key.kind) {
      case StateKind::kRender: device_->SetRenderState(key.id, s.word); break;
      case StateKind::kSampler: device_->SetSamplerState(key.index, key.id, s.word); break;
      case StateKind::kStage: device_->SetTextureStageState(key.index, key.id, s.word); break;
      case StateKind::kTexture: device_->SetTexture(key.index, s.texture); break;
      case StateKind::kLightEnable: device_->LightEnable(key.index, int32_t(s.word)); break;
      case StateKind::kLight: device_->SetLight(key.index, &savedLights_[s.block]); break;
      case StateKind::kMaterial: device_->SetMaterial(&savedMaterials_[s.block]); break;
      case StateKind::kTransform: device_->SetTransform(key.id, &savedMatrices_[s.block]); break;
      case StateKind::kVertexShader: device_->SetVertexShader(s.vertexShader); break;
      case StateKind::kPixelShader: device_->SetPixelShader(s.pixelShader); break;
      default: break;
    }
    if (s.texture) s.texture->Release();
    if (s.vertexShader) s.vertexShader->Release();
    if (s.pixelShader) s.pixelShader->Release();
    s.texture = nullptr;
    s.vertexShader = nullptr;
    s.pixelShader = nullptr;
  }
  savedCount_ = 0;
}

Result EffectImpl::Begin(uint32_t* passes, uint32_t flags) {
  if (begun_ || technique_ < 0 || !techniques_[size_t(technique_)].valid) return gfx::kInvalidCall;
  const Technique& technique = techniques_[size_t(technique_)];
  if (!(flags & kEffectDoNotSaveState)) SaveStates(technique);
  begun_ = true;
  pass_ = -1;
  if (passes) *passes = uint32_t(technique.passes.size());
  return gfx::kOk;
}

Result EffectImpl::BeginPass(uint32_t pass) {
  if (!begun_ || pass_ >= 0 || pass >= techniques_[size_t(technique_)].passes.size()) return gfx::kInvalidCall;
  pass_ = int32_t(techniques_[size_t(technique_)].passes[pass]);
  ApplyPass(passes_[size_t(pass_)]);
  return gfx::kOk;
}

Result EffectImpl::CommitChanges() {
  if (pass_ < 0) return gfx::kInvalidCall;
  ApplyPass(passes_[size_t(pass_)]);
  return gfx::kOk;
}

Result EffectImpl::EndPass() {
  if (pass_ < 0) return gfx::kInvalidCall;
  pass_ = -1;
  return gfx::kOk;
}

Result EffectImpl::End() {
  if (!begun_) return gfx::kInvalidCall;
  RestoreStates();
  begun_ = false;
  pass_ = -1;
  return gfx::kOk;
}

}  // namespace platform::d3dx
