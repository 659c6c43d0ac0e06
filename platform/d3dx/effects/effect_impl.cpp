// The effect object: handles, descriptions and building from a parsed file.
#include "platform/d3dx/effects/effect_impl.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace platform::d3dx {

namespace {

constexpr EffectHandle kValueTag = 0x10000000, kTechniqueTag = 0x20000000, kPassTag = 0x30000000;
constexpr EffectHandle kTagMask = 0xF0000000, kIndexMask = 0x0FFFFFFF;

EffectHandle MakeHandle(EffectHandle tag, size_t index) { return tag | EffectHandle(index + 1); }
// The index a handle of this kind names, or -1.
int64_t HandleIndex(EffectHandle handle, EffectHandle tag, size_t count) {
  if ((handle & kTagMask) != tag || (handle & ~(kTagMask | kIndexMask)) != 0) return -1;
  const EffectHandle index = (handle & kIndexMask);
  return index >= 1 && index <= count ? int64_t(index - 1) : -1;
}

// The shader version a target asks for ("vs_2_0" 0x200, "ps_1_4" 0x104, "ps_2_b" 0x201).
uint32_t TargetVersion(const std::string& target) {
  if (target.size() < 6 || target[2] != '_' || target[4] != '_') return 0xFFFF;
  const uint32_t major = uint32_t(target[3] - '0');
  const char m = target[5];
  const uint32_t minor = m >= '0' && m <= '9' ? uint32_t(m - '0') : 1;
  return major << 8 | minor;
}

// "1, float2(0, 1), true" as its top-level arguments.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> arguments(1);
  int depth = 0;
  for (char c : text) {
    if (c == '(' || c == '{') ++depth;
    if (c == ')' || c == '}') --depth;
    if (c == ',' && depth == 0) {
      arguments.emplace_back();
      continue;
    }
    arguments.back().push_back(c);
  }
  for (std::string& a : arguments) {
    a.erase(0, a.find_first_not_of(" \t\r\n"));
    a.erase(a.find_last_not_of(" \t\r\n") + 1);
  }
  if (arguments.size() == 1 && arguments[0].empty()) arguments.clear();
  return arguments;
}

}  // namespace

EffectImpl::EffectImpl(gfx::Device* device, EffectFileDecl file) : device_(device), file_(std::move(file)) {
  if (device_) {
    device_->AddRef();
    device_->GetDeviceCaps(&caps_);
  }
}

EffectImpl::~EffectImpl() {
  if (begun_) RestoreStates();
  for (Value& v : values_)
    if (v.texture) v.texture->Release();
  for (Shader& s : shaders_) {
    if (s.vertex) s.vertex->Release();
    if (s.pixel) s.pixel->Release();
  }
  if (device_) device_->Release();
}

Result EffectImpl::Create(gfx::Device* device, EffectFileDecl file, const std::string& fileName, EffectImpl** effect,
                          std::string* errors) {
  *effect = nullptr;
  if (!device) return gfx::kInvalidCall;
  auto* made = new EffectImpl(device, std::move(file));
  const Result result = made->Build(fileName, errors);
  if (gfx::Failed(result)) {
    made->Release();
    return result;
  }
  *effect = made;
  return gfx::kOk;
}

uint32_t EffectImpl::AddValue(EffectParameterDecl decl) {
  std::vector<EffectParameterDecl> annotations = std::move(decl.annotations);
  decl.annotations.clear();
  const uint32_t index = uint32_t(values_.size());
  values_.push_back(Value{std::move(decl), {}, nullptr});
  for (EffectParameterDecl& a : annotations) {
    const uint32_t child = AddValue(std::move(a));
    values_[index].annotations.push_back(child);
  }
  return index;
}

