// Drawing with programmable shaders: programs linked per shader pair and cached, constant registers
// uploaded where they changed, and the vertex shader's inputs bound to the vertex elements of the
// same usage and usage index.
#include <cstdio>
#include <string>

#include "platform/gfx/buffers.h"
#include "platform/gfx/device_impl.h"
#include "platform/gfx/shader.h"

namespace platform::gfx {
namespace {

constexpr const char* kArrayNames[kShaderArrays] = {kGlslVertexFloat, kGlslVertexInt, kGlslVertexBool,
                                                    kGlslPixelFloat,  kGlslPixelInt,  kGlslPixelBool};

// Where a vertex element is and how GL reads it.
struct ElementFormat {
  int8_t stream = -1;
  uint32_t offset = 0;
  GLint size = 0;
  GLenum type = GL_FLOAT;
  bool normalized = false;
};

bool FormatOfDeclType(uint32_t type, ElementFormat* f) {
  switch (type) {
    case DECLTYPE_FLOAT1: case DECLTYPE_FLOAT2: case DECLTYPE_FLOAT3: case DECLTYPE_FLOAT4:
      f->size = GLint(type - DECLTYPE_FLOAT1 + 1); f->type = GL_FLOAT; return true;
    case DECLTYPE_COLOR: f->size = GL_BGRA; f->type = GL_UNSIGNED_BYTE; f->normalized = true; return true;
    case DECLTYPE_UBYTE4: f->size = 4; f->type = GL_UNSIGNED_BYTE; return true;
    case DECLTYPE_UBYTE4N: f->size = 4; f->type = GL_UNSIGNED_BYTE; f->normalized = true; return true;
    case DECLTYPE_SHORT2: f->size = 2; f->type = GL_SHORT; return true;
    case DECLTYPE_SHORT4: f->size = 4; f->type = GL_SHORT; return true;
    case DECLTYPE_SHORT2N: f->size = 2; f->type = GL_SHORT; f->normalized = true; return true;
    case DECLTYPE_SHORT4N: f->size = 4; f->type = GL_SHORT; f->normalized = true; return true;
    case DECLTYPE_USHORT2N: f->size = 2; f->type = GL_UNSIGNED_SHORT; f->normalized = true; return true;
    case DECLTYPE_USHORT4N: f->size = 4; f->type = GL_UNSIGNED_SHORT; f->normalized = true; return true;
    case DECLTYPE_FLOAT16_2: f->size = 2; f->type = GL_HALF_FLOAT; return true;
    case DECLTYPE_FLOAT16_4: f->size = 4; f->type = GL_HALF_FLOAT; return true;
    default: return false;
  }
}

ElementFormat FromAttribute(const VertexAttribute& a, bool color) {
  ElementFormat f;
  if (!a.present()) return f;
  f.stream = a.stream;
  f.offset = a.offset;
  f.size = a.size;
  f.type = a.type;
  f.normalized = color || a.type == GL_UNSIGNED_BYTE;
  return f;
}

// The element of the current vertex input with a usage: from the declaration when one is set (every
// usage), else from the format code's layout.
ElementFormat FindElement(VertexDeclaration* declaration, const VertexLayout& layout, uint32_t usage,
                          uint32_t index) {
  if (declaration) {
    for (const VertexElement& e : static_cast<VertexDeclarationImpl*>(declaration)->elements()) {
      if (e.stream == 0xFF) break;
      const uint32_t u = e.usage == DECLUSAGE_POSITIONT ? uint32_t(DECLUSAGE_POSITION) : e.usage;
      if (u != usage || e.usageIndex != index || e.stream >= kMaxStreams) continue;
      ElementFormat f;
      if (!FormatOfDeclType(e.type, &f)) return {};
      f.stream = int8_t(e.stream);
      f.offset = e.offset;
      return f;
    }
    return {};
  }
  switch (usage) {
    case DECLUSAGE_POSITION: return index == 0 ? FromAttribute(layout.position, false) : ElementFormat{};
    case DECLUSAGE_NORMAL: return index == 0 ? FromAttribute(layout.normal, false) : ElementFormat{};
    case DECLUSAGE_COLOR:
      return index == 0 ? FromAttribute(layout.diffuse, true) : index == 1 ? FromAttribute(layout.specular, true)
                                                                            : ElementFormat{};
    case DECLUSAGE_TEXCOORD: return index < 8 ? FromAttribute(layout.texcoord[index], false) : ElementFormat{};
    default: return {};
  }
}

// Location 0 (which the compatibility GL treats as the vertex position) goes to the position input,
// or the first input when there is none; the others follow in order.
void AssignInputLocations(const ShaderFunction& f, uint8_t* locations) {
  size_t first = 0;
  for (size_t i = 0; i < f.inputs.size(); ++i)
    if (f.inputs[i].usage == DECLUSAGE_POSITION && f.inputs[i].usageIndex == 0) { first = i; break; }
  uint8_t next = 1;
  for (size_t i = 0; i < f.inputs.size() && i < 16; ++i) locations[i] = i == first ? 0 : next++;
}

template <class File>
void Upload(const File& file, ShaderProgram& p, int array, bool isFloat, bool isBool) {
  if (p.location[array] < 0 || p.uploaded[array] == file.serial) return;
  uint32_t first = 0, end = 0;
  file.ChangedSince(p.uploaded[array], uint32_t(p.size[array]), &first, &end);
  p.uploaded[array] = file.serial;
  if (first == end) return;
  const GLint location = p.location[array] + GLint(first);
  const GLsizei count = GLsizei(end - first);
  if constexpr (std::is_same_v<std::remove_cvref_t<decltype(file.values[0][0])>, float>) {
    glUniform4fv(location, count, file.values[first]);
  } else if (isBool) {
    glUniform1iv(location, count, file.values[first]);
  } else {
    glUniform4iv(location, count, file.values[first]);
  }
  (void)isFloat;
}

}  // namespace

void DeviceImpl::DropPrograms(uint64_t shaderId) {
  for (auto it = shaders_.programs.begin(); it != shaders_.programs.end();) {
    if (it->first.first == shaderId || it->first.second == shaderId) {
      if (shaders_.current == &it->second) shaders_.current = nullptr;
      if (shaders_.input.program == &it->second) shaders_.input = BoundShaderInput{};
      if (it->second.program) {
        if (shaders_.usedProgram == it->second.program) {
          glUseProgram(0);
          shaders_.usedProgram = 0;
        }
        glDeleteProgram(it->second.program);
      }
      it = shaders_.programs.erase(it);
    } else {
      ++it;
    }
  }
  shaders_.programDirty = true;
}

void DeviceImpl::DeletePrograms() {
  for (auto& [key, program] : shaders_.programs)
    if (program.program) glDeleteProgram(program.program);
  shaders_.programs.clear();
  shaders_.current = nullptr;
  shaders_.input = BoundShaderInput{};
}

bool DeviceImpl::FlushShaders() {
  const ShaderCore* vs = shaders_.vertex ? &shaders_.vertex->core() : nullptr;
  const ShaderCore* ps = shaders_.pixel ? &shaders_.pixel->core() : nullptr;
  const std::pair<uint64_t, uint64_t> key{vs ? vs->id : 0, ps ? ps->id : 0};
  // A shader set and put back (an effect's pass ended and begun again) keeps its program.
  if (shaders_.programDirty && shaders_.current && key == shaders_.currentKey) shaders_.programDirty = false;
  if (shaders_.programDirty || !shaders_.current) {
    auto found = shaders_.programs.find(key);
    if (found == shaders_.programs.end()) {
      ShaderProgram p;
      GLuint program = glCreateProgram();
      if (vs) {
        glAttachShader(program, vs->glShader);
        AssignInputLocations(vs->function, p.inputLocations);
        for (size_t i = 0; i < vs->function.inputs.size() && i < 16; ++i)
          glBindAttribLocation(program, p.inputLocations[i], ("qel_v" + std::to_string(vs->function.inputs[i].reg)).c_str());
      }
      if (ps) glAttachShader(program, ps->glShader);
      glLinkProgram(program);
      GLint ok = 0;
      glGetProgramiv(program, GL_LINK_STATUS, &ok);
      if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "qel: shaders do not link: %s\n", log);
        glDeleteProgram(program);
      } else {
        p.program = program;
        glUseProgram(program);
        shaders_.usedProgram = program;
        GLint active = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &active);
        for (GLint u = 0; u < active; ++u) {
          char name[64] = {};
          GLint size = 0;
          GLenum type = 0;
          glGetActiveUniform(program, GLuint(u), sizeof name, nullptr, &size, &type, name);
          std::string n = name;
          if (n.size() > 3 && n.compare(n.size() - 3, 3, "[0]") == 0) n.resize(n.size() - 3);
          for (int a = 0; a < kShaderArrays; ++a) {
            if (n != kArrayNames[a]) continue;
            p.location[a] = glGetUniformLocation(program, n.c_str());
            p.size[a] = size;
          }
        }
        for (int s = 0; s < kMaxTextureStages; ++s) {
          const GLint location = glGetUniformLocation(program, ("qel_s" + std::to_string(s)).c_str());
          if (location >= 0) glUniform1i(location, s);
        }
        p.fixLocation = glGetUniformLocation(program, "qel_fix");
      }
      found = shaders_.programs.emplace(key, p).first;
    }
    shaders_.current = &found->second;
    shaders_.currentKey = key;
    shaders_.programDirty = false;
  }
  ShaderProgram& p = *shaders_.current;
  if (!p.program) return false;
  if (shaders_.usedProgram != p.program) {
    glUseProgram(p.program);
    shaders_.usedProgram = p.program;
  }
  Upload(shaders_.vsFloat, p, kVsFloat, true, false);
  Upload(shaders_.vsInt, p, kVsInt, false, false);
  Upload(shaders_.vsBool, p, kVsBool, false, true);
  Upload(shaders_.psFloat, p, kPsFloat, true, false);
  Upload(shaders_.psInt, p, kPsInt, false, false);
  Upload(shaders_.psBool, p, kPsBool, false, true);
  if (p.fixLocation >= 0) {
    const float fx = 1.0f / float(std::max(1u, state_.viewport.width));
    const float fy = 1.0f / float(std::max(1u, state_.viewport.height));
    if (p.fix[0] != fx || p.fix[1] != fy) {
      glUniform4f(p.fixLocation, fx, fy, 0.0f, 0.0f);
      p.fix[0] = fx;
      p.fix[1] = fy;
    }
  }
  return true;
}

