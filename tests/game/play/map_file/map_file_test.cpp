// Map files: the stored layout, reading back, refusing damaged files and saving without losing the
// previous map.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "game/play/map_file.h"
#include "tests/platform/fs/scratch_folder.h"

namespace {

// A map file's bytes, built field by field.
struct Bytes {
  std::string data;
  Bytes& Int(int32_t v) {
    for (int i = 0; i < 4; ++i) data += char(uint32_t(v) >> (8 * i) & 0xFF);
    return *this;
  }
  Bytes& Float(float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    return Int(bits);
  }
  Bytes& Line(const std::string& text) {
    data += text + "\r\n";
    return *this;
  }
};

std::unique_ptr<MapTables> NewMap() {
  auto map = std::make_unique<MapTables>();
  ResetMapTables(*map);
  return map;
}

void SetText(char* field, const char* text) { std::strcpy(field, text); }

// Two records (a block and a door on a ramp), every header value set, path 2 with two points.
std::unique_ptr<MapTables> SmallMap() {
  auto map = NewMap();
  MapHeader& h = map->header;
  h.recordCount = 2;
  h.planningTime = 420000;
  h.gameTime = 300000;
  h.visId = 3;
  h.parTime = 60000;
  h.gravity = 0.06f;
  SetText(h.texture, "TexPlain.jpg");
  SetText(h.mapName, "Small");
  SetText(h.nextMap, "Null");
  SetText(h.fileName, "small");
  SetText(h.comment, "A\tcomment");
  SetText(h.music, "Track.ogg");
  MapRecord& a = map->records[0];
  a.shape = SHAPE_GOAL_PAD;
  a.blockObject = 1000;
  a.x = 10, a.y = 0, a.z = 10;
  MapRecord& b = map->records[1];
  b.shape = SHAPE_RAMP;
  b.blockObject = 1001;
  b.x = 50, b.y = 10, b.z = -30;
  b.ry = 90;
  b.entityType = E_DOOR;
  b.entityObject = 2000;
  b.p1 = 255, b.p2 = 0, b.p3 = 128, b.p4 = 90;
  b.p5 = 1.5f;
  SetText(b.text, "A door");
  WaypointPath& path = map->paths[2];
  path.colour = 0xFF102030;
  path.pointCount = 2;
  path.points[0] = {1, 2, 3};
  path.points[1] = {4, 5, 6};
  path.points[29] = {7, 8, 9};  // a slot past the count is stored too
  return map;
}

Bytes SmallMapBytes() {
  Bytes b;
  b.Int(2).Int(420000).Int(300000).Int(3).Int(60000).Float(0.06f);
  b.Int(3).Int(1000).Float(10).Float(0).Float(10).Float(0).Float(0).Float(0);
  b.Int(-1).Int(-1).Int(0).Int(0).Int(0).Int(0).Float(0).Line("null");
  b.Int(1).Int(1001).Float(50).Float(10).Float(-30).Float(0).Float(90).Float(0);
  b.Int(0).Int(2000).Int(255).Int(0).Int(128).Int(90).Float(1.5f).Line("A door");
  b.Line("TexPlain.jpg").Line("Small").Line("Null").Line("small").Line("A\tcomment").Line("Track.ogg");
  for (int p = 0; p < 50; ++p) {
    b.Int(p == 2 ? int32_t(0xFF102030) : 0).Int(p == 2 ? 2 : 0);
    for (int i = 0; i < 30; ++i) {
      float v[3] = {0, 0, 0};
      if (p == 2 && i == 0) v[0] = 1, v[1] = 2, v[2] = 3;
      if (p == 2 && i == 1) v[0] = 4, v[1] = 5, v[2] = 6;
      if (p == 2 && i == 29) v[0] = 7, v[1] = 8, v[2] = 9;
      b.Float(v[0]).Float(v[1]).Float(v[2]);
    }
  }
  return b;
}

class MapFileTest : public ScratchFolderTest {};

TEST_F(MapFileTest, WritesTheStoredLayoutAndReadsItBackByteForByte) {
  auto map = SmallMap();
  EXPECT_FALSE(WriteMapFile("Maps\\small.qel", *map)) << "the writer makes no folders";
  MakeFolders("Maps");
  ASSERT_TRUE(WriteMapFile("Maps\\small.qel", *map));
  EXPECT_EQ(Read("Maps/small.qel"), SmallMapBytes().data);
  EXPECT_EQ(MapFileBytes(*map), SmallMapBytes().data) << "the bytes in memory are the file's";

  auto back = NewMap();
  MapFileError error;
  ASSERT_TRUE(ReadMapFile("maps\\SMALL.qel", *back, &error)) << MapFileErrorText(error);
  EXPECT_EQ(error, MapFileError::kNone);
  EXPECT_EQ(back->header.recordCount, 2);
  EXPECT_STREQ(back->header.comment, "A\tcomment");
  EXPECT_EQ(back->records[1].p3, 128);
  EXPECT_EQ(back->records[1].p5, 1.5f);
  EXPECT_STREQ(back->records[1].text, "A door");
  EXPECT_EQ(back->paths[2].colour, 0xFF102030u);
  EXPECT_EQ(back->paths[2].points[29].z, 9.0f);

  ASSERT_TRUE(WriteMapFile("Maps/again.qel", *back));
  EXPECT_EQ(Read("Maps/again.qel"), Read("Maps/small.qel"));
  EXPECT_EQ(CountEntries("Maps"), 2u) << "no temporary file stays behind";
}

TEST_F(MapFileTest, AMapWithoutRecordsStillStoresItsStringsAndEveryPath) {
  auto map = NewMap();
  ASSERT_TRUE(WriteMapFile("empty.qel", *map));
  EXPECT_EQ(Read("empty.qel").size(), 24u + 6 * 2 + 50 * 368);
  auto back = SmallMap();
  ASSERT_TRUE(ReadMapFile("empty.qel", *back));
  EXPECT_EQ(back->header.recordCount, 0);
  EXPECT_EQ(back->header.planningTime, 5);
  EXPECT_STREQ(back->header.texture, "");
  EXPECT_EQ(back->paths[2].pointCount, 0);
}

TEST_F(MapFileTest, ReadingKeepsTheRunTimeFieldsAndTheRecordsPastTheCount) {
  ASSERT_TRUE(WriteMapFile("small.qel", *SmallMap()));
  auto map = NewMap();
  map->records[1].state = 7;
  map->records[1].timeStamp = 1234;
  map->records[1].mark = 1;
  map->records[2].shape = SHAPE_BOX;
  ASSERT_TRUE(ReadMapFile("small.qel", *map));
  EXPECT_EQ(map->records[1].shape, SHAPE_RAMP);
  EXPECT_EQ(map->records[1].state, 7);
  EXPECT_EQ(map->records[1].timeStamp, 1234u);
  EXPECT_EQ(map->records[1].mark, 1);
  EXPECT_EQ(map->records[2].shape, SHAPE_BOX);
}

TEST_F(MapFileTest, ATextIsStoredUpToItsFirstControlCharacterSoTheFileStaysReadable) {
  auto map = SmallMap();
  SetText(map->records[1].text, "first line\r\nsecond line");
  SetText(map->header.mapName, "Name\nwith a break");
  ASSERT_TRUE(WriteMapFile("broken.qel", *map));
  EXPECT_EQ(MapFileBytes(*map), Read("broken.qel"));
  auto back = NewMap();
  ASSERT_TRUE(ReadMapFile("broken.qel", *back));
  EXPECT_STREQ(back->records[1].text, "first line");
  EXPECT_STREQ(back->header.mapName, "Name");
  EXPECT_STREQ(back->header.nextMap, "Null");
}

TEST_F(MapFileTest, ARecordCountOutsideTheTableIsNotWritten) {
  for (int32_t count : {-1, kMapRecordCapacity + 1}) {
    auto map = SmallMap();
    map->header.recordCount = count;
    EXPECT_FALSE(WriteMapFile("bad.qel", *map));
    EXPECT_FALSE(Exists("bad.qel"));
    EXPECT_EQ(MapFileBytes(*map), "");
  }
  auto full = NewMap();
  full->header.recordCount = kMapRecordCapacity;
  ASSERT_TRUE(WriteMapFile("full.qel", *full));
  auto back = NewMap();
  EXPECT_TRUE(ReadMapFile("full.qel", *back));
}

// Where each field of the small map's file starts.
constexpr size_t kRecord1 = 24;
constexpr size_t kRecord2 = kRecord1 + 60 + 6;
constexpr size_t kStrings = kRecord2 + 60 + 8;
constexpr size_t kPaths = kStrings + 14 + 7 + 6 + 7 + 11 + 11;

std::string WithInt(std::string data, size_t at, int32_t value) {
  Bytes b;
  b.Int(value);
  return data.replace(at, 4, b.data);
}

constexpr MapFileError kAnyError = MapFileError::kNone;

struct Damage {
  const char* name;
  std::function<std::string(const std::string&)> make;
  MapFileError error;
};

TEST_F(MapFileTest, DamagedFilesAreRefusedAndLeaveTheMapAsItWas) {
  const std::string good = SmallMapBytes().data;
  ASSERT_EQ(good.size(), kPaths + 50 * 368);
  const std::string longText(600, 'x');
  const Damage cases[] = {
      {"empty file", [](const std::string&) { return std::string(); }, MapFileError::kTruncated},
      {"header only", [](const std::string& d) { return d.substr(0, 24); }, MapFileError::kTruncated},
      {"cut inside the header", [](const std::string& d) { return d.substr(0, 10); }, MapFileError::kTruncated},
      {"cut inside the paths", [](const std::string& d) { return d.substr(0, d.size() - 5); },
       MapFileError::kTruncated},
      {"cut after the records", [](const std::string& d) { return d.substr(0, kStrings); },
       MapFileError::kTruncated},
      {"one byte too many", [](const std::string& d) { return d + "x"; }, MapFileError::kTrailingBytes},
      {"record count -1", [](const std::string& d) { return WithInt(d, 0, -1); }, MapFileError::kRecordCount},
      {"record count 1001", [](const std::string& d) { return WithInt(d, 0, 1001); }, MapFileError::kRecordCount},
      {"record count at the integer limit",
       [](const std::string& d) { return WithInt(d, 0, std::numeric_limits<int32_t>::max()); },
       MapFileError::kRecordCount},
      {"record count beyond the file", [](const std::string& d) { return WithInt(d, 0, 400); },
       MapFileError::kTruncated},
      // The strings and paths are then read as a third record: refused, for whichever reason comes first.
      {"record count one too high", [](const std::string& d) { return WithInt(d, 0, 3); }, kAnyError},
      // The second record is then read as strings and paths: refused, for whichever reason comes first.
      {"record count one too low", [](const std::string& d) { return WithInt(d, 0, 1); }, kAnyError},
      {"shape 11", [](const std::string& d) { return WithInt(d, kRecord2, 11); }, MapFileError::kShape},
      {"shape -1", [](const std::string& d) { return WithInt(d, kRecord1, -1); }, MapFileError::kShape},
      {"entity type 15", [](const std::string& d) { return WithInt(d, kRecord2 + 32, 15); },
       MapFileError::kEntityType},
      {"entity type -2", [](const std::string& d) { return WithInt(d, kRecord1 + 32, -2); },
       MapFileError::kEntityType},
      {"point count 31", [](const std::string& d) { return WithInt(d, kPaths + 2 * 368 + 4, 31); },
       MapFileError::kPointCount},
      {"point count -1", [](const std::string& d) { return WithInt(d, kPaths + 49 * 368 + 4, -1); },
       MapFileError::kPointCount},
      {"gravity not a number",
       [](const std::string& d) { return WithInt(d, 20, 0x7FC00000); }, MapFileError::kNotANumber},
      {"position infinite", [](const std::string& d) { return WithInt(d, kRecord2 + 8, 0x7F800000); },
       MapFileError::kNotANumber},
      {"text of 600 characters",
       [&](const std::string& d) { return std::string(d).replace(kRecord2 + 60, 6, longText); },
       MapFileError::kStringTooLong},
      {"text longer than a line the engine reads",
       [&](const std::string& d) { return std::string(d).replace(kRecord2 + 60, 6, std::string(3000, 'y')); },
       MapFileError::kStringTooLong},
      {"map name of 300 characters",
       [&](const std::string& d) { return std::string(d).replace(kStrings + 14, 5, std::string(300, 'n')); },
       MapFileError::kStringTooLong},
      {"last string running into the end of the file",
       [](const std::string& d) { return d.substr(0, kRecord2 + 66); }, MapFileError::kTruncated},
      // Names opened below the game's Textures, Music and class folders stay inside them.
      {"texture climbing out",
       [](const std::string& d) { return std::string(d).replace(kStrings, 12, "..\\..\\..\\etc\\passwd"); },
       MapFileError::kNameLeavesFolder},
      {"texture from a drive",
       [](const std::string& d) { return std::string(d).replace(kStrings, 12, "C:\\sky.bmp"); },
       MapFileError::kNameLeavesFolder},
      {"next map from the root",
       [](const std::string& d) { return std::string(d).replace(kStrings + 21, 4, "/etc/hosts"); },
       MapFileError::kNameLeavesFolder},
      {"music climbing out",
       [](const std::string& d) { return std::string(d).replace(kStrings + 45, 9, "../../../../dev/urandom"); },
       MapFileError::kNameLeavesFolder},
  };
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.name);
    Write("damaged.qel", damage.make(good));
    auto map = SmallMap();
    SetText(map->header.mapName, "untouched");
    map->records[5].shape = SHAPE_BOX;
    MapFileError error = MapFileError::kNone;
    EXPECT_FALSE(ReadMapFile("damaged.qel", *map, &error));
    if (damage.error == kAnyError) EXPECT_NE(error, MapFileError::kNone);
    else EXPECT_EQ(error, damage.error) << MapFileErrorText(error);
    EXPECT_STREQ(map->header.mapName, "untouched");
    EXPECT_EQ(map->header.recordCount, 2);
    EXPECT_EQ(map->records[1].p3, 128);
    EXPECT_EQ(map->records[5].shape, SHAPE_BOX);
  }
}

