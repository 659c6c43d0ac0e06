// Building maps into numbered engine objects, for play and for the editor.
#include <cmath>

#include "engine/objects/records.h"
#include "engine/scene/light_state.h"
#include "platform/gfx/texture.h"
#include "tests/game/play/level/level_fixture.h"
#include "tests/platform/fs/process_usage.h"

namespace level_test {
namespace {

struct Size {
  float x, y, z;
};
Size SizeOf(int32_t object) { return {GetObjectSizeX(object), GetObjectSizeY(object), GetObjectSizeZ(object)}; }

void ExpectAt(int32_t object, float x, float y, float z) {
  EXPECT_FLOAT_EQ(GetObjectX(object), x) << object;
  EXPECT_FLOAT_EQ(GetObjectY(object), y) << object;
  EXPECT_FLOAT_EQ(GetObjectZ(object), z) << object;
}

int32_t StageImage(int32_t object, size_t stage = 0) {
  ObjectRecord* record = FindObjectRecord(object);
  if (!record || record->meshList.empty() || record->meshList[0]->stages.size() <= stage) return -1;
  return record->meshList[0]->stages[stage].image;
}

uint8_t CollisionType(int32_t object) { return uint8_t(FindObjectRecord(object)->bounds.collisionType); }

// A pixel of an image's texture as 0xRRGGBB.
uint32_t ImagePixel(int32_t image, int32_t x, int32_t y) {
  platform::gfx::Texture* texture = GetImageTexture(image);
  platform::gfx::LockedRect locked{};
  if (!texture || platform::gfx::Failed(texture->LockRect(0, &locked, nullptr, platform::gfx::LOCK_READONLY)))
    return 0xDEADBEEF;
  const uint32_t pixel = static_cast<const uint32_t*>(locked.bits)[size_t(y) * locked.pitch / 4 + size_t(x)];
  texture->UnlockRect(0);
  return pixel & 0xFFFFFF;
}

void ExpectColourNear(uint32_t actual, uint32_t expected) {
  for (int shift : {16, 8, 0})
    EXPECT_NEAR(int(actual >> shift & 0xFF), int(expected >> shift & 0xFF), 1) << std::hex << actual << " " << expected;
}

// One map with a record of most kinds: what each becomes in play.
TEST_F(LevelTest, PlayBuildsBlocksAndEntitiesUnderTheirNumbers) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_PLAYERSTART, {90});                   // 0: block 1000, no entity
  Add(*map, SHAPE_RAMP, 20, 0, 0, E_PAINTR, {100}).ry = 90;            // 1: block 1001, entity 2000
  Add(*map, SHAPE_EMPTY, 40, 0, 0);                                      // 2: nothing
  Add(*map, SHAPE_GOAL_PAD, 500, 50, 500);                               // 3: block 1002, at (10, 0, 10)
  Add(*map, SHAPE_BOX_THIN_X, 60, 0, 0, E_DOOR, {10, 20, 30, 45});      // 4: block 1003, entity 2001
  Add(*map, SHAPE_BOX_LONG, 80, 0, 0, E_MOVER, {0, 0, 30}, 1);          // 5: block 1004, no entity
  Add(*map, SHAPE_WEDGE_FLAT, 100, 0, 0, E_PLASMA);                     // 6: block 1005, entity 2002
  Add(*map, SHAPE_BOX, 120, 0, 0, E_TEXT);                              // 7: block 1006, entity 2003
  Add(*map, SHAPE_BOX, 140, 0, 0, E_RESPAWN, {180});                    // 8: block 1007, entity 2004
  Add(*map, SHAPE_BOX, 160, 0, 0, E_BOOST, {2, 270});                   // 9: block 1008, entity 2005
  Add(*map, SHAPE_BOX, 180, 0, 0, E_BOOSTV, {1, 3, 30});                // 10: block 1009, entity 2006
  Add(*map, SHAPE_BOX, 200, 0, 0, E_WARP, {0, 50, 0});                  // 11: block 1010, entity 2007
  Add(*map, SHAPE_BOX, 220, 0, 0, E_MONSTERA, {0, 20, 0, 0}, 1);        // 12: block 1011, entity 2008
  const int32_t doorImage = kFirstDoorImage + CurrentMapCounts().doorCounter;
  Play(*map);

