// The engine brought up offscreen with the image, camera and object modules as start-up constructs
// them, so that collision and ray queries run on objects made by the object commands. One device per
// suite; every test starts with an empty object table and a fresh collision state.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/media2d/image.h"
#include "engine/objects/collision.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_module.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "tests/engine/engine_fixture.h"

namespace collision_test {

class CollisionTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() { core_ = engine_test::StartEngineDisplay(&word_); }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }

  void SetUp() override {
    ImageModule::Constructor();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    CameraModule::Constructor();
    CameraModule::SetErrorHandler(&word_);
    CameraModule::PassCoreData(core_);
    DisableAutoCamera();
    GetObjectTable().capacity = 0;
    InstallObjectModuleLinks(ObjectModuleLinks{
        .getImageTexture = GetImageTexture,
        .loadTextureByName = LoadTextureByName,
        .getImageFileName = GetImageFileName,
        .getImageWidth = GetImageWidth,
        .getImageHeight = GetImageHeight,
        .deleteImage = DeleteImage,
        .setImageReleaseHandler = SetImageReleaseHandler,
        .getCameraData = GetCameraData,
        .placeAutoCamera = PlaceAutoCamera,
        .refreshCameraById = RefreshCameraById,
        .setCameraFov = static_cast<void (*)(int32_t, float)>(SetCameraFOV),
        .getDevice = GetDirect3DDevice,
    });
    ObjectModule::Constructor();
    ObjectModule::SetErrorHandler(&word_);
    ObjectModule::PassCoreData(core_);
    ResetCollisionState();
    word_ = 0;
  }
  void TearDown() override {
    ObjectModule::Destructor();
    CameraModule::Destructor();
    ImageModule::Destructor();
  }

  static ObjectRecord* Object(int32_t number) { return FindObjectRecord(number); }

  // A box object of the given size at a place.
  static ObjectRecord* Box(int32_t number, Vector3 size, Vector3 at) {
    CreateBoxObject(number, size.x, size.y, size.z);
    PositionObject(number, at.x, at.y, at.z);
    return Object(number);
  }

  static inline uint32_t word_ = 0;
  static inline CoreData* core_ = nullptr;
};

}  // namespace collision_test
