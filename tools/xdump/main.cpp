// xdump: prints the object tree of an X file as the reader sees it, for checking files by hand.
//   xdump [-v] FILE    -v also prints every object's members (long arrays cut short)
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/xfile/blob_reader.h"
#include "platform/xfile/reader.h"

namespace xf = platform::xfile;

namespace {

constexpr uint64_t kShownElements = 6;

struct Dumper {
  const xf::Reader& reader;
  bool verbose;
  std::map<std::string, int> counts;
  int references = 0;
  int unresolved = 0;

  void Object(const xf::DataObject& o, int depth) {
    ++counts[o.TemplateName()];
    std::printf("%*s%s %s", depth * 2, "", o.TemplateName().c_str(), o.Name().c_str());
    if (o.HasId()) std::printf(" <%s>", xf::FormatGuid(o.Id()).c_str());
    std::printf("  [%u bytes]\n", o.Size());
    if (verbose) {
      xf::BlobReader blob(o);
      if (const xf::Template* t = reader.FindTemplate(o.TemplateName())) Members(*t, blob, depth + 1, 0, true);
    }
    for (const xf::Child& c : o.Children()) {
      if (!c.IsReference()) {
        Object(*c.Object(), depth + 1);
        continue;
      }
      ++references;
      std::printf("%*s{%s", (depth + 1) * 2, "", c.ReferenceName().c_str());
      if (c.HasReferenceId()) std::printf(" <%s>", xf::FormatGuid(c.ReferenceId()).c_str());
      if (const xf::DataObject* target = c.Resolve()) {
        std::printf("} -> %s %s\n", target->TemplateName().c_str(), target->Name().c_str());
      } else {
        ++unresolved;
        std::printf("} unresolved\n");
      }
    }
  }

  // Prints members in blob order (when `print`); false once the blob runs out.
  bool Members(const xf::Template& t, xf::BlobReader& blob, int depth, int nesting, bool print) {
    if (nesting > 32) return false;
    std::map<size_t, uint32_t> scalars;
    for (size_t i = 0; i < t.members.size(); ++i) {
      const xf::TemplateMember& m = t.members[i];
      uint64_t count = 1;
      for (const xf::Dimension& d : m.dimensions) count *= d.member >= 0 ? scalars[size_t(d.member)] : d.count;
      const xf::Template* sub = m.primitive == xf::Primitive::kTemplate ? reader.FindTemplate(m.type_name) : nullptr;
      if (m.primitive == xf::Primitive::kTemplate && !sub) return false;
      if (print) {
        std::printf("%*s%s %s", depth * 2, "", m.type_name.c_str(), m.name.c_str());
        if (m.is_array) std::printf("[%llu]", static_cast<unsigned long long>(count));
        std::printf(sub ? "\n" : " =");
      }
      for (uint64_t k = 0; k < count; ++k) {
        bool shown = print && k < kShownElements;
        if (sub) {
          if (shown) std::printf("%*s#%llu\n", (depth + 1) * 2, "", static_cast<unsigned long long>(k));
          if (!Members(*sub, blob, depth + 2, nesting + 1, shown)) return false;
        } else if (!Value(m.primitive, blob, shown, scalars[i])) {
          return false;
        }
      }
      if (print && !sub) std::printf("%s\n", count > kShownElements ? " ..." : "");
    }
    return true;
  }

  static bool Value(xf::Primitive p, xf::BlobReader& blob, bool print, uint32_t& integer) {
    uint8_t u8;
    uint16_t u16;
    float f;
    const char* text;
    switch (p) {
      case xf::Primitive::kFloat:
        if (!blob.ReadFloat(f)) return false;
        if (print) std::printf(" %g", double(f));
        return true;
      case xf::Primitive::kString:
        if (!blob.ReadString(text)) return false;
        if (print) std::printf(" \"%s\"", text ? text : "");
        return true;
      case xf::Primitive::kDouble:
        if (print) std::printf(" (double)");
        return blob.Skip(8);
      case xf::Primitive::kWord:
      case xf::Primitive::kSword:
        if (!blob.ReadU16(u16)) return false;
        integer = u16;
        break;
      case xf::Primitive::kChar:
      case xf::Primitive::kUchar:
        if (!blob.ReadU8(u8)) return false;
        integer = u8;
        break;
      default:
        if (!blob.ReadU32(integer)) return false;
    }
    if (print) std::printf(" %u", integer);
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
  if (argc != 2 + int(verbose)) {
    std::fprintf(stderr, "usage: xdump [-v] FILE\n");
    return 2;
  }
  xf::Reader reader;
  if (!reader.Open(argv[1 + int(verbose)])) {
    std::fprintf(stderr, "xdump: %s\n", reader.Error().c_str());
    return 1;
  }
  Dumper dumper{reader, verbose, {}, 0, 0};
  while (const xf::DataObject* o = reader.NextDataObject()) dumper.Object(*o, 0);
  std::printf("--\n");
  for (const auto& [name, count] : dumper.counts) std::printf("%-26s %d\n", name.c_str(), count);
  std::printf("%-26s %d (%d unresolved)\n", "references", dumper.references, dumper.unresolved);
  return 0;
}
