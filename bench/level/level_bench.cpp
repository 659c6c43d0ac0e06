// The game playing a real map of its media: the game's own start-up with "-map", then a fixed number
// of frames of play steered by a fixed script (accelerate, turn, brake, a key for the intro and the
// panels, Return for the messages), at the game's 60 Hz limit. Prints, as median, p90 and p99, the
// intervals between buffer swaps (when the picture changes; with the count over the period + 1.5 ms
// and over two periods), the frame times (between the ends of two waits for the frame period) and the
// work of each frame (everything the main thread does between two waits), the work as a share of the
// period, and the process's CPU use (CPUs busy on average, the renderer's threads included, and the
// main thread's share: the rest is the GL driver's own threads). Run by hand:
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy taskset -c 0,1 build/bench/level/bench_level
//   ... bench_level --map 'Tutorial\tutor00.qel' --frames 1200
//   ... bench_level --all          (every map of assets/Maps, each in a process of its own)
//   ... bench_level --no-limit     (frames as fast as they draw: the work alone)
//   ... bench_level --fixed-clock  (the game's clock steps one period a frame, whatever the frame took:
//       a run under a profiler plays the same frames as a run at full speed; with --no-limit)
// The game reads its own command line, so each map runs in a child process started as
// "bench_level -map 'Class\name.qel' --frames N"; run that form directly under a profiler, e.g.
//   LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='*PlayLevel*' bench_level -map
//       'Beginner\beginner00.qel' --frames 300 --no-limit --fixed-clock
//   ... bench_level --startup      (the game started without arguments: the time from the process's
//       start to the end of the menu's first frame, splash screens included)
//   ... bench_level --menu         (the main menu left idle: its swaps and CPU use over --frames frames)
// The media come from assets/ in the source tree or $QEL_ASSETS and are copied to a scratch folder, where
// the game runs as in its data folder. In play the wait for the period is the engine's own
// (WaitFramePeriod), called from the frame hook so the bench sees where it starts and ends; the menu
// runs the engine's frame step untouched.
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "game/play/game_state.h"
#include "game/play/play_loop.h"
#include "game/play/play_loop_input.h"
#include "game/editor/map_editor.h"
#include "game/shell/control_bindings.h"
#include "game/shell/game_main.h"
#include "game/shell/menu.h"
#include "platform/window/clock.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kPeriodMs = 900 / 60;  // the game's frame period at its limit of 60
constexpr const char* kStartUpVariable = "QEL_BENCH_STARTUP";
constexpr const char* kMenuVariable = "QEL_BENCH_MENU";
constexpr int32_t kMenuSettleFrames = 60;  // the menu's first second (its start-up) is not measured

struct Options {
  std::string map = "Beginner\\beginner00.qel";
  int32_t frames = 1200;
  bool all = false;
  bool noLimit = false;
  bool fixedClock = false;
  bool startUp = false;
  bool menu = false;
  fs::path assets;
};
Options gOptions;

// --- the frame hook: pacing as the engine does it, the clocks, the script's frame counter
HookFn gFileUpdate = nullptr;
int32_t gFrame = -1;  // frames of play so far; -1 before play starts
Clock::time_point gFrameStart;
uint32_t gFixedNow = 0;  // the game's clock with --fixed-clock
std::vector<double> gIntervals, gWork, gSwaps;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// --- the process's CPU time against the wall clock over the measured frames
// (the hooks that start and stop a span run on the main thread, so the thread clock is the main thread's)
double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
struct CpuSpan {
  double cpuStart = 0, cpuEnd = 0, mainStart = 0, mainEnd = 0;
  Clock::time_point wallStart, wallEnd;
  void Start() {
    cpuStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID), mainStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    wallStart = Clock::now();
  }
  void Stop() {
    cpuEnd = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID), mainEnd = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    wallEnd = Clock::now();
  }
  double Wall() const { return std::chrono::duration<double>(wallEnd - wallStart).count(); }
  double Busy() const { return Wall() > 0 ? (cpuEnd - cpuStart) / Wall() : 0; }
  double MainBusy() const { return Wall() > 0 ? (mainEnd - mainStart) / Wall() : 0; }
};
CpuSpan gCpu;

