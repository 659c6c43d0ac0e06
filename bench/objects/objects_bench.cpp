// The object renderer against raw GL on the same scene: N lit, textured cubes at 640 x 480 on the
// grid of bench/device's reference (one texture, one directional light, no glFinish per frame). The
// engine draws box objects through its camera passes (preparation, culling, opaque pass, late pass)
// and presents; raw GL draws the cubes with one matrix load and one draw call each and blits its
// framebuffer object to its window. Both sides run in one process, each in its own window and
// context, interleaved round by round, so that a busy machine slows both alike; one line per N gives
// the median frame rate of each side and their ratio (engine / raw GL):
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824 SDL_VIDEODRIVER=offscreen
//       taskset -c 0,1 build/bench/objects/bench_objects [--rounds=R] [--seconds=S] [N...]
// Instructions per frame are steadier than wall time on a shared machine; one side at a time, with
// llvmpipe drawing on the main thread:
//   LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='*EngineFrame*'
//       build/bench/objects/bench_objects --only=engine --frames=10 2000
// (and --toggle-collect='*RawGlFrame*' with --only=raw); divide by the frame count.
#include <SDL2/SDL.h>
#include <malloc.h>

#include "bench/device/unit_cube.h"
#include "bench/objects/box_scene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/objects/device_links.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_builders.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;
namespace pw = platform::window;

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr uint32_t kBackground = 0xFF000040;
constexpr float kLightDirection[3] = {0.3f, -0.5f, 0.8f};

using Clock = std::chrono::steady_clock;

uint32_t CheckerTexel(int x, int y) { return ((x / 8 + y / 8) & 1) ? 0xFFE0C080 : 0xFF406080; }

// Cube i of n on the reference's grid: centre, side and the turn about y (0.01 rad more each).
struct Cell {
  float x, y, z, side, turn;
};
Cell GridCell(int i, int n) {
  int columns = int(std::ceil(std::sqrt(double(n))));
  float cell = 24.0f / float(columns);
  return {(float(i % columns) + 0.5f) * cell - 12.0f, (float(i / columns) + 0.5f) * cell - 12.0f, 20.0f,
          cell * 0.7f, 0.01f * float(i)};
}

// ---------------------------------------------------------------------------------------------
// The engine side: the display module on its own window, camera 0 at the origin looking along +z
// (1 rad field of view, range 1 to 100), light 0, box objects 1..n.

struct Engine {
  box_scene::Engine base;  // first, so the display and the window end last
  CoreData* core = nullptr;
  gfx::Device* device = nullptr;
  gfx::Texture* texture = nullptr;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool ok = false;

  Engine() {
    if (!base.ok) return;
    core = base.core;
    device = GetDirect3DDevice();
    window = SDL_GL_GetCurrentWindow();
    context = SDL_GL_GetCurrentContext();
    box_scene::SetUpScene(core, device);
    texture = box_scene::CheckerTexture(device);
    ok = window && context;
  }

  ~Engine() {
    if (!device) return;
    Use();
    ClearBoxes();
    GetObjectModuleState() = ObjectModuleState{};
    CameraModule::Destructor();
    device->SetTexture(0, nullptr);
    if (texture) texture->Release();
  }

  void Use() const { SDL_GL_MakeCurrent(window, context); }

  // Box objects 1..n on the grid, each with one textured stage.
  void MakeBoxes(int n) {
    ClearBoxes();
    box_scene::MakeBoxes(n, texture);
  }

  void ClearBoxes() {
    ResetObjectManager();
    GetObjectTable().usedIds.clear();
    GetObjectTable().slots.clear();
  }
};

__attribute__((always_inline)) inline void EngineFrameBody(CoreData* core, gfx::Device* device) {
  core->polygonsDrawn = core->drawCalls = 0;
  device->BeginScene();
  BeginCameraPasses();
  do {
    for (core->renderPassIndex = 0; core->renderPassIndex < core->renderPassCount; ++core->renderPassIndex) {
      RunBeginStencilEffects();
      RunObjectMainPhase();
      RunEndStencilEffects();
      RunObjectLatePhase();
    }
  } while (AdvanceCameraPass() == 0);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

// One measured frame, out of line so that instruction counters can single it out.
__attribute__((noinline)) void EngineFrame(CoreData* core, gfx::Device* device) { EngineFrameBody(core, device); }

// ---------------------------------------------------------------------------------------------
// The raw GL side: bench/device's reference, a careful hand-written GL 2.1 fixed-function renderer.

struct RawGl {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  GLuint fbo = 0, color = 0, depth = 0, texture = 0, buffers[2] = {0, 0};
  std::vector<float> worlds;  // 16 floats per cube
  bool ok = false;

  RawGl() {
    window = SDL_CreateWindow("raw", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    context = SDL_GL_CreateContext(window);
    if (!context) return;
    Use();
    SDL_GL_SetSwapInterval(0);
    glGenFramebuffers(1, &fbo);
    glGenTextures(1, &color);
    glBindTexture(GL_TEXTURE_2D, color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kWidth, kHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);

    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    MakeCube(&vertices, &indices);
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 2), indices.data(), GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), nullptr);
    glNormalPointer(GL_FLOAT, sizeof(Vertex), reinterpret_cast<void*>(12));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<void*>(24));
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint32_t> checker(64 * 64);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) checker[size_t(y) * 64 + size_t(x)] = CheckerTexel(x, y);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, checker.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    float ambient[4] = {0.19f, 0.19f, 0.19f, 1}, white[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    glViewport(0, 0, kWidth, kHeight);
    // The engine's projection (1 rad, 1 to 100, left-handed) in GL's clip space, y flipped for a
    // back buffer stored top row first.
    const float ys = 1.0f / std::tan(0.5f), zn = 1, zf = 100, q = zf / (zf - zn);
    const float projection[16] = {ys * kHeight / kWidth, 0, 0, 0, 0, -ys, 0, 0, 0, 0, 2 * q - 1, 1, 0, 0,
                                  -2 * zn * q, 0};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float toLight[4] = {-kLightDirection[0], -kLightDirection[1], -kLightDirection[2], 0};
    glLightfv(GL_LIGHT0, GL_POSITION, toLight);
    ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }

  ~RawGl() {
    if (context) {
      Use();
      glDeleteTextures(1, &texture);
      glDeleteTextures(1, &color);
      glDeleteBuffers(2, buffers);
      glDeleteRenderbuffers(1, &depth);
      glDeleteFramebuffers(1, &fbo);
      SDL_GL_MakeCurrent(window, nullptr);
      SDL_GL_DeleteContext(context);
    }
    if (window) SDL_DestroyWindow(window);
  }

  void Use() const { SDL_GL_MakeCurrent(window, context); }

  // World matrices (row vectors, as GL reads them column-major) of a unit cube scaled to the cell.
  void MakeCubes(int n) {
    worlds.assign(size_t(n) * 16, 0.0f);
    for (int i = 0; i < n; ++i) {
      const Cell c = GridCell(i, n);
      float* m = &worlds[size_t(i) * 16];
      const float cs = std::cos(c.turn) * c.side, sn = std::sin(c.turn) * c.side;
      m[0] = cs;
      m[2] = -sn;
      m[5] = c.side;
      m[8] = sn;
      m[10] = cs;
      m[12] = c.x;
      m[13] = c.y;
      m[14] = c.z;
      m[15] = 1;
    }
  }
};