Result EffectImpl::CompileShader(uint32_t index, const std::string& fileName, std::string* errors) {
  const EffectShaderDecl& decl = file_.shaders[index];
  Shader& shader = shaders_[index];
  if (decl.kind == EffectShaderDecl::kNull) return gfx::kOk;
  const EffectShaderCompiler& compiler = EffectCompilers();
  std::string messages;
  Result result;
  const bool vertex = decl.kind == EffectShaderDecl::kCompile
                          ? (decl.target[0] == 'v' || decl.target[0] == 'V')
                          : decl.assembly.find_first_not_of(" \t\r\n") != std::string::npos &&
                                (decl.assembly[decl.assembly.find_first_not_of(" \t\r\n")] | 0x20) == 'v';
  const uint32_t deviceVersion = (vertex ? caps_.vertexShaderVersion : caps_.pixelShaderVersion) & 0xFFFF;
  if (decl.kind == EffectShaderDecl::kCompile) {
    const std::vector<std::string> arguments = SplitArguments(decl.arguments);
    // The HLSL text is the whole file: its lines are the file's (and its includes', by their markers).
    result = compiler.compileHlsl(file_.hlsl, fileName, decl.entry, decl.target, arguments, &shader.function, &messages);
    if (gfx::Failed(result) && TargetVersion(decl.target) > deviceVersion) {
      shader.runs = false;  // a technique for better hardware than this: not an error
      return gfx::kOk;
    }
  } else {
    result = compiler.assemble(decl.assembly, decl.file, &shader.function, &messages);
  }
  if (gfx::Failed(result) || shader.function.empty()) {
    // What concerns no line of the source (an entry or profile not found) is the compile statement's.
    const std::string statement = decl.file + "(" + std::to_string(decl.line) + "): ";
    for (const std::string& name : {fileName, decl.file}) {
      for (size_t at = messages.find(name + "(0): "); at != std::string::npos; at = messages.find(name + "(0): ", at)) {
        messages.replace(at, name.size() + 5, statement);
        at += statement.size();
      }
    }
    if (errors) {
      *errors += messages.empty() ? statement + "shader does not compile\n" : messages;
      if (!errors->empty() && errors->back() != '\n') *errors += "\n";
    }
    return gfx::kFail;
  }
  const uint32_t version = shader.function[0];
  const bool isVertex = (version & 0xFFFF0000) == 0xFFFE0000;
  if ((version & 0xFFFF) > deviceVersion || isVertex != vertex) {
    shader.runs = false;
    return gfx::kOk;
  }
  compiler.constants(shader.function.data(), &shader.constants);
  const Result created = isVertex ? device_->CreateVertexShader(shader.function.data(), &shader.vertex)
                                  : device_->CreatePixelShader(shader.function.data(), &shader.pixel);
  shader.runs = gfx::Succeeded(created) && (shader.vertex || shader.pixel);
  return gfx::kOk;
}

int32_t EffectImpl::ShaderOf(const EffectStateDecl& state) const {
  if (state.kind == EffectStateDecl::kShader) return int32_t(state.shader);
  if (state.kind == EffectStateDecl::kParameter && state.parameter < parameters_.size())
    return values_[parameters_[state.parameter]].decl.shader;
  return -1;
}

Result EffectImpl::Build(const std::string& fileName, std::string* errors) {
  for (EffectParameterDecl& p : file_.parameters) {
    const uint32_t index = AddValue(std::move(p));
    parameters_.push_back(index);
    parameterByName_[values_[index].decl.name] = index;
  }
  file_.parameters.clear();
  shaders_.resize(file_.shaders.size());
  bool failed = false;
  for (uint32_t i = 0; i < shaders_.size(); ++i) failed |= gfx::Failed(CompileShader(i, fileName, errors));
  if (failed) return gfx::kFail;

  for (Shader& shader : shaders_) {
    for (const ShaderConstant& c : shader.constants) {
      auto found = parameterByName_.find(c.name);
      shader.constantValues.push_back(found == parameterByName_.end() ? -1 : int32_t(found->second));
    }
    PlanUploads(&shader);
  }
  for (EffectTechniqueDecl& t : file_.techniques) {
    Technique technique;
    technique.name = t.name;
    for (EffectParameterDecl& a : t.annotations) technique.annotations.push_back(AddValue(std::move(a)));
    for (EffectPassDecl& p : t.passes) {
      Pass pass;
      pass.name = p.name;
      for (EffectParameterDecl& a : p.annotations) pass.annotations.push_back(AddValue(std::move(a)));
      pass.states = std::move(p.states);
      for (const EffectStateDecl& s : pass.states) {
        const StateKind kind = s.state->kind;
        if (kind != StateKind::kVertexShader && kind != StateKind::kPixelShader) continue;
        const int32_t shader = ShaderOf(s);
        // A shader variable without a value, or a shader this device cannot run, makes the technique invalid.
        if (s.kind != EffectStateDecl::kConstant && (shader < 0 || !shaders_[size_t(shader)].runs)) technique.valid = false;
        (kind == StateKind::kVertexShader ? pass.vertexShader : pass.pixelShader) = shader;
      }
      technique.passes.push_back(uint32_t(passes_.size()));
      passes_.push_back(std::move(pass));
    }
    CollectTouched(&technique);
    techniques_.push_back(std::move(technique));
  }
  file_.techniques.clear();
  for (size_t t = 0; t < techniques_.size() && technique_ < 0; ++t)
    if (techniques_[t].valid) technique_ = int32_t(t);
  return gfx::kOk;
}

