// Loads every X file of Debian's assimp-testmodels through LoadModelFile (reader, converter, KVO image
// and the image read back) and through the peer importer (its import alone, no post-processing),
// then prints the time of each and their ratio (qel / peer) per file; the aim is at most 1 on every
// file. Files are named relative to their folder, as the game names its models, and the smallest
// once more by its full path.
//
// Built only where the peer and Google Benchmark are installed. Run it from a Release build,
// repeated, and read the medians (the machine may be shared):
//   tools/setup-deps.sh --bench
//   cmake -S . -B build-perf -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-perf --target bench_formats
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824 build-perf/bench/formats/bench_formats
//       --benchmark_repetitions=5 --benchmark_report_aggregates_only=true   (one command line)
// main makes the heap settings the game's start-up makes, so both importers run as they would in
// the game.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "engine/formats/model_loader.h"

namespace {

const std::filesystem::path kFolder = "/usr/share/assimp/models/X";
const char* const kFiles[] = {"test_cube_text.x",   "test_cube_binary.x", "test_cube_compressed.x",
                              "fromtruespace_bin32.x", "anim_test.x",     "BCN_Epileptic.X",
                              "Testwuson.X",        "test.x",             "kwxport_test_cubewithvcolors.x",
                              // A small model named by a long path, where finding the file costs most.
                              "/usr/share/assimp/models/X/test_cube_text.x"};

void LoadWithQel(benchmark::State& state, std::string path) {
  for (auto _ : state) {
    std::unique_ptr<ObjectRecord> object;
    if (!LoadModelFile(path.c_str(), &object)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(object.get());
  }
}

void LoadWithPeer(benchmark::State& state, std::string path) {
  Assimp::Importer importer;
  for (auto _ : state) {
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(scene);
    importer.FreeScene();
  }
}

// Keeps each benchmark's time per iteration (milliseconds, the unit every run is registered with; the
// median when runs are repeated) by name, and prints as usual.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")) continue;
      milliseconds_[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%-44s %12s %12s %8s\n", "file", "qel ms", "peer ms", "ratio");
    for (const char* file : kFiles) {
      const auto qel = milliseconds_.find(std::string("qel/") + file);
      const auto peer = milliseconds_.find(std::string("peer/") + file);
      if (qel == milliseconds_.end() || peer == milliseconds_.end()) continue;
      std::printf("%-44s %12.3f %12.3f %8.2f\n", file, qel->second, peer->second, qel->second / peer->second);
    }
  }

 private:
  std::map<std::string, double> milliseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  // The heap settings the game's start-up makes (InitPlatform), so both importers are timed as the
  // game would run them: freed memory stays in the process and large blocks stay in the heap.
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  mallopt(M_TOP_PAD, 64 * 1024 * 1024);
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  if (!std::filesystem::is_directory(kFolder)) {
    std::fprintf(stderr, "assimp-testmodels is not installed (%s): tools/setup-deps.sh --bench\n", kFolder.c_str());
    return 1;
  }
  std::filesystem::current_path(kFolder);
  for (const char* file : kFiles) {
    benchmark::RegisterBenchmark((std::string("qel/") + file).c_str(), LoadWithQel, file)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("peer/") + file).c_str(), LoadWithPeer, file)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  return 0;
}
