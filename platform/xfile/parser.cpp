// Template declarations and data objects, over either encoding's scanner. Every member value is read
// as its template says; array lengths come from earlier members and are checked against the bytes
// left before anything is read, so no count in a file can make the reader allocate more than the
// file could fill.
#include <strings.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/xfile/document.h"
#include "platform/xfile/mszip.h"
#include "platform/xfile/scanner.h"

namespace platform::xfile {
namespace {

// Templates inside templates: deeper than this only happens when a template contains itself.
constexpr int kMaxTemplateNesting = 32;

bool IsPunct(const Token& t, char c) { return t.kind == Token::kPunct && t.punct == c; }
bool IsWord(const Token& t, std::string_view word) {
  return t.kind == Token::kName && t.text.size() == word.size() && strncasecmp(t.text.data(), word.data(), word.size()) == 0;
}

bool IsIntegral(Primitive p) {
  return p == Primitive::kWord || p == Primitive::kDword || p == Primitive::kChar || p == Primitive::kUchar ||
         p == Primitive::kSword || p == Primitive::kSdword;
}

bool ParseCount(std::string_view text, uint32_t& out) {
  if (text.empty() || text.size() > 9) return false;
  out = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + uint32_t(c - '0');
  }
  return true;
}

class Parser {
 public:
  Parser(Scanner& scanner, Document& doc) : s_(scanner), doc_(doc) {}

  bool ParseBody() {
    for (;;) {
      const Token& t = s_.Peek();
      if (t.kind == Token::kEnd) return true;
      if (IsPunct(t, ',') || IsPunct(t, ';')) {
        s_.Advance();
      } else if (IsWord(t, "template")) {
        s_.Advance();
        if (!ParseTemplate()) return false;
      } else if (t.kind == Token::kName) {
        if (!ParseObject(nullptr, 1)) return false;
      } else {
        return Fail("expected a template or a data object");
      }
    }
  }

  const std::string& error() const { return error_; }

 private:
  bool Fail(const char* what) {
    if (error_.empty()) error_ = !s_.error().empty() ? s_.error() : std::string(what) + " at " + s_.Where();
    return false;
  }

  bool Expect(char c) {
    if (!IsPunct(s_.Peek(), c)) return Fail(c == '{' ? "expected '{'" : c == '}' ? "expected '}'" : "expected ']'");
    s_.Advance();
    return true;
  }

  bool ExpectName(std::string& out) {
    if (s_.Peek().kind != Token::kName) return Fail("expected a name");
    out.assign(s_.Peek().text);
    s_.Advance();
    return true;
  }

  bool TakeGuid(Guid& out) {
    if (s_.Peek().kind != Token::kGuid) return false;
    out = s_.Peek().guid;
    s_.Advance();
    return true;
  }

  // An object's name. Words up to the brace join with single spaces: a converter of ours writes
  // unnamed objects as "Frame Default name {", which reads as the one name it means.
  void TakeObjectName(std::string& out) {
    while (s_.Peek().kind == Token::kName) {
      if (!out.empty()) out += ' ';
      out += s_.Peek().text;
      s_.Advance();
    }
  }

  // template NAME { [<guid>] members [restriction] }
  bool ParseTemplate() {
    Template t;
    std::unordered_map<std::string, int> count_members;
    if (!ExpectName(t.name) || !Expect('{')) return false;
    t.has_guid = TakeGuid(t.guid);
    for (;;) {
      const Token& tok = s_.Peek();
      if (IsPunct(tok, '}')) {
        s_.Advance();
        break;
      }
      if (IsPunct(tok, ';')) {
        s_.Advance();
      } else if (IsPunct(tok, '[')) {
        s_.Advance();
        if (!ParseRestriction(t)) return false;
      } else if (tok.kind == Token::kName) {
        if (!ParseMember(t, count_members)) return false;
      } else {
        return Fail("expected a template member");
      }
    }
    doc_.templates.Add(std::move(t));
    sub_templates_.clear();  // a name may now lead elsewhere, and a replaced template's members are new
    return true;
  }

