// Engine and game text is one byte a character, in Windows-1252: the fonts draw it, the game's files
// store it. The desktop speaks Unicode instead: typed text arrives as UTF-8, and file names on disk are
// UTF-8. These functions convert between the two.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::charset {

// The byte that stands for a typed character Windows-1252 cannot hold (ASCII's "substitute"): readers
// of typed text see that something was typed and refused.
constexpr char kSubstitute = '\x1A';

// The Unicode character of a Windows-1252 byte (the five unassigned bytes keep their value).
char32_t CharFromWindows1252(uint8_t byte);
// The Windows-1252 byte of a Unicode character; -1 when the set has none.
int32_t Windows1252FromChar(char32_t c);

// The UTF-8 character at `pos`, moving `pos` past it. A malformed sequence (a stray continuation byte,
// an overlong form, a surrogate, a value past U+10FFFF, a sequence cut short) gives kNotUtf8 and moves
// one byte on.
constexpr char32_t kNotUtf8 = 0xFFFFFFFF;
char32_t NextUtf8Char(std::string_view text, size_t& pos);

// Windows-1252 text in UTF-8.
std::string Utf8FromWindows1252(std::string_view text);
// UTF-8 text in Windows-1252; nothing when the text is not UTF-8 or holds a character the set has not.
std::optional<std::string> Windows1252FromUtf8(std::string_view text);

}  // namespace platform::charset