bool DeviceImpl::BindShaderInput(const VertexLayout& layout, const StreamSource* sources, int32_t* shift) {
  const ShaderFunction& f = shaders_.vertex->core().function;
  const ShaderProgram& p = *shaders_.current;
  const bool single = layout.streamMask == 1;
  StreamSource gl[kMaxStreams];
  ToGlSources(sources, single, gl, shift);
  // The next mesh of a shared GL buffer, or the same mesh again, through the same program: the arrays
  // already point there.
  BoundShaderInput& last = shaders_.input;
  const StreamSource& s0 = gl[0];
  if (single && last.program == &p && last.layoutVersion == layoutVersion_ && last.wanted == shaders_.genericArrays &&
      last.cpu == s0.cpu && last.buffer == s0.buffer && last.offset == s0.offset && last.stride == s0.stride)
    return true;
  uint32_t wanted = 0;
  for (size_t i = 0; i < f.inputs.size() && i < 16; ++i) {
    const GLuint location = p.inputLocations[i];
    GenericArray& cache = shaders_.arrays[location];
    const ElementFormat e = FindElement(state_.declaration, layout, f.inputs[i].usage, f.inputs[i].usageIndex);
    if (e.stream < 0 || (!gl[e.stream].cpu && !gl[e.stream].buffer)) {
      glVertexAttrib4f(location, 0.0f, 0.0f, 0.0f, 1.0f);  // an input the vertices lack reads (0, 0, 0, 1)
      continue;
    }
    wanted |= 1u << location;
    const StreamSource& src = gl[e.stream];
    const size_t offset = size_t(src.offset) + e.offset;
    const void* pointer = src.buffer ? reinterpret_cast<const void*>(offset) : static_cast<const void*>(src.cpu + offset);
    const uint32_t format = uint32_t(e.size) << 16 ^ uint32_t(e.type) ^ (e.normalized ? 0x80000000u : 0);
    if (cache.pointer != pointer || cache.buffer != src.buffer || cache.stride != src.stride || cache.format != format) {
      gl_.BindArrayBuffer(src.buffer);
      glVertexAttribPointer(location, e.size, e.type, e.normalized ? GL_TRUE : GL_FALSE, GLsizei(src.stride), pointer);
      cache = {pointer, src.buffer, src.stride, format};
    }
  }
  // All sixteen set means unknown (after foreign GL code): every array is sent.
  const uint32_t change = shaders_.genericArrays == 0xFFFF ? 0xFFFF : wanted ^ shaders_.genericArrays;
  for (uint32_t l = 0; l < 16; ++l) {
    if (!(change & (1u << l))) continue;
    if (wanted & (1u << l)) glEnableVertexAttribArray(l);
    else glDisableVertexAttribArray(l);
  }
  shaders_.genericArrays = wanted;
  if (single) last = {&p, layoutVersion_, wanted, s0.cpu, s0.buffer, s0.offset, s0.stride};
  else last = BoundShaderInput{};
  return true;
}

void DeviceImpl::LeaveShaders() {
  if (shaders_.usedProgram != 0) {
    glUseProgram(0);
    shaders_.usedProgram = 0;
  }
  DisableGenericArrays();
}

void DeviceImpl::DisableGenericArrays() {
  if (!shaders_.genericArrays) return;
  for (uint32_t l = 0; l < 16; ++l)
    if (shaders_.genericArrays & (1u << l)) glDisableVertexAttribArray(l);
  shaders_.genericArrays = 0;
}

void DeviceImpl::InvalidateShaderState() {
  shaders_.usedProgram = ~0u;
  shaders_.genericArrays = 0xFFFF;
  for (GenericArray& a : shaders_.arrays) a = GenericArray{};
  shaders_.input = BoundShaderInput{};
  for (auto& [key, program] : shaders_.programs) program.fix[0] = program.fix[1] = 0.0f;
  shaders_.programDirty = true;
}

}  // namespace platform::gfx