void EffectImpl::CollectTouched(Technique* technique) {
  auto add = [technique](StateKind kind, uint32_t index, uint32_t id) {
    const StateKey key{kind, index, id};
    if (std::find(technique->touched.begin(), technique->touched.end(), key) == technique->touched.end())
      technique->touched.push_back(key);
  };
  auto addSampler = [&](const Value& sampler, uint32_t stage) {
    for (const EffectStateDecl& s : sampler.decl.samplerStates) {
      if (s.state->kind == StateKind::kTexture) add(StateKind::kTexture, stage, 0);
      else add(StateKind::kSampler, stage, s.state->id);
    }
  };
  for (uint32_t p : technique->passes) {
    const Pass& pass = passes_[p];
    for (const EffectStateDecl& s : pass.states) {
      switch (s.state->kind) {
        case StateKind::kRender: case StateKind::kSampler: case StateKind::kStage:
          add(s.state->kind, s.index, s.state->id);
          break;
        case StateKind::kTexture: case StateKind::kLightEnable:
          add(s.state->kind, s.index, 0);
          break;
        case StateKind::kLight:
          add(StateKind::kLight, s.index, 0);
          break;
        case StateKind::kMaterial:
          add(StateKind::kMaterial, 0, 0);
          break;
        case StateKind::kTransform:
          add(StateKind::kTransform, 0, s.state->id + s.index);
          break;
        case StateKind::kSamplerObject:
          if (s.kind == EffectStateDecl::kParameter) addSampler(values_[parameters_[s.parameter]], s.index);
          break;
        case StateKind::kVertexShader: case StateKind::kPixelShader:
          add(s.state->kind, 0, 0);
          break;
        case StateKind::kVertexConstant: case StateKind::kPixelConstant:
          break;  // constants are not put back, as with any effect
      }
    }
    for (int32_t index : {pass.vertexShader, pass.pixelShader}) {
      if (index < 0) continue;
      const Shader& shader = shaders_[size_t(index)];
      for (size_t c = 0; c < shader.constants.size(); ++c) {
        if (shader.constants[c].registerSet == 3 && shader.constantValues[c] >= 0)
          addSampler(values_[size_t(shader.constantValues[c])], shader.constants[c].registerIndex);
      }
    }
  }
}

EffectImpl::Value* EffectImpl::FindValue(EffectHandle handle) {
  const int64_t index = HandleIndex(handle, kValueTag, values_.size());
  return index < 0 ? nullptr : &values_[size_t(index)];
}

EffectImpl::Value* EffectImpl::NumericValue(EffectHandle handle) {
  Value* v = FindValue(handle);
  return v && v->decl.parameterClass != PC_OBJECT && v->decl.parameterClass != PC_STRUCT ? v : nullptr;
}

Result EffectImpl::GetDesc(EffectDesc* desc) {
  if (!desc) return gfx::kInvalidCall;
  desc->creator = "qel effect compiler";
  desc->parameters = uint32_t(parameters_.size());
  desc->techniques = uint32_t(techniques_.size());
  desc->functions = file_.functions;
  return gfx::kOk;
}

EffectHandle EffectImpl::GetParameter(EffectHandle parent, uint32_t index) {
  if (parent != 0 || index >= parameters_.size()) return 0;  // structures have no members here
  return MakeHandle(kValueTag, parameters_[index]);
}

EffectHandle EffectImpl::GetParameterByName(EffectHandle parent, const char* name) {
  if (parent != 0 || !name) return 0;
  auto found = parameterByName_.find(name);
  return found == parameterByName_.end() ? 0 : MakeHandle(kValueTag, found->second);
}

EffectHandle EffectImpl::GetParameterBySemantic(EffectHandle parent, const char* semantic) {
  if (parent != 0 || !semantic) return 0;
  for (uint32_t index : parameters_)
    if (strcasecmp(values_[index].decl.semantic.c_str(), semantic) == 0) return MakeHandle(kValueTag, index);
  return 0;
}

Result EffectImpl::GetParameterDesc(EffectHandle parameter, ParameterDesc* desc) {
  const Value* v = FindValue(parameter);
  if (!v || !desc) return gfx::kInvalidCall;
  *desc = ParameterDesc{};
  desc->name = v->decl.name.c_str();
  desc->semantic = v->decl.semantic.empty() ? nullptr : v->decl.semantic.c_str();
  desc->parameterClass = v->decl.parameterClass;
  desc->type = v->decl.type;
  desc->rows = v->decl.rows;
  desc->columns = v->decl.columns;
  desc->elements = v->decl.elements;
  desc->annotations = uint32_t(v->annotations.size());
  desc->bytes = uint32_t(v->decl.numbers.size() * 4);
  return gfx::kOk;
}

