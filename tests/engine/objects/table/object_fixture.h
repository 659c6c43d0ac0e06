// The engine brought up offscreen for the object module's tests: one 640 x 480 device per suite; the
// image, camera and object modules constructed as start-up constructs them before every test (the core's
// table fill has given the object module its links), with an object table that starts empty at capacity 0.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "engine/media2d/image.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_module.h"
#include "engine/objects/object_table.h"
#include "engine/objects/object_transform.h"
#include "engine/scene/camera.h"
#include "tests/engine/engine_fixture.h"

namespace objects_test {

constexpr const char* kAssimpX = "/usr/share/assimp/models/X/";

inline bool FileExists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

class ObjectModuleTest : public engine_test::EngineDisplayTest {
 public:
  void SetUp() override {
    CoreTable& t = GetCoreTable();
    ConstructModule(t.ImageModule);
    ConstructModule(t.CameraModule);
    GetObjectTable().capacity = 0;
    ConstructModule(t.ObjectModule);
    word_ = 0;
  }
  void TearDown() override {
    ObjectModule::Destructor();
    CameraModule::Destructor();
    ImageModule::Destructor();
  }

  static ObjectRecord* Object(int32_t number) { return FindObjectRecord(number); }
  static MeshRecord* FirstMesh(int32_t number) {
    ObjectRecord* record = FindObjectRecord(number);
    return record && !record->meshList.empty() ? record->meshList[0] : nullptr;
  }
};

}  // namespace objects_test
