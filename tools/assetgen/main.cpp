// assetgen <folder>: writes the game's media into <folder>, made from nothing but this code. The new set
// is made beside the folder and takes its place only when complete, so a failed run leaves the old
// set as it was.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/assetgen/generators.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: assetgen <folder>   (the project's assets/ folder)\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path target = fs::path(argv[1]).lexically_normal();
  const fs::path fresh = target.string() + ".new", old = target.string() + ".old";
  fs::remove_all(fresh);
  const Output out(fresh.string());
  MakeSplashArt(out);
  MakeHudArt(out);
  MakeTextures(out);
  MakeModels(out);
  MakeSounds(out);
  MakeMusic(out);
  MakeMaps(out);
  MakeStartFiles(out);
  MakeIcon(out);
  fs::remove_all(old);
  if (fs::exists(target)) fs::rename(target, old);
  fs::rename(fresh, target);
  fs::remove_all(old);
  std::printf("assetgen: media written to %s\n", target.string().c_str());
  return 0;
}
