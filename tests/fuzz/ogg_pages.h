// Structure-aware mutation of Ogg streams for the music fuzz target. The decoder library checks a
// checksum on every page, so blindly changed bytes are mostly dropped before they reach the Vorbis
// decoder. These mutations work on whole pages (a page's body or header fields changed, pages
// dropped, repeated or swapped) and put the checksums right afterwards; the cross-over joins the
// pages of two inputs, which makes chained streams.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace ogg_pages {

// The mutator's code is left out of the coverage the fuzzer steers by.
#define OGG_MUTATOR __attribute__((no_sanitize("coverage")))

constexpr size_t kPageHeader = 27;  // up to the segment count

struct Page {
  size_t at, size;  // where the page starts in the input, and its header, segment table and body
};

// The pages found at the start of the bytes, one after the other; stops at the first thing that is
// not a whole page.
inline OGG_MUTATOR std::vector<Page> Pages(const uint8_t* data, size_t size) {
  std::vector<Page> pages;
  size_t at = 0;
  while (size - at >= kPageHeader && std::memcmp(data + at, "OggS", 4) == 0) {
    const size_t segments = data[at + 26];
    if (size - at < kPageHeader + segments) break;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += data[at + kPageHeader + i];
    const size_t total = kPageHeader + segments + body;
    if (size - at < total) break;
    pages.push_back({at, total});
    at += total;
  }
  return pages;
}

inline OGG_MUTATOR uint32_t PageChecksum(const uint8_t* page, size_t size) {
  static const auto table = [] {
    std::vector<uint32_t> t(256);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int b = 0; b < 8; ++b) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
      t[i] = r;
    }
    return t;
  }();
  uint32_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t byte = (i >= 22 && i < 26) ? 0 : page[i];  // the checksum field counts as zero
    crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
  }
  return crc;
}

inline OGG_MUTATOR void FixChecksums(uint8_t* data, size_t size) {
  for (const Page& p : Pages(data, size)) {
    const uint32_t crc = PageChecksum(data + p.at, p.size);
    for (int i = 0; i < 4; ++i) data[p.at + 22 + i] = uint8_t(crc >> (8 * i));
  }
}

// Changes one page: its body through the fuzzer's own mutations (same length, so the segment table
// still holds), or a header field the reader acts on.
inline OGG_MUTATOR void MutatePage(uint8_t* page, size_t size, std::minstd_rand& random) {
  const size_t bodyAt = kPageHeader + page[26];
  switch (random() % 4) {
    case 0:
    case 1:
      if (size > bodyAt) {
        std::vector<uint8_t> body(page + bodyAt, page + size);
        const size_t n = LLVMFuzzerMutate(body.data(), body.size(), body.size());
        std::copy_n(body.data(), n, page + bodyAt);
      }
      break;
    case 2:  // header type: continued packet, first and last page flags
      page[5] ^= uint8_t(1u << (random() % 3));
      break;
    case 3: {  // granule position, serial number or page sequence number
      static constexpr size_t kFields[] = {6, 14, 18};
      const size_t field = kFields[random() % std::size(kFields)];
      const size_t width = field == 6 ? 8 : 4;
      page[field + random() % width] = uint8_t(random());
      break;
    }
  }
}

// One change to an input: mostly to one of its pages, now and then the fuzzer's own mutation of the
// whole input (the only one for bytes that hold no page).
inline OGG_MUTATOR size_t Mutate(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  std::minstd_rand random(seed);
  const std::vector<Page> pages = Pages(data, size);
  const unsigned choice = random() % 8;
  if (pages.empty() || choice == 0) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (random() % 4) FixChecksums(data, size);  // now and then a wrong checksum stays
    return size;
  }
  const Page& page = pages[random() % pages.size()];
  std::vector<uint8_t> bytes(data, data + size);
  if (choice <= 4) {
    MutatePage(bytes.data() + page.at, page.size, random);
  } else if (choice == 5) {  // drop a page
    bytes.erase(bytes.begin() + page.at, bytes.begin() + page.at + page.size);
  } else if (choice == 6) {  // repeat a page
    bytes.insert(bytes.begin() + page.at, data + page.at, data + page.at + page.size);
  } else {  // swap a page with the next
    const auto next = std::find_if(pages.begin(), pages.end(), [&](const Page& p) { return p.at > page.at; });
    if (next != pages.end())
      std::rotate(bytes.begin() + page.at, bytes.begin() + next->at, bytes.begin() + next->at + next->size);
  }
  if (bytes.size() > maxSize) return size;
  FixChecksums(bytes.data(), bytes.size());
  std::copy(bytes.begin(), bytes.end(), data);
  return bytes.size();
}

// The pages of the first input up to a point, then those of the second from a point: two streams one
// after the other (a chained stream), or one stream's pages spliced into another's.
inline OGG_MUTATOR size_t CrossOver(const uint8_t* data1, size_t size1, const uint8_t* data2, size_t size2,
                                    uint8_t* out, size_t maxOutSize, unsigned int seed) {
  std::minstd_rand random(seed);
  const std::vector<Page> first = Pages(data1, size1), second = Pages(data2, size2);
  // Whole inputs half of the time; otherwise cut at the start of a page.
  const size_t cut = first.empty() || random() % 2 ? size1 : first[random() % first.size()].at;
  const size_t from = second.empty() || random() % 2 ? 0 : second[random() % second.size()].at;
  const size_t n1 = std::min(cut, maxOutSize), n2 = std::min(size2 - from, maxOutSize - n1);
  std::memcpy(out, data1, n1);
  std::memcpy(out + n1, data2 + from, n2);
  FixChecksums(out, n1 + n2);
  return n1 + n2;
}

}  // namespace ogg_pages