  EXPECT_EQ(CurrentMap().header.recordCount, 13);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 12);
  EXPECT_EQ(CurrentMapCounts().entitiesBuilt, 9);
  const int32_t blocks[] = {1000, 1001, -1, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011};
  const int32_t entities[] = {-1, 2000, -1, -1, 2001, -1, 2002, 2003, 2004, 2005, 2006, 2007, 2008};
  for (int32_t i = 0; i < 13; ++i) {
    EXPECT_EQ(Record(i).blockObject, blocks[i]) << i;
    EXPECT_EQ(Record(i).entityObject, entities[i]) << i;
  }
  EXPECT_FALSE(Exists(1012));
  EXPECT_FALSE(Exists(2009));

  // Blocks: sizes by shape, textures, collision, rotation only where the shape takes it.
  EXPECT_FLOAT_EQ(SizeOf(1000).x, 20);
  EXPECT_FLOAT_EQ(SizeOf(1003).x, 10);
  EXPECT_FLOAT_EQ(SizeOf(1004).z, 30);
  EXPECT_EQ(StageImage(1000), kBaseLevelImage);
  EXPECT_EQ(StageImage(1003), kTintedLevelImage);
  EXPECT_EQ(CollisionType(1000), 2);  // boxes
  EXPECT_EQ(CollisionType(1001), 3);  // polygons
  EXPECT_EQ(CollisionType(1005), 3);
  EXPECT_FLOAT_EQ(GetObjectYAngle(1001), 90);
  ExpectAt(1001, 20, 0, 0);

  // Goal pad: fixed place, turned over, green, with hearts and the spot light.
  EXPECT_EQ(GoalPadObject(), 1002);
  ExpectAt(1002, 10, 0, 10);
  EXPECT_FLOAT_EQ(SizeOf(1002).x, 60);
  EXPECT_FLOAT_EQ(GetObjectXAngle(1002), 180);
  ExpectAt(kFirstHeartObject, 10, 10, 10);
  ExpectAt(kFirstHeartObject + 2, 10, 4 + 10, 10);  // the heart model is 4 high
  ExpectAt(kHeartCentreObject, 10, 15, 10);
  EXPECT_TRUE(FindObjectRecord(kHeartCentreObject)->visible);
  ASSERT_NE(FindLight(kGoalPadLight), nullptr);

  // Entities.
  ExpectAt(kBallObject, 0, 10, 0);
  EXPECT_FLOAT_EQ(GetObjectYAngle(kBallObject), 90);
  EXPECT_TRUE(FindObjectRecord(kBallObject)->visible);
  EXPECT_FLOAT_EQ(Game().respawn[0], 0);
  EXPECT_FLOAT_EQ(Game().respawn[1], 10);
  EXPECT_FLOAT_EQ(Game().respawn[3], 90);
  ExpectAt(2000, 20, 10 + 2, 0);  // above the block by half its unscaled height
  EXPECT_FLOAT_EQ(SizeOf(2000).y, 2);
  ExpectAt(2001, 60, 12.5f, 0);
  EXPECT_FLOAT_EQ(SizeOf(2001).y, 25);
  EXPECT_FLOAT_EQ(GetObjectYAngle(2001), 45);
  EXPECT_EQ(StageImage(2001), doorImage);
  EXPECT_TRUE(HasImage(doorImage));
  EXPECT_EQ(Game().plasmaCount, 1);
  ExpectAt(2002, 100, 10, 0);
  EXPECT_FALSE(FindObjectRecord(2003)->visible);  // text and respawn triggers are hidden
  EXPECT_FALSE(FindObjectRecord(2004)->visible);
  ExpectAt(2005, 160, 5, 0);
  EXPECT_FLOAT_EQ(GetObjectYAngle(2005), 270);
  EXPECT_FLOAT_EQ(GetObjectYAngle(2006), 30);
  EXPECT_EQ(StageImage(2007), kWarpImage);
  ExpectAt(2008, 220, 5 + 2, 0);
  for (int32_t entity = 2000; entity <= 2008; ++entity) EXPECT_EQ(CollisionType(entity), 2) << entity;

  // The camera looks down on record 0.
  EXPECT_FLOAT_EQ(GetCameraPositionY(), 100);
}

