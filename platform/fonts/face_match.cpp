#include "platform/fonts/face_match.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

#include "platform/fonts/fonts.h"

namespace platform::fonts {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The generic family that stands in when the named face is missing, from the pitch and family byte.
const char* GenericFamily(uint8_t pitchAndFamily) {
  if ((pitchAndFamily & 0x3) == PITCH_FIXED) return "monospace";
  switch (pitchAndFamily & 0xF0) {
    case FAMILY_ROMAN: return "serif";
    case FAMILY_MODERN: return "monospace";
    default: return "sans-serif";
  }
}

bool InitFontConfig() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

}  // namespace

std::string FamilyForFaceName(std::string_view faceName) {
  if (EqualsNoCase(faceName, "Arial")) return "Liberation Sans";
  if (EqualsNoCase(faceName, "fixedsys")) return "DejaVu Sans Mono";
  return std::string(faceName);
}

std::optional<FaceFile> MatchFace(std::string_view faceName, int32_t weight, bool italic, uint8_t pitchAndFamily) {
  if (!InitFontConfig()) return std::nullopt;
  const bool wantBold = weight >= 600;
  FcPattern* pattern = FcPatternCreate();
  const std::string family = FamilyForFaceName(faceName);
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(GenericFamily(pitchAndFamily)));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;

  std::optional<FaceFile> face;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    face.emplace();
    face->path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &face->index);
    FcChar8* found = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch) {
      face->family = reinterpret_cast<const char*>(found);
    }
    int foundWeight = FC_WEIGHT_REGULAR;
    int foundSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &foundWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &foundSlant);
    face->embolden = wantBold && foundWeight < FC_WEIGHT_DEMIBOLD;
    face->oblique = italic && foundSlant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return face;
}

}  // namespace platform::fonts
