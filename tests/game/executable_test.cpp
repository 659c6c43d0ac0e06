// The real executable: its window appears at 640 x 480, closing it through the X server ends the
// process with exit code 0, and without a display it says why and exits non-zero.
#include <gtest/gtest.h>
// After the test framework: the X headers define macros (None, Bool, ...) it would trip over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/window/clock.h"

namespace {

// The display the game's process is given: the test's X server, none at all, or one nobody answers at.
// Without a display SDL_VIDEODRIVER is unset too, as for a player: SDL is left to choose its driver.
enum class DisplayGiven { kServer, kNone, kUnreachable };

pid_t Start(DisplayGiven display, int stderrFd = -1, const std::string& folder = "") {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (display != DisplayGiven::kServer) {
      unsetenv("SDL_VIDEODRIVER");
      unsetenv("WAYLAND_DISPLAY");
      if (display == DisplayGiven::kNone) unsetenv("DISPLAY");
      else setenv("DISPLAY", ":4093", 1);
    }
    if (stderrFd >= 0) dup2(stderrFd, 2);
    // The leak checker stays on (it is on by default in sanitizer builds; this makes sure of it): the
    // game frees what the engine built before it exits, and a leak there fails the exit code.
    setenv("ASAN_OPTIONS", "detect_leaks=1:abort_on_error=0", 1);
    execl(QEL_EXECUTABLE, QEL_EXECUTABLE, static_cast<char*>(nullptr));
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

// With its media, through the menu's start-up, and closed: exit code 0, which a leak at exit (the
// leak checker's report) would turn into another.
TEST(Executable, WindowClosedThroughTheServerEndsWithExitCodeZero) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XSetErrorHandler(IgnoreXErrors);
  GameFolder folder;
  ASSERT_TRUE(folder.copied()) << folder.path();
  char errorPath[] = "/tmp/qel-stderr-XXXXXX";
  const int errorFd = mkstemp(errorPath);
  ASSERT_GE(errorFd, 0);
  unlink(errorPath);
  const pid_t pid = Start(DisplayGiven::kServer, errorFd, folder.path());
  Window window = 0;
  const uint32_t start = platform::window::TimeGetTime();
  while (!window && platform::window::TimeGetTime() - start < 60000) {
    usleep(50000);
    window = FindWindowOf(display, pid);
    int status;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the game ended before its window appeared";
  }
  ASSERT_NE(window, 0u) << "no window appeared";
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  EXPECT_EQ(attributes.width, 640);
  EXPECT_EQ(attributes.height, 480);

  usleep(10000000);  // let start-up load the media (a close at any point must leave nothing behind)
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window;
  close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &close);
  XFlush(display);
  EXPECT_EQ(WaitExit(pid, 90000), 0) << ReadAll(errorFd);
  ::close(errorFd);
  XCloseDisplay(display);
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
    char path[] = "/tmp/qel-stderr-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    unlink(path);
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

}  // namespace
