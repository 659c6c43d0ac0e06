#include "bench/formats/engine_md2_loader.h"

#ifdef QEL_BENCH_IRRLICHT
#include <benchmark/benchmark.h>
#include <irrlicht/irrlicht.h>

namespace {

// The engine without a video driver, and its MD2 loader.
irr::scene::IMeshLoader* EngineMD2Loader(irr::IrrlichtDevice** device) {
  static irr::IrrlichtDevice* engine = nullptr;
  static irr::scene::IMeshLoader* loader = nullptr;
  if (!engine) {
    engine = irr::createDevice(irr::video::EDT_NULL);
    if (!engine) return nullptr;
    engine->getLogger()->setLogLevel(irr::ELL_NONE);
    irr::scene::ISceneManager* scene = engine->getSceneManager();
    for (irr::u32 i = 0; i < scene->getMeshLoaderCount() && !loader; ++i)
      if (scene->getMeshLoader(i)->isALoadableFileExtension("model.md2")) loader = scene->getMeshLoader(i);
  }
  *device = engine;
  return loader;
}

}  // namespace

bool EngineMD2LoaderPresent() { return true; }

bool LoadWithEngineMD2Loader(const std::string& path) {
  irr::IrrlichtDevice* device = nullptr;
  irr::scene::IMeshLoader* loader = EngineMD2Loader(&device);
  if (!loader) return false;
  irr::io::IReadFile* file = device->getFileSystem()->createAndOpenFile(path.c_str());
  if (!file) return false;
  irr::scene::IAnimatedMesh* mesh = loader->createMesh(file);
  file->drop();
  benchmark::DoNotOptimize(mesh);
  if (!mesh) return false;
  mesh->drop();
  return true;
}

#else

bool EngineMD2LoaderPresent() { return false; }
bool LoadWithEngineMD2Loader(const std::string&) { return false; }

#endif
