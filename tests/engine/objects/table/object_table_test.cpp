// The object table: number checks and their errors, growth, creating and deleting objects and meshes,
// models loaded from files, and what a device reset leaves.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "engine/objects/object_errors.h"
#include "engine/scene/camera_state.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/gfx/device.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace objects_test {
namespace {

using TableTest = ObjectModuleTest;

struct ErrorCase {
  const char* what;
  std::function<void()> call;
  uint32_t code;
};

TEST_F(TableTest, EveryCheckRaisesItsCode) {
  CreateBoxObject(1, 2, 2, 2);
  ASSERT_EQ(word_, 0u);
  const std::vector<ErrorCase> cases = {
      {"object 0", [] { ConfirmObject(0); }, kErrorObjectNumberOutOfRange},
      {"object above the range", [] { PositionObject(22000001, 0, 0, 0); }, kErrorObjectNumberOutOfRange},
      {"missing object", [] { PositionObject(7, 0, 0, 0); }, kErrorObjectMissing},
      {"getter of a missing object", [] { GetObjectX(7); }, kErrorObjectMissing},
      {"number in use", [] { ConfirmNewObject(1); }, kErrorObjectNumberInUse},
      {"frame index below 0", [] { LockFrameVertexData(1, -1); }, kErrorFrameIndexOutOfRange},
      {"frame index above the range", [] { LockFrameVertexData(1, 22000001); }, kErrorFrameIndexOutOfRange},
      {"no such frame", [] { LockFrameVertexData(1, 5); }, kErrorFrameMissing},
      {"mesh 0", [] { ConfirmMesh(0); }, kErrorMeshNumberOutOfRange},
      {"missing mesh", [] { CreateObjectFromMeshCommand(2, 9, 0); }, kErrorMeshMissing},
      {"new mesh out of range", [] { CreateMeshFromObject(-3, 1); }, kErrorMeshNumberOutOfRange},
      {"maker out of range keeps its code", [] { CreateBoxObject(0, 1, 1, 1); }, kErrorObjectNumberOutOfRange},
      {"exists out of range", [] { ObjectExists(0); }, kErrorObjectNumberOutOfRange},
      {"model file missing", [] { LoadObject("no such model.x", 3); }, 105u},
      {"model without a converter", [] { LoadObject("/etc/hostname", 3); }, kErrorModelLoadFailed},
  };
  for (const ErrorCase& c : cases) {
    word_ = 0;
    c.call();
    EXPECT_EQ(word_, c.code) << c.what;
  }
  word_ = 0;
  EXPECT_EQ(ObjectExists(12345), 0);
  EXPECT_EQ(ObjectExists(1), 1);
  EXPECT_EQ(word_, 0u) << "a missing object is no error for ObjectExists";
}

TEST_F(TableTest, ExcludedObjectFailsWithoutError) {
  CreateBoxObject(4, 1, 1, 1);
  Object(4)->excluded = 1;
  PositionObject(4, 5, 5, 5);
  EXPECT_EQ(word_, 0u);
  EXPECT_EQ(Object(4)->placement.position.x, 0.0f);
  EXPECT_EQ(GetObjectPointer(4), nullptr);
}

TEST_F(TableTest, TablesGrowByFiftyOrToTheNumberPlusFive) {
  CreateBoxObject(1, 1, 1, 1);
  EXPECT_EQ(GetObjectTable().capacity, 50);
  CreateBoxObject(50, 1, 1, 1);
  EXPECT_EQ(GetObjectTable().capacity, 100);
  CreateBoxObject(1000, 1, 1, 1);
  EXPECT_EQ(GetObjectTable().capacity, 1005);
  EXPECT_EQ(GetObjectManager().capacity, 1005u) << "the renderer's lists follow the table";
  EXPECT_EQ(GetObjectTable().usedIds, (std::vector<int32_t>{1, 50, 1000}));

  CreateMeshFromObject(50, 1);
  EXPECT_EQ(GetMeshTable().capacity, 55);
  ASSERT_NE(FindMeshRecord(50), nullptr);
  EXPECT_EQ(FindMeshRecord(50)->vertexCount, 24);
}

TEST_F(TableTest, NumberInUseIsReplacedAndTheOldObjectGoes) {
  CreateBoxObject(3, 1, 1, 1);
  CreateTriangleObject(3, 0, 0, 0, 1, 0, 0, 1, 1, 0);
  EXPECT_EQ(word_, kErrorObjectNumberInUse);
  ASSERT_NE(Object(3), nullptr);
  EXPECT_STREQ(Object(3)->root->name, "triangle");
  EXPECT_EQ(GetObjectTable().usedIds, std::vector<int32_t>{3});
}

TEST_F(TableTest, MakersBuildTheirMeshes) {
  CreateBoxObject(1, 2, 4, 6);
  CreateTriangleObject(2, 0, 0, 0, 3, 0, 0, 3, 3, 0);
  ASSERT_NE(FirstMesh(1), nullptr);
  ASSERT_NE(FirstMesh(2), nullptr);
  EXPECT_STREQ(Object(1)->root->name, "box");
  EXPECT_EQ(FirstMesh(1)->vertexCount, 24);
  EXPECT_EQ(FirstMesh(1)->indexCount, 36);
  EXPECT_EQ(FirstMesh(1)->fvf, 274u);
  EXPECT_FLOAT_EQ(Object(1)->bounds.boxMax.y, 2.0f);
  EXPECT_EQ(Object(1)->bounds.collisionType, 2u);
  EXPECT_EQ(Object(1)->refreshBuffers, 1);

  EXPECT_EQ(FirstMesh(2)->vertexCount, 3);
  EXPECT_EQ(FirstMesh(2)->drawPrimitiveCount, 1);
  EXPECT_EQ(FirstMesh(2)->culling, 0);
  EXPECT_EQ(Object(2)->bounds.collisionType, 2u);
}

TEST_F(TableTest, NewObjectsPlaceTheAutomaticCameraByTheirRadius) {
  Cameras().autoCamera = 1;
  struct Case {
    std::function<void()> make;
    Vector3 camera;
  };
  const Case cases[] = {
      // Radius x2 - x1 = 0: the camera stays 2 in front of the origin.
      {[] { CreateTriangleObject(5, 0, 0, 0, 0, 1, 0, 1, 1, 0); }, {0, 0, -2}},
      // Radius (20 + 20) x 0.5 = 20: half of it up, three times it back.
      {[] { CreateBoxObject(6, 40, 40, 80); }, {0, 10, -60}},
  };
  for (const Case& c : cases) {
    c.make();
    EXPECT_NEAR(GetCameraPositionX(), c.camera.x, 1e-4f);
    EXPECT_NEAR(GetCameraPositionY(), c.camera.y, 1e-4f);
    EXPECT_NEAR(GetCameraPositionZ(), c.camera.z, 1e-4f);
  }
}

TEST_F(TableTest, SetupWithoutMeshesRaises7018AndForgetsTheObject) {
  ASSERT_TRUE(CreateNewObject(6, "mesh"));
  Object(6)->root->mesh.reset();
  EXPECT_FALSE(SetupObjectAfterLoad(6, -1.0f));
  EXPECT_EQ(word_, kErrorModelLoadFailed);
  EXPECT_EQ(FindObjectRecord(6), nullptr);
  EXPECT_TRUE(GetObjectTable().usedIds.empty());
}

TEST_F(TableTest, CreateAndDeleteCyclesLeaveNothingBehind) {
  for (int round = 0; round < 3; ++round) {
    for (int32_t n = 1; n <= 20; ++n) {
      if (n % 2) CreateBoxObject(n, 1, 2, 3);
      else CreateTriangleObject(n, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    }
    CreateMeshFromObject(3, 5);
    CreateObjectFromMeshCommand(21, 3, 0);
    EXPECT_EQ(GetObjectTable().usedIds.size(), 21u);
    for (int32_t n = 21; n >= 1; --n) DeleteObject(n);
    EXPECT_TRUE(GetObjectTable().usedIds.empty());
  }
  EXPECT_EQ(word_, 0u);
  for (const auto& slot : GetObjectTable().slots) EXPECT_EQ(slot, nullptr);
}

TEST_F(TableTest, DeletingAnInstanceSourceDeletesItsInstancesWithoutSkipping) {
  for (int32_t n = 1; n <= 5; ++n) CreateBoxObject(n, 1, 1, 1);
  // 2 and 3 are drawn through 1; 3 directly follows 2 in the list.
  Object(2)->instanceSource = Object(1);
  Object(3)->instanceSource = Object(1);
  DeleteObject(1);
  EXPECT_EQ(GetObjectTable().usedIds, (std::vector<int32_t>{4, 5}));
  EXPECT_EQ(ObjectExists(2), 0);
  EXPECT_EQ(ObjectExists(3), 0);
}

TEST_F(TableTest, DeleteCallbacksRunBeforeTheObjectGoes) {
  static std::vector<std::pair<uint32_t, uint32_t>> calls;
  calls.clear();
  CreateBoxObject(8, 1, 1, 1);
  Object(8)->deleteCallbacks.push_back({[](uint32_t object, uint32_t value) {
                                          calls.push_back({object, value});
                                          EXPECT_NE(FindObjectRecord(int32_t(object)), nullptr);
                                        },
                                        77});
  DeleteObject(8);
  EXPECT_EQ(calls, (std::vector<std::pair<uint32_t, uint32_t>>{{8, 77}}));
}

TEST_F(TableTest, MeshVertexDataRoundTrip) {
  CreateBoxObject(1, 2, 2, 2);
  CreateMeshFromObject(4, 1);
  uint32_t fvf = 0, size = 0, bytes = 0;
  int32_t count = 0;
  uint8_t* data = nullptr;
  GetMeshVertexData(4, &fvf, &size, &count, &data, &bytes, 1);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(fvf, 274u);
  EXPECT_EQ(count, 36) << "one vertex per index";
  EXPECT_EQ(bytes, 36u * size);

  CreateMeshFromVertexData(9, fvf, size, data, count);
  ASSERT_NE(FindMeshRecord(9), nullptr);
  EXPECT_EQ(FindMeshRecord(9)->vertexCount, 36);
  EXPECT_EQ(FindMeshRecord(9)->drawPrimitiveCount, 12);
  GetMeshVertexData(4, nullptr, nullptr, nullptr, &data, nullptr, 0);
  EXPECT_EQ(data, nullptr);

  CreateMeshFromVertexData(10, fvf, size + 4, nullptr, 3);
  EXPECT_EQ(FindMeshRecord(10), nullptr) << "a size that is not the code's is refused";
}

TEST_F(TableTest, XModelLoadsWithMeshesAndFrames) {
  const std::string path = std::string(kAssimpX) + "test_cube_text.x";
  if (!FileExists(path)) GTEST_SKIP() << path << " is not installed";
  EXPECT_EQ(LoadObject(path.c_str(), 30), 1);
  EXPECT_EQ(word_, 0u);
  ObjectRecord* record = Object(30);
  ASSERT_NE(record, nullptr);
  EXPECT_GE(record->frameList.size(), 2u);
  ASSERT_EQ(record->meshList.size(), 1u);
  EXPECT_GT(record->meshList[0]->vertexCount, 0);
  EXPECT_NEAR(record->bounds.radius, std::sqrt(3.0f), 1e-3f);
  EXPECT_EQ(record->bounds.collisionType, 1u) << "a loaded model collides as a sphere";
  EXPECT_EQ(GetObjectTable().usedIds, std::vector<int32_t>{30});
  DeleteObject(30);
  EXPECT_EQ(ObjectExists(30), 0);
}

TEST_F(TableTest, ModelTexturesResolveThroughTheImageModule) {
  const std::string path = std::string(kAssimpX) + "kwxport_test_cubewithvcolors.x";
  if (!FileExists(path) || !FileExists(std::string(kAssimpX) + "top.tga")) GTEST_SKIP() << path << " is not installed";
  ASSERT_EQ(LoadObject(path.c_str(), 2), 1);
  // Each subset names a Windows path; its bare name is found beside the model.
  MeshRecord* mesh = FirstMesh(2);
  ASSERT_EQ(mesh->subsetTextures, 1);
  ASSERT_EQ(mesh->subsets.size(), 3u);
  for (const MaterialSubset& subset : mesh->subsets) EXPECT_NE(subset.texture, nullptr) << subset.name;
  ASSERT_EQ(mesh->stages.size(), 1u);
  EXPECT_LT(mesh->stages[0].image, 0) << "the first subset's image, under the lookup's own number";

  // The images go: no subset keeps a released texture.
  for (int32_t image = -1; HasImage(image); --image) DeleteImage(image);
  for (const MaterialSubset& subset : mesh->subsets) EXPECT_EQ(subset.texture, nullptr);
}

// A model's texture names come from the model file: one that climbs out of the folders it is looked
// for in never opens a file there, while its last part is still looked for beside the model.
TEST_F(TableTest, ModelTextureNamesNeverReachOutsideTheirFolder) {
  const std::filesystem::path start = std::filesystem::current_path();
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("qel_model_names_" + std::to_string(::getpid()));
  std::filesystem::create_directories(scratch / "data" / "Models");
  std::filesystem::current_path(scratch / "data");
  // The picture a hostile model aims at, outside the data folder.
  platform::d3dx::Picture picture(4, 4, 0xFFFF0000);
  std::vector<uint8_t> bmp;
  ASSERT_EQ(platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, false, bmp), platform::gfx::kOk);
  std::ofstream(scratch / "planted.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                                   std::streamsize(bmp.size()));
  const std::string absolute = (scratch / "planted.bmp").string();
  for (const std::string& name : {std::string("../planted.bmp"), std::string("..\\planted.bmp"),
                                  std::string("Models/../../planted.bmp"), absolute}) {
    SCOPED_TRACE(name);
    std::ofstream("Models/cube.x") << "xof 0303txt 0032\nMesh cube {\n"
                                      "4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n2; 3;0,1,2;, 3;0,2,3;;\n"
                                      "MeshMaterialList { 1; 2; 0, 0;; Material { 1;1;1;1;; 8; 0;0;0;; 0;0;0;; "
                                      "TextureFilename { \""
                                   << name << "\"; } } }\n}\n";
    ASSERT_EQ(LoadObject("Models\\cube.x", 2), 1);
    for (const TextureStage& stage : FirstMesh(2)->stages) EXPECT_EQ(stage.image, 0) << stage.fileName;
    for (const MaterialSubset& subset : FirstMesh(2)->subsets) EXPECT_EQ(subset.texture, nullptr) << subset.name;
    DeleteObject(2);
  }
  // The same picture beside the model is found by the last part of the name.
  std::filesystem::copy_file(scratch / "planted.bmp", "Models/planted.bmp");
  ASSERT_EQ(LoadObject("Models\\cube.x", 2), 1);
  EXPECT_NE(FirstMesh(2)->stages.at(0).image, 0);
  DeleteObject(2);
  for (int32_t image = -1; HasImage(image); --image) DeleteImage(image);
  std::filesystem::current_path(start);
  std::filesystem::remove_all(scratch);
}

// One frame of the object passes, as the frame step runs them.
void DrawObjectFrame() {
  GetDirect3DDevice()->BeginScene();
  BeginCameraPasses();
  RunObjectMainPhase();
  RunObjectLatePhase();
  AdvanceCameraPass();
  GetDirect3DDevice()->EndScene();
}

// Every object the renderer listed is one the table still holds.
void ExpectRendererListsLiveObjects() {
  const ObjectManager& manager = GetObjectManager();
  for (uint32_t i = 0; i < manager.visibleCount; ++i) {
    const ObjectRecord* listed = manager.visibleList[i];
    const auto& ids = GetObjectTable().usedIds;
    EXPECT_TRUE(std::any_of(ids.begin(), ids.end(), [&](int32_t n) { return FindObjectRecord(n) == listed; }));
  }
}

TEST_F(TableTest, RendererNeverKeepsADeletedOrReplacedObject) {
  PlaceCamera(0, 0, -20);
  for (int32_t n = 1; n <= 3; ++n) CreateBoxObject(n, 2, 2, 2);
  DrawObjectFrame();
  EXPECT_EQ(GetObjectManager().visibleCount, 3u);
  // The object count stays the same in both changes, so only the invalidation tells the renderer.
  DeleteObject(2);
  CreateBoxObject(4, 2, 2, 2);
  DrawObjectFrame();
  ExpectRendererListsLiveObjects();
  CreateTriangleObject(3, 0, 0, 0, 1, 0, 0, 1, 1, 0);
  DrawObjectFrame();
  ExpectRendererListsLiveObjects();
  EXPECT_EQ(GetObjectManager().visibleCount, 3u);
}

TEST_F(TableTest, DeviceResetDeletesEveryObjectAndMeshButKeepsTheCapacity) {
  CreateBoxObject(1, 1, 1, 1);
  CreateBoxObject(60, 1, 1, 1);
  CreateMeshFromObject(2, 1);
  LockFrameVertexData(1, 0);
  const int32_t capacity = GetObjectTable().capacity;

  ImageModule::RefreshD3D(0);
  ObjectModule::RefreshD3D(0);
  ImageModule::RefreshD3D(1);
  ObjectModule::RefreshD3D(1);

  EXPECT_EQ(ObjectExists(1), 0);
  EXPECT_EQ(ObjectExists(60), 0);
  EXPECT_EQ(FindMeshRecord(2), nullptr);
  EXPECT_EQ(GetMeshTable().capacity, 0);
  EXPECT_TRUE(GetObjectTable().usedIds.empty());
  EXPECT_EQ(GetLockedVertexX(0), 0.0f) << "the lock went with its object";
  EXPECT_EQ(word_, 0u);

  CreateBoxObject(70, 1, 1, 1);
  EXPECT_EQ(GetObjectTable().capacity, capacity) << "numbers below the old capacity do not grow it";
  EXPECT_EQ(ObjectExists(70), 1);
  EXPECT_EQ(core_->renderPassCount, 1u);
  EXPECT_EQ(core_->stencilMode, 0u);
  EXPECT_NE(GetObjectModuleState().partition, nullptr);
}

}  // namespace
}  // namespace objects_test
