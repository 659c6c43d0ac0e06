#include "platform/xfile/templates.h"

#include <strings.h>

namespace platform::xfile {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

struct PrimitiveName {
  const char* name;
  Primitive primitive;
};

constexpr PrimitiveName kPrimitiveNames[] = {
    {"WORD", Primitive::kWord},       {"DWORD", Primitive::kDword},       {"FLOAT", Primitive::kFloat},
    {"DOUBLE", Primitive::kDouble},   {"CHAR", Primitive::kChar},         {"UCHAR", Primitive::kUchar},
    {"BYTE", Primitive::kUchar},      {"SWORD", Primitive::kSword},       {"SDWORD", Primitive::kSdword},
    {"STRING", Primitive::kString},   {"LPSTR", Primitive::kString},      {"CSTRING", Primitive::kString},
    {"UNICODE", Primitive::kString},  {"VOID", Primitive::kUnsupported},  {"BINARY", Primitive::kUnsupported},
    {"BINARY_RESOURCE", Primitive::kUnsupported},
};

}  // namespace

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

Primitive PrimitiveFromName(std::string_view name) {
  for (const PrimitiveName& p : kPrimitiveNames)
    if (EqualNoCase(name, p.name)) return p.primitive;
  return Primitive::kTemplate;
}

uint32_t PrimitiveSize(Primitive p) {
  switch (p) {
    case Primitive::kWord:
    case Primitive::kSword: return 2;
    case Primitive::kDword:
    case Primitive::kSdword:
    case Primitive::kFloat:
    case Primitive::kString: return 4;
    case Primitive::kDouble: return 8;
    case Primitive::kChar:
    case Primitive::kUchar: return 1;
    default: return 0;
  }
}

void TemplateSet::Add(Template t) {
  auto [it, added] = by_lower_name_.emplace(Lower(t.name), templates_.size());
  if (added)
    templates_.push_back(std::make_unique<Template>(std::move(t)));
  else
    *templates_[it->second] = std::move(t);
}

// Every object and every template member names its template, so this runs per value of arrays of
// templates: names up to the buffer's length are lowered in place.
const Template* TemplateSet::Find(std::string_view name) const {
  char lower[64];
  if (name.size() > sizeof lower) return FindLower(Lower(name));
  for (size_t i = 0; i < name.size(); ++i)
    lower[i] = name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] - 'A' + 'a') : name[i];
  return FindLower(std::string_view(lower, name.size()));
}

const Template* TemplateSet::FindLower(std::string_view lower_name) const {
  auto it = by_lower_name_.find(lower_name);
  if (it != by_lower_name_.end()) return templates_[it->second].get();
  return fallback_ ? fallback_->FindLower(lower_name) : nullptr;
}

}  // namespace platform::xfile
