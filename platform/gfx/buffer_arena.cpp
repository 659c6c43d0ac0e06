#include "platform/gfx/buffer_arena.h"

#include <algorithm>
#include <iterator>

#include "platform/gfx/gl_state.h"

namespace platform::gfx {

void BufferArena::Bind(GlState& gl, GLuint name) {
  if (target_ == GL_ARRAY_BUFFER) gl.BindArrayBuffer(name);
  else gl.BindElementBuffer(name);
}

// First fit: the first free run that holds `size` bytes from an aligned offset; what is left on
// either side stays free.
bool BufferArena::Take(Block* block, uint32_t size, uint32_t align, uint32_t* offset) {
  for (auto it = block->free.begin(); it != block->free.end(); ++it) {
    const uint32_t start = it->first, length = it->second;
    const uint32_t aligned = (start + align - 1) / align * align;
    if (uint64_t(aligned) + size > uint64_t(start) + length) continue;
    const uint32_t end = start + length;
    block->free.erase(it);
    if (aligned > start) block->free[start] = aligned - start;
    if (aligned + size < end) block->free[aligned + size] = end - (aligned + size);
    *offset = aligned;
    return true;
  }
  return false;
}

BufferArena::Place BufferArena::Allocate(uint32_t size, uint32_t align, const void* data, GlState& gl) {
  if (size == 0 || size > kLargestPlace || align == 0 || align > kLargestPlace) return {};
  uint32_t offset = 0;
  Block* block = nullptr;
  for (Block& b : blocks_) {
    if (Take(&b, size, align, &offset)) {
      block = &b;
      break;
    }
  }
  if (!block) {
    while (glGetError() != GL_NO_ERROR) {
    }
    Block fresh;
    fresh.size = blocks_.empty() ? kFirstBlockSize : std::min(kLargestBlockSize, blocks_.back().size * 2);
    glGenBuffers(1, &fresh.name);
    Bind(gl, fresh.name);
    glBufferData(target_, GLsizeiptr(fresh.size), nullptr, GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
      glDeleteBuffers(1, &fresh.name);
      gl.ForgetBuffer(fresh.name);
      return {};
    }
    fresh.free[0] = fresh.size;
    blocks_.push_back(std::move(fresh));
    block = &blocks_.back();
    if (!Take(block, size, align, &offset)) return {};
  }
  Bind(gl, block->name);
  glBufferSubData(target_, GLintptr(offset), GLsizeiptr(size), data);
  return {block->name, offset};
}

void BufferArena::Free(const Place& place, uint32_t size) {
  for (Block& b : blocks_) {
    if (b.name != place.buffer) continue;
    // Joined with the free runs on either side, so that runs stay as long as they can.
    uint32_t start = place.offset, end = place.offset + size;
    auto next = b.free.lower_bound(start);
    if (next != b.free.end() && next->first == end) {
      end += next->second;
      next = b.free.erase(next);
    }
    if (next != b.free.begin()) {
      auto previous = std::prev(next);
      if (previous->first + previous->second == start) {
        start = previous->first;
        b.free.erase(previous);
      }
    }
    b.free[start] = end - start;
    return;
  }
}

void BufferArena::DeleteAll(GlState& gl) {
  for (Block& b : blocks_) {
    glDeleteBuffers(1, &b.name);
    gl.ForgetBuffer(b.name);
  }
  blocks_.clear();
}

}  // namespace platform::gfx
