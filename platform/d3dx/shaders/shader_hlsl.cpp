// HLSL compiling: glslang's HLSL front end (in its compatibility mode for the older API's semantics
// and samplers) to SPIR-V, then SPIRV-Cross to GLSL 1.20 in the conventions of shader_glsl.h, with
// constant registers laid out as that API laid them out.
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <pthread.h>
#include <spirv_cross/spirv_cross_c.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/d3dx/shaders/shader_compiler.h"
#include "platform/d3dx/shaders/shader_glsl.h"
#include "platform/d3dx/shaders/shader_hlsl_source.h"
#include "platform/d3dx/shaders/shader_spirv_indices.h"
#include "platform/d3dx/shaders/shader_table.h"

namespace platform::d3dx {
namespace {

struct CompileJob {
  std::string source;
  std::string sourceName;
  std::string entry;
  ShaderProfile profile;
  // results
  std::vector<uint32_t> function;
  std::string errors;
  bool ok = false;
};

// glslang's log lines ("ERROR: name:12: 'x' : undeclared identifier") as "name(12): message".
std::string ConvertLog(const std::string& log, const std::string& sourceName) {
  std::string out;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    start = end + 1;
    const bool error = line.rfind("ERROR: ", 0) == 0;
    if (!error && line.rfind("WARNING: ", 0) != 0) continue;
    std::string rest = line.substr(error ? 7 : 9);
    const std::string prefix = sourceName + ":";
    if (rest.rfind(prefix, 0) == 0) {
      rest.erase(0, prefix.size());
      size_t colon = rest.find(':');
      int number = 0;
      try {
        number = std::stoi(rest.substr(0, colon));
      } catch (...) {
        number = 0;
      }
      std::string message = colon == std::string::npos ? rest : rest.substr(colon + 1);
      while (!message.empty() && message[0] == ' ') message.erase(0, 1);
      if (!error) message = "warning: " + message;
      out += ErrorLine(sourceName, number, message);
    } else if (error && rest.find("compilation terminated") == std::string::npos &&
               rest.find("compilation errors") == std::string::npos) {
      out += ErrorLine(sourceName, 0, rest);
    }
  }
  return out;
}

class CrossCompiler {
 public:
  CrossCompiler() { spvc_context_create(&context_); }
  ~CrossCompiler() { spvc_context_destroy(context_); }
  spvc_context context_ = nullptr;
  spvc_compiler compiler_ = nullptr;
  std::string Error() const { return spvc_context_get_last_error_string(context_); }
};

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

void CompileJobNow(CompileJob* job) {
  const EShLanguage stage = job->profile.vertex ? EShLangVertex : EShLangFragment;
  glslang::TShader shader(stage);
  const char* text = job->source.c_str();
  const int length = int(job->source.size());
  const char* name = job->sourceName.c_str();
  shader.setStringsWithLengthsAndNames(&text, &length, &name, 1);
  shader.setEntryPoint(job->entry.c_str());
  shader.setSourceEntryPoint(job->entry.c_str());
  shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientOpenGL, 100);
  shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  shader.setEnvTargetHlslFunctionality1();  // semantics reach the SPIR-V
  shader.setAutoMapLocations(true);
  shader.setTextureSamplerTransformMode(EShTexSampTransUpgradeTextureRemoveSampler);
  const EShMessages messages =
      EShMessages(EShMsgReadHlsl | EShMsgHlslDX9Compatible | EShMsgHlslOffsets | EShMsgHlslLegalization);
  if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
    job->errors = ConvertLog(shader.getInfoLog(), job->sourceName);
    if (job->errors.empty()) job->errors = ErrorLine(job->sourceName, 0, "compile failed");
    return;
  }
  glslang::TProgram program;
  program.addShader(&shader);
  if (!program.link(messages) || !program.mapIO()) {
    job->errors = ConvertLog(program.getInfoLog(), job->sourceName);
    if (job->errors.empty()) job->errors = ErrorLine(job->sourceName, 0, "link failed: " + std::string(program.getInfoLog()));
    return;
  }
  std::vector<unsigned> spirv;
  glslang::SpvOptions options;
  glslang::GlslangToSpv(*program.getIntermediate(stage), spirv, &options);
  MakeIndicesSigned(&spirv);

  auto fail = [&](const std::string& message) { job->errors += ErrorLine(job->sourceName, 0, message); };
  CrossCompiler cross;
  spvc_parsed_ir ir = nullptr;
  if (spvc_context_parse_spirv(cross.context_, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
      spvc_context_create_compiler(cross.context_, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                   &cross.compiler_) != SPVC_SUCCESS)
    return fail("code generation failed: " + cross.Error());
  spvc_compiler c = cross.compiler_;
  spvc_resources resources = nullptr;
  if (spvc_compiler_create_shader_resources(c, &resources) != SPVC_SUCCESS) return fail(cross.Error());
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  std::vector<ShaderConstant> constants;
  const bool vertex = job->profile.vertex;

  // Unsupported kinds of resource.
  for (spvc_resource_type type : {SPVC_RESOURCE_TYPE_STORAGE_BUFFER, SPVC_RESOURCE_TYPE_STORAGE_IMAGE,
                                  SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS,
                                  SPVC_RESOURCE_TYPE_PUSH_CONSTANT}) {
    spvc_resources_get_resource_list_for_type(resources, type, &list, &count);
    if (count) return fail(std::string("'") + list[0].name + "': only sampler objects of the sampler/tex* kind are supported");
  }

  // Parameters: the global block, one register (or one per matrix row/column) each.
  spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
  uint32_t floatRegisters = 0;
  for (size_t i = 0; i < count; ++i) {
    if (std::string(list[i].name) != "$Global") return fail(std::string("cbuffer '") + list[i].name + "' is not supported");
    spvc_type block = spvc_compiler_get_type_handle(c, list[i].base_type_id);
    const unsigned members = spvc_type_get_num_member_types(block);
    // Only the parameters the entry reads get registers, as the API's compiler gave them; the others
    // share offset 0 and are never read.
    const spvc_buffer_range* ranges = nullptr;
    size_t rangeCount = 0;
    spvc_compiler_get_active_buffer_ranges(c, list[i].id, &ranges, &rangeCount);
    std::vector<bool> active(members, false);
    for (size_t r = 0; r < rangeCount; ++r)
      if (ranges[r].index < members) active[ranges[r].index] = true;
    uint32_t next = 0;
    for (unsigned m = 0; m < members; ++m) {
      if (!active[m]) {
        spvc_compiler_set_member_decoration(c, list[i].base_type_id, m, SpvDecorationOffset, 0);
        continue;
      }
      spvc_type type = spvc_compiler_get_type_handle(c, spvc_type_get_member_type(block, m));
      ShaderConstant constant;
      constant.name = spvc_compiler_get_member_name(c, list[i].base_type_id, m);
      const spvc_basetype base = spvc_type_get_basetype(type);
      if (base != SPVC_BASETYPE_FP32)
        return fail("parameter '" + constant.name + "': only float, bool and int parameters (scalars, vectors, matrices, arrays of them) are supported");
      const uint32_t perElement = RegistersOf(c, type, list[i].base_type_id, m, &constant);
      if (spvc_type_get_num_array_dimensions(type) > 0) {
        unsigned stride = 0;
        spvc_compiler_type_struct_member_array_stride(c, block, m, &stride);
        if (stride != perElement * 16) return fail("parameter '" + constant.name + "': unexpected array layout");
      }
      constant.registerSet = RS_FLOAT4;
      constant.registerIndex = next;
      constant.registerCount = perElement * constant.elements;
      spvc_compiler_set_member_decoration(c, list[i].base_type_id, m, SpvDecorationOffset, next * 16);
      next += constant.registerCount;
      constants.push_back(constant);
    }
    floatRegisters = next;
    if (next > job->profile.FloatRegisters())
      return fail("parameters need " + std::to_string(next) + " constant registers; the profile has " +
                  std::to_string(job->profile.FloatRegisters()));
    spvc_compiler_set_name(c, list[i].id, vertex ? gfx::kGlslVertexFloat : gfx::kGlslPixelFloat);
    spvc_compiler_set_name(c, list[i].base_type_id, vertex ? gfx::kGlslVertexFloat : gfx::kGlslPixelFloat);
    if (members && spvc_compiler_flatten_buffer_block(c, list[i].id) != SPVC_SUCCESS) return fail(cross.Error());
  }

  // Samplers: their register when one is given, else the next free stage.
  spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, &list, &count);
  uint32_t used = 0;
  std::vector<int> stages(count, -1);
  for (size_t i = 0; i < count; ++i) {
    if (spvc_compiler_has_decoration(c, list[i].id, SpvDecorationBinding)) {
      const unsigned binding = spvc_compiler_get_decoration(c, list[i].id, SpvDecorationBinding);
      if (binding < 8 && !(used & (1u << binding))) {
        stages[i] = int(binding);
        used |= 1u << binding;
      }
    }
  }
  for (size_t i = 0; i < count; ++i) {
    if (stages[i] < 0) {
      int s = 0;
      while (s < 8 && (used & (1u << s))) ++s;
      if (s == 8) return fail("more than 8 samplers");
      stages[i] = s;
      used |= 1u << s;
    }
    spvc_type type = spvc_compiler_get_type_handle(c, list[i].type_id);
    if (spvc_type_get_num_array_dimensions(type) > 0) return fail(std::string("sampler array '") + list[i].name + "' is not supported");
    ShaderConstant constant;
    constant.name = list[i].name;
    constant.registerSet = RS_SAMPLER;
    constant.registerIndex = uint32_t(stages[i]);
    constant.registerCount = 1;
    constants.push_back(constant);
    spvc_compiler_set_name(c, list[i].id, ("qel_s" + std::to_string(stages[i])).c_str());
  }

  // Stage inputs and outputs by semantic.
  std::vector<gfx::ShaderInput> inputs;
  std::vector<std::pair<std::string, std::string>> defines;  // variable -> built-in expression
  auto semanticOf = [&](const spvc_reflected_resource& r, uint32_t* usage, uint32_t* index) {
    const char* semantic = spvc_compiler_get_decoration_string(c, r.id, SpvDecorationUserSemantic);
    if (!semantic || !ParseSemantic(semantic, usage, index)) {
      fail(std::string("'") + r.name + "': semantic '" + (semantic ? semantic : "") + "' is not supported");
      return false;
    }
    return true;
  };
  spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT, &list, &count);
  for (size_t i = 0; i < count; ++i) {
    uint32_t usage = 0, index = 0;
    if (!semanticOf(list[i], &usage, &index)) return;
    spvc_type type = spvc_compiler_get_type_handle(c, list[i].type_id);
    if (spvc_type_get_basetype(type) != SPVC_BASETYPE_FP32 || spvc_type_get_columns(type) > 1 ||
        spvc_type_get_num_array_dimensions(type) > 0)
      return fail(std::string("input '") + list[i].name + "': only float inputs (scalars and vectors) are supported");
    const std::string variable = "qel_io" + std::to_string(i);
    if (vertex) {
      const uint32_t reg = uint32_t(inputs.size());
      inputs.push_back({reg, usage, index});
      spvc_compiler_set_name(c, list[i].id, ("qel_v" + std::to_string(reg)).c_str());
      continue;
    }
    std::string expression = StageVariable(false, usage, index, spvc_type_get_vector_size(type));
    const char* semantic = spvc_compiler_get_decoration_string(c, list[i].id, SpvDecorationUserSemantic);
    const std::string upper = semantic;
    if (upper == "VPOS" || upper == "vpos") expression = "(gl_FragCoord.xy - vec2(0.5))";
    if (upper == "VFACE" || upper == "vface") expression = "(gl_FrontFacing ? 1.0 : -1.0)";
    if (expression.empty()) return fail(std::string("input '") + list[i].name + "': semantic '" + semantic + "' is not supported");
    spvc_compiler_set_name(c, list[i].id, variable.c_str());
    defines.push_back({variable, expression});
  }
  spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, &list, &count);
  for (size_t i = 0; i < count; ++i) {
    uint32_t usage = 0, index = 0;
    if (!semanticOf(list[i], &usage, &index)) return;
    spvc_type type = spvc_compiler_get_type_handle(c, list[i].type_id);
    if (!vertex) {
      if (usage != gfx::DECLUSAGE_COLOR || index >= 4)
        return fail(std::string("output '") + list[i].name + "': only COLORn and DEPTH outputs are supported");
      spvc_compiler_set_decoration(c, list[i].id, SpvDecorationLocation, index);
      continue;
    }
    const std::string expression = StageVariable(true, usage, index, spvc_type_get_vector_size(type));
    if (expression.empty() || spvc_type_get_basetype(type) != SPVC_BASETYPE_FP32)
      return fail(std::string("output '") + list[i].name + "': semantic is not supported");
    const std::string variable = "qel_out" + std::to_string(i);
    spvc_compiler_set_name(c, list[i].id, variable.c_str());
    defines.push_back({variable, expression});
  }
  if (!job->errors.empty()) return;

  spvc_compiler_options options2 = nullptr;
  spvc_compiler_create_compiler_options(c, &options2);
  spvc_compiler_options_set_uint(options2, SPVC_COMPILER_OPTION_GLSL_VERSION, kGlslVersion);
  spvc_compiler_options_set_bool(options2, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  spvc_compiler_install_compiler_options(c, options2);
  const char* generated = nullptr;
  if (spvc_compiler_compile(c, &generated) != SPVC_SUCCESS) return fail("code generation failed: " + cross.Error());

  // Inputs and outputs become the built-ins: their declarations go, names stand for the built-ins.
  std::string glsl;
  std::string header = "#version " + std::to_string(kGlslVersion) + "\n";
  std::string body = generated;
  if (body.rfind(header, 0) == 0) body.erase(0, header.size());
  glsl = header;
  // Extension directives stay first.
  size_t at = 0;
  while (at < body.size() && (body[at] == '#' || body[at] == '\n')) {
    const size_t end = body.find('\n', at);
    if (end == std::string::npos) break;
    glsl.append(body, at, end + 1 - at);
    at = end + 1;
  }
  if (vertex) glsl += kVertexPrologue;
  for (const auto& [variable, expression] : defines) glsl += "#define " + variable + " " + expression + "\n";
  while (at < body.size()) {
    size_t end = body.find('\n', at);
    if (end == std::string::npos) end = body.size();
    std::string_view line(body.data() + at, end - at);
    bool drop = false;
    if (line.rfind("varying ", 0) == 0) {
      for (const auto& define : defines)
        if (line.size() > define.first.size() + 1 && line.substr(line.size() - define.first.size() - 1) == define.first + ";")
          drop = true;
    }
    if (vertex && line == "void main()") {
      glsl += "void qel_main()\n";
    } else if (!drop) {
      glsl.append(line);
      glsl += '\n';
    }
    at = end + 1;
  }
  if (vertex) glsl += VertexMain("qel_main");
  (void)floatRegisters;
  job->function = BuildFunction(job->profile, inputs, glsl, constants);
  job->ok = true;
}