TEST_F(LevelTest, ClassPathsBelowMapsLoadAndEmptyOrMissingPathsAreRefused) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0);
  fs::create_directories("Maps/Tutorial");
  ASSERT_TRUE(WriteMapFile("Maps\\Tutorial\\first.qel", *map));
  EXPECT_TRUE(LoadMap("\\Tutorial\\first.qel"));  // a class folder begins with a backslash
  EXPECT_TRUE(Exists(1000));

  MapFileError error = MapFileError::kNone;
  EXPECT_FALSE(LoadMap("", &error));
  EXPECT_FALSE(LoadMap(nullptr, &error));
  EXPECT_FALSE(LoadMap("none.qel", &error));
  EXPECT_EQ(error, MapFileError::kMissing);
  EXPECT_FALSE(LoadMap(std::string(300, 'a').c_str(), &error));
  EXPECT_TRUE(Exists(1000)) << "a refused map leaves the level as it was";
}

TEST_F(LevelTest, ADamagedMapIsRefusedAndTheLevelStaysAsItWas) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_PLASMA);
  Play(*map, "good");
  Write(*map, "bad");
  fs::resize_file("Maps/bad.qel", 30);

  MapFileError error = MapFileError::kNone;
  EXPECT_FALSE(LoadMap("bad.qel", &error));
  EXPECT_EQ(error, MapFileError::kTruncated);
  EXPECT_EQ(CurrentMapCounts().blocksBuilt, 1);
  EXPECT_EQ(Record(0).entityObject, 2000);
  EXPECT_TRUE(Exists(1000));
  EXPECT_TRUE(Exists(2000));
  EXPECT_EQ(Game().plasmaCount, 1);
}

// Object numbers stored in a file name objects of whatever level wrote it: a record that builds no
// object must not keep one, or clearing the level deletes it and look-ups find the wrong record.
TEST_F(LevelTest, ObjectNumbersStoredInTheFileAreNotTrusted) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_PLAYERSTART).entityObject = kBallObject;
  Add(*map, SHAPE_BOX, 40, 0, 0, E_MOVER).entityObject = 2000;
  Add(*map, SHAPE_BOX, 60, 0, 0, E_BOOST);
  Add(*map, SHAPE_EMPTY, 20, 0, 0).blockObject = kBallObject;
  Play(*map);

  EXPECT_EQ(Record(0).entityObject, -1);
  EXPECT_EQ(Record(1).entityObject, -1);
  EXPECT_EQ(Record(2).entityObject, 2000);
  EXPECT_EQ(Record(3).blockObject, -1);
  EXPECT_EQ(FindRecordByEntityObject(2000), 2) << "the boost's record, not the mover's";
  ClearLevel();
  EXPECT_TRUE(Exists(kBallObject));
  EXPECT_FALSE(Exists(1000));
  EXPECT_FALSE(Exists(2000));
}

TEST_F(LevelTest, MapsWithoutAGoalPadLeaveTheGoalPadAlone) {
  auto map = NewMap();
  Add(*map, SHAPE_GOAL_PAD, 0, 0, 0);
  Play(*map);
  EXPECT_EQ(GoalPadObject(), 1000);
  HideObject(kHeartCentreObject);

  auto plain = NewMap();
  Add(*plain, SHAPE_BOX, 0, 0, 0);
  Add(*plain, SHAPE_BOX, 20, 0, 0);
  Play(*plain, "plain");
  EXPECT_EQ(GoalPadObject(), 1000) << "kept from the last goal pad";
  EXPECT_FALSE(FindObjectRecord(kHeartCentreObject)->visible);
}

TEST_F(LevelTest, DoorImagesNumberOnAcrossLevelsAndWrapBeforeTheInterfaceImages) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0, E_DOOR, {255, 0, 255});
  Add(*map, SHAPE_BOX, 20, 0, 0, E_DOOR, {0, 0, 200});
  CurrentMapCounts().doorCounter = 7;
  Play(*map);
  EXPECT_EQ(StageImage(2000), 507);
  EXPECT_EQ(StageImage(2001), 508);
  ExpectColourNear(ImagePixel(507, 128, 128), 0xFF00FE);  // not the colour key: the door stays solid
  ExpectColourNear(ImagePixel(508, 128, 128), 0x0000C8);
  ExpectColourNear(ImagePixel(508, 1, 1), 0x5A5A5A);  // under the block frame
  Play(*map);
  EXPECT_EQ(StageImage(2000), 509);

  CurrentMapCounts().doorCounter = kDoorImageSlots - 1;
  Play(*map);
  EXPECT_EQ(StageImage(2000), kFirstDoorImage + kDoorImageSlots - 1);
  EXPECT_EQ(StageImage(2001), kFirstDoorImage) << "image 900 belongs to the HUD";
}

