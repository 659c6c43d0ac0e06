// Reader of X files: our own stand-in for the file-object reader the X model converter was written
// against. It reads the whole file at open (text, binary, or their compressed forms; 32- or 64-bit
// floats), lays every data object out as the flat blob of its template, and resolves references, so
// walking the objects afterwards cannot fail.
//
//   platform::xfile::Reader reader;                      // standard templates built in
//   if (!reader.Open("Models\\Zevo.x")) ...              // reader.Error() says why
//   while (const DataObject* object = reader.NextDataObject()) {
//     object->Type();  object->Name();  object->Data();  object->Size();
//     for (const Child& child : object->Children())
//       if (const DataObject* c = child.IsReference() ? child.Resolve() : child.Object()) ...
//   }
// Objects, children and strings belong to the reader and last until the next Open, OpenMemory or Close,
// or the reader's end.
//
// Blob layout (DataObject::Data): the template's members in order, little-endian, no padding. WORD and
// SWORD take 2 bytes, DWORD and SDWORD 4, FLOAT 4 (64-bit file floats are narrowed), DOUBLE 8, CHAR and
// UCHAR 1. Members of template type and arrays (of primitives or of templates) are laid out inline,
// element after element; an array's length is the value of the member its declaration names, which
// always precedes it in the blob and always matches the elements present.
// A STRING member takes 4 bytes: a u32 handle. DataObject::String(handle) gives its zero-terminated
// text, owned by the reader and valid as long as the object; handle 0 is no string.
// A file may declare a standard template again with other members; its objects then follow the file's
// declaration, so a blob is read against Size(), never past it (BlobReader does this).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xfile/guid.h"
#include "platform/xfile/template_ids.h"
#include "platform/xfile/templates.h"

namespace platform::xfile {

class DataObject;
struct Document;

// Limits that keep damaged or hostile files from exhausting the stack or the machine. A file past
// them fails to open.
inline constexpr size_t kMaxObjects = 1u << 20;  // data objects in one file
inline constexpr int kMaxNesting = 256;          // data objects inside data objects
inline constexpr int kMaxWalkDepth = 1024;       // nesting plus followed references, along any walk
inline constexpr uint64_t kMaxWalkObjects = 1u << 21;  // objects visited walking every top-level object

// Name of an unnamed data object.
inline constexpr std::string_view kNoName = "$NoName$";

// A child of a data object: an object written inside it, or a reference ("{name}", "{<guid>}",
// "{name <guid>}") to an object anywhere in the file.
class Child {
 public:
  bool IsReference() const { return is_reference_; }
  // The object written inside the parent; null for a reference.
  const DataObject* Object() const { return is_reference_ ? nullptr : object_; }
  // The object a reference names; null for an inline child, for a name no object has, and for a
  // reference that would lead a walk back into itself (a reference cycle).
  const DataObject* Resolve() const { return is_reference_ ? object_ : nullptr; }
  // As written in the reference.
  const std::string& ReferenceName() const { return reference_name_; }
  bool HasReferenceId() const { return has_reference_id_; }
  const Guid& ReferenceId() const { return reference_id_; }

 private:
  friend struct DocumentAccess;
  bool is_reference_ = false;
  bool has_reference_id_ = false;
  const DataObject* object_ = nullptr;
  std::string reference_name_;
  Guid reference_id_;
};

class DataObject {
 public:
  // GUID of the object's template (ids::Frame, ids::Mesh, ...); zero when the template has none.
  const Guid& Type() const { return type_; }
  const std::string& TemplateName() const { return template_name_; }
  // The object's name, kNoName when it has none.
  const std::string& Name() const;
  bool HasName() const { return !name_.empty(); }
  // The object's own GUID, when the file gives one after its name.
  bool HasId() const { return has_id_; }
  const Guid& Id() const { return id_; }

  const uint8_t* Data() const;
  uint32_t Size() const { return uint32_t(blob_size_); }
  // Text of a STRING member's handle; null for 0 or a handle that is not this file's.
  const char* String(uint32_t handle) const;

  const std::vector<Child>& Children() const { return children_; }

 private:
  friend struct DocumentAccess;
  Guid type_;
  std::string template_name_;
  std::string name_;
  bool has_id_ = false;
  Guid id_;
  size_t blob_offset_ = 0;  // in the document's blob arena
  size_t blob_size_ = 0;
  std::vector<Child> children_;
  const Document* document_ = nullptr;
  uint32_t index_ = 0;  // place in the document, parents before children
};

class Reader {
 public:
  Reader();
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Adds the templates declared in an X file image (any encoding) to those every later file may
  // use; data objects in it are ignored.
  bool RegisterTemplates(const void* data, size_t size);

  // Reads a whole file (the name goes through the path resolver) or image, replacing the one read
  // before. False, with Error() set and nothing open, for a missing file or one that is not a
  // well-formed X file.
  bool Open(std::string_view file_name);
  bool OpenMemory(const void* data, size_t size);
  void Close();

  // Top-level data objects in file order: the next one on each call, null after the last.
  const DataObject* NextDataObject();
  // All of them, for walking again.
  const std::vector<const DataObject*>& DataObjects() const;

  // The template a name means in the open file (its own declarations first), or null.
  const Template* FindTemplate(std::string_view name) const;

  const std::string& Error() const { return error_; }

 private:
  TemplateSet templates_;
  std::unique_ptr<Document> document_;
  size_t next_ = 0;
  std::string error_;
};

}  // namespace platform::xfile