// --- the swaps: the display's present, timed when it returns
void (*gPresent)() = nullptr;
bool gSwapsTimed = false;
Clock::time_point gLastSwap;
void TimedPresent() {
  gPresent();
  const Clock::time_point now = Clock::now();
  if (gSwapsTimed && gLastSwap != Clock::time_point{}) gSwaps.push_back(Ms(now - gLastSwap));
  gLastSwap = now;
}
void TimeSwaps() {
  CoreTable& table = GetCoreTable();
  if (table.PresentFrame != TimedPresent) gPresent = table.PresentFrame, table.PresentFrame = TimedPresent;
}

void FrameHook() {
  const Clock::time_point workEnd = Clock::now();
  if (!gOptions.noLimit) WaitFramePeriod(kPeriodMs);
  const Clock::time_point start = Clock::now();
  if (gFrame >= 0) {
    gWork.push_back(Ms(workEnd - gFrameStart));
    gIntervals.push_back(Ms(start - gFrameStart));
  }
  gFrameStart = start;
  gFixedNow += kPeriodMs;
  ++gFrame;
  if (gFrame >= gOptions.frames) {
    if (!Core().quitRequest) gCpu.Stop();
    Core().quitRequest = 1;
  }
  if (gFileUpdate) gFileUpdate();
}

// --- the script
bool CommandDown(int32_t command) {
  const int32_t f = std::max(gFrame, 0) % 240;
  switch (command) {
    case kAccelerate: return f < 210;
    case kTurnLeft: return f >= 120 && f < 150;
    case kTurnRight: return f >= 210;
    case kBreak: return f >= 210;
    default: return false;
  }
}
int32_t ScriptKeyDown(int32_t scanCode) {
  for (int32_t command = 0; command < kGameCommandCount; ++command)
    if (Bindings().keyboard[command] == scanCode && CommandDown(command)) return 1;
  return 0;
}
int32_t NoButton(int32_t) { return 0; }
uint32_t NoDirection() { return 0; }
int32_t NoAxis() { return 0; }
const ControlInput kScriptControls{ScriptKeyDown, NoButton, NoDirection, NoDirection,
                                   NoDirection,   NoDirection, NoAxis,   NoAxis};

constexpr int32_t kSpaceScanCode = 57;
const PlayInput kScriptInput{
    // A key for three frames every 100 from frame 140 (the intro takes no key in its first 2 s): the
    // intro and the panels.
    [] { return gFrame >= 140 && (gFrame - 140) % 100 < 3 ? kSpaceScanCode : 0; },
    [] { return 0u; },
    [] { return uint32_t(gFrame % 150 == 100); },  // closes messages
    [] { return 0; },
    [] { return 0; },
    [] { return 0u; }};

// Plays the map until the frames are done: a level left early (death with no lives, the menu, a
// restart) is loaded and played again.
int32_t ScriptedPlay() {
  CoreTable& table = GetCoreTable();
  if (table.FileModuleUpdate != FrameHook) {
    gFileUpdate = table.FileModuleUpdate;
    table.FileModuleUpdate = FrameHook;
  }
  SetFrameRateLimit(0);  // the hook waits for the period instead, as the engine would
  SetControlInput(&kScriptControls);
  SetPlayInput(&kScriptInput);
  if (gOptions.fixedClock) {
    if (gFixedNow == 0) gFixedNow = GetTimer();
    SetGameTimerSource([] { return gFixedNow; });
  }
  TimeSwaps();
  if (gFrame < 0) gFrame = 0, gFrameStart = Clock::now(), gSwapsTimed = true, gCpu.Start();
  Game().lives = 99;
  PlayLevel();
  // Another round of the same map, unless the frames are done.
  Game().state = LoopCheck() && gFrame < gOptions.frames ? kStatePlayMap : kStateQuit;
  char path[kGamePathSize];
  std::snprintf(path, sizeof path, "%s", gOptions.map.c_str());
  StoreGamePath(Game().mapPath, path);
  return 0;
}
int32_t NoMenu() {
  Game().state = kStateQuit;
  return 0;
}

