// Finds the font file for a face name through the font system's configuration.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::fonts {

struct FaceFile {
  std::string path;
  int index = 0;        // face index inside the file
  std::string family;   // the family actually found
  bool embolden = false;  // bold was asked for and the file is not bold
  bool oblique = false;   // italic was asked for and the file is upright
};

// The family to ask the font system for: the faces the game names that have no file of that name here
// map to their metric equivalents; any other name is asked for as it stands.
std::string FamilyForFaceName(std::string_view faceName);

// The best file for the face; the font system's substitute when the face does not exist. Empty only
// when no scalable font can be found at all.
std::optional<FaceFile> MatchFace(std::string_view faceName, int32_t weight, bool italic, uint8_t pitchAndFamily);

}  // namespace platform::fonts
