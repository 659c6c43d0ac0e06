// The engine core's commands: process start-up, the frame step and the small game-facing helpers.
#pragma once
#include <cstdint>

namespace platform::window { class Window; }

// Provided by the game: runs the whole game, its loops calling LoopCheck and Sync.
void GameMain();

// Process entry: starts the engine, runs GameMain and returns the process exit code: 0 after the game
// returns, non-zero (with the reason on stderr and in a message box) when the engine could not start.
int WinMain(void* instance, void* previous, const char* commandLine, int show);
// StoreCoreDataPointer and StartEngine; the StartEngine result.
int InitEngine();
// InitCoreTable, SetCoreErrorHandler, OpenEngineWindow(1, 640, 480, 32, ...): 0 when the engine runs.
int StartEngine();
// Modules are not destroyed: the process ends.
bool ExitEngine();
// Opens the engine window, starts the display device and every module. 0 on success, 1 when the
// display did not start or an error was raised while the device was made.
int OpenEngineWindow(int32_t mode, int32_t width, int32_t height, int32_t depth, void* instance, const char* title);
// Why the last start-up failed ("" when it did not).
const char* StartUpFailureReason();
// The command line handed to WinMain.
const char* GetEngineCommandLine();

// The engine window's procedure.
intptr_t WindowProc(platform::window::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Frame step and message pump.
uint32_t Sync();
void EnableManualSync();
void SetFrameRateLimit(int32_t rate);
void DrawSpritesOnTop();
bool LoopCheck();
// A close the game answers itself (its user chose to go on, or is still to be asked): the quit request
// and the quit message are withdrawn, so LoopCheck is true again until the next close. True when a
// quit had been requested.
bool WithdrawQuitRequest();
// Requests the quit as closing the window does.
void RequestQuit();
uint32_t GetTimer();

void SyncFrame();
void AutoSyncFrame();
uint32_t ProcessMessages();
// Waits until `period` ms of the millisecond clock have passed since the last frame time, taking the
// window's messages as they arrive (ProcessMessages); the frame's drawing is handed to the renderer
// first. 1 when a quit message was taken (the wait ends at once), else 0.
uint32_t WaitFramePeriod(uint32_t period);
void UpdateMediaModules();
uint32_t PumpAndUpdate();

// Small helpers for the game.
int32_t RandomInt(int32_t n);
float SinDegrees(float angle);
float NormalizeAngle(float angle);
float MoveXByAngle(float x, float angle, float distance);
float MoveZByAngle(float z, float angle, float distance);
// Workers of the above.
int32_t Rnd(int32_t n);
float WrapValue(float angle);
float NewXValue(float x, float angle, float distance);
float NewZValue(float z, float angle, float distance);

// Core callbacks carried in CoreData.
// Replaces `name` with "<root>\media\<name>" (no root folder: the program's temporary folder) when
// that file exists; a name that would leave the media folder is left as it is.
void ResolveMediaPath(char* name);
void DecryptFile(const char* name);
void EncryptFile(const char* name);
void SetCursorShape(int shape);
void ScrambleBuffer(uint8_t* data, uint32_t size, uint32_t key, bool encrypt);

// Whole-file helpers of the core.
bool CoreFileExists(const char* name);
// A new block (free with std::free) holding the whole file, and its size; null when it cannot be read.
uint8_t* LoadFileToMemory(const char* name, uint32_t* sizeOut);
bool WriteWholeFile(const char* name, const uint8_t* data, uint32_t size);

// Start-up console.
void InitConsole(int32_t mode);
void ConsoleReady();
void ClearConsole();
void PrintString(const char* text, int newline);
void ConsolePrint(const char* text, int newline);
void LoadSystemColors();
