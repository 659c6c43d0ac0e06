// The active profile and its file.
#include "game/shell/profile.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "game/shell/data_file_report.h"
#include "game/shell/profile_bytes.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"
#include "platform/fs/contained_name.h"
#include "platform/fs/path.h"
#include "platform/fs/save.h"

namespace {

constexpr std::string_view kExtension = ".prf";
constexpr std::string_view kProfileFolder = "Profiles";
constexpr size_t kMaxText = kProfileTextSize - 1;

ProfileRecord g_profile;

void CopyText(char (&field)[kProfileTextSize], std::string_view text) { StoreText(field, text); }

void SetCleared(ProfileRecord& p) {
  CopyText(p.name, "No Name");
  for (ProfilePair& pair : p.pairs) {
    CopyText(pair.text, "null");
    pair.number = -1;
  }
  for (auto& text : p.texts) CopyText(text, "null");
  std::fill(std::begin(p.numbers), std::end(p.numbers), -1);
  p.pairCount = p.textCount = p.numberCount = 0;
}

// How many entries of a list the file holds: the count, within the list's room.
int32_t EntriesOf(int32_t count, int32_t capacity) { return std::clamp(count, 0, capacity); }

}  // namespace

ProfileRecord& Profile() { return g_profile; }

void ClearProfile() { SetCleared(g_profile); }

void SetProfileName(std::string_view name) { CopyText(g_profile.name, name); }

const char* GetProfileName() { return g_profile.name; }

bool IsProfileLoaded() { return g_profile.loaded; }

std::string ProfilePath(std::string_view name) {
  std::string file(name);
  file += kExtension;
  // Config.ini names the last profile: a name that would leave the Profiles folder names no file.
  if (platform::fs::ContainedNameFault(file)) return {};
  return std::string(kProfileFolder) + "\\" + FileNameOnDisk(kProfileFolder, file);
}

std::vector<uint8_t> BuildProfile(const ProfileRecord& p) {
  const int32_t pairs = std::min(p.pairCount, kProfilePairCapacity);
  const int32_t texts = std::min(p.textCount, kProfileTextCapacity);
  const int32_t numbers = std::min(p.numberCount, kProfileNumberCapacity);
  std::vector<uint8_t> image;
  AppendTextLine(image, p.name);
  AppendInteger(image, pairs);
  AppendInteger(image, texts);
  AppendInteger(image, numbers);
  for (int32_t i = 0; i < pairs; ++i) {
    AppendTextLine(image, p.pairs[i].text);
    AppendInteger(image, p.pairs[i].number);
  }
  for (int32_t i = 0; i < texts; ++i) AppendTextLine(image, p.texts[i]);
  for (int32_t i = 0; i < numbers; ++i) AppendInteger(image, p.numbers[i]);
  return image;
}

bool ParseProfile(const uint8_t* data, size_t size, ProfileRecord& profile) {
  auto read = std::make_unique<ProfileRecord>();
  ProfileRecord& p = *read;
  SetCleared(p);
  FileBytesReader reader(data, size);
  std::string text;
  if (!reader.ReadTextLine(text, kMaxText)) return false;
  CopyText(p.name, text);
  if (!reader.ReadInteger(p.pairCount) || !reader.ReadInteger(p.textCount) || !reader.ReadInteger(p.numberCount))
    return false;
  if (p.pairCount > kProfilePairCapacity || p.textCount > kProfileTextCapacity ||
      p.numberCount > kProfileNumberCapacity)
    return false;
  for (int32_t i = 0; i < EntriesOf(p.pairCount, kProfilePairCapacity); ++i) {
    if (!reader.ReadTextLine(text, kMaxText) || !reader.ReadInteger(p.pairs[i].number)) return false;
    CopyText(p.pairs[i].text, text);
  }
  for (int32_t i = 0; i < EntriesOf(p.textCount, kProfileTextCapacity); ++i) {
    if (!reader.ReadTextLine(text, kMaxText)) return false;
    CopyText(p.texts[i], text);
  }
  for (int32_t i = 0; i < EntriesOf(p.numberCount, kProfileNumberCapacity); ++i)
    if (!reader.ReadInteger(p.numbers[i])) return false;
  p.loaded = profile.loaded;
  profile = p;
  return true;
}

bool SaveProfile() {
  const std::string path = ProfilePath(g_profile.name);
  const std::vector<uint8_t> image = BuildProfile(g_profile);
  const bool written = platform::fs::SaveWholeFile(path, image.data(), image.size());
  if (!written) {
    // "Config.ini" keeps naming the last profile that exists: the next start must not look for this one.
    DebugReport(kReportError, "[SaveProfile] Unable to save \"%s\".", path.c_str());
    return false;
  }
  g_profile.loaded = true;
  StoreText(Settings().lastProfile, g_profile.name);
  SaveConfig();
  return true;
}

bool LoadProfile(char* name) {
  if (!name) return false;
  const size_t length = std::strlen(name);
  if (std::string_view(name, length).ends_with(kExtension)) name[length - kExtension.size()] = '\0';
  const std::string path = ProfilePath(name);
  if (!platform::fs::FileExists(path)) return false;
  std::vector<uint8_t> image;
  if (!platform::fs::ReadWholeFile(path, image) || !ParseProfile(image.data(), image.size(), g_profile)) {
    DebugReport(kReportError, "[LoadProfile] \"%s\" is not a readable profile; the active profile stays.",
                path.c_str());
    return false;
  }
  g_profile.loaded = true;
  return true;
}