// A string ends at its first control character other than tab; after a CR the next byte goes with
// it, whatever it is. So a lone LF (or another control character) ends a string by itself, and CR
// followed by any byte ends it with that byte.
TEST_F(MapFileTest, StringsEndAtAnyControlCharacterAndACarriageReturnTakesTheNextByte) {
  const std::string good = SmallMapBytes().data;
  const size_t textEnd = kRecord2 + 66, mapNameEnd = kStrings + 14 + 5, commentEnd = kStrings + 14 + 7 + 6 + 7 + 9;
  const struct {
    const char* name;
    std::string data;
  } cases[] = {
      {"lone line feeds",
       std::string(good).replace(commentEnd, 2, "\n").replace(mapNameEnd, 2, "\n").replace(textEnd, 2, "\n")},
      {"carriage return and any byte",
       std::string(good).replace(commentEnd, 2, "\r\r").replace(mapNameEnd, 2, "\rX").replace(textEnd, 2, std::string("\r\0", 2))},
      {"other control characters",
       std::string(good).replace(commentEnd, 2, std::string(1, '\0')).replace(mapNameEnd, 2, "\x1b").replace(
           textEnd, 2, "\x7")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write("ends.qel", c.data);
    auto map = NewMap();
    MapFileError error = MapFileError::kNone;
    ASSERT_TRUE(ReadMapFile("ends.qel", *map, &error)) << MapFileErrorText(error);
    EXPECT_STREQ(map->records[1].text, "A door");
    EXPECT_STREQ(map->header.texture, "TexPlain.jpg");
    EXPECT_STREQ(map->header.mapName, "Small");
    EXPECT_STREQ(map->header.comment, "A\tcomment");
    EXPECT_STREQ(map->header.music, "Track.ogg");
    EXPECT_EQ(map->paths[2].colour, 0xFF102030u);
    EXPECT_EQ(map->paths[2].points[29].z, 9.0f);
  }
  // A CR takes exactly one byte along: after CR LF LF the second LF is an empty string of its own, and
  // every field after it moves by one.
  Write("ends.qel", std::string(good).replace(mapNameEnd, 2, "\r\n\n"));
  auto map = NewMap();
  MapFileError error = MapFileError::kNone;
  EXPECT_FALSE(ReadMapFile("ends.qel", *map, &error));
  EXPECT_NE(error, MapFileError::kNone);
}

TEST_F(MapFileTest, AMissingFileIsReportedAsMissing) {
  auto map = NewMap();
  MapFileError error;
  EXPECT_FALSE(ReadMapFile("Maps\\nowhere.qel", *map, &error));
  EXPECT_EQ(error, MapFileError::kMissing);
  EXPECT_FALSE(ReadMapFile(nullptr, *map, &error));
  MakeFolders("folder.qel");
  EXPECT_FALSE(ReadMapFile("folder.qel", *map, &error));
}

class SaveMapTest : public MapFileTest {
 protected:
  void SetUp() override {
    MapFileTest::SetUp();
    ResetMapTables(CurrentMap());
    SetText(CurrentMap().header.fileName, "Level");
  }
  void TearDown() override {
    ResetMapTables(CurrentMap());
    MapFileTest::TearDown();
  }
  static void Version(int32_t parTime) { CurrentMap().header.parTime = parTime; }
  static int32_t StoredParTime(const std::string& path) {
    auto map = NewMap();
    return ReadMapFile(path.c_str(), *map) ? map->header.parTime : -1;
  }
};

TEST_F(SaveMapTest, MakesItsFolderAndKeepsThePreviousVersionAsBackup) {
  Version(1);
  ASSERT_TRUE(SaveMap());
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 1);
  EXPECT_FALSE(Exists("Maps/In Progress/Level.bak"));

  Version(2);
  ASSERT_TRUE(SaveMap());
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 2);
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.bak"), 1);

  Version(3);
  ASSERT_TRUE(SaveMap());
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 3);
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.bak"), 2);
  EXPECT_EQ(CountEntries("Maps/In Progress"), 2u);
}

