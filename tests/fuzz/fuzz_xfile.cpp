// Opens random bytes as an X file image and walks everything the reader exposes: every object,
// every reference, every blob byte and string, and every object's members read by its template.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/xfile/blob_reader.h"
#include "platform/xfile/reader.h"

namespace xf = platform::xfile;

namespace {

struct Walker {
  const xf::Reader& reader;
  const xf::Reader& built_in;  // a reader that read nothing: only the built-in templates
  uint64_t visits = 0;

  // Whether the template and every template inside it are the built-in ones, which no file changes.
  bool BuiltIn(const xf::Template& t, int nesting = 0) {
    if (nesting > 32 || built_in.FindTemplate(t.name) != &t) return false;
    for (const xf::TemplateMember& m : t.members)
      if (m.primitive == xf::Primitive::kTemplate) {
        const xf::Template* sub = reader.FindTemplate(m.type_name);
        if (!sub || !BuiltIn(*sub, nesting + 1)) return false;
      }
    return true;
  }

  void Object(const xf::DataObject& o, int depth) {
    // The reader promises walks this deep and this long at most.
    if (depth > xf::kMaxWalkDepth || ++visits > xf::kMaxWalkObjects) std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t i = 0; i < o.Size(); ++i) sink = sink ^ o.Data()[i];
    o.Name().size();
    if (const xf::Template* t = reader.FindTemplate(o.TemplateName())) {
      xf::BlobReader blob(o);
      bool exact = Members(*t, blob, 0) && blob.Remaining() == 0;
      // A file may declare a template again after using it; the built-in layouts never change.
      if (!exact && BuiltIn(*t)) std::abort();
    }
    for (const xf::Child& c : o.Children())
      if (const xf::DataObject* next = c.IsReference() ? c.Resolve() : c.Object()) Object(*next, depth + 1);
  }

  bool Members(const xf::Template& t, xf::BlobReader& blob, int nesting) {
    if (nesting > 32) return false;
    std::vector<uint32_t> values(t.members.size(), 0);
    for (size_t i = 0; i < t.members.size(); ++i) {
      const xf::TemplateMember& m = t.members[i];
      uint64_t count = 1;
      for (const xf::Dimension& d : m.dimensions) count *= d.member >= 0 ? values[size_t(d.member)] : d.count;
      if (m.primitive == xf::Primitive::kTemplate) {
        const xf::Template* sub = reader.FindTemplate(m.type_name);
        if (!sub) return false;
        for (uint64_t k = 0; k < count; ++k) {
          size_t before = blob.Remaining();
          if (!Members(*sub, blob, nesting + 1)) return false;
          if (blob.Remaining() == before) break;
        }
        continue;
      }
      for (uint64_t k = 0; k < count; ++k) {
        if (m.primitive == xf::Primitive::kString) {
          const char* text;
          if (!blob.ReadString(text) || !text) return false;
        } else if (m.primitive == xf::Primitive::kDword || m.primitive == xf::Primitive::kSdword) {
          if (!blob.ReadU32(values[i])) return false;
        } else if (m.primitive == xf::Primitive::kWord || m.primitive == xf::Primitive::kSword) {
          uint16_t v;
          if (!blob.ReadU16(v)) return false;
          values[i] = v;
        } else if (m.primitive == xf::Primitive::kChar || m.primitive == xf::Primitive::kUchar) {
          uint8_t v;
          if (!blob.ReadU8(v)) return false;
          values[i] = v;
        } else if (!blob.Skip(xf::PrimitiveSize(m.primitive))) {
          return false;
        }
      }
    }
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xf::Reader reader;
  if (reader.OpenMemory(data, size)) {
    xf::Reader built_in;
    Walker walker{reader, built_in};
    while (const xf::DataObject* o = reader.NextDataObject()) walker.Object(*o, 0);
  } else if (reader.Error().empty()) {
    std::abort();  // every failure says why
  }
  xf::Reader registry;
  registry.RegisterTemplates(data, size);
  return 0;
}