EffectHandle EffectImpl::GetAnnotation(EffectHandle object, uint32_t index) {
  const std::vector<uint32_t>* list = nullptr;
  if (const Value* v = FindValue(object)) list = &v->annotations;
  if (int64_t t = HandleIndex(object, kTechniqueTag, techniques_.size()); t >= 0) list = &techniques_[size_t(t)].annotations;
  if (int64_t p = HandleIndex(object, kPassTag, passes_.size()); p >= 0) list = &passes_[size_t(p)].annotations;
  return list && index < list->size() ? MakeHandle(kValueTag, (*list)[index]) : 0;
}

EffectHandle EffectImpl::GetAnnotationByName(EffectHandle object, const char* name) {
  if (!name) return 0;
  for (uint32_t i = 0;; ++i) {
    const EffectHandle a = GetAnnotation(object, i);
    if (!a) return 0;
    if (strcasecmp(FindValue(a)->decl.name.c_str(), name) == 0) return a;
  }
}

Result EffectImpl::GetString(EffectHandle parameter, const char** text) {
  const Value* v = FindValue(parameter);
  if (!v || !text || v->decl.type != PT_STRING) return gfx::kInvalidCall;
  *text = v->decl.text.c_str();
  return gfx::kOk;
}

Result EffectImpl::GetInt(EffectHandle parameter, int32_t* value) {
  const Value* v = NumericValue(parameter);
  if (!v || !value || v->decl.numbers.empty()) return gfx::kInvalidCall;
  *value = int32_t(v->decl.numbers[0]);
  return gfx::kOk;
}

Result EffectImpl::GetValue(EffectHandle parameter, void* data, uint32_t bytes) {
  const Value* v = NumericValue(parameter);
  if (!v || !data) return gfx::kInvalidCall;
  const size_t count = std::min<size_t>(bytes / 4, v->decl.numbers.size());
  auto* out = static_cast<uint8_t*>(data);
  for (size_t i = 0; i < count; ++i) {
    const float f = v->decl.numbers[i];
    if (v->decl.type == PT_FLOAT) {
      std::memcpy(out + i * 4, &f, 4);
    } else {
      const int32_t n = int32_t(f);
      std::memcpy(out + i * 4, &n, 4);
    }
  }
  return gfx::kOk;
}

EffectHandle EffectImpl::GetTechnique(uint32_t index) {
  return index < techniques_.size() ? MakeHandle(kTechniqueTag, index) : 0;
}

EffectHandle EffectImpl::GetTechniqueByName(const char* name) {
  for (size_t t = 0; name && t < techniques_.size(); ++t)
    if (techniques_[t].name == name) return MakeHandle(kTechniqueTag, t);
  return 0;
}

Result EffectImpl::GetTechniqueDesc(EffectHandle technique, TechniqueDesc* desc) {
  const int64_t t = HandleIndex(technique, kTechniqueTag, techniques_.size());
  if (t < 0 || !desc) return gfx::kInvalidCall;
  const Technique& tech = techniques_[size_t(t)];
  desc->name = tech.name.c_str();
  desc->passes = uint32_t(tech.passes.size());
  desc->annotations = uint32_t(tech.annotations.size());
  return gfx::kOk;
}

EffectHandle EffectImpl::GetPass(EffectHandle technique, uint32_t index) {
  const int64_t t = HandleIndex(technique, kTechniqueTag, techniques_.size());
  if (t < 0 || index >= techniques_[size_t(t)].passes.size()) return 0;
  return MakeHandle(kPassTag, techniques_[size_t(t)].passes[index]);
}

Result EffectImpl::GetPassDesc(EffectHandle pass, PassDesc* desc) {
  const int64_t p = HandleIndex(pass, kPassTag, passes_.size());
  if (p < 0 || !desc) return gfx::kInvalidCall;
  const Pass& ps = passes_[size_t(p)];
  *desc = PassDesc{};
  desc->name = ps.name.c_str();
  desc->annotations = uint32_t(ps.annotations.size());
  if (ps.vertexShader >= 0 && !shaders_[size_t(ps.vertexShader)].function.empty()) {
    desc->vertexShaderFunction = shaders_[size_t(ps.vertexShader)].function.data();
    desc->vertexShaderTokens = uint32_t(shaders_[size_t(ps.vertexShader)].function.size());
  }
  if (ps.pixelShader >= 0 && !shaders_[size_t(ps.pixelShader)].function.empty()) {
    desc->pixelShaderFunction = shaders_[size_t(ps.pixelShader)].function.data();
    desc->pixelShaderTokens = uint32_t(shaders_[size_t(ps.pixelShader)].function.size());
  }
  return gfx::kOk;
}

