// What the process has read and the most memory it has held, from /proc/self: tests bound what a
// refused or streamed huge file costs by bytes and memory, never by time.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace process_usage {

// The number after "key" in a /proc/self file of "key value" lines; 0 when absent.
inline uint64_t Field(const char* file, const char* key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stoull(line.substr(std::strlen(key)));
  return 0;
}

// Bytes read by read(2)-like calls of every thread so far.
inline uint64_t BytesRead() { return Field("/proc/self/io", "rchar:"); }
// The peak resident memory so far.
inline uint64_t PeakResidentBytes() { return Field("/proc/self/status", "VmHWM:") * 1024; }

// A sparse file of `size` bytes starting with `head`: it costs no disk, but whoever reads it whole
// reads (and holds) every byte.
inline bool WriteSparseFile(const char* path, const std::string& head, uint64_t size) {
  std::ofstream(path, std::ios::binary).write(head.data(), std::streamsize(head.size()));
  return truncate(path, off_t(size)) == 0;
}

constexpr uint64_t kHugeFile = uint64_t(2) << 30;

}  // namespace process_usage