  // [array] TYPE [name] {[count or member]} ;  `count_members`: earlier members an array may be sized by.
  bool ParseMember(Template& t, std::unordered_map<std::string, int>& count_members) {
    TemplateMember m;
    if (IsWord(s_.Peek(), "array")) {
      m.is_array = true;
      s_.Advance();
    }
    if (!ExpectName(m.type_name)) return false;
    m.primitive = PrimitiveFromName(m.type_name);
    if (s_.Peek().kind == Token::kName) ExpectName(m.name);
    while (IsPunct(s_.Peek(), '[')) {
      s_.Advance();
      Dimension d;
      const Token& tok = s_.Peek();
      if (tok.kind == Token::kInteger) {
        d.count = tok.integer;
      } else if (tok.kind != Token::kName) {
        return Fail("expected an array size");
      } else if (!ParseCount(tok.text, d.count)) {
        auto it = count_members.find(std::string(tok.text));
        if (it == count_members.end()) return Fail("array size names no earlier integer member");
        d.member = it->second;
      }
      s_.Advance();
      if (!Expect(']')) return false;
      m.dimensions.push_back(d);
      m.is_array = true;
    }
    if (IsPunct(s_.Peek(), ';')) s_.Advance();
    if (!m.is_array && IsIntegral(m.primitive)) count_members[m.name] = int(t.members.size());
    t.members.push_back(std::move(m));
    return true;
  }

  // After '[': "...", or template names each with an optional GUID, up to ']'.
  bool ParseRestriction(Template& t) {
    if (IsPunct(s_.Peek(), '.') || IsWord(s_.Peek(), "...")) {
      while (IsPunct(s_.Peek(), '.') || IsWord(s_.Peek(), "...")) s_.Advance();
      t.restriction = Restriction::kOpen;
      return Expect(']');
    }
    t.restriction = Restriction::kRestricted;
    for (;;) {
      if (IsPunct(s_.Peek(), ']')) {
        s_.Advance();
        return true;
      }
      if (IsPunct(s_.Peek(), ',')) {
        s_.Advance();
        continue;
      }
      TemplateRef ref;
      if (!ExpectName(ref.name)) return false;
      ref.has_guid = TakeGuid(ref.guid);
      t.allowed.push_back(std::move(ref));
    }
  }

  // TYPE [name] [<guid>] { members children }
  bool ParseObject(DataObject* parent, int depth) {
    if (depth > kMaxNesting) return Fail("data objects nested too deep");
    if (doc_.objects.size() >= kMaxObjects) return Fail("more data objects than a model holds");
    std::string type_name, name;
    ExpectName(type_name);
    TakeObjectName(name);
    Guid id;
    bool has_id = TakeGuid(id);
    if (!Expect('{')) return false;
    const Template* t = doc_.templates.Find(type_name);
    if (!t) return SkipObjectBody();

    DataObject& object = DocumentAccess::NewObject(doc_);
    DocumentAccess::SetHeader(object, *t, std::move(name), has_id ? &id : nullptr);
    if (parent)
      DocumentAccess::Children(*parent).push_back(DocumentAccess::InlineChild(object));
    else
      doc_.top_level.push_back(&object);
    const size_t blob_start = doc_.blobs.Size();
    if (!ParseMembers(*t, 0)) return false;
    DocumentAccess::SetBlob(object, blob_start, doc_.blobs.Size() - blob_start);

    for (;;) {
      const Token& tok = s_.Peek();
      if (IsPunct(tok, '}')) {
        s_.Advance();
        return true;
      }
      if (IsPunct(tok, ',') || IsPunct(tok, ';')) {
        s_.Advance();
      } else if (IsPunct(tok, '{')) {
        s_.Advance();
        if (!ParseReference(object)) return false;
      } else if (tok.kind == Token::kName) {
        if (!ParseObject(&object, depth + 1)) return false;
      } else {
        return Fail(tok.kind == Token::kEnd ? "file ends inside a data object" : "expected a child object or '}'");
      }
    }
  }

