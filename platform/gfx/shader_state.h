// The device's programmable-shader state: the shaders set, the constant register files (with a
// change stamp per register, so a program uploads only the registers that changed since its last
// upload) and the programs linked per (vertex shader, pixel shader) pair.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "platform/gfx/gl.h"
#include "platform/gfx/types.h"

namespace platform::gfx {

template <class Interface>
class ShaderImpl;
class VertexShader;
class PixelShader;

template <class T, uint32_t Count, uint32_t Width>
struct RegisterFile {
  static constexpr uint32_t kCount = Count;
  T values[Count][Width]{};
  uint32_t stamps[Count]{};
  uint32_t serial = 1;

  bool InRange(uint32_t start, uint32_t count) const { return start <= Count && count <= Count - start; }
  void Set(uint32_t start, const T* data, uint32_t count) {
    ++serial;
    for (uint32_t i = 0; i < count; ++i) {
      std::memcpy(values[start + i], data + i * Width, sizeof(T) * Width);
      stamps[start + i] = serial;
    }
  }
  void Get(uint32_t start, T* data, uint32_t count) const {
    std::memcpy(data, values[start], sizeof(T) * Width * count);
  }
  // Registers below `limit` changed after `since`: [*first, *end), empty when none.
  void ChangedSince(uint32_t since, uint32_t limit, uint32_t* first, uint32_t* end) const {
    *first = *end = 0;
    limit = std::min(limit, Count);
    uint32_t i = 0;
    while (i < limit && stamps[i] <= since) ++i;
    if (i == limit) return;
    uint32_t last = limit;
    while (last > i && stamps[last - 1] <= since) --last;
    *first = i;
    *end = last;
  }
};

// The six register arrays of a program, in this order.
enum ShaderArray { kVsFloat, kVsInt, kVsBool, kPsFloat, kPsInt, kPsBool, kShaderArrays };

struct ShaderProgram {
  GLuint program = 0;  // 0: the pair does not link
  GLint location[kShaderArrays] = {-1, -1, -1, -1, -1, -1};
  GLint size[kShaderArrays] = {};       // registers the program declares
  uint32_t uploaded[kShaderArrays] = {};  // register-file serial of the last upload
  GLint fixLocation = -1;
  float fix[2] = {};                    // last clip-space fix sent
  // Generic attribute location of each vertex shader input, in the order of its inputs.
  uint8_t inputLocations[16] = {};
};

// What a generic vertex attribute array was last pointed at.
struct GenericArray {
  const void* pointer = nullptr;
  GLuint buffer = 0;
  uint32_t stride = 0, format = ~0u;
};

// The whole input of the last shader draw from a single stream, as the GL sees it.
struct BoundShaderInput {
  const ShaderProgram* program = nullptr;
  uint32_t layoutVersion = ~0u;
  uint32_t wanted = 0;  // generic arrays it enabled
  const uint8_t* cpu = nullptr;
  GLuint buffer = 0;
  uint32_t offset = 0, stride = 0;
};

struct ShaderState {
  ShaderImpl<VertexShader>* vertex = nullptr;  // referenced while set
  ShaderImpl<PixelShader>* pixel = nullptr;
  RegisterFile<float, kMaxVertexShaderConstantsF, 4> vsFloat;
  RegisterFile<int32_t, kMaxShaderConstantsI, 4> vsInt;
  RegisterFile<int32_t, kMaxShaderConstantsB, 1> vsBool;
  RegisterFile<float, kMaxPixelShaderConstantsF, 4> psFloat;
  RegisterFile<int32_t, kMaxShaderConstantsI, 4> psInt;
  RegisterFile<int32_t, kMaxShaderConstantsB, 1> psBool;
  // Linked programs by (vertex shader id, pixel shader id); id 0 is the fixed stage.
  std::map<std::pair<uint64_t, uint64_t>, ShaderProgram> programs;
  ShaderProgram* current = nullptr;  // the program of the last shader draw
  std::pair<uint64_t, uint64_t> currentKey;  // and its shader pair
  GLuint usedProgram = 0;            // what glUseProgram last got
  uint32_t genericArrays = 0xFFFF;   // generic vertex attribute arrays enabled (unknown at first)
  GenericArray arrays[16];
  BoundShaderInput input;
  bool programDirty = true;
};

}  // namespace platform::gfx
