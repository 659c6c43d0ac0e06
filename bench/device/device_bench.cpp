// The device layer against raw GL: N lit, textured cubes at 640 x 480, one draw call per cube,
// one frame per iteration (presented and finished). Run with the off-screen video driver:
//   SDL_VIDEODRIVER=offscreen build/bench/bench_device
// Both sides run in the same process with the same heap settings (trimming off, as the platform
// layer sets it at start-up); the figure to compare is "fps". On a busy machine wall time is noisy:
// instructions per frame are not, all threads counted with llvmpipe drawing on the main thread:
//   SDL_VIDEODRIVER=offscreen LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='*DeviceFrame*'
//       build/bench/bench_device --benchmark_filter='^Device/2000' --benchmark_min_time=0.01
// (and '*RawGlFrame*' with '^RawGl/2000'); divide by the iterations printed.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "bench/device/unit_cube.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl.h"
#include "platform/gfx/window.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kWidth = 640, kHeight = 480;

gfx::Matrix Identity() {
  gfx::Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

gfx::Matrix Multiply(const gfx::Matrix& a, const gfx::Matrix& b) {
  gfx::Matrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

// World matrices of n cubes on a grid in front of the camera, each turned a little differently.
std::vector<gfx::Matrix> Placements(int n) {
  std::vector<gfx::Matrix> out;
  int side = int(std::ceil(std::sqrt(double(n))));
  for (int i = 0; i < n; ++i) {
    float a = 0.01f * float(i);
    gfx::Matrix m = Identity();
    m.m[0][0] = std::cos(a);
    m.m[0][2] = -std::sin(a);
    m.m[2][0] = std::sin(a);
    m.m[2][2] = std::cos(a);
    float scale = 24.0f / float(side);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) m.m[r][c] *= scale * 0.7f;
    m.m[3][0] = (float(i % side) + 0.5f) * scale - 12.0f;
    m.m[3][1] = (float(i / side) + 0.5f) * scale - 12.0f;
    m.m[3][2] = 20.0f;
    out.push_back(m);
  }
  return out;
}

gfx::Matrix Projection() {
  gfx::Matrix m{};
  float ys = 1.0f / std::tan(0.5f), zn = 1, zf = 100;
  m.m[0][0] = ys * kHeight / kWidth;
  m.m[1][1] = ys;
  m.m[2][2] = zf / (zf - zn);
  m.m[2][3] = 1;
  m.m[3][2] = -zn * zf / (zf - zn);
  return m;
}

// Share of pixels the cubes cover in the last frame, so that both sides are seen to draw the same.
double Covered(const std::vector<uint32_t>& pixels, uint32_t background) {
  size_t n = 0;
  for (uint32_t p : pixels) n += (p & 0xFFFFFF) != (background & 0xFFFFFF);
  return double(n) / double(pixels.size());
}

// Mean of one channel (shift 16 red, 8 green, 0 blue): equal when both sides shade alike.
double Mean(const std::vector<uint32_t>& pixels, int shift) {
  double sum = 0;
  for (uint32_t p : pixels) sum += double((p >> shift) & 255);
  return sum / double(pixels.size());
}

std::vector<uint32_t> Checker() {
  std::vector<uint32_t> t(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) t[size_t(y) * 64 + x] = ((x / 8 + y / 8) & 1) ? 0xFFE0C080 : 0xFF406080;
  return t;
}

struct BenchWindow final : gfx::Window {
  BenchWindow() {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    window = SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  }
  ~BenchWindow() {
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_Window* SdlWindow() const override { return window; }
  SDL_Window* window;
};

// One frame through the device (kept out of line so that instruction counters can single it out:
// valgrind --tool=callgrind --toggle-collect='*DeviceFrame*').
__attribute__((always_inline)) inline void DeviceFrameBody(gfx::Device* dev, const std::vector<gfx::Matrix>& worlds,
                                                           bool engineLike, const gfx::Material* mat, gfx::Texture* tex,
                                                           gfx::VertexBuffer* vb, gfx::IndexBuffer* ib, uint32_t fvf) {
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000040, 1.0f, 0);
  dev->BeginScene();
  for (const gfx::Matrix& w : worlds) {
    if (engineLike) {
      dev->SetMaterial(mat);
      dev->SetRenderState(gfx::RS_LIGHTING, 1);
      dev->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
      dev->SetRenderState(gfx::RS_ZENABLE, 1);
      for (uint32_t t : {gfx::SAMP_ADDRESSU, gfx::SAMP_ADDRESSV}) dev->SetSamplerState(0, t, gfx::TADDRESS_WRAP);
      for (uint32_t t : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER}) dev->SetSamplerState(0, t, gfx::TEXF_LINEAR);
      dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
      dev->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
      dev->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
      dev->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
      dev->SetTexture(0, tex);
      dev->SetFVF(fvf);
      dev->SetStreamSource(0, vb, 0, sizeof(Vertex));
      dev->SetIndices(ib);
    }
    dev->SetTransform(gfx::TS_WORLD, &w);
    dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 0, 0, 24, 0, 12);
  }
  dev->EndScene();
  dev->Present(nullptr, nullptr, nullptr, nullptr);
  glFinish();
}

