// A scratch game folder per test with the settings, bindings and profile records as start-up finds
// them, and the tools to watch the log and to make a save fail.
#pragma once
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "game/shell/control_bindings.h"
#include "game/shell/data_file_report.h"
#include "game/shell/profile.h"
#include "game/shell/settings.h"
#include "tests/platform/fs/scratch_folder.h"

class ShellTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    Settings() = GameSettings{};
    Profile() = ProfileRecord{};
    SetDefaultControls();
    SetControlInput(nullptr);
  }
  void TearDown() override {
    SetControlInput(nullptr);
    ScratchFolderTest::TearDown();
  }

  // True when `save` reported success in a child process whose files may not grow past `limit` bytes:
  // a full disk.
  template <typename Save>
  static bool SaveSucceedsOnFullDisk(size_t limit, Save save) {
    const pid_t child = fork();
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit cap{limit, limit};
      setrlimit(RLIMIT_FSIZE, &cap);
      _exit(save() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
  }
};

// An integer as the game's files hold it: 4 bytes, little-endian.
inline std::string Integer(int32_t value) {
  const uint32_t word = uint32_t(value);
  return {char(word), char(word >> 8), char(word >> 16), char(word >> 24)};
}

// What the code under test logs to the debugger output while the capture lives.
class LogCapture {
 public:
  LogCapture() {
    Log().clear();
    SetDebuggerOutputSink([](const char* text) { Log() += text; });
  }
  ~LogCapture() { SetDebuggerOutputSink(nullptr); }
  std::string Take() { return std::exchange(Log(), std::string()); }

 private:
  static std::string& Log() {
    static std::string log;
    return log;
  }
};
