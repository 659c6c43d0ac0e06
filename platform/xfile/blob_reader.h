// Bounds-checked reading of a data object's blob in member order. Every read fails, and reads nothing,
// once the blob has fewer bytes left than it needs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/xfile/reader.h"

namespace platform::xfile {

class BlobReader {
 public:
  explicit BlobReader(const DataObject& object) : object_(&object), p_(object.Data()), end_(p_ + object.Size()) {}

  bool ReadU8(uint8_t& out) { return Read(&out, 1); }
  bool ReadU16(uint16_t& out) { return Read(&out, 2); }
  bool ReadU32(uint32_t& out) { return Read(&out, 4); }
  bool ReadFloat(float& out) { return Read(&out, 4); }
  bool ReadFloats(float* out, size_t count) { return count <= Remaining() / 4 && Read(out, count * 4); }
  // A STRING member: its text, or null when the handle names none.
  bool ReadString(const char*& out) {
    uint32_t handle;
    if (!ReadU32(handle)) return false;
    out = object_->String(handle);
    return true;
  }
  bool Skip(size_t bytes) {
    if (bytes > Remaining()) return false;
    p_ += bytes;
    return true;
  }

  size_t Remaining() const { return size_t(end_ - p_); }
  size_t Offset() const { return size_t(p_ - object_->Data()); }

 private:
  // The blob is little-endian, as is every machine the engine runs on.
  bool Read(void* out, size_t bytes) {
    if (bytes > Remaining()) return false;
    if (bytes) std::memcpy(out, p_, bytes);
    p_ += bytes;
    return true;
  }

  const DataObject* object_;
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace platform::xfile