  // After '{': name, <guid> or both, then '}'.
  bool ParseReference(DataObject& parent) {
    std::string name;
    TakeObjectName(name);
    Guid id;
    bool has_id = TakeGuid(id);
    if (name.empty() && !has_id) return Fail("empty reference");
    if (!Expect('}')) return false;
    DocumentAccess::Children(parent).push_back(DocumentAccess::Reference(std::move(name), has_id ? &id : nullptr));
    return true;
  }

  // An object of a template nobody declared: passed over by its braces.
  bool SkipObjectBody() {
    int level = 1;
    for (;;) {
      const Token& tok = s_.Peek();
      if (tok.kind == Token::kEnd || tok.kind == Token::kError) return Fail("file ends inside a data object");
      if (IsPunct(tok, '{')) ++level;
      if (IsPunct(tok, '}')) --level;
      s_.Advance();
      if (level == 0) return true;
    }
  }

  bool ParseMembers(const Template& t, int depth) {
    if (depth > kMaxTemplateNesting) return Fail("template contains itself");
    // The integer values of this call's members, which size later arrays. They sit on a stack the
    // nested calls share (one call per element of a template array), so an element allocates nothing.
    const size_t values = values_top_;
    struct PopValues {
      size_t& top;
      size_t below;
      ~PopValues() { top = below; }
    } pop{values_top_, values};
    values_top_ += t.members.size();
    if (values_.size() < values_top_) values_.resize(values_top_);
    for (size_t i = values; i < values_top_; ++i) values_[i] = 0;
    for (size_t i = 0; i < t.members.size(); ++i) {
      const TemplateMember& m = t.members[i];
      uint64_t count = 1;
      for (const Dimension& d : m.dimensions) {
        count *= d.member >= 0 ? values_[values + size_t(d.member)] : d.count;
        // Every value takes at least one byte of the file.
        if (count > s_.Remaining()) return Fail("array larger than the data left");
      }
      if (m.primitive == Primitive::kTemplate) {
        const Template* sub = SubTemplate(m);
        if (!sub) return Fail("member of an undeclared template");
        // Elements of nothing but floats (vectors, texture coordinates) are one run of floats.
        if (const uint64_t floats = FlatFloatCount(*sub)) {
          if (!ReadFloatRun(count, floats)) return false;
          continue;
        }
        for (uint64_t k = 0; k < count; ++k) {
          size_t before = s_.Remaining();
          if (!ParseMembers(*sub, depth + 1)) return false;
          // An element that read nothing is empty, and so is every one after it.
          if (s_.Remaining() == before) break;
        }
      } else if (m.is_array && m.primitive == Primitive::kFloat) {
        if (!ReadFloatRun(count, 1)) return false;
      } else if (m.is_array && (m.primitive == Primitive::kDword || m.primitive == Primitive::kSdword)) {
        if (!s_.ReadIntegers(doc_.blobs.Extend(count * 4), count)) return Fail("expected a number");
      } else {
        const size_t size = PrimitiveSize(m.primitive);
        for (uint64_t k = 0; k < count; ++k)
          if (!ReadPrimitive(m.primitive, size, values_[values + i])) return false;
      }
    }
    return true;
  }

  // The template a member names, looked up by name once per member: arrays of templates whose
  // elements hold templates (animation keys) ask for it once per element.
  const Template* SubTemplate(const TemplateMember& m) {
    auto [it, added] = sub_templates_.try_emplace(&m, nullptr);
    if (added) it->second = doc_.templates.Find(m.type_name);
    return it->second;
  }

