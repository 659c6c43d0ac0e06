// CDataFile: the game's INI reader and writer ("Config.ini"). A file of sections ("[name]") and key
// lines (key "=" value) is read into memory with the comment lines that precede each section and key,
// changed by section and key name, and written back whole. Names compare without regard to the case
// of ASCII letters and keep the form they were first created with. Problems go to the debugger output
// (DebugReport); the class shows nothing to the player.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct IniKey {
  std::string name;
  std::string value;
  std::string comment;  // the comment lines that stood before the key, each after an LF
};

struct IniSection {
  std::string name;  // empty: the unnamed section of the keys before the first header
  std::string comment;
  std::vector<IniKey> keys;  // in order of insertion
};

class CDataFile {
 public:
  // Flag bits: what SetValue may create.
  static constexpr uint32_t kCreateSections = 2;
  static constexpr uint32_t kCreateKeys = 4;

  // Characters with a meaning on a line. The first equality indicator is the one written.
  static constexpr std::string_view kCommentIndicators = ";#";
  static constexpr std::string_view kEqualityIndicators = "=:";
  static constexpr std::string_view kWhiteSpaceCharacters = " \t\n\r";

  // Keeps the file name, makes the unnamed section and loads the file (a missing file is logged).
  explicit CDataFile(std::string_view fileName);
  // An object of no file, filled by LoadText.
  CDataFile();
  // Saves when something changed since the last save.
  virtual ~CDataFile();
  CDataFile(const CDataFile&) = delete;
  CDataFile& operator=(const CDataFile&) = delete;

  // Reads the file's sections and keys into this object; false only when the file cannot be read.
  bool Load(std::string_view fileName);
  // The same from text already in memory (CR LF read as LF).
  void LoadText(std::string_view text);
  // Writes every section and key to the stored file name; the previous file stays whole when the
  // write fails. False, with a log line, when nothing could be saved.
  bool Save();
  // The text Save writes (lines end in CR LF).
  std::string SaveText() const;

  // Sets the key's value and comment, creating the section and the key as the flags allow; a new key
  // needs a non-empty value.
  bool SetValue(std::string_view key, std::string_view value, std::string_view comment = {},
                std::string_view section = {});
  bool SetInt(std::string_view key, int32_t value, std::string_view comment = {}, std::string_view section = {});
  // The key's value; empty when the section or the key is missing.
  std::string GetValue(std::string_view key, std::string_view section = {}) const;
  std::string GetString(std::string_view key, std::string_view section = {}) const;
  // The value's leading decimal number (0 when it has none); INT_MIN when the value is empty or missing.
  int32_t GetInt(std::string_view key, std::string_view section = {}) const;

  // Appends a section; false (logged) when one of that name exists. Allowed whatever the flags say.
  bool CreateSection(std::string_view name, std::string_view comment = {});
  int32_t SectionCount() const;  // the unnamed section included
  int32_t KeyCount() const;      // over all sections
  // The first section or key of that name, or null.
  IniSection* GetSection(std::string_view name);
  const IniSection* GetSection(std::string_view name) const;
  IniKey* GetKey(std::string_view key, std::string_view section);
  const IniKey* GetKey(std::string_view key, std::string_view section) const;

  // A log line with the level's tag, as DebugReport writes it.
  static void Report(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

  uint32_t Flags() const { return flags_; }
  void SetFlags(uint32_t flags) { flags_ = flags; }
  bool IsDirty() const { return dirty_; }
  const std::vector<IniSection>& Sections() const { return sections_; }

 private:
  uint32_t flags_ = kCreateSections | kCreateKeys;
  std::vector<IniSection> sections_;
  std::string fileName_;
  bool dirty_ = false;
};

// Helpers of the line format, shared by reading and writing.
// Removes white space, "=" and ":" from both ends.
std::string TrimWhiteSpace(std::string_view text);
// Cuts the key off a key line at its first "=" or ":": returns the trimmed key and leaves the text
// after the separator (untrimmed) in `line`; without a separator the whole line is the key.
std::string SplitAtEquals(std::string& line);
// A stored comment as written: trimmed, with "; " in front unless it starts with a comment indicator.
std::string MakeCommentText(std::string_view comment);
