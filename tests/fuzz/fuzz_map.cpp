// Maps are downloaded with levels: any bytes must be read or refused. A map that was read is written
// and read again, and the second read must hold exactly what the first did.
#include <linux/magic.h>
#include <stdlib.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/play/map_file.h"

namespace {

// Where the fuzzer's folder goes: in memory (/dev/shm) where there is such a file system, else the
// temporary folder. Every map written is saved durably, and the flushes to a disk would make up
// nearly all the time of a round trip; in memory they cost nothing, and the save path is the real
// one all the same.
std::filesystem::path MemoryBackedParent() {
  struct statfs info;
  if (statfs("/dev/shm", &info) == 0 && info.f_type == TMPFS_MAGIC && access("/dev/shm", W_OK) == 0)
    return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// A folder of the fuzzer's own, removed when it exits (the name outlives every static, so the exit
// handler can still read it).
const std::string& Folder() {
  static const std::string* folder = [] {
    auto* path = new std::string((MemoryBackedParent() / "qel-fuzz-map-XXXXXX").string());
    if (!mkdtemp(path->data())) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return path;
  }();
  return *folder;
}

bool SameBits(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

bool SameStored(const MapTables& a, const MapTables& b) {
  const MapHeader &x = a.header, &y = b.header;
  if (x.recordCount != y.recordCount || x.planningTime != y.planningTime || x.gameTime != y.gameTime ||
      x.visId != y.visId || x.parTime != y.parTime || !SameBits(&x.gravity, &y.gravity, 4))
    return false;
  for (auto field : {&MapHeader::texture, &MapHeader::mapName, &MapHeader::nextMap, &MapHeader::fileName,
                     &MapHeader::comment, &MapHeader::music})
    if (std::strcmp(x.*field, y.*field) != 0) return false;
  for (int32_t i = 0; i < x.recordCount; ++i) {
    const MapRecord &r = a.records[i], &s = b.records[i];
    // shape through p5: the stored values, in one run of 4-byte fields.
    if (!SameBits(&r.shape, &s.shape, offsetof(MapRecord, p5) + sizeof r.p5) || std::strcmp(r.text, s.text) != 0)
      return false;
  }
  for (int32_t p = 0; p < kWaypointPathCount; ++p) {
    const WaypointPath &u = a.paths[p], &v = b.paths[p];
    if (u.colour != v.colour || u.pointCount != v.pointCount ||
        !SameBits(u.points, v.points, sizeof(WaypointPoint) * kWaypointPointsUsed))
      return false;
  }
  return true;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two maps for the whole run: a map is large, and a fresh one per input would cost more than the
  // round trip.
  static MapTables& first = *new MapTables;
  static MapTables& second = *new MapTables;
  const std::string input = Folder() + "/input.qel", again = Folder() + "/again.qel";
  WriteInput(input, data, size);
  ResetMapTables(first);
  if (!ReadMapFile(input.c_str(), first)) return 0;
  std::remove(again.c_str());
  if (!WriteMapFile(again.c_str(), first)) __builtin_trap();
  ResetMapTables(second);
  MapFileError error = MapFileError::kNone;
  if (!ReadMapFile(again.c_str(), second, &error) || !SameStored(first, second)) __builtin_trap();
  return 0;
}
