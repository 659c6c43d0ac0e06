// Loads every X, 3DS, MD2 and MDL model file of Debian's assimp-testmodels through LoadModelFile
// (reader, converter, KVO image and the image read back) and through the peer importer (its import
// alone, no post-processing); MD2 files also through the MD2 loader of a peer engine (Debian's
// libirrlicht-dev, which builds every frame as we do) where it is installed. Prints one line per file
// with the time of each and the ratio qel / peer, and the geometric mean of the ratios per format;
// the aims are a mean of at most 1 for every format and at most 2 against the engine's MD2 loader.
// Files are named relative to the models folder, as the game names its models, and the smallest X
// file once more by its full path. A file one side cannot load is listed and left out of the means.
// For each 3DS file the table also gives the time of its intermediate file's round trip alone
// (temporary folder, "kvotemp.x" written, read back and deleted, with the file's own X text): the
// part of a 3DS load that is file system work rather than conversion.
//
// Built only where the peer importer and Google Benchmark are installed. Run it from a Release build,
// repeated, and read the medians (the machine may be shared):
//   tools/setup-deps.sh --bench
//   cmake -S . -B build-perf -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-perf --target bench_formats
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824 build-perf/bench/formats/bench_formats
//       --benchmark_repetitions=5 --benchmark_report_aggregates_only=true   (one command line)
// main makes the heap settings the game's start-up makes, so every importer runs as it would in the
// game. --benchmark_filter=FORMAT/ (X/, 3DS/, MD2/, MDL/) runs one format.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/formats/engine_md2_loader.h"
#include "engine/formats/converter_3ds.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_loader.h"
#include "engine/formats/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kModels = "/usr/share/assimp/models";

struct Format {
  const char* name;       // also the folder below kModels
  const char* extension;  // compared without case
};
const Format kFormats[] = {{"X", "x"}, {"3DS", "3ds"}, {"MD2", "md2"}, {"MDL", "mdl"}};

enum class Importer { kQel, kPeer, kEngine, kTempFile };
const char* const kImporterNames[] = {"qel", "peer", "engine", "kvotemp.x"};

struct ModelFile {
  const Format* format;
  std::string path;  // relative to kModels, or absolute
};

bool HasExtension(const fs::path& file, const char* extension) {
  const std::string e = file.extension().string();
  return e.size() > 1 && strcasecmp(e.c_str() + 1, extension) == 0;
}

// Every file of the format below its folder (subfolders included), in name order.
std::vector<ModelFile> ListModelFiles() {
  std::vector<ModelFile> files;
  for (const Format& format : kFormats) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(kModels / format.name))
      if (entry.is_regular_file() && HasExtension(entry.path(), format.extension))
        paths.push_back(fs::relative(entry.path(), kModels).string());
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) files.push_back({&format, path});
    // A small model named by a long path, where finding the file costs most.
    if (std::string(format.name) == "X") files.push_back({&format, (kModels / "X/test_cube_text.x").string()});
  }
  return files;
}

bool LoadWithQel(const std::string& path) {
  std::unique_ptr<ObjectRecord> object;
  const bool ok = LoadModelFile(path.c_str(), &object);
  benchmark::DoNotOptimize(object.get());
  return ok;
}

Assimp::Importer& PeerImporter() {
  static Assimp::Importer importer;
  return importer;
}

bool LoadWithPeer(const std::string& path) {
  const aiScene* scene = PeerImporter().ReadFile(path, 0);
  benchmark::DoNotOptimize(scene);
  PeerImporter().FreeScene();
  return scene != nullptr;
}

bool LoadWithEngine(const std::string& path) { return LoadWithEngineMD2Loader(path); }

// The 3DS converter's round trip through its intermediate file, with the X text of `path` (made once).
bool TempFileRoundTrip(const std::string& path) {
  static std::map<std::string, std::string> texts;
  auto [it, added] = texts.try_emplace(path);
  if (added) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path.c_str(), &file) || !Write3DSAsXText(file.data(), file.size(), &it->second)) return false;
  }
  SetupTempFolder();
  const std::string temp = std::string(ModelTempFolder()) + "kvotemp.x";
  std::vector<uint8_t> back;
  const bool ok = WriteTemporaryFile(temp, it->second.data(), it->second.size()) && ReadWholeFile(temp.c_str(), &back);
  unlink(temp.c_str());
  return ok && back.size() == it->second.size();
}

