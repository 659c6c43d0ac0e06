// The real executable: its window appears at 640 x 480, closing it through the X server ends the
// process with exit code 0, without a display it says why and exits non-zero, a quit signal during the
// splash ends it before the next screen, and the editor's test run ends with the editor.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros (None, Bool, ...) it would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/window/clock.h"

namespace {

// The display the game's process is given: the test's X server, the driver that draws nowhere, none at
// all, or one nobody answers at. Without a display SDL_VIDEODRIVER is unset too, as for a player: SDL is
// left to choose its driver.
enum class DisplayGiven { kServer, kOffscreen, kNone, kUnreachable };

pid_t Start(DisplayGiven display, int stderrFd = -1, const std::string& folder = "", const char* argument = nullptr) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (display == DisplayGiven::kOffscreen) {
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
    } else if (display != DisplayGiven::kServer) {
      unsetenv("SDL_VIDEODRIVER");
      unsetenv("WAYLAND_DISPLAY");
      if (display == DisplayGiven::kNone) unsetenv("DISPLAY");
      else setenv("DISPLAY", ":4093", 1);
    }
    if (stderrFd >= 0) dup2(stderrFd, 2);
    // The leak checker stays on (it is on by default in sanitizer builds; this makes sure of it): the
    // game frees what the engine built before it exits, and a leak there fails the exit code.
    setenv("ASAN_OPTIONS", "detect_leaks=1:abort_on_error=0", 1);
    execl(QEL_EXECUTABLE, QEL_EXECUTABLE, argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Waits for the child to end; -1 when it did not within the time.
int WaitExit(pid_t pid, uint32_t ms) {
  const uint32_t start = platform::window::TimeGetTime();
  int status = 0;
  while (platform::window::TimeGetTime() - start < ms) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

// Windows come and go while the game starts (the GL set-up makes short-lived ones): a request about a
// window that has just gone is not an error here.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

Window FindWindowOf(Display* display, pid_t pid) {
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &value) == Success && value) {
      XWindowAttributes attributes{};
      if (items == 1 && pid_t(*reinterpret_cast<unsigned long*>(value)) == pid &&
          XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable) {
        found = children[i];
      }
      XFree(value);
    }
  }
  XFree(children);
  return found;
}

// The game's window once it is shown; 0 when none was within the time or the process ended first.
Window WaitForWindow(Display* display, pid_t pid, uint32_t ms) {
  const uint32_t start = platform::window::TimeGetTime();
  while (platform::window::TimeGetTime() - start < ms) {
    usleep(50000);
    if (Window window = FindWindowOf(display, pid)) return window;
    int status;
    if (waitpid(pid, &status, WNOHANG) != 0) return 0;
  }
  return 0;
}

// A child of `parent` (from /proc); 0 when it has none.
pid_t ChildOf(pid_t parent) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "stat");
    std::string stat;
    if (!std::getline(in, stat)) continue;
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) continue;
    char state;
    int ppid = 0;
    if (std::sscanf(stat.c_str() + nameEnd + 1, " %c %d", &state, &ppid) == 2 && ppid == parent) {
      return pid_t(std::atoi(entry.path().filename().c_str()));
    }
  }
  return 0;
}

// The names of files opened in one folder, in the order the kernel saw the opens.
class OpenWatch {
 public:
  explicit OpenWatch(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    watching_ = fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_OPEN) >= 0;
  }
  ~OpenWatch() {
    if (fd_ >= 0) close(fd_);
  }
  bool watching() const { return watching_; }
  // The files opened since the last call (opens of the folder itself aside).
  std::vector<std::string> Take() {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[8192];
    ssize_t n;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && !(event->mask & IN_ISDIR)) names.emplace_back(event->name);
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
    return names;
  }

 private:
  int fd_;
  bool watching_ = false;
};

// A file for a child's stderr, gone from the folder already.
int ScratchErrorFile() {
  char path[] = "/tmp/qel-stderr-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) unlink(path);
  return fd;
}

// A copy of the game's media in a folder of the test's own, where the game may write its settings.
class GameFolder {
 public:
  GameFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qel-game-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
    const char* assets = std::getenv("QEL_ASSETS");
    const std::string source = assets ? assets : std::string(std::getenv("QEL_SOURCE_DIR") ?: ".") + "/assets";
    std::error_code error;
    std::filesystem::copy(source, path_, std::filesystem::copy_options::recursive, error);
    copied_ = !path_.empty() && !error;
  }
  ~GameFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  bool copied() const { return copied_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool copied_ = false;
};

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (off_t at = 0;;) {
    const ssize_t n = pread(fd, buffer, sizeof buffer, at);
    if (n <= 0) return text;
    text.append(buffer, size_t(n));
    at += n;
  }
}

// The game in a window of the test's X server, run in a copy of its media, its stderr kept.
class WindowedGame : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    XSetErrorHandler(IgnoreXErrors);
    ASSERT_TRUE(folder_.copied()) << folder_.path();
    errorFd_ = ScratchErrorFile();
    ASSERT_GE(errorFd_, 0);
  }
  void TearDown() override {
    // A test stopped half-way leaves no game running.
    int status;
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0) WaitExit(pid_, 0);
    if (errorFd_ >= 0) close(errorFd_);
    if (display_) XCloseDisplay(display_);
  }
  pid_t StartGame(const char* argument = nullptr) {
    return pid_ = Start(DisplayGiven::kServer, errorFd_, folder_.path(), argument);
  }

  Display* display_ = nullptr;
  pid_t pid_ = 0;
  GameFolder folder_;
  int errorFd_ = -1;
};