// Ramps and wedges measured with vertical rays: the top's height along Z.
TEST_F(LevelTest, RampsAndWedgesSlopeAlongZ) {
  struct Case {
    const char* what;
    void (*build)(int32_t, float, float, float);
    float z, top, bottom;
  };
  // 20 x 10 x 20 at the origin: the ramp's top falls from 5 at maximum Z to -5 at minimum Z; the
  // wedge is a 10-thick slab that rises by 10 from maximum Z to minimum Z.
  const Case cases[] = {
      {"ramp middle", BuildRampMesh, 0, 0, -5},       {"ramp near max z", BuildRampMesh, 8, 4, -5},
      {"ramp near min z", BuildRampMesh, -8, -4, -5}, {"wedge middle", BuildWedgeMesh, 0, 10, 0},
      {"wedge near max z", BuildWedgeMesh, 8, 6, -4}, {"wedge near min z", BuildWedgeMesh, -8, 14, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.build(1500, 20, 10, 20);
    ASSERT_TRUE(Exists(1500));
    SetObjectCollisionToPolygons(1500);
    EXPECT_NEAR(30 - RayIntersectObject(1500, 3, 30, c.z, 3, -30, c.z), c.top, 1e-3);
    EXPECT_NEAR(RayIntersectObject(1500, 3, -30, c.z, 3, 30, c.z) - 30, c.bottom, 1e-3);
  }
  DeleteObject(1500);
}

TEST_F(LevelTest, LineObjectsAreWireframeTrianglesInTheirColour) {
  MakeLineObject(8000, 0, 0, 0, 10, 20, 30, Rgb(0, 255, 0));
  MakeLineObject(8000, 1, 2, 3, 4, 5, 6, Rgb(0, 255, 0));  // made again in place
  ObjectRecord* line = FindObjectRecord(8000);
  ASSERT_NE(line, nullptr);
  MeshRecord* mesh = line->meshList[0];
  EXPECT_EQ(mesh->vertexCount, 3);
  EXPECT_EQ(mesh->wireframe, 1);
  EXPECT_FLOAT_EQ(mesh->material.diffuse.g, 1.0f);
  EXPECT_FLOAT_EQ(mesh->material.diffuse.r, 0.0f);
  EXPECT_FLOAT_EQ(GetObjectSizeY(8000), 3);
  DeleteObject(8000);
}

// The editor's view of a map: markers for entities without models, no light, the editor's sizes.
TEST_F(LevelTest, TheEditorBuildsMarkersAndKeepsThemInTheRecords) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX_THIN_LONG, 0, 0, 0, E_PLAYERSTART).entityObject = 2005;
  Add(*map, SHAPE_BOX, 20, 0, 0, E_MOVER);
  Add(*map, SHAPE_BOX, 40, 0, 0, E_TEXT);
  Add(*map, SHAPE_BOX, 60, 0, 0, E_PAINTB, {50});
  Add(*map, SHAPE_BOX, 80, 0, 0, E_DOOR, {255, 0, 255, 90});
  Add(*map, SHAPE_GOAL_PAD, 0, 0, 0);
  Write(*map, "edit");
  const int32_t plasmaCount = Game().plasmaCount = 3;
  ASSERT_TRUE(LoadMapForEditor("Maps/edit.qel"));

  EXPECT_FLOAT_EQ(SizeOf(1000).z, 30) << "shape 8 as the editor places it";
  EXPECT_EQ(Record(0).entityObject, 2000) << "the marker the record names is the one made";
  EXPECT_FLOAT_EQ(SizeOf(2000).x, 10);
  ExpectAt(2000, 0, 10, 0);
  ExpectAt(2001, 20, 5, 0);
  EXPECT_EQ(StageImage(2001), kPlatformImage);
  EXPECT_TRUE(FindObjectRecord(2002)->visible);
  // The pot is set down on its block: the ray from its top meets the block's top at 5.
  ExpectAt(2003, 60, 5, 0);
  EXPECT_FLOAT_EQ(SizeOf(2004).y, 10);
  ExpectAt(2004, 80, 10, 0);
  EXPECT_FLOAT_EQ(GetObjectXAngle(1005), 0);
  EXPECT_EQ(Game().plasmaCount, plasmaCount);

  ClearLevel();
  for (int32_t object = 2000; object <= 2004; ++object) EXPECT_FALSE(Exists(object)) << object;
}

