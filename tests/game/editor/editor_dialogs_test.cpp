// The three editor dialogs driven through scripted input: what they show on opening, what OK writes
// into the map and the scene, what Cancel leaves alone, and how typed numbers are read.
#include "game/editor/editor_dialogs.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/open_file.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

namespace pd = platform::dialogs;
namespace pt = platform::dialogs::test;
namespace ed = editor_dialogs;

class EditorDialogTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    ClearLevel();
    ClearWaypointPaths();
    CurrentMapCounts().blocksBuilt = 0;
    CurrentMapCounts().entitiesBuilt = 0;
    Editor().cursorX = Editor().cursorY = Editor().cursorZ = 0;
    PlaceBlock(SHAPE_BOX);  // record 0 at (10, 0, 10)
    Editor().entityTarget = 0;
  }

  static intptr_t Open(const pd::DialogResource& resource, pd::DialogProc procedure) {
    return pd::DialogBoxParam(resource, pd::DialogHost{GetCoreDataPointer()->window, GetDirect3DDevice()}, procedure, 0);
  }
  static intptr_t AddEntity() { return Open(ed::AddEntityDialogResource(), ed::AddEntityProc); }

  // Chooses the entry, types the attributes (empty: left as they are) and presses OK.
  static void ChooseEntity(const char* entry, std::vector<std::string> attributes = {}) {
    pt::ClickItem(ed::kEntityList, entry);
    const int32_t edits[4] = {ed::kAttribute1, ed::kAttribute2, ed::kAttribute3, ed::kAttribute4};
    for (size_t i = 0; i < attributes.size(); ++i)
      if (!attributes[i].empty()) pt::TypeText(edits[i], attributes[i]);
    pt::Click(pd::IDOK);
  }

  static std::vector<std::string> Labels() {
    return {pt::ControlText(ed::kLabel1), pt::ControlText(ed::kLabel2), pt::ControlText(ed::kLabel3),
            pt::ControlText(ed::kLabel4)};
  }
  static std::vector<std::string> Attributes() {
    return {pt::ControlText(ed::kAttribute1), pt::ControlText(ed::kAttribute2), pt::ControlText(ed::kAttribute3),
            pt::ControlText(ed::kAttribute4)};
  }
};

TEST_F(EditorDialogTest, AddEntityOnABareBlockAsksForAnEntityAndOkAddsNothing) {
  pt::Run([] {
    EXPECT_EQ(pt::OpenDialogId(), ed::kAddEntityDialog);
    EXPECT_EQ(pt::ListItems(ed::kEntityList).size(), 15u);
    EXPECT_EQ(pt::ListItems(ed::kEntityList).front(), "E_DOOR");
    EXPECT_EQ(pt::ListItems(ed::kEntityList).back(), "E_NULL");
    EXPECT_EQ(pt::ListSelection(ed::kEntityList), -1);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Please Select An Entity", "Please Select An Entity",
                                                  "Please Select An Entity", "Please Select An Entity):"}));
  });
  pt::Click(pd::IDOK);
  EXPECT_EQ(AddEntity(), pd::IDOK);
  EXPECT_EQ(Record(0).entityType, E_NONE);
  EXPECT_EQ(CurrentMapCounts().entitiesBuilt, 0);
}

TEST_F(EditorDialogTest, ADoorReopenedShowsItsValuesAndOkRemakesItsMarkerUnchanged) {
  ChooseEntity("E_DOOR", {"200", "100", "-45", "90"});
  ASSERT_EQ(AddEntity(), pd::IDOK);
  const MapRecord& door = Record(0);
  EXPECT_EQ(door.entityType, E_DOOR);
  EXPECT_EQ(door.entityObject, kFirstEntityObject);
  EXPECT_EQ((std::vector<int32_t>{door.p1, door.p2, door.p3, door.p4}), (std::vector<int32_t>{200, 100, 0, 90}))
      << "a minus sign reads as 0";
  EXPECT_NEAR(GetObjectY(kFirstEntityObject), 10.0f, 0.01f);
  EXPECT_NEAR(GetObjectYAngle(kFirstEntityObject), 90.0f, 0.01f);

  pt::Run([] {
    EXPECT_EQ(pt::ListSelection(ed::kEntityList), 0);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Red Val:", "Green Val:", "Blue Val:", "Angle:"}));
    EXPECT_EQ(Attributes(), (std::vector<std::string>{"200", "100", "0", "90"}));
  });
  pt::Click(pd::IDOK);
  ASSERT_EQ(AddEntity(), pd::IDOK);
  EXPECT_EQ(door.entityObject, kFirstEntityObject + 1) << "the next entity number";
  EXPECT_FALSE(ObjectExists(kFirstEntityObject));
  EXPECT_TRUE(ObjectExists(kFirstEntityObject + 1));
  EXPECT_EQ((std::vector<int32_t>{door.p1, door.p2, door.p3, door.p4}), (std::vector<int32_t>{200, 100, 0, 90}));
  EXPECT_EQ(Editor().hadEntity, 0);
}

