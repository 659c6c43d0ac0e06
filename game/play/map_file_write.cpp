// Writing a map file through file 1, and the editor's save with its backup. A map is written to a
// temporary file beside the target first and renamed over it only once file 1 has closed with every
// byte written, so a failed save never costs the previous good file.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "engine/file/file_module.h"
#include "game/play/map_file.h"
#include "game/shell/widget.h"
#include "platform/fs/contained_name.h"
#include "platform/fs/files.h"
#include "platform/fs/path.h"
#include "platform/fs/save.h"
#include "platform/window/message_box.h"

namespace {

constexpr int32_t kFile = 1;
constexpr const char* kEditorFolder = "Maps\\In Progress";

// Beside the target, hidden, and without ".qel" in it, so no map listing picks up one left behind.
std::string TemporaryBeside(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  return (separator == std::string::npos ? std::string() : path.substr(0, separator + 1)) + ".map-save.tmp";
}

// What a reader takes back of a field: the characters up to the first control character other than
// tab, within the field.
std::string StoredText(const char* field, size_t size) {
  std::string text;
  for (size_t i = 0; i < size && field[i]; ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    if (c < 32 && c != '\t') break;
    text += field[i];
  }
  return text;
}

// Where a map is written: file 1, or bytes in memory, in the same order and form.
struct FileOut {
  void Integer(int32_t value) { WriteInteger(kFile, value); }
  void Float(float value) { WriteFloat(kFile, value); }
  void String(const char* field, size_t size) { WriteTextLine(kFile, StoredText(field, size).c_str()); }
};
struct BytesOut {
  std::string bytes;
  void Integer(int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes += char((uint32_t(value) >> shift) & 0xFF);
  }
  void Float(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    Integer(int32_t(word));
  }
  void String(const char* field, size_t size) { bytes += StoredText(field, size) + "\r\n"; }
};

template <class Out>
void WriteRecord(Out& out, const MapRecord& r) {
  out.Integer(r.shape);
  out.Integer(r.blockObject);
  for (float value : {r.x, r.y, r.z, r.rx, r.ry, r.rz}) out.Float(value);
  for (int32_t value : {r.entityType, r.entityObject, r.p1, r.p2, r.p3, r.p4}) out.Integer(value);
  out.Float(r.p5);
  out.String(r.text, sizeof r.text);
}

template <class Out>
void WriteMap(Out& out, const MapTables& map) {
  const MapHeader& h = map.header;
  for (int32_t value : {h.recordCount, h.planningTime, h.gameTime, h.visId, h.parTime}) out.Integer(value);
  out.Float(h.gravity);
  for (int32_t i = 0; i < h.recordCount; ++i) WriteRecord(out, map.records[i]);
  for (const char* field : {h.texture, h.mapName, h.nextMap, h.fileName, h.comment, h.music})
    out.String(field, kMapStringSize);
  // Every path and every point slot in use, whatever the point count.
  for (const WaypointPath& path : map.paths) {
    out.Integer(int32_t(path.colour));
    out.Integer(path.pointCount);
    for (int32_t i = 0; i < kWaypointPointsUsed; ++i) {
      out.Float(path.points[i].x);
      out.Float(path.points[i].y);
      out.Float(path.points[i].z);
    }
  }
}

// The complete map in a new temporary file; empty when it could not be written whole.
std::string WriteTemporary(const std::string& path, const MapTables& map) {
  if (map.header.recordCount < 0 || map.header.recordCount > kMapRecordCapacity) return {};
  const std::string temporary = TemporaryBeside(path);
  RemoveFile(temporary.c_str());  // one left behind by an interrupted save
  if (!OpenFileForWriting(kFile, temporary.c_str())) return {};
  FileOut out;
  WriteMap(out, map);
  if (!CloseFile(kFile)) {
    RemoveFile(temporary.c_str());
    return {};
  }
  return temporary;
}

// Renames the temporary over the target in one step, its data on disk first: the target is at every
// moment, power loss included, either the old file or the new one.
bool ReplaceWith(const std::string& temporary, const std::string& path) {
  const std::string source = platform::fs::ResolvePath(temporary);
  const std::string target = platform::fs::ResolvePath(path);
  if (!source.empty() && !target.empty()) return platform::fs::ReplaceDurably(source, target);
  RemoveFile(temporary.c_str());
  return false;
}

void MakeFolderPath(const std::string& folder) {
  for (size_t end = folder.find('\\'); ; end = folder.find('\\', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!platform::fs::FolderExists(part)) platform::fs::MakeFolder(part);
    if (end == std::string::npos) break;
  }
}

// The file name becomes part of a path and of the test run's quoted "-map" argument: a folder
// separator or ".." would save outside the editor's folder, a quote or control character would break
// the argument. Such names are refused as the menus refuse profile names.
bool IsMapFileName(const char* name) {
  return IsPlainFileName(name, kMapStringSize - 1) && !std::strchr(name, '"');
}

bool SaveMapFiles(const MapTables& map) {
  const std::string name = StoredText(map.header.fileName, kMapStringSize);
  const std::string path = std::string(kEditorFolder) + "\\" + name + ".qel";
  const std::string backup = std::string(kEditorFolder) + "\\" + name + ".bak";
  MakeFolderPath(kEditorFolder);
  const std::string temporary = WriteTemporary(path, map);
  if (temporary.empty()) return false;
  if (FileExists(path.c_str())) {
    RemoveFile(backup.c_str());
    DuplicateFile(path.c_str(), backup.c_str());
    if (!FileExists(backup.c_str())) {
      RemoveFile(temporary.c_str());
      return false;
    }
  }
  return ReplaceWith(temporary, path);
}

}  // namespace

std::string MapFileBytes(const MapTables& map) {
  if (map.header.recordCount < 0 || map.header.recordCount > kMapRecordCapacity) return {};
  BytesOut out;
  WriteMap(out, map);
  return std::move(out.bytes);
}

bool WriteMapFile(const char* path, const MapTables& map) {
  if (!path) return false;
  const std::string temporary = WriteTemporary(path, map);
  return !temporary.empty() && ReplaceWith(temporary, path);
}

bool SaveMap() {
  if (!IsMapFileName(CurrentMap().header.fileName)) {
    platform::window::MessageBox(nullptr,
                                 "Map not saved: its file name must not be empty nor hold \"\\\", \"/\", \"..\", "
                                 "quotes or control characters.",
                                 "Error", 0);
    return false;
  }
  // The reader refuses a map whose names leave their folders; saving one would leave a file that
  // cannot be opened again.
  const MapHeader& header = CurrentMap().header;
  for (const char* name : {header.texture, header.music, header.nextMap}) {
    if (platform::fs::ContainedNameFault(name)) {
      platform::window::MessageBox(nullptr,
                                   "Map not saved: its texture, music and next map names must not start with "
                                   "\"\\\" or \"/\", name a drive or hold \"..\".",
                                   "Error", 0);
      return false;
    }
  }
  const bool saved = SaveMapFiles(CurrentMap());
  if (saved) platform::window::MessageBox(nullptr, "Map Saved.", "Success", 0);
  else platform::window::MessageBox(nullptr, "Map not saved: it could not be written.", "Error", 0);
  return saved;
}
