#include "game/shell/profile_bytes.h"

void AppendInteger(std::vector<uint8_t>& out, int32_t value) {
  const uint32_t word = uint32_t(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(word >> shift));
}

void AppendTextLine(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back('\r');
  out.push_back('\n');
}

bool FileBytesReader::ReadInteger(int32_t& value) {
  if (size_ - position_ < 4) return false;
  const uint8_t* b = data_ + position_;
  value = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  position_ += 4;
  return true;
}

bool FileBytesReader::ReadTextLine(std::string& text, size_t maxLength) {
  size_t end = position_;
  while (end < size_ && (data_[end] >= 32 || data_[end] == '\t')) ++end;
  if (end == size_ || end - position_ > maxLength) return false;
  text.assign(reinterpret_cast<const char*>(data_ + position_), end - position_);
  position_ = end + 1;
  if (data_[end] == '\r' && position_ < size_) ++position_;
  return true;
}