TEST_F(LevelTest, TheLevelTextureIsTintedUnderTheBlockFrame) {
  auto map = NewMap();
  Add(*map, SHAPE_BOX, 0, 0, 0);
  Add(*map, SHAPE_BOX_THIN_Z, 20, 0, 0);
  Play(*map);
  Game().playerColour[0] = 10, Game().playerColour[1] = 20, Game().playerColour[2] = 30;

  struct Case {
    int32_t r, g, b;
    uint32_t centre;
  };
  const Case cases[] = {
      {200, 100, 50, 0xC86432},
      {255, 255, 255, 0xFFFFFF},
      {255, 0, 255, 0xFF00FE},  // the colour key would make the level see-through
      {285, -5, 30, 0xFF001E},  // the play loop tints with each channel + 30
  };
  for (const Case& c : cases) {
    TintLevelTexture(c.r, c.g, c.b);
    ExpectColourNear(ImagePixel(kTintedLevelImage, 128, 128), c.centre);
    ExpectColourNear(ImagePixel(kTintedLevelImage, 2, 128), 0x5A5A5A);  // the grey frame
    EXPECT_EQ(StageImage(1000), kTintedLevelImage);
    EXPECT_EQ(StageImage(1001), kTintedLevelImage);
  }
  const MeshMaterial& heart = FindObjectRecord(kHeartCentreObject)->meshList[0]->material;
  EXPECT_NEAR(heart.diffuse.r, 10 / 255.0f, 1e-3);
  EXPECT_NEAR(heart.diffuse.b, 30 / 255.0f, 1e-3);

  // A record without a block ends the retexturing before the heart takes the colour.
  Record(1).blockObject = -1;
  Game().playerColour[2] = 255;
  RetextureBlocks();
  EXPECT_NEAR(FindObjectRecord(kHeartCentreObject)->meshList[0]->material.diffuse.b, 30 / 255.0f, 1e-3);
  Record(1).blockObject = 1001;
}

// A map naming a huge file as its texture: the picture is refused from its size, said once, and
// neither level image is left; the map itself is sound and loads.
TEST_F(LevelTest, AHugeLevelTextureIsRefusedUnreadAndSaidOnce) {
  namespace usage = process_usage;
  ASSERT_TRUE(usage::WriteSparseFile("Textures/Huge.jpg", "\xFF\xD8\xFF", usage::kHugeFile));
  auto map = NewMap();
  std::strcpy(map->header.texture, "huge.JPG");
  Add(*map, SHAPE_BOX, 0, 0, 0);
  Write(*map, "huge");
  const uint64_t readBefore = usage::BytesRead(), peakBefore = usage::PeakResidentBytes();
  testing::internal::CaptureStderr();
  EXPECT_TRUE(LoadMap("huge.qel"));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_LT(usage::BytesRead() - readBefore, uint64_t(16) << 20);
  EXPECT_LT(usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);
  const std::string message = "picture \"Textures\\huge.JPG\" not loaded";
  ASSERT_NE(said.find(message), std::string::npos) << said;
  EXPECT_EQ(said.find(message, said.find(message) + 1), std::string::npos) << "read again: " << said;
  EXPECT_FALSE(HasImage(kBaseLevelImage));
  EXPECT_FALSE(HasImage(kTintedLevelImage));
  EXPECT_EQ(Core().hostErrorWord, 506u);  // the image load refused, as for a missing picture
  Core().hostErrorWord = 0;
  EXPECT_TRUE(Exists(1000));

  auto plain = NewMap();
  Add(*plain, SHAPE_BOX, 0, 0, 0);
  Play(*plain);  // the level texture back for the tests after
  EXPECT_TRUE(HasImage(kBaseLevelImage));
  EXPECT_TRUE(HasImage(kTintedLevelImage));
  std::filesystem::remove("Textures/Huge.jpg");
}

