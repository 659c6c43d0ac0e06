// kvodump: loads a model file the way the engine does (a KVO file read whole, anything else through
// its converter) and prints its tree: frames, meshes with their counts and FVF, texture stages,
// subsets, bones, the animation set and its tracks with their key counts. --trace also prints the
// 3DS reader's chunk trace (the game prints none).
//   kvodump [--trace] FILE...
#include <cstdio>
#include <cstring>

#include "engine/formats/converter_3ds.h"
#include "engine/formats/model_loader.h"
#include "engine/formats/model_summary.h"

int main(int argc, char** argv) {
  int first = 1;
  if (first < argc && std::strcmp(argv[first], "--trace") == 0) {
    Set3DSDebugOutput(stdout);
    ++first;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: kvodump [--trace] FILE...\n");
    return 2;
  }
  int failures = 0;
  for (int i = first; i < argc; ++i) {
    std::unique_ptr<ObjectRecord> object;
    uint32_t error = 0;
    if (argc - first > 1) std::printf("== %s\n", argv[i]);
    if (!TryLoadModelFile(argv[i], &object, &error)) {
      std::fprintf(stderr, "%s: load failed with error %u\n", argv[i], error);
      ++failures;
      continue;
    }
    std::fputs(DescribeModel(*object).c_str(), stdout);
  }
  return failures ? 1 : 0;
}
