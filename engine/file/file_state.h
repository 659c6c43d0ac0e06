// The file module's state and the helpers its parts share. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/core/core_data.h"

constexpr int32_t kFileSlotCount = 64;
// Names go through the media-path callback in a buffer of this size; longer names are refused.
constexpr size_t kFileNameSize = 260;
// A read line holds at most this many characters.
constexpr size_t kMaxLineLength = 1023;

struct FileSlot {
  FILE* file = nullptr;
  std::string storedName;  // the resolved name of a number opened for reading
  bool reading = false;
  bool writeFailed = false;  // a write since the open did not go through
};

struct FileModuleState {
  FileSlot slots[kFileSlotCount + 1];  // 1..64
  CoreData* core = nullptr;
  AllocFreeCallback allocFree = nullptr;
};

FileModuleState& FileState();

// The slot of an open number, null for a number outside 1..64 or not open.
FileSlot* OpenSlot(int32_t number);
// Passes `name` through the CoreData media-path callback (and the decrypt callback when asked) into
// `resolved`. False for a null name or one too long for the callback's buffer.
bool ResolveMediaName(const char* name, bool decrypt, std::string& resolved);
// True when the name, through the media-path callback, opens for reading.
bool MediaFileExists(const char* name);
// A new engine string through the kept allocation callback.
char* NewEngineString(const char* text);
// Closes every process the module started and no longer waits for, once it has ended.
void ReapForgottenProcesses();
// The program is ending: each process whose wait the quit message cut short is asked to end, killed
// when it has not after a short grace, and reaped; the rest are reaped when they have ended.
void EndWaitedForProcesses();
// The program ExecuteFile starts for `file`: the running executable for the game's own name.
std::string ProgramToStart(std::string_view file);
// The executable "qel.exe" stands for: the running one, read as the program started. Tests put a
// stand-in in its place (an empty path: names start as they stand).
const std::string& OwnExecutable();
void SetOwnExecutableForTests(std::string path);
