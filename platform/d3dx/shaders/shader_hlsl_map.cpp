// The resources of the front end's SPIR-V mapped to registers, stages and built-ins (see
// shader_hlsl_map.h).
#include "platform/d3dx/shaders/shader_hlsl_map.h"

#include <cctype>
#include <set>
#include <span>

#include "platform/d3dx/shaders/shader_glsl.h"
#include "platform/gfx/types.h"

namespace platform::d3dx {

void CompileJob::Fail(const SourcePlace& place, const std::string& message) {
  const SourcePlace& at = place.line > 0 ? place : entryPlace;
  errors += ErrorLine(at.file.empty() ? sourceName : at.file, at.line, message);
}

void CompileJob::FailAt(std::string_view name, std::string_view semantic, const std::string& message) {
  Fail(DeclarationPlace(source, name, semantic), message);
}

namespace {

uint32_t RegistersOf(spvc_compiler compiler, spvc_type type, spvc_type_id structType, unsigned member,
                     ShaderConstant* c) {
  const unsigned columns = spvc_type_get_columns(type), vecSize = spvc_type_get_vector_size(type);
  uint32_t elements = 1;
  for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(type); ++d) elements *= spvc_type_get_array_dimension(type, d);
  uint32_t perElement = 1;
  if (columns > 1) {
    // The front end holds an HLSL RxC matrix as R vectors of C (its rows are the SPIR-V columns), and
    // marks HLSL's column_major as SPIR-V row-major: then each HLSL column is one register.
    const bool columnMajor = spvc_compiler_has_member_decoration(compiler, structType, member, SpvDecorationRowMajor);
    c->rows = columns;
    c->columns = vecSize;
    c->rowMajor = !columnMajor;
    perElement = columnMajor ? vecSize : columns;
  } else {
    c->rows = 1;
    c->columns = vecSize;
  }
  c->elements = elements;
  return perElement;
}

std::span<const spvc_reflected_resource> Resources(spvc_resources resources, spvc_resource_type type) {
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  spvc_resources_get_resource_list_for_type(resources, type, &list, &count);
  return {list, count};
}

// The name of a stage variable as the source has it: the front end calls the entry's return value
// "@entryPointOutput".
std::string Named(const char* name) {
  const std::string_view front = "@entryPointOutput";
  std::string text = name;
  if (text.rfind(front, 0) == 0) text.replace(0, front.size(), "return value");
  return text;
}

const char* SemanticOf(spvc_compiler c, spvc_variable_id id) {
  const char* semantic = spvc_compiler_get_decoration_string(c, id, SpvDecorationUserSemantic);
  return semantic ? semantic : "";
}

}  // namespace

