// Template declarations: the layout every data object's blob follows, and which child objects the
// declaration admits.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/xfile/guid.h"

namespace platform::xfile {

// Member types with a fixed size in the blob. kTemplate: another template, laid out inline.
enum class Primitive : uint8_t {
  kTemplate, kWord, kDword, kFloat, kDouble, kChar, kUchar, kSword, kSdword, kString, kUnsupported
};

// Primitive named by a type keyword ("DWORD", "float", ...), kTemplate for any other name.
Primitive PrimitiveFromName(std::string_view name);

// Bytes a primitive takes in a blob: WORD 2, DWORD 4, FLOAT 4, DOUBLE 8, CHAR 1, STRING 4 (a handle).
uint32_t PrimitiveSize(Primitive p);

// One array dimension: a literal count, or the value of an earlier scalar integer member.
struct Dimension {
  uint32_t count = 0;
  int member = -1;  // index of the member that holds the count, or -1 for a literal
};

struct TemplateMember {
  std::string type_name;
  Primitive primitive = Primitive::kTemplate;
  std::string name;
  bool is_array = false;
  std::vector<Dimension> dimensions;
};

// Closed: no children. Open ("[...]"): any child. Restricted: children of the listed templates.
enum class Restriction : uint8_t { kClosed, kOpen, kRestricted };

struct TemplateRef {
  std::string name;
  bool has_guid = false;
  Guid guid;
};

struct Template {
  std::string name;
  bool has_guid = false;
  Guid guid;
  std::vector<TemplateMember> members;
  Restriction restriction = Restriction::kClosed;
  std::vector<TemplateRef> allowed;  // for kRestricted
};

// Templates by name, compared case-insensitively (exporters write "TextureFileName" for
// "TextureFilename"). A later declaration of a name replaces the earlier one. `fallback` is searched
// when a name is not found here: a file's own declarations sit over the reader's.
class TemplateSet {
 public:
  explicit TemplateSet(const TemplateSet* fallback = nullptr) : fallback_(fallback) {}

  void Add(Template t);
  const Template* Find(std::string_view name) const;
  size_t Count() const { return templates_.size(); }
  const Template& At(size_t i) const { return *templates_[i]; }

 private:
  // Looked up by the lower-case name as it stands, without a string made for it.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  const Template* FindLower(std::string_view lower_name) const;

  const TemplateSet* fallback_;
  std::vector<std::unique_ptr<Template>> templates_;
  std::unordered_map<std::string, size_t, NameHash, std::equal_to<>> by_lower_name_;
};

// ASCII lower case: template names, and object names a reference gives in another case, compare so.
std::string Lower(std::string_view s);

// The standard templates and the skinning, animation and vertex-data extensions, as X text.
std::string_view BuiltInTemplateText();

}  // namespace platform::xfile
