// The player's profile: a name and three counted lists that the game clears, saves and loads but does
// not otherwise use. One profile is active at a time; its file is "Profiles\<name>.prf".
//
// File, no header: the name as a text line; the pair, text and number counts as integers; then each
// pair (a text line and an integer), each text line and each integer. Integers are signed 32-bit
// little-endian, text lines end in CR LF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kProfileTextSize = 256;  // 255 characters and the end
constexpr int32_t kProfilePairCapacity = 50;
constexpr int32_t kProfileTextCapacity = 30;
constexpr int32_t kProfileNumberCapacity = 20;

struct ProfilePair {
  char text[kProfileTextSize];
  int32_t number;
};

struct ProfileRecord {
  char name[kProfileTextSize];
  ProfilePair pairs[kProfilePairCapacity];
  int32_t pairCount;
  char texts[kProfileTextCapacity][kProfileTextSize];
  int32_t textCount;
  int32_t numbers[kProfileNumberCapacity];
  int32_t numberCount;
  bool loaded;  // set by every save and every successful load, never cleared
};

// The active profile; at start unloaded with an empty name.
ProfileRecord& Profile();

// Name "No Name", every pair ("null", -1), every text "null", every number -1, all counts 0; the loaded
// flag stays.
void ClearProfile();
void SetProfileName(std::string_view name);  // cut to 255 characters
const char* GetProfileName();
bool IsProfileLoaded();

// Writes the active profile, marks it loaded and records its name as "LastProfile" in "Config.ini".
// When the file could not be written it returns false (logged) and does neither: any previous file of
// that name stays whole, and "Config.ini" keeps naming the profile it named.
bool SaveProfile();
// Loads "Profiles\<name>.prf"; a ".prf" at the end of the caller's buffer is cut off it first. A
// missing file, and a damaged one (logged), leave the active profile as it was. True when loaded.
bool LoadProfile(char* name);

// "Profiles\<name>.prf", the name as it stands on disk (in UTF-8); empty for a name that starts at
// the root, names a drive or holds a ".." part.
std::string ProfilePath(std::string_view name);
// The file image of a profile; counts beyond the lists' room are written as that room.
std::vector<uint8_t> BuildProfile(const ProfileRecord& profile);
// Reads a file image into `profile` (all but the loaded flag; entries past the counts in the cleared
// state). False, with `profile` untouched, when the image ends early, a count exceeds its list's room
// or a text exceeds 255 characters. Counts of 0 or below read no entries and are kept as they are.
bool ParseProfile(const uint8_t* data, size_t size, ProfileRecord& profile);
