// The byte form of the engine's file primitives that profiles and control configurations are made of:
// 4-byte little-endian integers and text lines ending in CR LF. Files are built and read whole in
// memory, so a save can replace the old file in one step and a damaged file is refused before anything
// is taken from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

void AppendInteger(std::vector<uint8_t>& out, int32_t value);
// The text's bytes and CR LF.
void AppendTextLine(std::vector<uint8_t>& out, std::string_view text);

// Reads values in order; each read fails, without moving on, where the bytes do not hold a whole value.
class FileBytesReader {
 public:
  FileBytesReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ReadInteger(int32_t& value);
  // A line as the engine reads one: the characters up to the first control byte other than tab, which
  // ends it; after a CR the next byte (the LF) is dropped too. Fails when the bytes end before a line
  // end or the line holds more than `maxLength` characters.
  bool ReadTextLine(std::string& text, size_t maxLength);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};