bool Load(Importer importer, const std::string& path) {
  switch (importer) {
    case Importer::kQel: return LoadWithQel(path);
    case Importer::kPeer: return LoadWithPeer(path);
    case Importer::kEngine: return LoadWithEngine(path);
    case Importer::kTempFile: return TempFileRoundTrip(path);
  }
  return false;
}

std::string BenchmarkName(Importer importer, const ModelFile& file) {
  return std::string(file.format->name) + "/" + kImporterNames[int(importer)] + "/" + file.path;
}

void TimeLoad(benchmark::State& state, Importer importer, std::string path) {
  for (auto _ : state)
    if (!Load(importer, path)) state.SkipWithError("load failed");
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

  // One line per file, then the geometric mean of qel / peer (and qel / engine for MD2) per format.
  void PrintRatios(const std::vector<ModelFile>& files) const {
    std::printf("\n%-52s %10s %10s %7s %10s %7s %13s\n", "file", "qel ms", "peer ms", "ratio", "engine ms", "ratio",
                "kvotemp.x ms");
    for (const Format& format : kFormats) {
      double logPeer = 0, logEngine = 0;
      int peerCount = 0, engineCount = 0;
      for (const ModelFile& file : files) {
        if (file.format != &format) continue;
        const double qel = Time(Importer::kQel, file), peer = Time(Importer::kPeer, file);
        const double engine = Time(Importer::kEngine, file), temp = Time(Importer::kTempFile, file);
        if (qel <= 0 && peer <= 0 && engine <= 0) continue;  // not run (filtered out)
        std::printf("%-52s %10s %10s %7s %10s %7s %13s\n", file.path.c_str(), Figure(qel, 3).c_str(),
                    Figure(peer, 3).c_str(), Ratio(qel, peer).c_str(), Figure(engine, 3).c_str(),
                    Ratio(qel, engine).c_str(), Figure(temp, 3).c_str());
        if (qel > 0 && peer > 0) logPeer += std::log(qel / peer), ++peerCount;
        if (qel > 0 && engine > 0) logEngine += std::log(qel / engine), ++engineCount;
      }
      if (peerCount == 0 && engineCount == 0) continue;
      std::printf("%-52s %10s %10s %7s %10s %7s\n\n", (std::string(format.name) + " geometric mean").c_str(), "",
                  "", peerCount ? Figure(std::exp(logPeer / peerCount), 2).c_str() : "-", "",
                  engineCount ? Figure(std::exp(logEngine / engineCount), 2).c_str() : "-");
    }
    std::printf("(- : that side did not load the file, or does not read the format)\n");
  }

 private:
  double Time(Importer importer, const ModelFile& file) const {
    const auto found = milliseconds_.find(BenchmarkName(importer, file));
    return found == milliseconds_.end() ? 0 : found->second;
  }
  static std::string Figure(double value, int decimals) {
    if (value <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
  }
  static std::string Ratio(double qel, double other) { return qel > 0 && other > 0 ? Figure(qel / other, 2) : "-"; }

  std::map<std::string, double> milliseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  // The heap settings the game's start-up makes (InitPlatform), so the importers are timed as the
  // game would run them: freed memory stays in the process and large blocks stay in the heap.
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  mallopt(M_TOP_PAD, 64 * 1024 * 1024);
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  if (!fs::is_directory(kModels / "X")) {
    std::fprintf(stderr, "assimp-testmodels is not installed (%s): tools/setup-deps.sh --bench\n", kModels.c_str());
    return 1;
  }
  fs::current_path(kModels);
  const std::vector<ModelFile> files = ListModelFiles();
  // Each side tries every file once; what it cannot load is said here and not timed.
  for (const ModelFile& file : files) {
    std::vector<Importer> importers = {Importer::kQel, Importer::kPeer};
    if (EngineMD2LoaderPresent() && std::string(file.format->name) == "MD2") importers.push_back(Importer::kEngine);
    if (std::string(file.format->name) == "3DS") importers.push_back(Importer::kTempFile);
    for (Importer importer : importers) {
      if (!Load(importer, file.path)) {
        std::printf("%s does not load %s: not timed\n", kImporterNames[int(importer)], file.path.c_str());
        continue;
      }
      benchmark::RegisterBenchmark(BenchmarkName(importer, file).c_str(), TimeLoad, importer, file.path)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(files);
  return 0;
}
