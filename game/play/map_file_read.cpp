// Reading a map file through file 1. The file has no magic number, no version and no sizes of its own,
// so the reader counts the bytes it takes against the file's size and refuses a file that ends early,
// runs on past its paths, or holds counts and codes no map can have; the map in memory changes only
// once the whole file has read well.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/core_alloc.h"
#include "engine/file/file_module.h"
#include "game/play/map_file.h"
#include "platform/fs/files.h"

namespace {

constexpr int32_t kFile = 1;
constexpr int64_t kHeaderBytes = 24;
constexpr int64_t kRecordValueBytes = 60;
constexpr int64_t kMinLineEndBytes = 1;
constexpr int64_t kPathBytes = 8 + kWaypointPointsUsed * 12;

class MapFileReader {
 public:
  explicit MapFileReader(int64_t size) : size_(size) {}

  bool Integer(int32_t& value) {
    if (!Take(4, MapFileError::kTruncated)) return false;
    value = ReadInteger(kFile);
    return true;
  }
  bool Float(float& value) {
    if (!Take(4, MapFileError::kTruncated)) return false;
    value = ReadFloat(kFile);
    return std::isfinite(value) || Fail(MapFileError::kNotANumber);
  }
  // A string into a field of `size` characters with its terminator. The characters run up to the
  // first control character other than tab; a CR takes the byte after it along (the LF of CR LF,
  // whatever it is), any other control character (a lone LF among them) ends the string alone. The
  // file position tells how many bytes that was.
  bool String(char* field, size_t size) {
    if (!Holds(kMinLineEndBytes)) return false;
    const int64_t start = FilePosition(kFile);
    char* line = ReadTextLine(kFile);
    const std::string text = line ? line : "";
    if (line) CoreAllocFree(&line, 0);
    const int64_t end = FilePosition(kFile);
    if (start < 0 || end < start) return Fail(MapFileError::kTruncated);
    // A string that runs into the end of the file has no end of its own.
    if (!Take(end - start, MapFileError::kTruncated) || end - start == int64_t(text.size()))
      return Fail(MapFileError::kTruncated);
    if (text.size() >= size) return Fail(MapFileError::kStringTooLong);
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
  }
  // Whether what is left can hold `bytes`, without taking them.
  bool Holds(int64_t bytes) { return size_ - taken_ >= bytes || Fail(MapFileError::kTruncated); }
  bool AtEnd() { return taken_ == size_ || Fail(MapFileError::kTrailingBytes); }
  bool Fail(MapFileError error) {
    error_ = error;
    return false;
  }
  MapFileError error() const { return error_; }

 private:
  bool Take(int64_t bytes, MapFileError error) {
    if (size_ - taken_ < bytes) return Fail(error);
    taken_ += bytes;
    return true;
  }

  int64_t size_;
  int64_t taken_ = 0;
  MapFileError error_ = MapFileError::kNone;
};

bool ReadHeader(MapFileReader& in, MapHeader& h) {
  if (!(in.Integer(h.recordCount) && in.Integer(h.planningTime) && in.Integer(h.gameTime) &&
        in.Integer(h.visId) && in.Integer(h.parTime) && in.Float(h.gravity)))
    return false;
  if (h.recordCount < 0 || h.recordCount > kMapRecordCapacity) return in.Fail(MapFileError::kRecordCount);
  // The records, the six strings and the paths need at least this much, whatever the texts hold.
  return in.Holds(h.recordCount * (kRecordValueBytes + kMinLineEndBytes) + 6 * kMinLineEndBytes +
                  kWaypointPathCount * kPathBytes);
}

bool ReadRecord(MapFileReader& in, MapRecord& r) {
  if (!(in.Integer(r.shape) && in.Integer(r.blockObject) && in.Float(r.x) && in.Float(r.y) && in.Float(r.z) &&
        in.Float(r.rx) && in.Float(r.ry) && in.Float(r.rz) && in.Integer(r.entityType) &&
        in.Integer(r.entityObject) && in.Integer(r.p1) && in.Integer(r.p2) && in.Integer(r.p3) &&
        in.Integer(r.p4) && in.Float(r.p5)))
    return false;
  if (r.shape < SHAPE_BOX || r.shape > SHAPE_LAST) return in.Fail(MapFileError::kShape);
  if (r.entityType < E_NONE || r.entityType > E_LAST) return in.Fail(MapFileError::kEntityType);
  return in.String(r.text, sizeof r.text);
}

bool ReadStrings(MapFileReader& in, MapHeader& h) {
  return in.String(h.texture, sizeof h.texture) && in.String(h.mapName, sizeof h.mapName) &&
         in.String(h.nextMap, sizeof h.nextMap) && in.String(h.fileName, sizeof h.fileName) &&
         in.String(h.comment, sizeof h.comment) && in.String(h.music, sizeof h.music);
}

bool ReadPath(MapFileReader& in, WaypointPath& path) {
  int32_t colour;
  if (!in.Integer(colour) || !in.Integer(path.pointCount)) return false;
  path.colour = uint32_t(colour);
  if (path.pointCount < 0 || path.pointCount > kWaypointPointsUsed) return in.Fail(MapFileError::kPointCount);
  for (int32_t i = 0; i < kWaypointPointsUsed; ++i) {
    WaypointPoint& p = path.points[i];
    if (!in.Float(p.x) || !in.Float(p.y) || !in.Float(p.z)) return false;
  }
  return true;
}

// What a file holds, read in full before any of it reaches the map: the header, the records the file
// counts and the paths. It starts as a copy of those parts of the map, so fields a file does not hold
// keep their values. Sized by the file's record count rather than the whole table, so a refused file
// costs little.
struct Staging {
  MapHeader header;
  std::vector<MapRecord> records;
  WaypointPath paths[kWaypointPathCount];

  explicit Staging(const MapTables& map) : header(map.header) { std::copy_n(map.paths, kWaypointPathCount, paths); }
  void MoveTo(MapTables& map) const {
    map.header = header;
    std::copy(records.begin(), records.end(), map.records);
    std::copy_n(paths, kWaypointPathCount, map.paths);
  }
};

bool ReadMap(MapFileReader& in, const MapTables& map, Staging& staging) {
  if (!in.Holds(kHeaderBytes) || !ReadHeader(in, staging.header)) return false;
  // The count is within the table and the file is long enough for it (ReadHeader).
  staging.records.assign(map.records, map.records + staging.header.recordCount);
  for (MapRecord& record : staging.records) {
    if (!ReadRecord(in, record)) return false;
  }
  if (!ReadStrings(in, staging.header)) return false;
  for (WaypointPath& path : staging.paths) {
    if (!ReadPath(in, path)) return false;
  }
  return in.AtEnd();
}

}  // namespace

bool ReadMapFile(const char* path, MapTables& map, MapFileError* error) {
  MapFileError ignored;
  MapFileError& result = error ? *error : ignored;
  const int64_t size = path ? platform::fs::FileSize(path) : -1;
  if (size < 0 || !FileExists(path)) {
    result = MapFileError::kMissing;
    return false;
  }
  // Read aside, so a refused file changes nothing.
  auto staging = std::make_unique<Staging>(map);
  MapFileReader in(size);
  OpenFileForReading(kFile, path);
  const bool read = ReadMap(in, map, *staging);
  CloseFile(kFile);
  result = in.error();
  if (!read) return false;
  staging->MoveTo(map);
  return true;
}