  // Floats per element of a template whose members are all FLOATs of fixed counts; 0 for any other.
  static uint64_t FlatFloatCount(const Template& t) {
    uint64_t floats = 0;
    for (const TemplateMember& m : t.members) {
      if (m.primitive != Primitive::kFloat) return 0;
      uint64_t n = 1;
      for (const Dimension& d : m.dimensions) {
        if (d.member >= 0) return 0;
        n *= d.count;
        if (n > UINT32_MAX) return 0;  // far past any file: read element by element, which refuses it
      }
      if (n == 0) return 0;  // an element could then read nothing, which ends the array early
      floats += n;
      if (floats > UINT32_MAX) return 0;
    }
    return floats;
  }

  // `count` elements of `floats` FLOAT values each appended to the blob, as ReadPrimitive appends
  // each value.
  bool ReadFloatRun(uint64_t count, uint64_t floats) {
    // Every value takes at least one byte of the file.
    if (count > s_.Remaining() / floats) return Fail("array larger than the data left");
    if (!s_.ReadFloats(doc_.blobs.Extend(count * floats * 4), count * floats)) return Fail("expected a number");
    return true;
  }

  // Appends one value of `p`, which takes `size` bytes, to the blob.
  bool ReadPrimitive(Primitive p, size_t size, uint32_t& integer) {
    switch (p) {
      case Primitive::kFloat:
      case Primitive::kDouble: {
        double v;
        if (!s_.ReadFloat(v)) return Fail("expected a number");
        if (p == Primitive::kDouble) {
          uint64_t bits;
          std::memcpy(&bits, &v, 8);
          doc_.blobs.AppendLittleEndian(bits, 8);
        } else {
          float f = NarrowToFloat(v);
          uint32_t bits;
          std::memcpy(&bits, &f, 4);
          doc_.blobs.AppendLittleEndian(bits, 4);
        }
        return true;
      }
      case Primitive::kString: {
        std::string text;
        if (!s_.ReadString(text)) return Fail("expected a string");
        doc_.blobs.AppendLittleEndian(doc_.AddString(text), 4);
        return true;
      }
      case Primitive::kUnsupported: return Fail("member type the reader does not support");
      default:
        if (!s_.ReadInteger(integer)) return Fail("expected a number");
        doc_.blobs.AppendLittleEndian(integer, size);
        return true;
    }
  }

  Scanner& s_;
  Document& doc_;
  std::vector<uint32_t> values_;
  size_t values_top_ = 0;
  std::unordered_map<const TemplateMember*, const Template*> sub_templates_;
  std::string error_;
};

}  // namespace

bool ParseImage(const uint8_t* data, size_t size, Document& doc, std::string& error) {
  if (size < 16 || std::memcmp(data, "xof ", 4) != 0) {
    error = "not an X file";
    return false;
  }
  std::string_view format(reinterpret_cast<const char*>(data) + 8, 4);
  std::string_view float_size(reinterpret_cast<const char*>(data) + 12, 4);
  bool text = format == "txt " || format == "tzip";
  bool compressed = format == "tzip" || format == "bzip";
  if (!text && format != "bin " && format != "bzip") {
    error = "unknown X file format \"" + std::string(format) + "\"";
    return false;
  }
  if (float_size != "0032" && float_size != "0064") {
    error = "unknown float size \"" + std::string(float_size) + "\"";
    return false;
  }
  const uint8_t* body = data + 16;
  size_t body_size = size - 16;
  std::vector<uint8_t> inflated;
  if (compressed) {
    if (!InflateCompressedBody(body, body_size, inflated, error)) return false;
    body = inflated.data();
    body_size = inflated.size();
  }
  std::unique_ptr<Scanner> scanner =
      text ? MakeTextScanner(body, body_size) : MakeBinaryScanner(body, body_size, float_size == "0064");
  Parser parser(*scanner, doc);
  if (!parser.ParseBody()) {
    error = parser.error();
    return false;
  }
  return true;
}

}  // namespace platform::xfile
