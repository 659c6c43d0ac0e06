// The menu's immediate-mode widgets: each pass a screen calls them, and each draws itself, tests the
// mouse against itself and updates the value it was given in the same call. They share one click
// latch (in MenuState): a control acts on a press of the left button alone only while the latch is
// set, acting clears it, and the end of every menu pass sets it again once that press is over. Held
// controls (arrows, slider buttons) act on every pass the button is down, latch or not.
//
// Hit boxes are measured in the engine's text font (GetTextWidth, GetTextHeight), not in the game
// font that draws the text, so a box may be a little larger or smaller than what is drawn.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/shell/menu_state.h"

// A colour of the menu (red, green, blue; alpha 255 unless given).
struct MenuColour {
  int32_t red, green, blue, alpha = 255;
};
inline constexpr MenuColour kWhite{255, 255, 255};
inline constexpr MenuColour kHoverPurple{157, 74, 248};   // text under the mouse
inline constexpr MenuColour kFramePurple{119, 18, 230};   // frames, lines, hovered list arrows
inline constexpr MenuColour kPressedPink{219, 78, 230};   // pressed arrows and buttons, slider bar end
inline constexpr MenuColour kFocusedBlue{159, 193, 243};  // focused text field, selected row's corner
inline constexpr MenuColour kSelectedRowBlue{119, 133, 203};
inline constexpr MenuColour kChoiceBackground{28, 12, 46};
inline constexpr MenuColour kChoiceArrowHover{119, 48, 230};
inline constexpr MenuColour kGreyedText{90, 90, 90};

// Game font slots the menu draws with.
constexpr int32_t kTitleFont = 1;
constexpr int32_t kSmallFont = 2;
constexpr int32_t kItemFont = 3;

// The centre of the menu column is W - 245, W the display width.
constexpr int32_t kMenuColumnOffset = 245;
int32_t MenuColumnX();