__attribute__((always_inline)) inline void RawGlFrameBody(const RawGl& raw) {
  glBindFramebuffer(GL_FRAMEBUFFER, raw.fbo);
  glClearColor(0, 0, 0.25f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const size_t n = raw.worlds.size() / 16;
  for (size_t i = 0; i < n; ++i) {
    glLoadMatrixf(&raw.worlds[i * 16]);  // the view is the identity
    glDrawRangeElements(GL_TRIANGLES, 0, 23, 36, GL_UNSIGNED_SHORT, nullptr);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, raw.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, kWidth, kHeight, 0, kHeight, kWidth, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  SDL_GL_SwapWindow(raw.window);
}

__attribute__((noinline)) void RawGlFrame(const RawGl& raw) { RawGlFrameBody(raw); }

// ---------------------------------------------------------------------------------------------

// Frames per second of `frame` run for about `seconds` (at least three frames).
template <class Frame>
double MeasureFps(double seconds, Frame frame) {
  const Clock::time_point start = Clock::now();
  int frames = 0;
  double elapsed = 0.0;
  do {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds || frames < 3);
  return double(frames) / elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

struct Options {
  int rounds = 7;
  double seconds = 0.5;
  int frames = 0;           // with --only: run exactly this many frames of one side
  std::string only;         // "engine" or "raw"
  std::vector<int> counts;  // objects
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--rounds=", 0) == 0) o.rounds = std::max(1, std::atoi(a.c_str() + 9));
    else if (a.rfind("--seconds=", 0) == 0) o.seconds = std::max(0.01, std::atof(a.c_str() + 10));
    else if (a.rfind("--frames=", 0) == 0) o.frames = std::max(1, std::atoi(a.c_str() + 9));
    else if (a.rfind("--only=", 0) == 0) o.only = a.substr(7);
    else if (std::atoi(a.c_str()) > 0) o.counts.push_back(std::atoi(a.c_str()));
  }
  if (o.counts.empty()) o.counts = {500, 2000, 8000};
  if (!o.only.empty() && o.frames == 0) o.frames = 10;
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  // As the platform layer does at start-up (heap trimming makes llvmpipe several times slower).
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
  const Options options = ParseOptions(argc, argv);
  Engine engine;
  if (!engine.ok) {
    std::fprintf(stderr, "bench_objects: no engine device\n");
    return 1;
  }
  RawGl raw;
  if (!raw.ok) {
    std::fprintf(stderr, "bench_objects: no raw GL context\n");
    return 1;
  }
  for (int n : options.counts) {
    engine.Use();
    engine.MakeBoxes(n);
    for (int i = 0; i < 3; ++i) EngineFrameBody(engine.core, engine.device);  // buffers, shader compiles
    raw.Use();
    raw.MakeCubes(n);
    for (int i = 0; i < 3; ++i) RawGlFrameBody(raw);
    if (!options.only.empty()) {
      const bool engineSide = options.only == "engine";
      if (engineSide) engine.Use();
      for (int i = 0; i < options.frames; ++i) {
        if (engineSide) EngineFrame(engine.core, engine.device);
        else RawGlFrame(raw);
      }
      std::printf("%d objects: %d %s frames\n", n, options.frames, engineSide ? "engine" : "raw GL");
      continue;
    }
    std::vector<double> engineFps, rawFps, ratios;
    for (int round = 0; round < options.rounds; ++round) {
      engine.Use();
      const double e = MeasureFps(options.seconds, [&] { EngineFrame(engine.core, engine.device); });
      raw.Use();
      const double r = MeasureFps(options.seconds, [&] { RawGlFrame(raw); });
      engineFps.push_back(e);
      rawFps.push_back(r);
      ratios.push_back(e / r);
    }
    std::printf("%5d objects: engine %7.1f fps, raw GL %7.1f fps, ratio %.2fx (rounds %.2f to %.2f), %u draw calls\n",
                n, Median(engineFps), Median(rawFps), Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                engine.core->drawCalls);
    std::fflush(stdout);
  }
  return 0;
}