TEST_F(SaveMapTest, AFailedSaveLeavesTheMapAndItsBackupAsTheyWere) {
  Version(1);
  ASSERT_TRUE(SaveMap());
  Version(2);
  ASSERT_TRUE(SaveMap());

  // The temporary file cannot be made.
  MakeFolders("Maps/In Progress/.map-save.tmp/inside");
  Version(3);
  EXPECT_FALSE(SaveMap());
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 2);
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.bak"), 1);
  std::filesystem::remove_all("Maps/In Progress/.map-save.tmp");

  // The disk fills up part-way through the map.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    Version(4);
    _exit(SaveMap() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 2);
  EXPECT_EQ(StoredParTime("Maps/In Progress/Level.bak"), 1);
  EXPECT_EQ(CountEntries("Maps/In Progress"), 2u);
}

TEST_F(SaveMapTest, AFileNameThatWouldLeaveTheFolderOrBreakTheTestRunIsRefused) {
  Version(1);
  ASSERT_TRUE(SaveMap());
  auto tree = [] {
    std::string listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("."))
      listing += entry.path().string() + "\n";
    return listing;
  };
  const std::string before = tree();
  const char* const bad[] = {"",        "..",          "..\\Escape", "../Escape",    "\\Escape",   "/tmp/Escape",
                             "sub\\Level", "sub/Level",   "a\"b",       "Level\" -x \"", "Line\nBreak", "Tab\tbed",
                             "Bell\a",    "Del\x7f"};
  for (const char* name : bad) {
    SetText(CurrentMap().header.fileName, name);
    Version(2);
    EXPECT_FALSE(SaveMap()) << "\"" << name << "\"";
    EXPECT_EQ(tree(), before) << "\"" << name << "\"";
    EXPECT_EQ(StoredParTime("Maps/In Progress/Level.qel"), 1) << "\"" << name << "\"";
  }
  // Too long for the field: no end within its 256 characters.
  std::memset(CurrentMap().header.fileName, 'a', kMapStringSize);
  EXPECT_FALSE(SaveMap());
  EXPECT_EQ(tree(), before);

  // A map the reader would refuse is not written either.
  SetText(CurrentMap().header.fileName, "Level");
  for (char* field : {CurrentMap().header.texture, CurrentMap().header.music, CurrentMap().header.nextMap}) {
    const std::string kept = field;
    SetText(field, "..\\Escape");
    EXPECT_FALSE(SaveMap()) << kept;
    EXPECT_EQ(tree(), before);
    SetText(field, kept.c_str());
  }
  // Spaces, dots and other punctuation are plain names.
  SetText(CurrentMap().header.fileName, "My Level 2.v1 (draft)");
  ASSERT_TRUE(SaveMap());
  EXPECT_EQ(StoredParTime("Maps/In Progress/My Level 2.v1 (draft).qel"), 2);
}

}  // namespace
