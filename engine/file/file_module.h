// The file module: 64 numbered file slots with sequential reads and writes of 4-byte integers, 4-byte
// floats and text lines (the byte layout of the game's profiles, control configurations and maps),
// and the folder and file utilities around them.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace FileModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);
}  // namespace FileModule

// First call of every frame step; the module has nothing to do per frame.
void FileModuleUpdate();

// Numbered files, 1 to 64. Only opening for reading raises errors (8213 number out of range, 8203
// already open, 105 missing file). Writers get 1 for done and 0 for not done, so a caller can tell a
// file that was not made or not completely written; an existing file is never opened for writing.
void OpenFileForReading(int32_t number, const char* name);
int32_t OpenFileForWriting(int32_t number, const char* name);
// 0 when a write on the number failed since it was opened, or the last bytes could not be flushed.
int32_t CloseFile(int32_t number);
int32_t ReadInteger(int32_t number);
float ReadFloat(int32_t number);
// A new engine string: the characters up to the first control byte other than tab (at most 1023 of
// them; the rest of a longer line is skipped). After a CR the next byte (the LF) is dropped.
char* ReadTextLine(int32_t number);
// Bytes from the start of the file to where the next read or write on the number happens; -1 when
// the number is not open.
int64_t FilePosition(int32_t number);
int32_t WriteInteger(int32_t number, int32_t value);
int32_t WriteFloat(int32_t number, float value);
// The string's bytes, then CR LF; a null string writes only CR LF.
int32_t WriteTextLine(int32_t number, const char* text);

// Files and folders.
int32_t FileExists(const char* name);
void RemoveFile(const char* name);
void DuplicateFile(const char* source, const char* target);
void SetCurrentFolder(const char* path);  // 8003 for a null path or a failed change
char* GetCurrentFolder();                 // a new engine string
// The entries of the current folder into the ResultList: "." and ".." first, then the rest in a stable
// order; value A is 1 for a folder.
void ListFolder();

// Starting programs. "qel.exe" (any letter case), the name by which the editor's test run starts the
// game, starts the running executable, as its path was when the program started (renamed or rebuilt since,
// that file is still the one started). ExecuteFileAndWait pumps window messages until the started process
// has ended (whatever its exit code) or the quit message was seen; the fourth argument is not used. A
// process whose wait the quit message cut short is ended when the module is destroyed (SIGTERM, SIGKILL
// after a short grace). Both return 1 when the program was started, else 0 with the reason in
// ProgramStartFailure.
int32_t ExecuteFile(const char* file, const char* parameters, const char* folder);
int32_t ExecuteFileAndWait(const char* file, const char* parameters, const char* folder, int32_t unused);
// Why the last ExecuteFile or ExecuteFileAndWait that returned 0 could not start its program.
const char* ProgramStartFailure();
