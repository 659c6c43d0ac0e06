// CDataFile's sections and keys in memory.
#include "game/shell/data_file.h"

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <utility>

#include "game/shell/data_file_report.h"

namespace {

bool IsSameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

const IniKey* FindKey(const IniSection& section, std::string_view key) {
  for (const IniKey& candidate : section.keys)
    if (IsSameName(candidate.name, key)) return &candidate;
  return nullptr;
}

// The C library's decimal conversion (blanks, sign, digits), held to the 32-bit range on overflow.
int32_t LeadingDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t(INT32_MAX) + 1) break;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return int32_t(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
}

}  // namespace

CDataFile::CDataFile(std::string_view fileName) : fileName_(fileName) {
  sections_.push_back(IniSection{});
  Load(fileName);
}

CDataFile::CDataFile() { sections_.push_back(IniSection{}); }

CDataFile::~CDataFile() {
  if (dirty_) Save();
}

bool CDataFile::SetValue(std::string_view key, std::string_view value, std::string_view comment,
                         std::string_view section) {
  IniSection* target = GetSection(section);
  if (!target) {
    if (flags_ & kCreateSections) CreateSection(section, {});
    target = GetSection(section);
    if (!target) return false;
  }
  if (IniKey* existing = const_cast<IniKey*>(FindKey(*target, key))) {
    existing->value = value;
    existing->comment = comment;
    dirty_ = true;
    return true;
  }
  if (value.empty() || !(flags_ & kCreateKeys)) return false;
  target->keys.push_back(IniKey{std::string(key), std::string(value), std::string(comment)});
  dirty_ = true;
  return true;
}

bool CDataFile::SetInt(std::string_view key, int32_t value, std::string_view comment, std::string_view section) {
  return SetValue(key, std::to_string(value), comment, section);
}

std::string CDataFile::GetValue(std::string_view key, std::string_view section) const {
  const IniKey* found = GetKey(key, section);
  return found ? found->value : std::string();
}

std::string CDataFile::GetString(std::string_view key, std::string_view section) const {
  return GetValue(key, section);
}

int32_t CDataFile::GetInt(std::string_view key, std::string_view section) const {
  const IniKey* found = GetKey(key, section);
  if (!found || found->value.empty()) return INT32_MIN;
  return LeadingDecimal(found->value);
}

bool CDataFile::CreateSection(std::string_view name, std::string_view comment) {
  if (GetSection(name)) {
    Report(kReportInfo, "[CDataFile::CreateSection] Section <%.*s> allready exists. Aborting.", int(name.size()),
           name.data());
    return false;
  }
  sections_.push_back(IniSection{std::string(name), std::string(comment), {}});
  dirty_ = true;
  return true;
}

int32_t CDataFile::SectionCount() const { return int32_t(sections_.size()); }

int32_t CDataFile::KeyCount() const {
  size_t count = 0;
  for (const IniSection& section : sections_) count += section.keys.size();
  return int32_t(count);
}

const IniSection* CDataFile::GetSection(std::string_view name) const {
  for (const IniSection& section : sections_)
    if (IsSameName(section.name, name)) return &section;
  return nullptr;
}

IniSection* CDataFile::GetSection(std::string_view name) {
  return const_cast<IniSection*>(std::as_const(*this).GetSection(name));
}

const IniKey* CDataFile::GetKey(std::string_view key, std::string_view section) const {
  const IniSection* owner = GetSection(section);
  return owner ? FindKey(*owner, key) : nullptr;
}

IniKey* CDataFile::GetKey(std::string_view key, std::string_view section) {
  return const_cast<IniKey*>(std::as_const(*this).GetKey(key, section));
}

void CDataFile::Report(int level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  DebugReportV(level, format, arguments);
  va_end(arguments);
}
