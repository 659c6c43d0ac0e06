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

class ObjectModuleTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    core_ = engine_test::StartEngineDisplay(&word_);
    ASSERT_NE(GetDirect3DDevice(), nullptr);
  }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }

  void SetUp() override {
    ImageModule::Constructor();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    CameraModule::Constructor();
    CameraModule::SetErrorHandler(&word_);
    CameraModule::PassCoreData(core_);
    GetObjectTable().capacity = 0;
    ObjectModule::Constructor();
    ObjectModule::SetErrorHandler(&word_);
    ObjectModule::PassCoreData(core_);
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

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
};

}  // namespace objects_test
