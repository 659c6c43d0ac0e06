// The object renderer: N lit, textured box objects at 640 x 480 drawn through the engine's camera
// passes (preparation, culling, opaque pass, late pass), one frame per iteration, presented and
// finished. Compare "fps" with bench/device (raw GL, and the device alone) on the same machine:
//   SDL_VIDEODRIVER=offscreen build/bench/objects/bench_objects
//   SDL_VIDEODRIVER=offscreen build/bench/device/bench_device --benchmark_filter=RawGl
// On a busy machine wall time is noisy; instructions per measured frame are not:
//   SDL_VIDEODRIVER=offscreen LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='*ObjectsFrame(*'
//       build/bench/objects/bench_objects --benchmark_filter='Objects/2000'
// and divide by the calls of ObjectsFrame (callgrind_annotate --tree=caller).
// The boxes sit on the same grid as the device benchmark's cubes, turned a little each, under one
// directional light and a checker texture.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "bench/objects/box_scene.h"

namespace {

using namespace box_scene;

// One measured frame, kept out of line so that instruction counters can single it out (warm-up frames,
// which compile llvmpipe's shaders, go through the body directly).
__attribute__((noinline)) void ObjectsFrame(CoreData* core, gfx::Device* device) { DrawFrame(core, device); }

void Objects(benchmark::State& state) {
  Engine engine;
  if (!engine.ok) {
    state.SkipWithError("no device");
    return;
  }
  gfx::Device* device = GetDirect3DDevice();
  SetUpScene(engine.core, device);
  gfx::Texture* texture = CheckerTexture(device);
  MakeBoxes(int(state.range(0)), texture);

  for (int i = 0; i < 3; ++i) DrawFrame(engine.core, device);
  for (auto _ : state) ObjectsFrame(engine.core, device);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["drawCalls"] = double(engine.core->drawCalls);

  TearDownScene(device);
  texture->Release();
}
BENCHMARK(Objects)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// As the platform layer does at start-up (see design.md: heap trimming and llvmpipe).
const bool kHeapTuned = [] {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
