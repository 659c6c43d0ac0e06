// HLSL compiling: glslang's HLSL front end (in its compatibility mode for the older API's semantics
// and samplers) to SPIR-V, then SPIRV-Cross to GLSL 1.20 in the conventions of shader_glsl.h, with
// constant registers laid out as that API laid them out.
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <pthread.h>

#include <poll.h>
#include <sys/resource.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/d3dx/shaders/shader_compiler.h"
#include "platform/d3dx/shaders/shader_glsl.h"
#include "platform/d3dx/shaders/shader_hlsl_map.h"
#include "platform/d3dx/shaders/shader_spirv_indices.h"

namespace platform::d3dx {
namespace {

// glslang's log lines ("ERROR: name:12: 'x' : undeclared identifier", the name being the source's or
// one of its "#line" markers) as "name(12): message"; lines without a place are the entry's.
std::string ConvertLog(const std::string& log, const CompileJob& job) {
  CompileJob converted;
  converted.sourceName = job.sourceName;
  converted.entryPlace = job.entryPlace;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    start = end + 1;
    const bool error = line.rfind("ERROR: ", 0) == 0;
    if (!error && line.rfind("WARNING: ", 0) != 0) continue;
    std::string rest = line.substr(error ? 7 : 9);
    if (rest.find("compilation terminated") != std::string::npos || rest.find("compilation errors") != std::string::npos)
      continue;
    // The place: "name:digits:" (the name may hold colons of its own).
    SourcePlace place;
    for (size_t colon = rest.find(':'); colon != std::string::npos; colon = rest.find(':', colon + 1)) {
      size_t digits = colon + 1;
      while (digits < rest.size() && std::isdigit(uint8_t(rest[digits]))) ++digits;
      if (digits == colon + 1 || digits - colon > 10 || digits >= rest.size() || rest[digits] != ':') continue;
      place.file = rest.substr(0, colon);
      place.line = std::stoi(rest.substr(colon + 1, digits - colon - 1));
      rest.erase(0, digits + 1);
      break;
    }
    if (place.file == job.sourceName) place.file.clear();
    if (!error && place.line == 0) continue;  // link warnings without a place say nothing about the source
    while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    converted.Fail(place, error ? rest : "warning: " + rest);
  }
  return converted.errors;
}

class CrossCompiler {
 public:
  CrossCompiler() { spvc_context_create(&context_); }
  ~CrossCompiler() { spvc_context_destroy(context_); }
  spvc_context context_ = nullptr;
  spvc_compiler compiler_ = nullptr;
  std::string Error() const { return spvc_context_get_last_error_string(context_); }
};

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
    job->errors = ConvertLog(shader.getInfoLog(), *job);
    if (job->errors.empty()) job->Fail({}, "compile failed");
    return;
  }
  glslang::TProgram program;
  program.addShader(&shader);
  if (!program.link(messages) || !program.mapIO()) {
    job->errors = ConvertLog(program.getInfoLog(), *job);
    if (job->errors.empty())
      job->Fail({}, job->entryPlace.line ? "link failed: " + std::string(program.getInfoLog())
                                         : "entry point '" + std::string(job->entry == kUserMain ? "main" : job->entry) +
                                               "' not found");
    return;
  }
  // The optimizer legalizes the front end's code and drops what the entry does not use, inputs among
  // them, as the API's compiler did.
  std::vector<unsigned> spirv;
  glslang::SpvOptions options;
  options.disableOptimizer = false;
  glslang::GlslangToSpv(*program.getIntermediate(stage), spirv, &options);
  MakeIndicesSigned(&spirv);

  CrossCompiler cross;
  spvc_parsed_ir ir = nullptr;
  if (spvc_context_parse_spirv(cross.context_, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
      spvc_context_create_compiler(cross.context_, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                   &cross.compiler_) != SPVC_SUCCESS)
    return job->Fail({}, "code generation failed: " + cross.Error());
  spvc_compiler c = cross.compiler_;
  spvc_resources resources = nullptr;
  if (spvc_compiler_create_shader_resources(c, &resources) != SPVC_SUCCESS) return job->Fail({}, cross.Error());
  std::vector<ShaderConstant> constants;
  StageMapping mapping;
  if (!MapParameters(c, resources, job, &constants) || !MapSamplers(c, resources, job, &constants) ||
      !MapStageVariables(c, resources, job, &mapping))
    return;
  for (const ShaderConstant& constant : constants)
    if (constant.registerSet == RS_FLOAT4)
      mapping.floatRegisters = std::max(mapping.floatRegisters, constant.registerIndex + constant.registerCount);

  spvc_compiler_options glslOptions = nullptr;
  spvc_compiler_create_compiler_options(c, &glslOptions);
  spvc_compiler_options_set_uint(glslOptions, SPVC_COMPILER_OPTION_GLSL_VERSION, kGlslVersion);
  spvc_compiler_options_set_bool(glslOptions, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  spvc_compiler_install_compiler_options(c, glslOptions);
  const char* generated = nullptr;
  if (spvc_compiler_compile(c, &generated) != SPVC_SUCCESS) return job->Fail({}, "code generation failed: " + cross.Error());
  job->function = BuildFunction(job->profile, mapping.inputs, FinishGlsl(generated, mapping, job->profile.vertex), constants);
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
    job->Fail({}, "out of memory");
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
// keep busy: the compile runs in a child process, which sends the result back through a pipe. Its
// limit is processor time (kCompileCpuSeconds), which a busy machine does not use up for it, so a
// slow machine never fails a good source; a child that is still not done after kCompileWallSeconds
// (it can only be waiting) is killed too. A child that dies gives a compile error.
constexpr int kCompileCpuSeconds = 30;
constexpr int kCompileWallSeconds = 300;

void CompileIsolated(CompileJob* job) {
  auto failed = [&](const char* why) {
    job->errors.clear();
    job->Fail({}, why);
  };
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
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGXCPU}) signal(sig, SIG_DFL);
    const rlimit cpu{kCompileCpuSeconds, kCompileCpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    CompileOnBigStack(job);
    const uint32_t header[3] = {job->ok ? 1u : 0u, uint32_t(job->function.size()), uint32_t(job->errors.size())};
    const bool sent = WriteAll(fds[1], header, sizeof header) &&
                      WriteAll(fds[1], job->function.data(), job->function.size() * 4) &&
                      WriteAll(fds[1], job->errors.data(), job->errors.size());
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kCompileWallSeconds);
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
  if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL)) timedOut = true;
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
  SourcePlace place;
  std::string problem;
  if (!ParseShaderProfile(profile, &job.profile)) {
    job.Fail({}, "unknown profile '" + std::string(profile) + "'");
  } else if (!CheckHlslLimits(source, &problem, &place)) {
    job.Fail(place, problem);
  } else {
    std::vector<std::string> textures;
    job.source = BlankEffectSyntax(RenameMain(FloatGlobalParameters(source)), &textures);
    const std::string_view entryName = entry == "main" ? std::string_view(kUserMain) : entry;
    job.entryPlace = EntryPlace(job.source, entryName);
    if (!CheckTextureMethods(job.source, textures, &problem, &place)) {
      job.Fail(place, problem);
    } else if (!WrapEntry(&job.source, entryName, uniformArguments, &job.entry, &problem)) {
      job.Fail({}, problem);
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