// --- mouse and latch
// The mouse is over the rectangle, bounds excluded.
bool MouseInside(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The left button alone is down (the held test).
bool LeftButtonHeld();
// The left button alone is down and the latch is set: a control may act.
bool MenuClick();
// Acting on a click: the latch is cleared until the press is over.
void TakeClick();
// End of a pass: the latch is set again when the left button alone is not down.
void UpdateClickLatch();

// The line height of the pass: the height of "WOOKIE", a measuring text only.
int32_t MeasureLineHeight();

// --- hit tests of texts
// Over the box of the text centred on the menu column, from y to y + text height, bounds included.
bool MouseOverMenuButton(const char* text, int32_t y);
// Inside (x, y) to (x + text width, y + text height), bounds excluded.
bool MouseOverText(int32_t x, int32_t y, const char* text);

// --- drawing
void SetMenuTextColour(const MenuColour& colour);
// The colour packed for the engine's 2D drawing.
uint32_t PackColour(const MenuColour& colour);
// Frame in the colour, which stays the engine's foreground ink afterwards.
void DrawRectFrame(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const MenuColour& colour);
// A line in the engine's foreground ink.
void DrawMenuLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The rectangle filled with a colour in each corner: bottom-left, top-left, bottom-right, top-right.
void FillGradient(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t bottomLeft, uint32_t topLeft,
                  uint32_t bottomRight, uint32_t topRight);
// The rectangle filled in one colour.
void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const MenuColour& colour);
// A selected list row: the bottom-left corner blue, the other three a darker blue.
void FillSelectedRow(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// --- buttons (inside a text batch)
// A centred item of the menu column at y in the item font: hover purple while the mouse is over it,
// white otherwise; true when clicked (the latch is then cleared).
bool MenuItem(const char* text, int32_t y);
// A left-aligned text button at (x, y) in `font`; its box is boxWidth x boxHeight from (x, y). True when
// clicked.
bool TextButton(int32_t x, int32_t y, const char* text, int32_t font, int32_t boxWidth, int32_t boxHeight);
// The left-aligned item-font button the screens use, boxed by its text and the line height.
bool TextButton(int32_t x, int32_t y, const char* text);
// "Load", "Save", "Cancel" under a file list: boxed by the text "Cancel" whatever they say.
bool ListButton(int32_t x, int32_t y, const char* text);

// --- file lists
// Refills the list from the folder's file names holding the filter text anywhere (case-sensitive).
// Sub-folders are left out, and so are names the list has no room for: at most 50.
void ListFolderFiles(FileNameList& list, const char* folder, const char* filter);
void ListProfileFiles();        // "Profiles", ".prf": the profile list
void ListControlConfigFiles();  // "Profiles\Configs", ".cfg": the control-configuration list
// The name of the selected entry; "" when nothing is listed there.
const char* SelectedFileName(const FileNameList& list);

// The scrolling file list with its arrows, `rows` rows from `top` (the box ends at anchorY + 320).
// Returns the index of the row clicked on a non-empty entry (now selected; the latch is cleared), or -1.
int32_t ScrollingFileList(FileNameList& list, int32_t& scroll, int32_t x, int32_t top, int32_t anchorY,
                          int32_t rows);
// Scroll offsets are held to count - 15, then to 0.
constexpr int32_t kFileListScrollSpan = 15;

// The room of the screen's own texts: the menu frame at the right, or the centred panel of screen 8.
struct TextBox;
TextBox ScreenBox();

// --- text entry field (200 x 18 at x, y): a click inside focuses it, a click elsewhere or Return ends
// the editing. While focused, the characters typed since the last pass are added while the text is
// shorter than 28; one the game's text cannot hold, or the font cannot draw, is refused with a message
// over the menu. Backspace takes one character a pass. The text never grows past 255 characters. The
// screen draws the text.
void TextEntryField(TextField& field, int32_t x, int32_t y);
// The field's text, inside the field at (x, y): white, and dark on the light fill while focused.
void DrawFieldText(const TextField& field, int32_t x, int32_t y);
constexpr int32_t kTextFieldTypingLimit = 28;

// --- sliders (0..255): minus and plus buttons step one a pass while held, the track follows a drag
// that began where no control took the click.
void Slider(int32_t& value, int32_t x, int32_t y);
void MusicVolumeSlider(int32_t x, int32_t y);
void MusicPanSlider(int32_t x, int32_t y);
void EffectVolumeSlider(int32_t x, int32_t y);

// --- display choice lists, always open
// Refill from the engine's lists, selecting the adapter named in the settings, and the last mode of the
// settings' width, height and depth (the first when none matches).
void FillAdapterList();
void FillDisplayModeList();
// The rows start a pixel below y, inside the list's background.
void DisplayAdapterDropDown(int32_t x, int32_t y);  // 3 rows, arrows step every pass while held
// 5 rows, arrows step once per 50 ms of the game clock (GameNow, which tests replace) while held.
void DisplayModeDropDown(int32_t x, int32_t y);
constexpr uint32_t kModeListStepMs = 50;

// A name typed by the player that may become a file name inside its folder: 1 to `maxLength`
// characters, no folder separators ("/", "\"), no "..", no control characters.
bool IsPlainFileName(const char* name, size_t maxLength);

// Names the player types, sees in the lists and finds in "Config.ini" are game text (Windows-1252);
// on disk they are UTF-8, as the desktop names files. FileNameOnDisk gives the file name in `folder`
// ("" the current folder) of a game name: its UTF-8 form, unless only a file of the name's own bytes
// is there (one written before names were stored in UTF-8). FileNameInGame is the way back for a
// name found on disk; a name that is not UTF-8 of characters the game's text holds is kept as its
// bytes, which FileNameOnDisk finds again.
std::string FileNameOnDisk(std::string_view folder, std::string_view name);
std::string FileNameInGame(std::string_view diskName);
