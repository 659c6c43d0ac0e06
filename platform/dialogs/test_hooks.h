// Hooks for tests of the dialogs and of the code that opens them: scripted user input fed to the UI
// library's input record frame by frame (move to a control, press, release, type), looks at the open
// dialog, and the window's pixels of the frames drawn. Not for the program itself.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::dialogs::test {

// Steps queued here are taken by the dialogs opened afterwards, in order, one input a frame.
// Pointer steps find their control (or list entry) where the last frame drew it.
void Click(int32_t control);
void ClickItem(int32_t control, const std::string& item);  // the first entry with exactly this text
void DoubleClickItem(int32_t control, const std::string& item);
// Clicks into the edit, selects its whole text and types over it.
void TypeText(int32_t control, const std::string& text);
// Characters typed with no edit clicked first (a button's key letter).
void TypeCharacters(const std::string& text);
void PressEnter();
void PressEscape();
// Runs at its turn during a frame of the open dialog (to look at it, or to act as the user's world).
void Run(std::function<void()> step);
void ClearScript();
size_t PendingSteps();
// A step that found no target within a second of frames is dropped and its description kept here.
std::vector<std::string> TakeScriptErrors();

// When the script has run out, an open dialog waits this many frames and then gets Escape, so a test
// that scripted too little ends instead of hanging (0: it waits for ever, as for a person). Default 0.
void SetIdleEscapeFrames(int frames);
int IdleEscapes();

// The dialog on screen (the top one): its resource id (0 when none is open) and caption.
int32_t OpenDialogId();
std::string OpenDialogCaption();
std::string ControlText(int32_t control);
std::vector<std::string> ListItems(int32_t control);
int32_t ListSelection(int32_t control);
// Where the last frame drew a control, in window pixels; false when it was not drawn.
bool ControlRect(int32_t control, float& x0, float& y0, float& x1, float& y1);
// Where the last frame drew a list's entry (the first with exactly this text), in window pixels; false
// when it was not drawn. An entry scrolled out of view lies outside its list's rectangle.
bool ItemRect(int32_t control, const std::string& item, float& x0, float& y0, float& x1, float& y1);
int FramesDrawn();
// The texts of statics and list entries the last frame drew wider than the room they had (cut), each
// as "text: width > room".
std::vector<std::string> TextsCut();

// Called every frame once the window's input has reached the UI library, before its frame starts:
// the UI library's own tests set its input record here themselves.
void SetFrameHook(std::function<void()> hook);

// The window's pixels (0xAARRGGBB, rows from the top) of every frame drawn from now on (the last one
// is kept), or no more captures.
void CaptureFrames(bool on);
const std::vector<uint32_t>& LastFrame(int* width, int* height);

}  // namespace platform::dialogs::test
