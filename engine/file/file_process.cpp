// Starting other programs: the editor's test run starts the game again and waits for it.
#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/file/file_module.h"
#include "engine/file/file_state.h"
#include "platform/fs/command_line.h"
#include "platform/fs/process.h"

namespace fs = platform::fs;

namespace {

// The process ExecuteFileAndWait waits for, and the ones it stopped waiting for (the quit message
// came first, or ExecuteFile started them): each is reaped once it has ended, so none stays a zombie.
// Those whose wait a quit message cut short end with the program: it is ending, and what it waited
// for (the editor's test run: a second game window) would otherwise run on alone.
struct Forgotten {
  fs::ProcessId process;
  bool endsWithProgram;
};
fs::ProcessId g_waitedFor = 0;
std::vector<Forgotten> g_forgotten;
// Why the last start that failed could not start its program.
std::string g_startFailure;

// The running executable, read once as the program starts: a file rebuilt or replaced while it runs
// leaves the link naming "<path> (deleted)", and the path read at start is the one to start again.
std::string g_ownExecutable = fs::ExecutablePath();

// The pump runs between looks at the process; a short sleep keeps the wait from spinning.
constexpr auto kWaitStep = std::chrono::milliseconds(2);
// How long a process ended with the program has to end on its own before it is killed.
constexpr auto kEndGrace = std::chrono::milliseconds(3000);

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool EndsWithExe(std::string_view name) {
  return name.size() > 4 && EqualsIgnoringCase(name.substr(name.size() - 4), ".exe");
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

fs::ProcessId Start(const char* file, const char* parameters, const char* folder) {
  if (!file) {
    g_startFailure = "no program was named";
    return 0;
  }
  const std::string program = ProgramToStart(file);
  const std::string_view words = parameters ? parameters : "";
  const std::string_view where = folder ? folder : "";
  fs::ProcessId process = fs::StartProcess(program, words, where, &g_startFailure);
  // Programs here carry no ".exe": "tool.exe" starts "tool" when that is what the folder holds. The
  // reason given stays the one for the name asked for.
  if (!process && EndsWithExe(program)) process = fs::StartProcess(program.substr(0, program.size() - 4), words, where);
  return process;
}

void Forget(fs::ProcessId& process, bool endsWithProgram = false) {
  if (process && !fs::ProcessHasEnded(process)) g_forgotten.push_back({process, endsWithProgram});
  process = 0;
}

}  // namespace

// The game names itself "qel.exe": that name, and any "<name>.exe" whose name is the running
// executable's, start the running executable whatever its file is called.
std::string ProgramToStart(std::string_view file) {
  if (EndsWithExe(file) && !g_ownExecutable.empty()) {
    const std::string_view stem = BaseName(file).substr(0, BaseName(file).size() - 4);
    if (EqualsIgnoringCase(stem, "qel") || EqualsIgnoringCase(stem, BaseName(g_ownExecutable))) return g_ownExecutable;
  }
  return std::string(file);
}

void SetOwnExecutableForTests(std::string path) { g_ownExecutable = std::move(path); }
const std::string& OwnExecutable() { return g_ownExecutable; }

void ReapForgottenProcesses() {
  std::erase_if(g_forgotten, [](const Forgotten& f) { return fs::ProcessHasEnded(f.process); });
}

void EndWaitedForProcesses() {
  std::vector<fs::ProcessId> ending;
  for (const Forgotten& f : g_forgotten) {
    if (f.endsWithProgram) ending.push_back(f.process);
  }
  fs::EndProcesses(ending, kEndGrace);
  std::erase_if(g_forgotten, [](const Forgotten& f) { return f.endsWithProgram; });
  ReapForgottenProcesses();
}

const char* ProgramStartFailure() { return g_startFailure.c_str(); }

int32_t ExecuteFile(const char* file, const char* parameters, const char* folder) {
  ReapForgottenProcesses();
  g_startFailure.clear();
  fs::ProcessId process = Start(file, parameters, folder);
  const int32_t started = process ? 1 : 0;
  Forget(process);
  return started;
}

int32_t ExecuteFileAndWait(const char* file, const char* parameters, const char* folder, int32_t) {
  ReapForgottenProcesses();
  g_startFailure.clear();
  Forget(g_waitedFor);
  g_waitedFor = Start(file, parameters, folder);
  if (!g_waitedFor) return 0;
  const CoreData* core = FileState().core;
  while (g_waitedFor) {
    if (fs::ProcessHasEnded(g_waitedFor)) {
      g_waitedFor = 0;
      break;
    }
    if (core && core->pumpMessages && core->pumpMessages()) {
      Forget(g_waitedFor, /*endsWithProgram=*/true);
      break;
    }
    std::this_thread::sleep_for(kWaitStep);
  }
  return 1;
}