// With its media, through the menu's start-up, and closed: exit code 0, which a leak at exit (the
// leak checker's report) would turn into another.
TEST_F(WindowedGame, WindowClosedThroughTheServerEndsWithExitCodeZero) {
  const pid_t pid = StartGame();
  const Window window = WaitForWindow(display_, pid, 60000);
  ASSERT_NE(window, 0u) << "no window appeared (or the game ended first): " << ReadAll(errorFd_);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window, &attributes);
  EXPECT_EQ(attributes.width, 640);
  EXPECT_EQ(attributes.height, 480);

  usleep(10000000);  // let start-up load the media (a close at any point must leave nothing behind)
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window;
  close.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &close);
  XFlush(display_);
  EXPECT_EQ(WaitExit(pid, 90000), 0) << ReadAll(errorFd_);
}

// No display set, or one that does not answer: the reason on stderr and an exit code other than 0,
// rather than a game running where nobody sees it. (The wait only stops a game that keeps running.)
TEST(Executable, WithoutADisplayItSaysWhyAndExitsNonZero) {
  struct Case {
    DisplayGiven display;
    const char* reason;
  } cases[] = {{DisplayGiven::kNone, "DISPLAY is not set"}, {DisplayGiven::kUnreachable, "DISPLAY \":4093\" cannot be reached"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const int fd = ScratchErrorFile();
    ASSERT_GE(fd, 0);
    const pid_t pid = Start(c.display, fd);
    const int code = WaitExit(pid, 30000);
    EXPECT_NE(code, 0);
    EXPECT_NE(code, -1) << "still running with no display";
    const std::string text = ReadAll(fd);
    close(fd);
    EXPECT_NE(text.find("qel could not start: no display could be opened: " + std::string(c.reason)), std::string::npos)
        << text;
  }
}

// SIGTERM while the first splash shows: the game leaves at once, cleanly (exit code 0, nothing leaked),
// and reads neither the second splash nor the loading screen. Start-up checks its media files before
// the splash, so the splash is up once its picture has been read and the folder has been quiet since.
TEST(Executable, QuitSignalDuringTheSplashEndsTheGameBeforeTheNextScreen) {
  GameFolder folder;
  ASSERT_TRUE(folder.copied()) << folder.path();
  OpenWatch art(folder.path() + "/Art");
  ASSERT_TRUE(art.watching());
  const int errorFd = ScratchErrorFile();
  ASSERT_GE(errorFd, 0);
  const pid_t pid = Start(DisplayGiven::kOffscreen, errorFd, folder.path());
  bool splashRead = false;
  uint32_t lastOpen = platform::window::TimeGetTime();
  for (const uint32_t start = lastOpen; platform::window::TimeGetTime() - start < 60000;) {
    for (const std::string& name : art.Take()) {
      lastOpen = platform::window::TimeGetTime();
      splashRead = splashRead || name == "heaven.jpg";
    }
    if (splashRead && platform::window::TimeGetTime() - lastOpen > 1000) break;
    int status;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the game ended before the splash: " << ReadAll(errorFd);
    usleep(20000);
  }
  ASSERT_TRUE(splashRead) << "the splash picture was never read";
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 20000), 0) << ReadAll(errorFd);
  for (const std::string& name : art.Take()) {
    EXPECT_NE(name, "music.jpg") << "the second splash came after the quit signal";
    EXPECT_NE(name, "Loading.jpg") << "the loading screen came after the quit signal";
  }
  close(errorFd);
}

// F5 in the editor starts the game on the saved map; the editor asked to quit meanwhile (SIGTERM) ends
// that second game as well and reaps it, so nothing is left running once the editor has gone.
TEST_F(WindowedGame, TheEditorEndsItsTestRunWhenItQuits) {
  const pid_t pid = StartGame("-edit");
  const Window window = WaitForWindow(display_, pid, 60000);
  ASSERT_NE(window, 0u) << "no window appeared (or the editor ended first): " << ReadAll(errorFd_);

  // F5 again and again: presses before the editor's loop runs (the loading screen) do nothing.
  const KeyCode f5 = XKeysymToKeycode(display_, XK_F5);
  pid_t testRun = 0;
  for (const uint32_t start = platform::window::TimeGetTime();
       !testRun && platform::window::TimeGetTime() - start < 90000;) {
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XTestFakeKeyEvent(display_, f5, True, 0);
    XSync(display_, False);
    usleep(100000);
    XTestFakeKeyEvent(display_, f5, False, 0);
    XSync(display_, False);
    for (int i = 0; i < 10 && !testRun; ++i) {
      usleep(100000);
      testRun = ChildOf(pid);
    }
    int status;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the editor ended: " << ReadAll(errorFd_);
  }
  ASSERT_NE(testRun, 0) << "F5 started no test run: " << ReadAll(errorFd_);

  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 60000), 0) << ReadAll(errorFd_);
  const bool gone = kill(testRun, 0) != 0 && errno == ESRCH;
  EXPECT_TRUE(gone) << "the test run (process " << testRun << ") outlived the editor";
  if (!gone) kill(testRun, SIGKILL);
}

}  // namespace