__attribute__((noinline)) void DeviceFrame(gfx::Device* dev, const std::vector<gfx::Matrix>& worlds, bool engineLike,
                                           const gfx::Material* mat, gfx::Texture* tex, gfx::VertexBuffer* vb,
                                           gfx::IndexBuffer* ib, uint32_t fvf) {
  DeviceFrameBody(dev, worlds, engineLike, mat, tex, vb, ib, fvf);
}

// engineLike: every cube re-sends the states a mesh draw sends (material, sampler and stage states,
// texture, stream, format), all unchanged, as the object renderer does; the state cache must make
// them free.
void RunDevice(benchmark::State& state, bool engineLike) {
  BenchWindow window;
  gfx::Api* api = gfx::CreateApi(gfx::kSdkVersion);
  gfx::PresentParams p{};
  p.backBufferWidth = kWidth;
  p.backBufferHeight = kHeight;
  p.backBufferFormat = gfx::FMT_X8R8G8B8;
  p.backBufferCount = 1;
  p.swapEffect = gfx::SWAPEFFECT_DISCARD;
  p.deviceWindow = &window;
  p.windowed = 1;
  p.enableAutoDepthStencil = 1;
  p.autoDepthStencilFormat = gfx::FMT_D24S8;
  p.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
  gfx::Device* dev = nullptr;
  if (api->CreateDevice(0, gfx::DEVTYPE_HAL, &window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, &p, &dev) != gfx::kOk) {
    state.SkipWithError("no device");
    api->Release();
    return;
  }
  std::vector<Vertex> vertices;
  std::vector<uint16_t> indices;
  MakeCube(&vertices, &indices);
  const uint32_t fvf = gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1;
  gfx::VertexBuffer* vb = nullptr;
  gfx::IndexBuffer* ib = nullptr;
  dev->CreateVertexBuffer(uint32_t(vertices.size() * sizeof(Vertex)), gfx::USAGE_WRITEONLY, fvf, gfx::POOL_MANAGED, &vb,
                          nullptr);
  dev->CreateIndexBuffer(uint32_t(indices.size() * 2), gfx::USAGE_WRITEONLY, gfx::FMT_INDEX16, gfx::POOL_MANAGED, &ib,
                         nullptr);
  void* data = nullptr;
  vb->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
  vb->Unlock();
  ib->Lock(0, 0, &data, 0);
  std::memcpy(data, indices.data(), indices.size() * 2);
  ib->Unlock();
  gfx::Texture* tex = nullptr;
  dev->CreateTexture(64, 64, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr);
  gfx::LockedRect lr;
  tex->LockRect(0, &lr, nullptr, 0);
  std::vector<uint32_t> checker = Checker();
  for (int y = 0; y < 64; ++y) std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch, &checker[size_t(y) * 64], 256);
  tex->UnlockRect(0);

  gfx::Matrix proj = Projection(), view = Identity();
  dev->SetTransform(gfx::TS_PROJECTION, &proj);
  dev->SetTransform(gfx::TS_VIEW, &view);
  gfx::Light light{};
  light.type = gfx::LIGHT_DIRECTIONAL;
  light.diffuse = {1, 1, 1, 1};
  light.direction = {0.3f, -0.5f, 0.8f};
  dev->SetLight(0, &light);
  dev->LightEnable(0, 1);
  gfx::Material mat{};
  mat.diffuse = mat.ambient = {1, 1, 1, 1};
  dev->SetMaterial(&mat);
  dev->SetRenderState(gfx::RS_AMBIENT, 0xFF303030);
  dev->SetTexture(0, tex);
  dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  dev->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  dev->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  dev->SetFVF(fvf);
  dev->SetStreamSource(0, vb, 0, sizeof(Vertex));
  dev->SetIndices(ib);
  std::vector<gfx::Matrix> worlds = Placements(int(state.range(0)));
  // Warm-up frames (shader compilation) stay out of the measured function.
  for (int i = 0; i < 3; ++i) DeviceFrameBody(dev, worlds, engineLike, &mat, tex, vb, ib, fvf);
  for (auto _ : state) DeviceFrame(dev, worlds, engineLike, &mat, tex, vb, ib, fvf);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  gfx::Surface *bb = nullptr, *copy = nullptr;
  dev->GetBackBuffer(0, 0, gfx::BACKBUFFER_TYPE_MONO, &bb);
  dev->CreateOffscreenPlainSurface(kWidth, kHeight, gfx::FMT_X8R8G8B8, gfx::POOL_SYSTEMMEM, &copy, nullptr);
  dev->GetRenderTargetData(bb, copy);
  copy->LockRect(&lr, nullptr, gfx::LOCK_READONLY);
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(lr.bits), static_cast<uint32_t*>(lr.bits) + kWidth * kHeight);
  copy->UnlockRect();
  state.counters["covered"] = Covered(pixels, 0xFF000040);
  state.counters["green"] = Mean(pixels, 8);
  copy->Release();
  bb->Release();
  dev->SetTexture(0, nullptr);
  dev->SetStreamSource(0, nullptr, 0, 0);
  dev->SetIndices(nullptr);
  tex->Release();
  vb->Release();
  ib->Release();
  dev->Release();
  api->Release();
}