// --- start-up: the menu's first frame ends the run
const Clock::time_point gProcessStart = Clock::now();
double gFirstMenuFrameMs = 0;
void MenuFrameHook() {
  if (gFrame++ == 1) {  // the second frame's wait began when the first frame's work was done
    gFirstMenuFrameMs = Ms(Clock::now() - gProcessStart);
    Core().quitRequest = 1;
  }
  if (gFileUpdate) gFileUpdate();
}
// Runs the main menu with `hook` in the file module's update (called once a frame), then quits.
int32_t MenuWithFrameHook(HookFn hook) {
  CoreTable& table = GetCoreTable();
  gFileUpdate = table.FileModuleUpdate;
  table.FileModuleUpdate = hook;
  gFrame = 0;
  MainMenu();
  Game().state = kStateQuit;
  return 0;
}
int32_t FirstMenuFrame() { return MenuWithFrameHook(MenuFrameHook); }

// --- the idle menu: its frames after it settled, at the game's own frame limit
void IdleMenuFrameHook() {
  if (gFrame == kMenuSettleFrames) gSwapsTimed = true, gCpu.Start();
  if (gFrame++ == kMenuSettleFrames + gOptions.frames) {
    gCpu.Stop();
    Core().quitRequest = 1;
  }
  if (gFileUpdate) gFileUpdate();
}
int32_t IdleMenu() {
  TimeSwaps();
  return MenuWithFrameHook(IdleMenuFrameHook);
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, size_t(p / 100.0 * double(values.size())));
  return values[at];
}

size_t CountOver(const std::vector<double>& values, double limit) {
  return size_t(std::count_if(values.begin(), values.end(), [&](double v) { return v > limit; }));
}

// The swaps' line: intervals, the late ones and the CPU use over the same frames.
void ReportSwaps(const char* what) {
  const double period = kPeriodMs;
  std::printf("%-28s swaps %5zu  swap ms median %5.2f p90 %5.2f p99 %5.2f max %6.1f  over %.1f ms: %zu"
              "  over %.0f ms: %zu  CPUs busy %.2f (main thread %.2f)\n",
              what, gSwaps.size(), Percentile(gSwaps, 50), Percentile(gSwaps, 90), Percentile(gSwaps, 99),
              gSwaps.empty() ? 0.0 : *std::max_element(gSwaps.begin(), gSwaps.end()), period + 1.5,
              CountOver(gSwaps, period + 1.5), 2 * period, CountOver(gSwaps, 2 * period), gCpu.Busy(), gCpu.MainBusy());
}

void Report() {
  const double period = kPeriodMs;
  std::printf("%-28s frames %5zu  frame ms median %5.1f p90 %5.1f p99 %5.1f  work ms median %5.1f p90 %5.1f p99 %5.1f"
              "  work/period median %3.0f%% p99 %3.0f%%  over %u ms: %zu\n",
              gOptions.map.c_str(), gIntervals.size(), Percentile(gIntervals, 50), Percentile(gIntervals, 90),
              Percentile(gIntervals, 99), Percentile(gWork, 50), Percentile(gWork, 90), Percentile(gWork, 99),
              100 * Percentile(gWork, 50) / period, 100 * Percentile(gWork, 99) / period, kPeriodMs + 1,
              CountOver(gIntervals, period + 1));
  ReportSwaps(gOptions.map.c_str());
  std::fflush(stdout);
}

fs::path FindAssets() {
  if (const char* env = std::getenv("QEL_ASSETS"); env && *env) return env;
  return fs::path(QEL_SOURCE_DIR) / "assets";
}

// One map in this process: the media copied to a scratch game folder, the game started on the map.
int RunOne() {
  if (!fs::exists(gOptions.assets / "Maps")) {
    std::fprintf(stderr, "no media at %s (set QEL_ASSETS)\n", gOptions.assets.c_str());
    return 1;
  }
  std::string scratch = (fs::temp_directory_path() / "qel-bench-level-XXXXXX").string();
  if (!mkdtemp(scratch.data())) return 1;
  fs::copy(gOptions.assets, scratch, fs::copy_options::recursive);
  fs::current_path(scratch);
  const GameLoops loops{gOptions.menu ? IdleMenu : gOptions.startUp ? FirstMenuFrame : NoMenu, ScriptedPlay,
                        MapEditor};
  SetGameLoops(&loops);
  const int result = WinMain(nullptr, nullptr, "", 10);
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(scratch);
  if (gOptions.startUp) {
    std::printf("start-up: the menu's first frame done %.1f ms after the process started\n", gFirstMenuFrameMs);
    return result;
  }
  if (gOptions.menu) {
    ReportSwaps("menu (idle)");
    std::fflush(stdout);
    return result;
  }
  if (gIntervals.empty()) {
    std::fprintf(stderr, "%s: no frame was played\n", gOptions.map.c_str());
    return 1;
  }
  Report();
  return result;
}

