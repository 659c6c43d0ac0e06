// Starting another program and waiting for it (the editor's test run starts the game again).
#pragma once
#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace platform::fs {

using ProcessId = pid_t;  // 0: no process

struct ProcessExit {
  bool exited = false;  // it called exit: `code` holds its exit code
  int code = 0;
  int signal = 0;       // the signal that killed it, when it did not exit
};

// Starts `file` with the words of `parameters` (split as SplitCommandLine does) in `folder` (empty: the
// current folder), and returns at once. A relative `file` is looked up in `folder` through the path
// resolver; a bare name that is not there is searched on PATH. 0 when the file cannot be started
// (missing, not executable, no such folder, refused by the system), with the reason in `why` when
// given; the started program's own failures show in its exit.
ProcessId StartProcess(std::string_view file, std::string_view parameters, std::string_view folder,
                       std::string* why = nullptr);

// Without blocking: true once the process has ended (whatever its exit code, or killed by a signal),
// with how it ended in `exit` when given. The process is reaped then, so ask only until it says true.
// Also true for an id that is not (or no longer) our child.
bool ProcessHasEnded(ProcessId process, ProcessExit* exit = nullptr);

// Blocks until the process has ended and reaps it.
ProcessExit WaitForProcess(ProcessId process);

// Asks each process to end (SIGTERM), gives them `grace` together to do so, then kills the ones still
// running (SIGKILL); returns once every one has ended and been reaped, with how each ended.
std::vector<ProcessExit> EndProcesses(std::span<const ProcessId> processes, std::chrono::milliseconds grace);

}  // namespace platform::fs
