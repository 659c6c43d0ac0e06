#include "platform/fs/process.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/fs/command_line.h"
#include "platform/fs/path.h"
#include "scratch_folder.h"

namespace fs = platform::fs;

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsWordsTheWayTheGameDoes) {
  struct Case {
    const char* line;
    Words words;
  } cases[] = {
      {"qel.exe -map \"In Progress\\Level 1.qel\"", {"qel.exe", "-map", "In Progress\\Level 1.qel"}},
      {"  qel\t-edit\r\n", {"qel", "-edit"}},
      {"a 'single \"quoted\"' b", {"a", "single \"quoted\"", "b"}},
      {"\"\" x", {"", "x"}},
      {"\"ab\"cd", {"ab", "cd"}},              // the closing quote ends the word, the walk goes on
      {"-map \"unterminated path", {"-map", "unterminated path"}},
      {"x \"", {"x"}},                          // a quote at the very end ends the walk
      {"a\"b c", {"a\"b", "c"}},                // a quote inside a word is an ordinary character
      {"", {}},
      {" \t ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(fs::SplitCommandLine(c.line), c.words) << c.line;
}

TEST(CommandLine, JoinedWordsSplitBackAndTheProcessLineIsKept) {
  Words words = {"/usr/games/qel", "-map", "In Progress\\My Level.qel", "", "say \"hi\"", "'lead", "plain'"};
  EXPECT_EQ(fs::SplitCommandLine(fs::JoinCommandLine(words)), words);

  // Before the entry stores it, the line comes from the kernel.
  Words own = fs::SplitCommandLine(fs::ProcessCommandLine());
  ASSERT_FALSE(own.empty());
  EXPECT_NE(own[0].find("test_platform_fs"), std::string::npos);

  const char* argv[] = {"qel", "-map", "In Progress\\x.qel"};
  fs::SetProcessCommandLine(3, argv);
  EXPECT_EQ(fs::ProcessCommandLine(), "qel -map \"In Progress\\x.qel\"");
}

TEST(CommandLine, ExecutablePathIsThisProgram) {
  std::string path = fs::ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(fs::FileExists(path));
  EXPECT_EQ(std::filesystem::path(path).filename(), "test_platform_fs");
}

using ProcessTest = ScratchFolderTest;

TEST_F(ProcessTest, TheStartedProgramGetsItsArgumentsAndFolder) {
  MakeFolders("Game Folder");
  fs::ProcessId process = fs::StartProcess(
      "/bin/sh", "-c 'pwd > out.txt; printf \"%s|\" \"$@\" >> out.txt' sh -map \"In Progress\\x.qel\" 'two words'",
      "game FOLDER");
  ASSERT_NE(process, 0);
  fs::ProcessExit exit = fs::WaitForProcess(process);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  std::string folder = std::filesystem::canonical(root_ + "/Game Folder").string();
  EXPECT_EQ(Read("Game Folder/out.txt"), folder + "\n-map|In Progress\\x.qel|two words|");
}

TEST_F(ProcessTest, TheWaitEndsHoweverTheProcessEnds) {
  fs::ProcessExit exit = fs::WaitForProcess(fs::StartProcess("/bin/sh", "-c 'exit 3'", ""));
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 3);

  exit = fs::WaitForProcess(fs::StartProcess("/bin/sh", "-c 'kill -KILL $$'", ""));
  EXPECT_FALSE(exit.exited);
  EXPECT_EQ(exit.signal, SIGKILL);

  // Polling, as a caller that pumps its window between checks does.
  fs::ProcessId sleeper = fs::StartProcess("/bin/sh", "-c 'sleep 30'", "");
  ASSERT_NE(sleeper, 0);
  EXPECT_FALSE(fs::ProcessHasEnded(sleeper));
  kill(sleeper, SIGTERM);
  while (!fs::ProcessHasEnded(sleeper, &exit)) usleep(1000);
  EXPECT_FALSE(exit.exited);
  EXPECT_EQ(exit.signal, SIGTERM);
}

TEST_F(ProcessTest, ProgramsAreFoundInTheFolderOrOnThePath) {
  MakeFolders("Game");
  Write("Game/Run.sh", "#!/bin/sh\nexit 5\n");
  chmod("Game/Run.sh", 0755);
  EXPECT_EQ(fs::WaitForProcess(fs::StartProcess("run.SH", "", "game")).code, 5);
  EXPECT_EQ(fs::WaitForProcess(fs::StartProcess("GAME\\run.sh", "", "")).code, 5);
  EXPECT_EQ(fs::WaitForProcess(fs::StartProcess("sh", "-c 'exit 4'", "Game")).code, 4);
}

TEST_F(ProcessTest, WhatCannotBeStartedReportsNoProcessAndSaysWhy) {
  Write("notes.txt", "not a program");
  Write("plain.txt", "not a program either");
  chmod("plain.txt", 0755);
  // A program that passes the checks but fails to start (a script whose interpreter is missing).
  Write("broken.sh", "#!/nonexistent/interpreter\n");
  chmod("broken.sh", 0755);
  MakeFolders("Folder");
  struct Case {
    const char* file;
    const char* folder;
    const char* reason;
  } cases[] = {
      {"missing-program-name", "", "missing-program-name\" was not found"},
      {"/nowhere/qel", "", "\"/nowhere/qel\" was not found"},
      {"notes.txt", "", "notes.txt\" is not marked executable"},
      {"Folder", "", "Folder\" is not a file"},
      {"/bin/sh", "Missing Folder", "the folder \"Missing Folder\" was not found"},
      {"", "", "no program was named"},
      {"broken.sh", "", "broken.sh\" could not be run: No such file or directory"},
      {"plain.txt", "", "plain.txt\" could not be run: Exec format error"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(fs::StartProcess(c.file, "-c true", c.folder, &why), 0) << c.file;
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.file << ": " << why;
  }
  EXPECT_TRUE(fs::ProcessHasEnded(0));
}

TEST_F(ProcessTest, EndingProcessesAsksThenKillsAndReapsEveryOne) {
  fs::ProcessId done = fs::StartProcess("/bin/sh", "-c 'exit 2'", "");
  fs::ProcessId polite = fs::StartProcess("/bin/sh", "-c 'exec sleep 30'", "");
  // Ignores SIGTERM (an ignored signal stays ignored across exec); the file says the trap is set.
  fs::ProcessId stubborn = fs::StartProcess("/bin/sh", "-c \"trap '' TERM; touch ready; exec sleep 30\"", "");
  ASSERT_TRUE(done && polite && stubborn);
  while (!Exists("ready")) usleep(1000);
  siginfo_t ended{};
  ASSERT_EQ(waitid(P_PID, id_t(done), &ended, WEXITED | WNOWAIT), 0);  // ended, still to be reaped

  const fs::ProcessId processes[] = {done, polite, stubborn};
  const std::vector<fs::ProcessExit> exits = fs::EndProcesses(processes, std::chrono::milliseconds(200));
  ASSERT_EQ(exits.size(), 3u);
  EXPECT_TRUE(exits[0].exited);
  EXPECT_EQ(exits[0].code, 2);
  EXPECT_EQ(exits[1].signal, SIGTERM);
  EXPECT_EQ(exits[2].signal, SIGKILL);
  for (fs::ProcessId process : processes) {
    EXPECT_EQ(kill(process, 0), -1) << "still there: " << process;
    EXPECT_EQ(errno, ESRCH);
  }
}
