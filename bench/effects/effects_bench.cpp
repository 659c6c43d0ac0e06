// Effects against the fixed pipeline: 2,000 lit, textured boxes at 640 x 480 drawn through the
// engine's camera passes, first as the fixed pipeline draws them, then with one shared HLSL effect
// (vertex lighting from light 0 through the semantic slots, the mesh's stage texture through a
// sampler), in five rounds of one and then the other over `seconds` of frames each; prints the median
// frame rates and the median ratio with its range.
//   SDL_VIDEODRIVER=offscreen GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824
//       build/bench/effects/bench_effects [boxes] [seconds]
// Instructions per frame are steadier than wall time on a shared machine: a third argument "fixed" or
// "effect" runs only that side for `seconds` frames (a whole number), with llvmpipe on the main thread:
//   LP_NUM_THREADS=0 valgrind --tool=callgrind --toggle-collect='*EffectBenchFrame*'
//       build/bench/effects/bench_effects 2000 10 effect
// and divide by the frame count.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/objects/box_scene.h"
#include "engine/objects/effect_object.h"
#include "engine/objects/mesh_state.h"

namespace {

using namespace box_scene;

constexpr const char* kEffect = R"(
float4x4 Wvp : WorldViewProjection;
float4x4 World : World;
float4 LightDir < string UIObject = "directionalight"; >;
texture Diffuse < string name = "checker"; >;
sampler2D DiffuseSampler = sampler_state { Texture = <Diffuse>; MinFilter = Linear; MagFilter = Linear; };
struct VsOut { float4 pos : POSITION; float2 uv : TEXCOORD0; float4 light : COLOR0; };
VsOut Lit(float4 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD0) {
  VsOut o;
  o.pos = mul(p, Wvp);
  o.uv = uv;
  o.light = saturate(dot(normalize(mul(n, (float3x3)World)), -LightDir.xyz)) + 0.19;
  return o;
}
float4 Shade(float2 uv : TEXCOORD0, float4 light : COLOR0) : COLOR { return tex2D(DiffuseSampler, uv) * light; }
technique LitTextured { pass { VertexShader = compile vs_2_0 Lit(); PixelShader = compile ps_2_0 Shade(); } }
)";

constexpr int kRounds = 5;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One frame, by a name a profiler can pick out.
__attribute__((noinline)) void EffectBenchFrame(CoreData* core, gfx::Device* device) { DrawFrame(core, device); }

// Runs `frames` frames after a few to warm up (the profiling mode).
void RunFrames(CoreData* core, gfx::Device* device, int frames) {
  for (int i = 0; i < 5; ++i) DrawFrame(core, device);
  for (int i = 0; i < frames; ++i) EffectBenchFrame(core, device);
}

// Frames per second over `seconds` of frames, after a few to warm up.
double MeasureFps(CoreData* core, gfx::Device* device, double seconds) {
  for (int i = 0; i < 5; ++i) DrawFrame(core, device);
  const auto start = std::chrono::steady_clock::now();
  int frames = 0;
  double elapsed = 0;
  do {
    DrawFrame(core, device);
    ++frames;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (elapsed < seconds);
  return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);  // as the platform layer does at start-up
  mallopt(M_TOP_PAD, 64 << 20);
  const int boxes = argc > 1 ? std::atoi(argv[1]) : 2000;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
  const std::string only = argc > 3 ? argv[3] : "";
  Engine engine;
  if (!engine.ok) {
    std::fprintf(stderr, "no device\n");
    return 1;
  }
  gfx::Device* device = GetDirect3DDevice();
  SetUpScene(engine.core, device);
  gfx::Texture* texture = CheckerTexture(device);
  const std::string file = "/tmp/qel_bench_effect_" + std::to_string(::getpid()) + ".fx";
  std::ofstream(file) << kEffect;
  auto* effect = new MeshEffect;
  const bool loaded = effect->Load(file.c_str(), 0, 0);
  std::remove(file.c_str());
  if (!loaded) {
    std::fprintf(stderr, "the effect did not load\n");
    return 1;
  }
  auto makeBoxes = [&](bool withEffect) {
    ResetObjectManager();
    if (!withEffect) return MakeBoxes(boxes, texture);
    MakeBoxes(boxes, texture, [effect](MeshRecord* mesh) {
      if (SetMeshEffect(mesh, effect)) mesh->effectShared = 1;  // one effect for every box
    });
  };
  if (!only.empty()) {
    makeBoxes(only == "effect");
    RunFrames(engine.core, device, int(seconds));
    std::printf("%d boxes: %d %s frames\n", boxes, int(seconds), only == "effect" ? "effect" : "fixed pipeline");
  } else {
    // Rounds of one side and then the other, so that a busy machine slows both alike.
    std::vector<double> fixed, withEffect, ratios;
    for (int round = 0; round < kRounds; ++round) {
      makeBoxes(false);
      fixed.push_back(MeasureFps(engine.core, device, seconds / kRounds));
      makeBoxes(true);
      withEffect.push_back(MeasureFps(engine.core, device, seconds / kRounds));
      ratios.push_back(withEffect.back() / fixed.back());
    }
    std::printf("%d boxes: fixed pipeline %.1f fps, effect %.1f fps, effect / fixed %.2f (rounds %.2f to %.2f, "
                "draw calls %u)\n",
                boxes, Median(fixed), Median(withEffect), Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                engine.core->drawCalls);
  }
  TearDownScene(device);
  delete effect;
  texture->Release();
  return 0;
}