bool MapParameters(spvc_compiler c, spvc_resources resources, CompileJob* job, std::vector<ShaderConstant>* constants) {
  const bool vertex = job->profile.vertex;
  for (spvc_resource_type type : {SPVC_RESOURCE_TYPE_STORAGE_BUFFER, SPVC_RESOURCE_TYPE_STORAGE_IMAGE,
                                  SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS,
                                  SPVC_RESOURCE_TYPE_PUSH_CONSTANT}) {
    for (const spvc_reflected_resource& r : Resources(resources, type)) {
      job->FailAt(r.name, {}, std::string("'") + r.name + "': only sampler objects of the sampler/tex* kind are supported");
      return false;
    }
  }
  // The global block: one register (or one per matrix row/column) for each parameter the entry reads,
  // as the API's compiler gave them; the others share offset 0 and are never read (FinishGlsl sizes
  // the array by the registers read, whatever size the cross compiler gives it).
  for (const spvc_reflected_resource& r : Resources(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
    if (std::string_view(r.name) != "$Global") {
      job->FailAt(r.name, {}, std::string("cbuffer '") + r.name + "' is not supported");
      return false;
    }
    spvc_type block = spvc_compiler_get_type_handle(c, r.base_type_id);
    const unsigned members = spvc_type_get_num_member_types(block);
    const spvc_buffer_range* ranges = nullptr;
    size_t rangeCount = 0;
    spvc_compiler_get_active_buffer_ranges(c, r.id, &ranges, &rangeCount);
    std::vector<bool> active(members, false);
    for (size_t k = 0; k < rangeCount; ++k)
      if (ranges[k].index < members) active[ranges[k].index] = true;
    uint32_t next = 0;
    for (unsigned m = 0; m < members; ++m) {
      if (!active[m]) {
        spvc_compiler_set_member_decoration(c, r.base_type_id, m, SpvDecorationOffset, 0);
        continue;
      }
      spvc_type type = spvc_compiler_get_type_handle(c, spvc_type_get_member_type(block, m));
      ShaderConstant constant;
      constant.name = spvc_compiler_get_member_name(c, r.base_type_id, m);
      if (spvc_type_get_basetype(type) != SPVC_BASETYPE_FP32) {
        job->FailAt(constant.name, {}, "parameter '" + constant.name +
                                           "': only float, bool and int parameters (scalars, vectors, matrices, "
                                           "arrays of them) are supported");
        return false;
      }
      const uint32_t perElement = RegistersOf(c, type, r.base_type_id, m, &constant);
      if (spvc_type_get_num_array_dimensions(type) > 0) {
        unsigned stride = 0;
        spvc_compiler_type_struct_member_array_stride(c, block, m, &stride);
        if (stride != perElement * 16) {
          job->FailAt(constant.name, {}, "parameter '" + constant.name + "': unexpected array layout");
          return false;
        }
      }
      constant.registerSet = RS_FLOAT4;
      constant.registerIndex = next;
      constant.registerCount = perElement * constant.elements;
      spvc_compiler_set_member_decoration(c, r.base_type_id, m, SpvDecorationOffset, next * 16);
      next += constant.registerCount;
      if (next > job->profile.FloatRegisters()) {
        job->FailAt(constant.name, {}, "parameters need " + std::to_string(next) + " constant registers up to '" +
                                           constant.name + "'; the profile has " +
                                           std::to_string(job->profile.FloatRegisters()));
        return false;
      }
      constants->push_back(constant);
    }
    spvc_compiler_set_name(c, r.id, vertex ? gfx::kGlslVertexFloat : gfx::kGlslPixelFloat);
    spvc_compiler_set_name(c, r.base_type_id, vertex ? gfx::kGlslVertexFloat : gfx::kGlslPixelFloat);
    if (members && spvc_compiler_flatten_buffer_block(c, r.id) != SPVC_SUCCESS) {
      job->Fail({}, "code generation failed: the parameters cannot be laid out");
      return false;
    }
  }
  return true;
}

bool MapSamplers(spvc_compiler c, spvc_resources resources, CompileJob* job, std::vector<ShaderConstant>* constants) {
  // Their register when one is given, else the next free stage.
  const std::span<const spvc_reflected_resource> list = Resources(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE);
  uint32_t used = 0;
  std::vector<int> stages(list.size(), -1);
  for (size_t i = 0; i < list.size(); ++i) {
    if (!spvc_compiler_has_decoration(c, list[i].id, SpvDecorationBinding)) continue;
    const unsigned binding = spvc_compiler_get_decoration(c, list[i].id, SpvDecorationBinding);
    if (binding < 8 && !(used & (1u << binding))) {
      stages[i] = int(binding);
      used |= 1u << binding;
    }
  }
  for (size_t i = 0; i < list.size(); ++i) {
    if (stages[i] < 0) {
      int s = 0;
      while (s < 8 && (used & (1u << s))) ++s;
      if (s == 8) {
        job->FailAt(list[i].name, {}, std::string("'") + list[i].name + "': more than 8 samplers");
        return false;
      }
      stages[i] = s;
      used |= 1u << s;
    }
    spvc_type type = spvc_compiler_get_type_handle(c, list[i].type_id);
    if (spvc_type_get_num_array_dimensions(type) > 0) {
      job->FailAt(list[i].name, {}, std::string("sampler array '") + list[i].name + "' is not supported");
      return false;
    }
    ShaderConstant constant;
    constant.name = list[i].name;
    constant.registerSet = RS_SAMPLER;
    constant.registerIndex = uint32_t(stages[i]);
    constant.registerCount = 1;
    constants->push_back(constant);
    spvc_compiler_set_name(c, list[i].id, ("qel_s" + std::to_string(stages[i])).c_str());
  }
  return true;
}

bool MapStageVariables(spvc_compiler c, spvc_resources resources, CompileJob* job, StageMapping* mapping) {
  const bool vertex = job->profile.vertex;
  uint32_t variables = 0;
  // Gives a stage variable a name that the GLSL defines as `expression`.
  auto define = [&](spvc_variable_id id, const std::string& expression) {
    const std::string variable = "qel_io" + std::to_string(variables++);
    spvc_compiler_set_name(c, id, variable.c_str());
    mapping->defines.push_back({variable, expression});
  };
  auto parse = [&](const spvc_reflected_resource& r, uint32_t* usage, uint32_t* index) {
    const char* semantic = SemanticOf(c, r.id);
    if (ParseSemantic(semantic, usage, index)) return true;
    std::string message = "'";
    message += Named(r.name);
    message += "': semantic '";
    message += semantic;
    message += "' is not supported";
    job->FailAt(r.name, semantic, message);
    return false;
  };

  // Inputs. The front end drops what the entry does not read, as the API's compiler did: a pixel
  // shader's structure may carry the vertex shader's POSITION as long as it leaves it alone.
  for (const spvc_reflected_resource& r : Resources(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
    std::string upper = SemanticOf(c, r.id);
    for (char& ch : upper) ch = char(std::toupper(uint8_t(ch)));
    if (!vertex && (upper == "VPOS" || upper == "VFACE")) {
      define(r.id, upper == "VPOS" ? "(gl_FragCoord.xy - vec2(0.5))" : "(gl_FrontFacing ? 1.0 : -1.0)");
      continue;
    }
    uint32_t usage = 0, index = 0;
    if (!parse(r, &usage, &index)) return false;
    const char* semantic = SemanticOf(c, r.id);
    spvc_type type = spvc_compiler_get_type_handle(c, r.type_id);
    if (spvc_type_get_basetype(type) != SPVC_BASETYPE_FP32 || spvc_type_get_columns(type) > 1 ||
        spvc_type_get_num_array_dimensions(type) > 0) {
      job->FailAt(r.name, semantic, "input '" + Named(r.name) + "': only float inputs (scalars and vectors) are supported");
      return false;
    }
    if (vertex) {
      const uint32_t reg = uint32_t(mapping->inputs.size());
      mapping->inputs.push_back({reg, usage, index});
      spvc_compiler_set_name(c, r.id, ("qel_v" + std::to_string(reg)).c_str());
      continue;
    }
    const std::string expression = StageVariable(false, usage, index, spvc_type_get_vector_size(type));
    if (expression.empty()) {
      job->FailAt(r.name, semantic,
                  "input '" + Named(r.name) + "': " +
                      (usage == gfx::DECLUSAGE_POSITION && index == 0
                           ? "a pixel shader cannot read POSITION (VPOS gives the pixel's position in ps_3_0)"
                           : "semantic '" + upper + "' does not reach a pixel shader"));
      return false;
    }
    define(r.id, expression);
  }

  // Outputs, by semantic whichever way the entry writes them. The front end makes a POSITION written
  // through an `out` parameter the built-in position: it goes to qel_pos as every other form does.
  std::set<uint32_t> written;
  auto claim = [&](const spvc_reflected_resource& r, uint32_t usage, uint32_t index) {
    if (written.insert(usage << 8 | index).second) return true;
    const char* semantic = SemanticOf(c, r.id);
    job->FailAt(r.name, semantic, "output '" + Named(r.name) + "': semantic '" + semantic + "' is written twice");
    return false;
  };
  const spvc_reflected_builtin_resource* builtins = nullptr;
  size_t builtinCount = 0;
  spvc_resources_get_builtin_resource_list_for_type(resources, SPVC_BUILTIN_RESOURCE_TYPE_STAGE_OUTPUT, &builtins,
                                                    &builtinCount);
  for (size_t i = 0; i < builtinCount; ++i) {
    const spvc_reflected_resource& r = builtins[i].resource;
    uint32_t usage = 0, index = 0;
    if (!ParseSemantic(SemanticOf(c, r.id), &usage, &index)) continue;  // a built-in of the front end's own
    if (!claim(r, usage, index)) return false;
    if (vertex && builtins[i].builtin == SpvBuiltInPosition) {
      spvc_compiler_unset_decoration(c, r.id, SpvDecorationBuiltIn);
      define(r.id, "qel_pos");
    }
  }
  for (const spvc_reflected_resource& r : Resources(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
    uint32_t usage = 0, index = 0;
    if (!parse(r, &usage, &index) || !claim(r, usage, index)) return false;
    const char* semantic = SemanticOf(c, r.id);
    spvc_type type = spvc_compiler_get_type_handle(c, r.type_id);
    const uint32_t components = spvc_type_get_vector_size(type);
    if (vertex) {
      const std::string expression = StageVariable(true, usage, index, components);
      if (expression.empty() || spvc_type_get_basetype(type) != SPVC_BASETYPE_FP32) {
        job->FailAt(r.name, semantic, "output '" + Named(r.name) + "': semantic '" + semantic + "' is not supported");
        return false;
      }
      define(r.id, expression);
    } else if (usage == gfx::DECLUSAGE_COLOR && index < 4) {
      spvc_compiler_set_decoration(c, r.id, SpvDecorationLocation, index);
    } else if (usage == gfx::DECLUSAGE_DEPTH && index == 0 && components == 1) {
      spvc_compiler_set_decoration(c, r.id, SpvDecorationBuiltIn, SpvBuiltInFragDepth);
    } else {
      job->FailAt(r.name, semantic, "output '" + Named(r.name) + "': only COLOR0-3 and DEPTH outputs are supported");
      return false;
    }
  }
  if (vertex && !written.count(gfx::DECLUSAGE_POSITION << 8)) {
    job->Fail({}, "the vertex shader writes no POSITION");
    return false;
  }
  return true;
}

std::string FinishGlsl(std::string_view generated, const StageMapping& mapping, bool vertex) {
  const std::string header = "#version " + std::to_string(kGlslVersion) + "\n";
  std::string_view body = generated;
  if (body.substr(0, header.size()) == header) body.remove_prefix(header.size());
  std::string glsl = header;
  // Extension directives stay first.
  size_t at = 0;
  while (at < body.size() && (body[at] == '#' || body[at] == '\n')) {
    const size_t end = body.find('\n', at);
    if (end == std::string_view::npos) break;
    glsl.append(body, at, end + 1 - at);
    at = end + 1;
  }
  if (vertex) glsl += kVertexPrologue;
  for (const auto& [variable, expression] : mapping.defines) glsl += "#define " + variable + " " + expression + "\n";
  const std::string registers = std::string("uniform vec4 ") + (vertex ? gfx::kGlslVertexFloat : gfx::kGlslPixelFloat) + "[";
  // The stage variables' declarations go: their names stand for the built-ins.
  while (at < body.size()) {
    size_t end = body.find('\n', at);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view line = body.substr(at, end - at);
    bool drop = false;
    if (line.rfind("varying ", 0) == 0) {
      for (const auto& define : mapping.defines)
        if (line.size() > define.first.size() + 1 && line.substr(line.size() - define.first.size() - 1) == define.first + ";")
          drop = true;
    }
    if (vertex && line == "void main()") {
      glsl += "void qel_main()\n";
    } else if (line.rfind(registers, 0) == 0) {
      if (mapping.floatRegisters) glsl += registers + std::to_string(mapping.floatRegisters) + "];\n";
    } else if (!drop) {
      glsl.append(line);
      glsl += '\n';
    }
    at = end + 1;
  }
  if (vertex) glsl += VertexMain("qel_main");
  return glsl;
}

}  // namespace platform::d3dx
