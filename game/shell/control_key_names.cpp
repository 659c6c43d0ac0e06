// The names the Controls screen shows for scan codes: the key caps of a UK keyboard (13 "+", 40 "@",
// 43 "#", 86 "\"). Escape, Num Lock and the keypad have none.
#include <iterator>

#include "game/shell/control_bindings.h"

namespace {

struct KeyName {
  int32_t code;
  const char* name;
};

constexpr KeyName kKeyNames[] = {
    {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"}, {10, "9"}, {11, "0"},
    {12, "-"}, {13, "+"}, {14, "Backspace"}, {15, "Tab"}, {16, "Q"}, {17, "W"}, {18, "E"}, {19, "R"},
    {20, "T"}, {21, "Y"}, {22, "U"}, {23, "I"}, {24, "O"}, {25, "P"}, {26, "["}, {27, "]"}, {28, "Return"},
    {29, "Left Control"}, {30, "A"}, {31, "S"}, {32, "D"}, {33, "F"}, {34, "G"}, {35, "H"}, {36, "J"},
    {37, "K"}, {38, "L"}, {39, ";"}, {40, "@"}, {41, "`"}, {42, "Left Shift"}, {43, "#"}, {44, "Z"},
    {45, "X"}, {46, "C"}, {47, "V"}, {48, "B"}, {49, "N"}, {50, "M"}, {51, ","}, {52, "."}, {53, "/"},
    {54, "Right Shift"}, {56, "Alt"}, {57, "Spacebar"}, {58, "Caps Lock"}, {59, "F1"}, {60, "F2"},
    {61, "F3"}, {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"}, {66, "F8"}, {67, "F9"}, {68, "F10"},
    {70, "Scroll Lock"}, {86, "\\"}, {87, "F11"}, {88, "F12"}, {157, "Right Control"}, {183, "Print Screen"},
    {184, "Alt Gr"}, {197, "Pause"}, {199, "Home"}, {200, "Arrow Up"}, {201, "Page Up"}, {203, "Arrow Left"},
    {205, "Arrow Right"}, {207, "end"}, {208, "Arrow Down"}, {209, "Page Down"}, {210, "Insert"},
    {211, "Delete"}, {219, "Left Windows Key"}, {220, "Right Windows Key"},
};
static_assert(std::size(kKeyNames) == 86);

}  // namespace

const char* GetKeyName(int32_t code) {
  for (const KeyName& key : kKeyNames)
    if (key.code == code) return key.name;
  return "";
}