TEST_F(EditorDialogTest, ASelectionChangesOnlyTheLabelsAndCancelChangesNothing) {
  ChooseEntity("E_BOOST", {"12", "45"});
  ASSERT_EQ(AddEntity(), pd::IDOK);
  pt::ClickItem(ed::kEntityList, "E_MONSTERA");
  pt::Run([] {
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Up/Down:", "Distance:", "Speed:", "Delay:"}));
    EXPECT_EQ(Attributes(), (std::vector<std::string>{"12", "45", "", ""})) << "the edits keep the boost's values";
  });
  pt::ClickItem(ed::kEntityList, "E_NULL");
  pt::Run([] { EXPECT_EQ(Labels()[0], "Up/Down:") << "E_NULL leaves the labels"; });
  pt::Click(pd::IDCANCEL);
  EXPECT_EQ(AddEntity(), pd::IDCANCEL);
  EXPECT_EQ(Record(0).entityType, E_BOOST);
  EXPECT_EQ(Record(0).p2, 45);
  EXPECT_TRUE(ObjectExists(Record(0).entityObject));
}

TEST_F(EditorDialogTest, ENullRemovesTheEntity) {
  ChooseEntity("E_TEXT", {"Mind the gap"});
  ASSERT_EQ(AddEntity(), pd::IDOK);
  EXPECT_STREQ(Record(0).text, "Mind the gap");
  const int32_t marker = Record(0).entityObject;
  ChooseEntity("E_NULL");
  ASSERT_EQ(AddEntity(), pd::IDOK);
  EXPECT_EQ(Record(0).entityType, E_NONE);
  EXPECT_EQ(Record(0).entityObject, -1);
  EXPECT_STREQ(Record(0).text, "null");
  EXPECT_FALSE(ObjectExists(marker));
}

TEST_F(EditorDialogTest, EachEntityWritesItsFieldsAndPlacesItsMarker) {
  struct Case {
    const char* entry;
    std::vector<std::string> typed;
    int32_t type;
    std::vector<int32_t> p;  // p1 to p4
    float p5;
    float markerY;  // over the block at y 0
  };
  const Case cases[] = {
      {"E_MONSTERA", {"1", "40", "1.5", "300"}, E_MONSTERA, {1, 40, 0, 300}, 1.5f, 5.0f + 4.0f},
      {"E_MONSTERB", {"3", "2.25"}, E_MONSTERB, {3, 0, 0, -1}, 2.25f, 5.0f + 4.0f},
      {"E_MOVER", {"1", "90", "60", "0.5"}, E_MOVER, {1, 90, 60, 0}, 0.5f, 5.0f},
      {"E_BOOSTV", {"30", "20", "180"}, E_BOOSTV, {30, 20, 180, -1}, 0.0f, 5.0f},
      {"E_PAINTG", {"64"}, E_PAINTG, {64, -1, -1, -1}, 0.0f, 10.0f},
      {"E_RESPAWN", {"270"}, E_RESPAWN, {270, -1, -1, -1}, 0.0f, 5.0f},
      {"E_PLASMA", {}, E_PLASMA, {-1, -1, -1, -1}, 0.0f, 10.0f},
      {"E_PLAYERSTART", {"90"}, E_PLAYERSTART, {10, 0, 10, -1}, 0.0f, 5.0f},  // the position, as files hold it
  };
  for (const Case& c : cases) {
    RemoveEntity(0);  // p1 to p4 -1, p5 0
    Editor().hadEntity = 0;
    ChooseEntity(c.entry, c.typed);
    ASSERT_EQ(AddEntity(), pd::IDOK) << c.entry;
    const MapRecord& r = Record(0);
    EXPECT_EQ(r.entityType, c.type) << c.entry;
    EXPECT_EQ((std::vector<int32_t>{r.p1, r.p2, r.p3, r.p4}), c.p) << c.entry;
    EXPECT_FLOAT_EQ(r.p5, c.p5) << c.entry;
    ASSERT_TRUE(ObjectExists(r.entityObject)) << c.entry;
    EXPECT_NEAR(GetObjectX(r.entityObject), 10.0f, 0.01f) << c.entry;
    EXPECT_NEAR(GetObjectY(r.entityObject), c.markerY, 0.01f) << c.entry;
  }
}

