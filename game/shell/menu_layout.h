// Where the menu's parts stand at the display size, and a record of every box a menu pass lays out,
// for the layout tests.
//
// The menu column is the frame picture at the right (448 x 458 from y 56) with a screen's texts and
// widgets inside it, placed for a display at least 600 pixels high. On a shorter display (640 x 480)
// the whole column moves up, frame and contents together, just far enough to end inside the window,
// and the build label leaves the bottom right corner, where the frame would cover it, for the top
// line beside "Active Profile". The game mode panel (600 x 450 round the display's centre) moves down
// when its top would reach into that line.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The y of a place of the menu column, given as it stands with the frame at y 56.
int32_t ColumnY(int32_t y);
// The centre the game mode panel is laid out round (the display's centre unless moved down).
int32_t PanelCentreY();

// The header line: "Active Profile: <name>" at the top left and the build label.
void DrawMenuHeader(const char* profileName);

// Every box a pass lays out, in screen pixels with both edges inside the box.
enum class LaidOut {
  kText,     // a text as drawn, in its cell height
  kFrame,    // a rectangle's outline
  kFill,     // a filled rectangle
  kLine,     // a grid or scroll line
  kPicture,  // a backdrop or the frame picture
  kOverlay,  // a message panel drawn over the screen
};
struct LaidOutBox {
  LaidOut kind;
  int32_t left, top, right, bottom;
  std::string what;  // the text, or what the box is
};
void SetMenuLayoutObserver(std::function<void(const LaidOutBox&)> observer);
// Tells the observer, when there is one.
void ReportLaidOut(LaidOut kind, int32_t left, int32_t top, int32_t right, int32_t bottom, std::string_view what);
