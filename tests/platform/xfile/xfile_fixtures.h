// Helpers for the X reader tests: writing binary and compressed X images, and describing what a
// reader exposes so encodings can be compared and counted.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xfile/blob_reader.h"
#include "platform/xfile/reader.h"

namespace xfile_test {

namespace xf = platform::xfile;

inline std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// A text image of the given body.
inline std::string Text(std::string_view body) { return "xof 0303txt 0032\n" + std::string(body); }

inline bool OpenText(xf::Reader& reader, std::string_view text) { return reader.OpenMemory(text.data(), text.size()); }

// Token codes of the binary encoding.
enum : uint16_t {
  kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7, kOpenBrace = 10,
  kCloseBrace = 11, kOpenBracket = 14, kCloseBracket = 15, kDot = 18, kComma = 19, kSemicolon = 20,
  kTemplate = 31, kWord = 40, kDword = 41, kFloat = 42, kLpstr = 49, kArray = 52,
};

// Writes a binary X image token by token.
class BinaryWriter {
 public:
  explicit BinaryWriter(bool double_floats = false) : double_floats_(double_floats) {
    Raw(double_floats ? "xof 0303bin 0064" : "xof 0303bin 0032");
  }
  BinaryWriter& Token(uint16_t code) { return U16(code); }
  BinaryWriter& Name(std::string_view s) { return U16(kName).U32(uint32_t(s.size())).Raw(s); }
  BinaryWriter& String(std::string_view s) { return U16(kString).U32(uint32_t(s.size())).Raw(s).U16(kSemicolon); }
  BinaryWriter& Integer(uint32_t v) { return U16(kInteger).U32(v); }
  BinaryWriter& Guid(const xf::Guid& g) {
    U16(kGuid);
    bytes_.resize(bytes_.size() + 16);
    std::memcpy(bytes_.data() + bytes_.size() - 16, &g, 16);
    return *this;
  }
  BinaryWriter& Integers(std::initializer_list<uint32_t> values) {
    U16(kIntegerList).U32(uint32_t(values.size()));
    for (uint32_t v : values) U32(v);
    return *this;
  }
  BinaryWriter& Floats(std::initializer_list<double> values) {
    U16(kFloatList).U32(uint32_t(values.size()));
    for (double v : values) {
      if (double_floats_) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        U32(uint32_t(bits)).U32(uint32_t(bits >> 32));
      } else {
        float f = float(v);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
      }
    }
    return *this;
  }
  BinaryWriter& Open(std::string_view type, std::string_view name = {}) {
    Name(type);
    if (!name.empty()) Name(name);
    return Token(kOpenBrace);
  }
  BinaryWriter& Close() { return Token(kCloseBrace); }
  BinaryWriter& Reference(std::string_view name) { return Token(kOpenBrace).Name(name).Token(kCloseBrace); }

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  BinaryWriter& U16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
    return *this;
  }
  BinaryWriter& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  BinaryWriter& Raw(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }

  bool double_floats_;
  std::vector<uint8_t> bytes_;
};

// The compressed form of an uncompressed image ("txt " becomes "tzip", "bin " "bzip"), in blocks of
// `block_size` bytes, each a raw deflate stream that may refer into the block before it.
inline std::vector<uint8_t> Compress(const std::vector<uint8_t>& image, size_t block_size) {
  std::vector<uint8_t> out(image.begin(), image.begin() + 16);
  std::memcpy(out.data() + 8, std::memcmp(image.data() + 8, "txt ", 4) == 0 ? "tzip" : "bzip", 4);
  uint32_t total = uint32_t(image.size());
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(total >> (8 * i)));
  for (size_t start = 16; start < image.size(); start += block_size) {
    size_t n = std::min(block_size, image.size() - start);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    size_t window = std::min<size_t>(start - 16, 32768);
    if (window) deflateSetDictionary(&z, image.data() + start - window, uInt(window));
    std::vector<uint8_t> packed(deflateBound(&z, uLong(n)) + 16);
    z.next_in = const_cast<Bytef*>(image.data() + start);
    z.avail_in = uInt(n);
    z.next_out = packed.data();
    z.avail_out = uInt(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    uint16_t header[2] = {uint16_t(n), uint16_t(packed.size() + 2)};
    for (uint16_t v : header) {
      out.push_back(uint8_t(v));
      out.push_back(uint8_t(v >> 8));
    }
    out.push_back('C');
    out.push_back('K');
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

// Visits every object written in the file once (references are not followed).
inline void ForEachObject(const xf::Reader& reader, const std::function<void(const xf::DataObject&)>& visit) {
  std::function<void(const xf::DataObject&)> walk = [&](const xf::DataObject& o) {
    visit(o);
    for (const xf::Child& c : o.Children())
      if (c.Object()) walk(*c.Object());
  };
  for (const xf::DataObject* o : reader.DataObjects()) walk(*o);
}

// One object as a walk meets it: references show as "{name} -> template name".
struct ObjectView {
  int depth;
  std::string line;
  std::vector<uint8_t> blob;
};

// Everything the reader exposes, in walk order.
inline std::vector<ObjectView> Flatten(const xf::Reader& reader) {
  std::vector<ObjectView> out;
  std::function<void(const xf::DataObject&, int)> walk = [&](const xf::DataObject& o, int depth) {
    out.push_back({depth, xf::FormatGuid(o.Type()) + " " + o.TemplateName() + " " + o.Name(),
                   std::vector<uint8_t>(o.Data(), o.Data() + o.Size())});
    for (const xf::Child& c : o.Children()) {
      if (c.Object()) {
        walk(*c.Object(), depth + 1);
      } else {
        const xf::DataObject* target = c.Resolve();
        out.push_back({depth + 1, "{" + c.ReferenceName() + "} -> " +
                                      (target ? target->TemplateName() + " " + target->Name() : "none"), {}});
      }
    }
  };
  for (const xf::DataObject* o : reader.DataObjects()) walk(*o, 0);
  return out;
}

// Same objects in the same places with the same blobs, where blob words may differ as floats by the
// rounding of a float printed in text.
inline ::testing::AssertionResult SameTree(const std::vector<ObjectView>& a, const std::vector<ObjectView>& b) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << a.size() << " objects against " << b.size();
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].depth != b[i].depth || a[i].line != b[i].line || a[i].blob.size() != b[i].blob.size())
      return ::testing::AssertionFailure() << "object " << i << ": " << a[i].line << " against " << b[i].line;
    for (size_t k = 0; k + 4 <= a[i].blob.size(); k += 4) {
      uint32_t wa, wb;
      float fa, fb;
      std::memcpy(&wa, &a[i].blob[k], 4);
      std::memcpy(&wb, &b[i].blob[k], 4);
      std::memcpy(&fa, &wa, 4);
      std::memcpy(&fb, &wb, 4);
      if (wa != wb && !(std::abs(fa - fb) <= 1e-5f * std::max(1.0f, std::abs(fa))))
        return ::testing::AssertionFailure() << a[i].line << ": blob differs at byte " << k;
    }
  }
  return ::testing::AssertionSuccess();
}

// The blob read as consecutive u32 words (floats show their bits).
inline std::vector<uint32_t> Words(const xf::DataObject& o) {
  std::vector<uint32_t> words(o.Size() / 4);
  std::memcpy(words.data(), o.Data(), words.size() * 4);
  return words;
}

inline std::vector<float> Floats(const xf::DataObject& o) {
  std::vector<float> floats(o.Size() / 4);
  std::memcpy(floats.data(), o.Data(), floats.size() * 4);
  return floats;
}

}  // namespace xfile_test