TEST_F(EditorDialogTest, AWarpWaitsForReturnOnItsDestinationBlock) {
  ChooseEntity("E_WARP");
  ASSERT_EQ(AddEntity(), pd::IDOK);
  EXPECT_EQ(Editor().warpChoicePending, 1);
  EXPECT_EQ(Editor().warpRecord, 0);
  // In the editor (a new map: the warp's record is the goal pad's slot then, as the table stands):
  // Return on an empty cell does nothing, on a block it sets the destination.
  RunEditor([](int32_t frame) {
    switch (frame) {
      case 1: Editor().warpChoicePending = 1, Editor().warpDestinationChosen = 0, Editor().warpRecord = 0;
              g_keys = {kKeyRight}; break;
      case 2: g_keys = {kKeyReturn}; break;
      case 3: EXPECT_EQ(Editor().warpChoicePending, 1); g_keys = {kKeyOne}; break;
      case 4: g_keys = {kKeyReturn}; break;
      default: g_keys = {};
    }
    return frame < 5;
  });
  EXPECT_EQ(Editor().warpChoicePending, 0);
  EXPECT_EQ(Editor().warpDestinationChosen, 1);
  EXPECT_EQ((std::vector<int32_t>{Record(0).p1, Record(0).p2, Record(0).p3}), (std::vector<int32_t>{30, 0, 10}));
}

TEST_F(EditorDialogTest, MapSettingsShowTheHeaderAndOkWritesWhatWasTyped) {
  MapHeader& h = CurrentMap().header;
  std::strcpy(h.mapName, "First");
  std::strcpy(h.fileName, "first");
  std::strcpy(h.nextMap, "second");
  std::strcpy(h.comment, "Easy");
  std::strcpy(h.music, "Calm.ogg");
  h.planningTime = 60000, h.gameTime = 90000, h.visId = 2, h.parTime = 45000, h.gravity = 0.06f;
  pt::Run([] {
    EXPECT_EQ(pt::ControlText(ed::kMapNameEdit), "First");
    EXPECT_EQ(pt::ControlText(ed::kFileNameEdit), "first");
    EXPECT_EQ(pt::ControlText(ed::kNextMapEdit), "second");
    EXPECT_EQ(pt::ControlText(ed::kCommentEdit), "Easy");
    EXPECT_EQ(pt::ControlText(ed::kMusicEdit), "Calm.ogg");
    EXPECT_EQ(pt::ControlText(ed::kPlanningTimeEdit), "60000");
    EXPECT_EQ(pt::ControlText(ed::kGravityEdit), "0.06");
    EXPECT_EQ(pt::ControlText(ed::kParTimeEdit), "45000");
  });
  pt::TypeText(ed::kMapNameEdit, "Second Map");
  pt::TypeText(ed::kGravityEdit, " 0.08 strong");
  pt::TypeText(ed::kGameTimeEdit, "12a0000");  // digits alone get in
  pt::Click(pd::IDOK);
  ASSERT_EQ(Open(ed::MapSettingsDialogResource(), ed::MapSettingsProc), pd::IDOK);
  EXPECT_STREQ(h.mapName, "Second Map");
  EXPECT_STREQ(h.fileName, "first");
  EXPECT_FLOAT_EQ(h.gravity, 0.08f);
  EXPECT_EQ(h.gameTime, 120000);
  EXPECT_EQ(h.planningTime, 60000);
  EXPECT_EQ(h.visId, 2);

  pt::TypeText(ed::kMapNameEdit, "Third");
  pt::TypeText(ed::kGravityEdit, "nan");
  pt::PressEscape();
  ASSERT_EQ(Open(ed::MapSettingsDialogResource(), ed::MapSettingsProc), pd::IDCANCEL);
  EXPECT_STREQ(h.mapName, "Second Map");

  pt::TypeText(ed::kGravityEdit, "nan");
  pt::Click(pd::IDOK);
  ASSERT_EQ(Open(ed::MapSettingsDialogResource(), ed::MapSettingsProc), pd::IDOK);
  EXPECT_EQ(h.gravity, 0.0f) << "a map file holds finite numbers only";
}

