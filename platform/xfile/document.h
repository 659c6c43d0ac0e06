// Inside of the reader: what one open file holds, and the access the parser and the reference
// resolver need to the public classes' fields.
#pragma once
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/xfile/reader.h"

namespace platform::xfile {

// Every object's blob, one after another: an object's members are all read before its first child,
// so each blob is one run. The file costs a handful of allocations, not one per object, and a value
// is appended without a call.
class BlobArena {
 public:
  size_t Size() const { return size_; }
  const uint8_t* Data() const { return bytes_.data(); }

  // Appends the low `count` (at most 8) bytes of `value`, least significant first.
  void AppendLittleEndian(uint64_t value, size_t count) {
    static_assert(std::endian::native == std::endian::little, "blobs are little-endian, as the machine must be");
    if (bytes_.size() - size_ < sizeof value) bytes_.resize(std::max<size_t>(2 * bytes_.size(), 4096));
    // All eight bytes go in; those past `count` are room that the next value overwrites.
    std::memcpy(bytes_.data() + size_, &value, sizeof value);
    size_ += count;
  }

  // Room for `count` more bytes at the end, which the caller fills.
  uint8_t* Extend(size_t count) {
    if (bytes_.size() - size_ < count + sizeof(uint64_t))
      bytes_.resize(std::max({2 * bytes_.size(), size_ + count + sizeof(uint64_t), size_t{4096}}));
    uint8_t* at = bytes_.data() + size_;
    size_ += count;
    return at;
  }

 private:
  std::vector<uint8_t> bytes_;  // the blobs, then room to grow into
  size_t size_ = 0;
};

struct Document {
  explicit Document(const TemplateSet* reader_templates) : templates(reader_templates) {}

  TemplateSet templates;                              // the file's declarations over the reader's
  std::vector<std::unique_ptr<DataObject>> objects;   // every object, parents before children
  std::vector<const DataObject*> top_level;
  BlobArena blobs;
  // STRING members: zero-terminated texts one after another; handle h starts at string_starts[h - 1].
  std::string string_pool;
  std::vector<uint32_t> string_starts;

  uint32_t AddString(std::string_view text) {
    string_starts.push_back(uint32_t(string_pool.size()));
    string_pool.append(text.data(), text.size());
    string_pool.push_back('\0');
    return uint32_t(string_starts.size());
  }
};

struct DocumentAccess {
  static DataObject& NewObject(Document& doc) {
    doc.objects.push_back(std::make_unique<DataObject>());
    doc.objects.back()->document_ = &doc;
    doc.objects.back()->index_ = uint32_t(doc.objects.size() - 1);
    return *doc.objects.back();
  }
  static void SetHeader(DataObject& o, const Template& t, std::string name, const Guid* id) {
    o.type_ = t.guid;
    o.template_name_ = t.name;
    o.name_ = std::move(name);
    o.has_id_ = id != nullptr;
    if (id) o.id_ = *id;
  }
  static void SetBlob(DataObject& o, size_t offset, size_t size) {
    o.blob_offset_ = offset;
    o.blob_size_ = size;
  }
  static std::vector<Child>& Children(DataObject& o) { return o.children_; }
  static const std::string& RawName(const DataObject& o) { return o.name_; }
  static uint32_t Index(const DataObject& o) { return o.index_; }

  static Child InlineChild(const DataObject& object) {
    Child c;
    c.object_ = &object;
    return c;
  }
  static Child Reference(std::string name, const Guid* id) {
    Child c;
    c.is_reference_ = true;
    c.reference_name_ = std::move(name);
    c.has_reference_id_ = id != nullptr;
    if (id) c.reference_id_ = *id;
    return c;
  }
  static void SetTarget(Child& c, const DataObject* target) { c.object_ = target; }
  static const DataObject* Target(const Child& c) { return c.object_; }
};

// Reads a whole X image (16-byte header, then the body in its encoding) into `doc`: templates it
// declares go to doc.templates, data objects to doc.objects. False with a reason in `error`.
bool ParseImage(const uint8_t* data, size_t size, Document& doc, std::string& error);

// Points every reference at its object, drops references that close a cycle, and refuses files whose
// walks would run past kMaxWalkDepth or kMaxWalkObjects.
bool ResolveReferences(Document& doc, std::string& error);

}  // namespace platform::xfile