// One frame of raw GL (valgrind --tool=callgrind --toggle-collect='*RawGlFrame*').
__attribute__((always_inline)) inline void RawGlFrameBody(SDL_Window* window, GLuint fbo,
                                                          const std::vector<gfx::Matrix>& worlds) {
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glClearColor(0, 0, 0.25f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (const gfx::Matrix& w : worlds) {
    glLoadMatrixf(&w.m[0][0]);  // the view is the identity
    glDrawRangeElements(GL_TRIANGLES, 0, 23, 36, GL_UNSIGNED_SHORT, nullptr);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, kWidth, kHeight, 0, kHeight, kWidth, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  SDL_GL_SwapWindow(window);
  glFinish();
}

__attribute__((noinline)) void RawGlFrame(SDL_Window* window, GLuint fbo, const std::vector<gfx::Matrix>& worlds) {
  RawGlFrameBody(window, fbo, worlds);
}

// The same frame written directly against GL 2.1: the fixed-function calls a careful hand-written
// renderer makes, with the back buffer as a framebuffer object blitted to the window like the device's.
void RawGl(benchmark::State& state) {
  BenchWindow window;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GLContext context = SDL_GL_CreateContext(window.window);
  if (!context) {
    state.SkipWithError("no context");
    return;
  }
  SDL_GL_MakeCurrent(window.window, context);
  SDL_GL_SetSwapInterval(0);
  GLuint fbo, color, depth;
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
  GLuint buffers[2];
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
  GLuint tex;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  std::vector<uint32_t> checker = Checker();
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
  gfx::Matrix fix = Identity();
  fix.m[1][1] = -1;
  fix.m[2][2] = 2;
  fix.m[3][2] = -1;
  gfx::Matrix proj = Multiply(Projection(), fix);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(&proj.m[0][0]);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  float dir[4] = {-0.3f, 0.5f, -0.8f, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, dir);
  std::vector<gfx::Matrix> worlds = Placements(int(state.range(0)));
  for (int i = 0; i < 3; ++i) RawGlFrameBody(window.window, fbo, worlds);
  for (auto _ : state) RawGlFrame(window.window, fbo, worlds);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  state.counters["covered"] = Covered(pixels, 0xFF000040);
  state.counters["green"] = Mean(pixels, 8);
  glDeleteTextures(1, &tex);
  glDeleteTextures(1, &color);
  glDeleteBuffers(2, buffers);
  glDeleteRenderbuffers(1, &depth);
  glDeleteFramebuffers(1, &fbo);
  SDL_GL_MakeCurrent(window.window, nullptr);
  SDL_GL_DeleteContext(context);
}

void Device(benchmark::State& state) { RunDevice(state, false); }
void DeviceEngineStates(benchmark::State& state) { RunDevice(state, true); }

BENCHMARK(RawGl)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(Device)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(DeviceEngineStates)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  // As the platform layer does at start-up: llvmpipe frees and re-faults its per-frame memory, and
  // heap trimming makes that several times slower.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