TEST_F(LevelTest, RecordLookUps) {
  auto map = NewMap();
  Add(*map, SHAPE_RAMP, 10, 0, 10, E_PAINTG, {40, 1, 2, 3});
  Add(*map, SHAPE_EMPTY, 50, 0, 50);
  Add(*map, SHAPE_BOX, 30, 10, 50);
  Play(*map);

  EXPECT_EQ(GetRecordField(1000, kFieldShape), SHAPE_RAMP);
  EXPECT_EQ(GetRecordField(1000, kFieldEntityType), E_PAINTG);
  EXPECT_EQ(GetRecordField(1000, kFieldEntityObject), 2000);
  EXPECT_EQ(GetRecordField(1000, kFieldP1), 40);
  EXPECT_EQ(GetRecordField(1000, kFieldP4), 3);
  EXPECT_EQ(GetRecordField(1000, kFieldIndex), 0);
  EXPECT_EQ(GetRecordField(1000, 4), -2);
  EXPECT_EQ(GetRecordField(1001, kFieldIndex), -1) << "only the records the block count walks";
  EXPECT_EQ(GetRecordField(-1, kFieldShape), -1) << "the empty record has no block";
  EXPECT_EQ(FindRecordByEntityObject(2000), 0);
  EXPECT_EQ(FindRecordByEntityObject(-1), -1) << "records without an entity are not a match";
  EXPECT_EQ(FindRecordAtCursor(0, 0, 0), 0);
  EXPECT_EQ(FindRecordAtCursor(10, 0, 10), -1);
}

TEST_F(LevelTest, RemoveEntityAndDeleteRecord) {
  auto map = NewMap();
  for (int32_t i = 0; i < 4; ++i) Add(*map, SHAPE_BOX, float(20 * i), 0, 0, E_PLASMA).p1 = i;
  Play(*map);
  Record(2).mark = 1;

  RemoveEntity(1);
  EXPECT_FALSE(Exists(2001));
  EXPECT_EQ(Record(1).entityType, E_NONE);
  EXPECT_EQ(Record(1).entityObject, -1);
  EXPECT_EQ(Record(1).p1, -1);
  EXPECT_STREQ(Record(1).text, "null");
  RemoveEntity(-1);
  RemoveEntity(kMapRecordCapacity);

  DeleteRecord(1);
  EXPECT_FALSE(Exists(1001));
  EXPECT_EQ(CurrentMap().header.recordCount, 3);
  EXPECT_FLOAT_EQ(Record(1).x, 40);
  EXPECT_EQ(Record(1).blockObject, 1002);
  EXPECT_EQ(Record(1).p1, 2);
  EXPECT_EQ(Record(1).mark, 0) << "the mark stays with its slot";
  EXPECT_EQ(Record(2).mark, 1);
  EXPECT_FLOAT_EQ(Record(2).x, 60);
  EXPECT_EQ(Record(3).blockObject, -1);
  DeleteRecord(kMapRecordCapacity);

  // A table full to its last slot: the last slot is emptied.
  ClearLevel();
  for (int32_t i = 0; i < kMapRecordCapacity; ++i) CurrentMap().records[i].blockObject = 5000 + i;
  CurrentMap().header.recordCount = kMapRecordCapacity;
  DeleteRecord(kMapRecordCapacity - 2);
  EXPECT_EQ(Record(kMapRecordCapacity - 2).blockObject, 5000 + kMapRecordCapacity - 1);
  EXPECT_EQ(Record(kMapRecordCapacity - 1).blockObject, -1);
  EXPECT_EQ(Record(kMapRecordCapacity - 1).shape, SHAPE_EMPTY);
  EXPECT_EQ(CurrentMap().header.recordCount, kMapRecordCapacity);
  for (int32_t i = 0; i < kMapRecordCapacity; ++i) CurrentMap().records[i].blockObject = -1;
}

}  // namespace
}  // namespace level_test