TEST_F(EditorDialogTest, TextureSelectionListsPicturesAndOkRetexturesTheBlocks) {
  std::strcpy(CurrentMap().header.texture, "TexPlain.jpg");
  pt::Run([] {
    EXPECT_EQ(pt::ListItems(ed::kTextureList),
              (std::vector<std::string>{"brick.bmp", "Message.jpg", "Platform.jpg", "PlayerStart.jpg", "Respawn.jpg",
                                        "TexPlain.jpg", "Warp.bmp", "Wood.jpg"}));
  });
  pt::PressEscape();
  ASSERT_EQ(Open(ed::TextureDialogResource(), ed::TextureSelectionProc), pd::IDCANCEL);
  EXPECT_STREQ(CurrentMap().header.texture, "TexPlain.jpg");

  pt::Click(pd::IDOK);  // nothing selected: the name stays
  ASSERT_EQ(Open(ed::TextureDialogResource(), ed::TextureSelectionProc), pd::IDOK);
  EXPECT_STREQ(CurrentMap().header.texture, "TexPlain.jpg");

  pt::ClickItem(ed::kTextureList, "Wood.jpg");
  pt::Click(pd::IDOK);
  ASSERT_EQ(Open(ed::TextureDialogResource(), ed::TextureSelectionProc), pd::IDOK);
  EXPECT_STREQ(CurrentMap().header.texture, "Wood.jpg");
  EXPECT_TRUE(ImageExists(kTintedLevelImage));
  EXPECT_TRUE(ImageExists(kBaseLevelImage));
}

TEST_F(EditorDialogTest, WithoutATexturesFolderTheListIsEmpty) {
  fs::rename("Textures", "Textures.away");
  pt::Run([] { EXPECT_TRUE(pt::ListItems(ed::kTextureList).empty()); });
  pt::PressEscape();
  EXPECT_EQ(Open(ed::TextureDialogResource(), ed::TextureSelectionProc), pd::IDCANCEL);
  fs::rename("Textures.away", "Textures");
}

// Every dialog as the editor shows it, with each text its labels and lists take: no label or entry is
// drawn wider than its room in the font the dialogs are drawn in.
TEST_F(EditorDialogTest, EveryLabelAndEntryFitsItsRoomInTheDialogFont) {
  // A click on a control first: the check then looks at a frame drawn with what the dialog shows.
  const auto expectNothingCut = [](int32_t clicked, const std::string& where) {
    pt::Click(clicked);
    pt::Run([where] { EXPECT_EQ(pt::TextsCut(), std::vector<std::string>{}) << where; });
  };
  expectNothingCut(ed::kTextureList, "Texture Selection");
  pt::PressEscape();
  Open(ed::TextureDialogResource(), ed::TextureSelectionProc);

  expectNothingCut(ed::kLabel1, "Add Entity");
  for (const char* entry : {"E_DOOR", "E_PLAYERSTART", "E_PAINTR", "E_PAINTG", "E_PAINTB", "E_WARP", "E_BOOST",
                                   "E_MOVER", "E_MONSTERA", "E_MONSTERB", "E_TEXT", "E_RESPAWN", "E_PLASMA", "E_BOOSTV",
                                   "E_NULL"}) {
    pt::ClickItem(ed::kEntityList, entry);
    expectNothingCut(ed::kLabel1, std::string("Add Entity, ") + entry);
  }
  pt::PressEscape();
  AddEntity();

  expectNothingCut(ed::kMapNameEdit, "Map Settings");
  pt::PressEscape();
  Open(ed::MapSettingsDialogResource(), ed::MapSettingsProc);

  // The open-file dialog: all but the folder's path, which is as long as the folder's place makes it.
  pt::Click(pd::kFileNameControl);
  pt::Run([] {
    for (const std::string& cut : pt::TextsCut())
      EXPECT_EQ(cut.rfind(fs::current_path().string(), 0), 0u) << "Open: " << cut;
  });
  pt::PressEscape();
  char file[260] = {};
  pd::OpenFileName request;
  request.filter = "qel Maps\0*.qel\0";
  request.file = file;
  request.fileSize = sizeof file;
  EXPECT_FALSE(pd::GetOpenFileName(request, pd::DialogHost{GetCoreDataPointer()->window, GetDirect3DDevice()}));
}

}  // namespace
}  // namespace editor_test
