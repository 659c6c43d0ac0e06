// Large GL buffers that hold many small static vertex or index buffers, each at a place of its own.
// Meshes drawn one after another then come from the same GL buffer: a vertex buffer's place is reached
// through the base vertex of the draw (its offset is a multiple of the stride) and an index buffer's
// through the index offset, so the GL never re-specifies its vertex arrays between meshes, which is
// what a buffer switch costs llvmpipe on every draw.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "platform/gfx/gl.h"

namespace platform::gfx {

class GlState;

class BufferArena {
 public:
  // Bytes of the GL buffers: the first holds the largest place, and each next one is twice the size of
  // the last, up to the largest. The driver clears a new buffer's storage, so a device that holds a few
  // meshes pays for a small buffer, not for room it never uses.
  static constexpr uint32_t kLargestPlace = 1u << 20;  // larger buffers keep a GL buffer of their own
  static constexpr uint32_t kFirstBlockSize = kLargestPlace;
  static constexpr uint32_t kLargestBlockSize = 8u << 20;

  struct Place {
    GLuint buffer = 0;  // 0: no place
    uint32_t offset = 0;
  };

  explicit BufferArena(GLenum target) : target_(target) {}
  BufferArena(const BufferArena&) = delete;
  BufferArena& operator=(const BufferArena&) = delete;

  // A place of `size` bytes whose offset is a multiple of `align`, filled from `data`; none when the
  // size is above kLargestPlace or the GL gives no buffer. The context must be current.
  Place Allocate(uint32_t size, uint32_t align, const void* data, GlState& gl);
  // Gives a place back; its bytes may be handed out again.
  void Free(const Place& place, uint32_t size);
  // Deletes every GL buffer (the context must be current); later places are made afresh.
  void DeleteAll(GlState& gl);

 private:
  struct Block {
    GLuint name = 0;
    uint32_t size = 0;
    std::map<uint32_t, uint32_t> free;  // offset -> size of every free run, runs never adjacent
  };
  void Bind(GlState& gl, GLuint name);
  static bool Take(Block* block, uint32_t size, uint32_t align, uint32_t* offset);

  GLenum target_;
  std::vector<Block> blocks_;
};

}  // namespace platform::gfx