// Runs this program again as the game reads its command line: "-map" and the map as words 1 and 2, or
// no word at all (the menu after the splash screens) with the start-up mode in the environment.
bool RunChild(const char* self, const std::string* map) {
  const std::string frames = std::to_string(gOptions.frames);
  std::vector<const char*> argv = {self};
  if (map) {
    argv.insert(argv.end(), {"-map", map->c_str(), "--frames", frames.c_str()});
    if (gOptions.noLimit) argv.push_back("--no-limit");
    if (gOptions.fixedClock) argv.push_back("--fixed-clock");
  }
  argv.push_back(nullptr);
  std::vector<std::string> variables;
  for (char** e = environ; *e; ++e) variables.emplace_back(*e);
  if (!map) {
    variables.emplace_back(std::string(gOptions.menu ? kMenuVariable : kStartUpVariable) + "=1");
    if (gOptions.menu) variables.emplace_back("QEL_BENCH_FRAMES=" + frames);
  }
  std::vector<char*> env;
  for (std::string& v : variables) env.push_back(v.data());
  env.push_back(nullptr);
  pid_t pid = 0;
  int status = 0;
  return posix_spawn(&pid, self, nullptr, nullptr, const_cast<char* const*>(argv.data()), env.data()) == 0 &&
         waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The maps asked for (every map of the media with --all), each in a process of its own: the engine
// starts once per process.
int RunMaps(const char* self) {
  std::vector<std::string> maps;
  if (gOptions.all) {
    for (const auto& entry : fs::recursive_directory_iterator(gOptions.assets / "Maps"))
      if (entry.path().extension() == ".qel")
        maps.push_back(entry.path().parent_path().filename().string() + "\\" + entry.path().filename().string());
    std::sort(maps.begin(), maps.end());
  } else {
    maps.push_back(gOptions.map);
  }
  int failures = 0;
  for (const std::string& map : maps) failures += RunChild(self, &map) ? 0 : 1;
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  gOptions.assets = FindAssets();
  bool child = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-map" && i == 1 && i + 1 < argc) gOptions.map = argv[++i], child = true;  // as the game reads it
    else if (a == "--map" && i + 1 < argc) gOptions.map = argv[++i];
    else if (a == "--frames" && i + 1 < argc) gOptions.frames = std::max(1, std::atoi(argv[++i]));
    else if (a == "--all") gOptions.all = true;
    else if (a == "--no-limit") gOptions.noLimit = true;
    else if (a == "--fixed-clock") gOptions.fixedClock = true;
    else if (a == "--startup") gOptions.startUp = true;
    else if (a == "--menu") gOptions.menu = true;
    else {
      std::fprintf(stderr,
                   "usage: %s [--map 'Class\\name.qel' | --all | --startup | --menu] [--frames N] [--no-limit] "
                   "[--fixed-clock]\n",
                   argv[0]);
      return 2;
    }
  }
  if (argc == 1 && std::getenv(kStartUpVariable)) child = gOptions.startUp = true;
  if (argc == 1 && std::getenv(kMenuVariable)) {
    child = gOptions.menu = true;
    if (const char* frames = std::getenv("QEL_BENCH_FRAMES")) gOptions.frames = std::max(1, std::atoi(frames));
  }
  gIntervals.reserve(size_t(gOptions.frames));
  gWork.reserve(size_t(gOptions.frames));
  gSwaps.reserve(size_t(gOptions.frames));
  if (child) return RunOne();
  if (gOptions.startUp || gOptions.menu) return RunChild("/proc/self/exe", nullptr) ? 0 : 1;
  return RunMaps("/proc/self/exe");
}
