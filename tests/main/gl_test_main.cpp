// Runs the tests, then ends the platform so that the GL driver's worker threads and SDL's threads end
// before the process does. A leak checker stops every thread of the process at exit to scan them; a
// driver thread still starting or ending then can crash the checker itself, so a program that leaves
// any thread behind fails here, naming them.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/window/window.h"

namespace {

// The names of the process's threads other than the main one.
std::string OtherThreads() {
  std::string names;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return names;
  const std::string self = std::to_string(getpid());
  while (dirent* entry = readdir(tasks)) {
    const std::string id = entry->d_name;
    if (id == "." || id == ".." || id == self) continue;
    std::string name;
    std::getline(std::ifstream("/proc/self/task/" + id + "/comm"), name);
    names += (names.empty() ? "" : ", ") + name + " (" + id + ")";
  }
  closedir(tasks);
  return names;
}

// Threads that have been joined may stay listed for a moment while the kernel finishes them.
std::string ThreadsLeftAfterSettling() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::string left = OtherThreads();
  while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    left = OtherThreads();
  }
  return left;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  platform::window::QuitPlatform();
  const std::string left = ThreadsLeftAfterSettling();
  if (!left.empty()) {
    std::fprintf(stderr, "threads still running after the platform ended: %s\n", left.c_str());
    result = 1;
  }
  return result;
}