// The front end recurses with the nesting of the source: it runs on a thread with a large stack.
void* CompileThread(void* job) {
  CompileJobNow(static_cast<CompileJob*>(job));
  return nullptr;
}

// Runs the job on a thread with a large stack (the front end recurses with the nesting of the source).
void CompileOnBigStack(CompileJob* job) {
  static std::once_flag once;
  std::call_once(once, [] { glslang::InitializeProcess(); });
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, size_t(256) << 20);
  pthread_t thread;
  if (pthread_create(&thread, &attributes, CompileThread, job) == 0) {
    pthread_join(thread, nullptr);
  } else {
    job->errors = ErrorLine(job->sourceName, 0, "out of memory");
  }
  pthread_attr_destroy(&attributes);
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

// The front end is a library of its own that some hostile sources crash (found by fuzzing) or could
// keep busy: the compile runs in a child process, which sends the result back through a pipe and is
// killed when it takes longer than kCompileSeconds. A child that dies gives a compile error.
constexpr int kCompileSeconds = 30;

void CompileIsolated(CompileJob* job) {
  auto failed = [&](const char* why) { job->errors = ErrorLine(job->sourceName, 0, why); };
  int fds[2];
  if (pipe(fds) != 0) return failed("cannot start the HLSL compiler");
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return failed("cannot start the HLSL compiler");
  }
  if (child == 0) {
    close(fds[0]);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(sig, SIG_DFL);
    CompileOnBigStack(job);
    const uint32_t header[3] = {job->ok ? 1u : 0u, uint32_t(job->function.size()), uint32_t(job->errors.size())};
    const bool sent = WriteAll(fds[1], header, sizeof header) &&
                      WriteAll(fds[1], job->function.data(), job->function.size() * 4) &&
                      WriteAll(fds[1], job->errors.data(), job->errors.size());
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kCompileSeconds);
  bool timedOut = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, int(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[65536];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, size_t(n));
  }
  close(fds[0]);
  if (timedOut) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  uint32_t header[3] = {};
  if (timedOut) return failed("the HLSL compiler took too long on this source");
  if (received.size() < sizeof header) return failed("the HLSL compiler failed on this source");
  std::memcpy(header, received.data(), sizeof header);
  if (received.size() != sizeof header + size_t(header[1]) * 4 + header[2])
    return failed("the HLSL compiler failed on this source");
  job->ok = header[0] == 1;
  job->function.resize(header[1]);
  if (header[1]) std::memcpy(job->function.data(), received.data() + sizeof header, size_t(header[1]) * 4);
  job->errors.assign(received, sizeof header + size_t(header[1]) * 4, header[2]);
}