Result EffectImpl::FindNextValidTechnique(EffectHandle from, EffectHandle* next) {
  if (!next) return gfx::kInvalidCall;
  *next = 0;
  size_t start = 0;
  if (from) {
    const int64_t t = HandleIndex(from, kTechniqueTag, techniques_.size());
    if (t < 0) return gfx::kInvalidCall;
    start = size_t(t) + 1;
  }
  for (size_t t = start; t < techniques_.size(); ++t) {
    if (techniques_[t].valid) {
      *next = MakeHandle(kTechniqueTag, t);
      return gfx::kOk;
    }
  }
  return gfx::kNotFound;  // nothing here runs on this device
}

Result EffectImpl::SetTechnique(EffectHandle technique) {
  const int64_t t = HandleIndex(technique, kTechniqueTag, techniques_.size());
  if (t < 0 || begun_) return gfx::kInvalidCall;
  technique_ = int32_t(t);
  return gfx::kOk;
}

Result EffectImpl::SetMatrix(EffectHandle parameter, const Matrix* matrix) {
  Value* v = NumericValue(parameter);
  if (!v || !matrix) return gfx::kInvalidCall;
  if (v->decl.rows == 4 && v->decl.columns == 4) {  // the usual 4 x 4: row after row, as the matrix is
    std::memcpy(v->decl.numbers.data(), matrix->m, sizeof matrix->m);
    return gfx::kOk;
  }
  const uint32_t rows = std::min(v->decl.rows, 4u), columns = std::min(v->decl.columns, 4u);
  for (uint32_t r = 0; r < rows; ++r)
    for (uint32_t c = 0; c < columns; ++c) v->decl.numbers[r * v->decl.columns + c] = matrix->m[r][c];
  return gfx::kOk;
}

Result EffectImpl::SetMatrixTransposeArray(EffectHandle parameter, const Matrix* matrices, uint32_t count) {
  Value* v = NumericValue(parameter);
  if (!v || (!matrices && count > 0)) return gfx::kInvalidCall;
  const uint32_t rows = std::min(v->decl.rows, 4u), columns = std::min(v->decl.columns, 4u);
  const uint32_t stride = v->decl.rows * v->decl.columns;
  const uint32_t elements = std::min(count, std::max(v->decl.elements, 1u));
  for (uint32_t e = 0; e < elements; ++e)
    for (uint32_t r = 0; r < rows; ++r)
      for (uint32_t c = 0; c < columns; ++c) v->decl.numbers[e * stride + r * v->decl.columns + c] = matrices[e].m[c][r];
  return gfx::kOk;
}

Result EffectImpl::SetVector(EffectHandle parameter, const Vector4* vector) {
  Value* v = NumericValue(parameter);
  if (!v || !vector) return gfx::kInvalidCall;
  const float values[4] = {vector->x, vector->y, vector->z, vector->w};
  const size_t count = std::min<size_t>(v->decl.numbers.size(), std::min(v->decl.rows * v->decl.columns, 4u));
  std::copy(values, values + count, v->decl.numbers.begin());
  return gfx::kOk;
}

Result EffectImpl::SetFloat(EffectHandle parameter, float value) {
  Value* v = NumericValue(parameter);
  if (!v || v->decl.numbers.empty()) return gfx::kInvalidCall;
  v->decl.numbers[0] = v->decl.type == PT_FLOAT ? value : float(int32_t(value));
  return gfx::kOk;
}

Result EffectImpl::SetInt(EffectHandle parameter, int32_t value) { return SetFloat(parameter, float(value)); }

Result EffectImpl::SetBool(EffectHandle parameter, int32_t value) { return SetFloat(parameter, value ? 1.0f : 0.0f); }

Result EffectImpl::SetTexture(EffectHandle parameter, gfx::BaseTexture* texture) {
  Value* v = FindValue(parameter);
  if (!v || v->decl.type < PT_TEXTURE || v->decl.type > PT_TEXTURECUBE) return gfx::kInvalidCall;
  gfx::Hold(v->texture, texture);
  return gfx::kOk;
}

}  // namespace platform::d3dx
