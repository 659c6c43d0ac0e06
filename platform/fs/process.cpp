#include "platform/fs/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/fs/command_line.h"
#include "platform/fs/path.h"

namespace platform::fs {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnSearchPath(std::string_view name) {
  const char* search = std::getenv("PATH");
  std::string_view folders = search ? search : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = folders.find(':');
    std::string_view folder = folders.substr(0, colon);
    std::string candidate = (folder.empty() ? std::string(".") : std::string(folder)) + "/" + std::string(name);
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

ProcessId NotStarted(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return 0;
}

// The program to run, as a path that works from the child's working folder (an absolute one); empty,
// with the reason in `why`, when there is none to run.
std::string FindProgram(std::string_view file, const std::string& folder, std::string* why) {
  if (file.empty()) {
    NotStarted(why, "no program was named");
    return {};
  }
  bool absolute = file.front() == '/' || file.front() == '\\';
  std::string path = ResolvePath(absolute ? std::string(file) : folder + "/" + std::string(file));
  if (IsExecutableFile(path)) return path;
  if (file.find_first_of("/\\") == std::string_view::npos) {
    std::string found = FindOnSearchPath(file);
    if (!found.empty()) return found;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0) NotStarted(why, Quoted(path) + " was not found");
  else if (!S_ISREG(st.st_mode)) NotStarted(why, Quoted(path) + " is not a file");
  else NotStarted(why, Quoted(path) + " is not marked executable");
  return {};
}

ProcessExit DescribeStatus(int status) {
  ProcessExit exit;
  if (WIFEXITED(status)) {
    exit.exited = true;
    exit.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exit.signal = WTERMSIG(status);
  }
  return exit;
}

// What the child sends back when it could not become the program.
struct StartReport {
  int enteringFolder = 0;  // 1: the folder change failed, 0: the exec did
  int error = 0;
};

// Only async-signal-safe calls between fork and exec: the parent may have other threads.
[[noreturn]] void RunChild(const char* folder, const char* program, char* const* argv, int report_fd) {
  sigset_t all;
  sigemptyset(&all);
  sigprocmask(SIG_SETMASK, &all, nullptr);
  signal(SIGPIPE, SIG_DFL);
  // The started program gets none of our files (audio, window, GL); an old kernel just lets it.
  close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  StartReport report;
  if (chdir(folder) != 0) {
    report = {1, errno};
  } else {
    execv(program, argv);
    report = {0, errno};
  }
  ssize_t ignored = write(report_fd, &report, sizeof report);
  (void)ignored;
  _exit(127);
}

}  // namespace

ProcessId StartProcess(std::string_view file, std::string_view parameters, std::string_view folder,
                       std::string* why) {
  std::string work_folder = folder.empty() ? std::string(".") : ResolvePath(folder);
  struct stat st;
  if (work_folder.empty() || stat(work_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return NotStarted(why, "the folder " + Quoted(folder) + " was not found");
  }
  if (work_folder.front() != '/') {
    char* absolute = realpath(work_folder.c_str(), nullptr);
    if (!absolute) return NotStarted(why, "the folder " + Quoted(folder) + ": " + std::strerror(errno));
    work_folder = absolute;
    std::free(absolute);
  }
  std::string program = FindProgram(file, work_folder, why);
  if (program.empty()) return 0;

  std::vector<std::string> words = SplitCommandLine(parameters);
  words.insert(words.begin(), program);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child reports a failed chdir or exec through this pipe; a successful exec closes it empty.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    return NotStarted(why, std::string("no pipe to start it: ") + std::strerror(errno));
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    RunChild(work_folder.c_str(), program.c_str(), argv.data(), report[1]);
  }
  const int forkError = errno;
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    return NotStarted(why, std::string("no process could be made: ") + std::strerror(forkError));
  }
  StartReport failure;
  ssize_t n;
  do n = read(report[0], &failure, sizeof failure);
  while (n < 0 && errno == EINTR);
  close(report[0]);
  if (n > 0) {
    WaitForProcess(pid);
    const std::string error = std::strerror(failure.error);
    if (failure.enteringFolder) return NotStarted(why, "the folder " + Quoted(work_folder) + ": " + error);
    return NotStarted(why, Quoted(program) + " could not be run: " + error);
  }
  return pid;
}

bool ProcessHasEnded(ProcessId process, ProcessExit* exit) {
  if (process <= 0) return true;
  int status = 0;
  pid_t result;
  do result = waitpid(process, &status, WNOHANG);
  while (result < 0 && errno == EINTR);
  if (result == 0) return false;
  // ECHILD: not our child, already reaped, or reaped by the system because SIGCHLD is ignored.
  if (exit) *exit = result > 0 ? DescribeStatus(status) : ProcessExit{};
  return true;
}

ProcessExit WaitForProcess(ProcessId process) {
  if (process <= 0) return {};
  int status = 0;
  pid_t result;
  do result = waitpid(process, &status, 0);
  while (result < 0 && errno == EINTR);
  return result > 0 ? DescribeStatus(status) : ProcessExit{};
}

std::vector<ProcessExit> EndProcesses(std::span<const ProcessId> processes, std::chrono::milliseconds grace) {
  std::vector<ProcessExit> exits(processes.size());
  std::vector<size_t> running;
  for (size_t i = 0; i < processes.size(); ++i) {
    if (ProcessHasEnded(processes[i], &exits[i])) continue;
    kill(processes[i], SIGTERM);
    running.push_back(i);
  }
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (!running.empty() && std::chrono::steady_clock::now() < deadline) {
    std::erase_if(running, [&](size_t i) { return ProcessHasEnded(processes[i], &exits[i]); });
    if (!running.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (size_t i : running) {
    kill(processes[i], SIGKILL);
    exits[i] = WaitForProcess(processes[i]);
  }
  return exits;
}

}  // namespace platform::fs