struct CacheEntry {
  std::vector<uint32_t> function;
  std::string errors;
  bool ok = false;
};

constexpr size_t kMaxCacheEntries = 512;
std::mutex gMutex;
std::map<std::string, CacheEntry> gCache;
uint32_t gHits = 0;

}  // namespace

Result CompileShaderHLSL(std::string_view source, std::string_view sourceName, std::string_view entry,
                         std::string_view profile, std::span<const std::string> uniformArguments,
                         std::vector<uint32_t>* function, std::string* errors) {
  if (function) function->clear();
  if (errors) errors->clear();
  if (!function) return gfx::kInvalidCall;
  std::string key;
  for (std::string_view part : {source, entry, profile}) {
    key += std::to_string(part.size()) + ":";
    key += part;
  }
  for (const std::string& argument : uniformArguments) key += std::to_string(argument.size()) + ":" + argument;
  std::lock_guard<std::mutex> lock(gMutex);
  auto cached = gCache.find(key);
  if (cached != gCache.end()) {
    ++gHits;
    *function = cached->second.function;
    if (errors) *errors = cached->second.errors;
    return cached->second.ok ? gfx::kOk : gfx::kInvalidCall;
  }
  CompileJob job;
  job.sourceName = sourceName.empty() ? "shader" : std::string(sourceName);
  int line = 0;
  std::string problem;
  if (!ParseShaderProfile(profile, &job.profile)) {
    job.errors = ErrorLine(job.sourceName, 0, "unknown profile '" + std::string(profile) + "'");
  } else if (!CheckHlslLimits(source, &problem, &line)) {
    job.errors = ErrorLine(job.sourceName, line, problem);
  } else {
    job.source = RenameMain(FloatGlobalParameters(source));
    const std::string_view entryName = entry == "main" ? std::string_view(kUserMain) : entry;
    if (!WrapEntry(&job.source, entryName, uniformArguments, &job.entry, &problem)) {
      job.errors = ErrorLine(job.sourceName, 0, problem);
    } else {
      CompileIsolated(&job);
    }
  }
  // Bounded: a program compiling ever new sources does not grow without end.
  if (gCache.size() >= kMaxCacheEntries) gCache.clear();
  CacheEntry& entryOut = gCache[key];
  entryOut = {job.function, job.errors, job.ok};
  *function = job.function;
  if (errors) *errors = job.errors;
  return job.ok ? gfx::kOk : gfx::kInvalidCall;
}

uint32_t HlslCacheHits() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gHits;
}

}  // namespace platform::d3dx
