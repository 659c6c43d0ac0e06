// The Add Entity dialog: the entity of the record at the cursor chosen from a list, its attributes
// typed under labels that follow the choice, and its marker made in the editor's scene on OK.
#include <cstdio>
#include <cstring>

#include "engine/media2d/basic2d.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "game/editor/editor_dialogs.h"
#include "game/editor/map_editor.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/shell/start_up.h"

namespace editor_dialogs {

namespace pd = platform::dialogs;

namespace {

enum Prefill : uint8_t { kNone, kInt, kFloat, kText };

// One entry of the list: its type, the labels over the four edits (1005, 1002, 1003, 1004) and what
// each edit is filled with from a record of the type (p1 to p4 in turn, or p5, or the text).
struct EntityEntry {
  const char* name;
  int32_t type;
  const char* labels[4];
  Prefill prefill[4];
};

constexpr const char* kUnused = "Unused";
const EntityEntry kEntries[] = {
    {"E_DOOR", E_DOOR, {"Red Val:", "Green Val:", "Blue Val:", "Angle:"}, {kInt, kInt, kInt, kInt}},
    {"E_PLAYERSTART", E_PLAYERSTART, {"Angle:", kUnused, kUnused, kUnused}, {kInt}},
    {"E_PAINTR", E_PAINTR, {"Red Amount:", kUnused, kUnused, kUnused}, {kInt}},
    {"E_PAINTG", E_PAINTG, {"Green Amount:", kUnused, kUnused, kUnused}, {kInt}},
    {"E_PAINTB", E_PAINTB, {"Blue Amount:", kUnused, kUnused, kUnused}, {kInt}},
    {"E_WARP", E_WARP, {kUnused, kUnused, kUnused, kUnused}, {}},
    {"E_BOOST", E_BOOST, {"Speed:", "Angle:", kUnused, kUnused}, {kInt, kInt}},
    {"E_MOVER", E_MOVER, {"Axis:", "Angle/Dir:", "Distance:", "Speed:"}, {kInt, kInt, kInt, kFloat}},
    {"E_MONSTERA", E_MONSTERA, {"Up/Down:", "Distance:", "Speed:", "Delay:"}, {kInt, kInt, kFloat, kInt}},
    {"E_MONSTERB", E_MONSTERB, {"Path ID:", "Speed:", kUnused, kUnused}, {kInt, kFloat}},
    {"E_TEXT", E_TEXT, {"Text:", kUnused, kUnused, kUnused}, {kText}},
    {"E_RESPAWN", E_RESPAWN, {"Angle:", kUnused, kUnused, kUnused}, {kInt}},
    {"E_PLASMA", E_PLASMA, {kUnused, kUnused, kUnused, kUnused}, {}},
    {"E_BOOSTV", E_BOOSTV, {"Speed:", "Vertical Push:", "Angle", kUnused}, {kInt, kInt, kInt}},
    {"E_NULL", E_NONE, {}, {}},
};
constexpr int32_t kEdits[4] = {kAttribute1, kAttribute2, kAttribute3, kAttribute4};
constexpr int32_t kLabels[4] = {kLabel1, kLabel2, kLabel3, kLabel4};

const EntityEntry* EntryNamed(const char* name) {
  for (const EntityEntry& e : kEntries)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}

const EntityEntry* EntryOfType(int32_t type) {
  for (const EntityEntry& e : kEntries)
    if (e.type == type && type != E_NONE) return &e;
  return nullptr;
}

void SetLabels(pd::Dialog* dialog, const EntityEntry& entry) {
  if (entry.type == E_NONE) return;
  for (int i = 0; i < 4; ++i) pd::SetDlgItemText(dialog, kLabels[i], entry.labels[i]);
}

void Prefill(pd::Dialog* dialog, const EntityEntry& entry, const MapRecord& r) {
  const int32_t ints[4] = {r.p1, r.p2, r.p3, r.p4};
  for (int i = 0; i < 4; ++i) {
    char text[32];
    switch (entry.prefill[i]) {
      case kInt: std::snprintf(text, sizeof text, "%d", ints[i]); break;
      case kFloat: FormatFloat(r.p5, text, sizeof text); break;
      case kText: pd::SetDlgItemText(dialog, kEdits[i], r.text); continue;
      case kNone: continue;
    }
    pd::SetDlgItemText(dialog, kEdits[i], text);
  }
}

// The selected entry's text; empty when nothing is selected.
void SelectedName(pd::Dialog* dialog, char (&name)[32]) {
  name[0] = 0;
  pd::Control* list = pd::GetDlgItem(dialog, kEntityList);
  const intptr_t selected = pd::SendMessage(list, pd::LB_GETCURSEL, 0, 0);
  const intptr_t length = pd::SendMessage(list, pd::LB_GETTEXTLEN, uintptr_t(selected), 0);
  if (selected < 0 || length < 0 || length >= intptr_t(sizeof name)) return;
  pd::SendMessage(list, pd::LB_GETTEXT, uintptr_t(selected), reinterpret_cast<intptr_t>(name));
}

int32_t ReadInt(pd::Dialog* dialog, int32_t id) { return int32_t(pd::GetDlgItemInt(dialog, id, nullptr, false)); }

float ReadFloat(pd::Dialog* dialog, int32_t id) {
  char text[256];
  pd::GetDlgItemText(dialog, id, text, sizeof text);
  return ReadFloatText(text);
}

bool Exists(int32_t object) { return InObjectRange(object) && ObjectExists(object); }

void LoadAnimatedModel(const char* file, int32_t object) {
  LoadObject(file, object);
  if (Exists(object)) LoopObjectAnimation(object);
}

void MarkerBox(int32_t object, int32_t image) {
  CreateBoxObject(object, 10, 10, 10);
  if (Exists(object)) SetObjectTexture(object, image);
}

// The record's fields from the edits and its marker object, placed over the block.
void WriteEntity(pd::Dialog* dialog, MapRecord& r, int32_t type, int32_t target) {
  EditorState& e = Editor();
  const int32_t object = r.entityObject;
  const float x = r.x, y = r.y, z = r.z;
  float lift = 5.0f;
  switch (type) {
    case E_BOOSTV:
      r.p1 = ReadInt(dialog, kAttribute1), r.p2 = ReadInt(dialog, kAttribute2), r.p3 = ReadInt(dialog, kAttribute3);
      LoadObject("Models\\BoostV.x", object);
      if (Exists(object)) SetObjectAngleY(object, float(r.p3));
      break;
    case E_PLASMA:
      LoadAnimatedModel("Models\\Plasma.x", object);
      if (Exists(object)) {
        SetObjectColor(object, Rgb(100, 100, 255));
        SetObjectSecondTexture(object, kSphereMapImage);
        SetObjectBrightness(object, 150);
      }
      lift = 10.0f;
      break;
    case E_RESPAWN:
      r.p1 = ReadInt(dialog, kAttribute1);
      MarkerBox(object, kRespawnImage);
      break;
    case E_MONSTERB:
    case E_MONSTERA:
      r.p1 = ReadInt(dialog, kAttribute1), r.p2 = ReadInt(dialog, kAttribute2), r.p3 = ReadInt(dialog, kAttribute3);
      if (type == E_MONSTERA) r.p4 = ReadInt(dialog, kAttribute4);
      r.p5 = ReadFloat(dialog, type == E_MONSTERA ? kAttribute3 : kAttribute2);
      LoadAnimatedModel(type == E_MONSTERA ? "Models\\MonsterA.x" : "Models\\MonsterB.x", object);
      if (Exists(object)) lift += GetObjectSizeY(object) / 2.0f;
      break;
    case E_MOVER:
      r.p1 = ReadInt(dialog, kAttribute1), r.p2 = ReadInt(dialog, kAttribute2);
      r.p3 = ReadInt(dialog, kAttribute3), r.p4 = ReadInt(dialog, kAttribute4);
      r.p5 = ReadFloat(dialog, kAttribute4);
      MarkerBox(object, kPlatformImage);
      break;
    case E_BOOST:
      r.p1 = ReadInt(dialog, kAttribute1), r.p2 = ReadInt(dialog, kAttribute2);
      LoadObject("Models\\Boost.x", object);
      if (Exists(object)) SetObjectAngleY(object, float(r.p2));
      break;
    case E_WARP:
      e.warpRecord = target;
      e.warpChoicePending = 1;
      e.warpDestinationChosen = 0;
      LoadObject("Models\\Warp.x", object);
      if (Exists(object)) {
        SetObjectTexture(object, kWarpImage);
        SetObjectTransparency(object, 1);
      }
      break;
    case E_DOOR:
      r.p1 = ReadInt(dialog, kAttribute1), r.p2 = ReadInt(dialog, kAttribute2);
      r.p3 = ReadInt(dialog, kAttribute3), r.p4 = ReadInt(dialog, kAttribute4);
      CreateBoxObject(object, 20, 10, 5);
      if (Exists(object)) {
        SetObjectColor(object, Rgb(r.p1, r.p2, r.p3));
        SetObjectAngleY(object, float(r.p4));
      }
      lift = 10.0f;
      break;
    case E_PLAYERSTART:
      r.p1 = int32_t(x), r.p2 = int32_t(y), r.p3 = int32_t(z), r.p4 = -1;
      MarkerBox(object, kPlayerStartImage);
      break;
    case E_TEXT:
      pd::GetDlgItemText(dialog, kAttribute1, r.text, kMapTextSize);
      r.p1 = r.p2 = r.p3 = r.p4 = -1;
      MarkerBox(object, kMessageImage);
      lift = 10.0f;
      break;
    case E_PAINTR:
    case E_PAINTG:
    case E_PAINTB:
      r.p1 = ReadInt(dialog, kAttribute1);
      r.p2 = r.p3 = r.p4 = -1;
      LoadObject(type == E_PAINTR ? "Models\\PaintRed.x" : type == E_PAINTG ? "Models\\PaintGreen.x" : "Models\\PaintBlue.x",
                 object);
      lift = 10.0f;
      break;
    default:
      return;
  }
  if (Exists(object)) PositionObject(object, x, y + lift, z);
}

void Accept(pd::Dialog* dialog) {
  EditorState& e = Editor();
  if (e.entityTarget < 0 || e.entityTarget >= kMapRecordCapacity) return;
  char name[32];
  SelectedName(dialog, name);
  const EntityEntry* entry = EntryNamed(name);
  MapCounts& counts = CurrentMapCounts();
  // Entity markers are numbered below the ball's object: a map with every number used takes no more.
  const bool adds = entry && entry->type != E_NONE;
  if (adds && kFirstEntityObject + counts.entitiesBuilt > kLastEntityObject) return;
  if (e.hadEntity) {
    RemoveEntity(e.entityTarget);
    e.hadEntity = 0;
  }
  if (!adds) return;
  MapRecord& r = CurrentMap().records[e.entityTarget];
  r.entityType = entry->type;
  r.entityObject = kFirstEntityObject + counts.entitiesBuilt;
  if (Exists(r.entityObject)) DeleteObject(r.entityObject);
  ReturnToGameFolder();
  WriteEntity(dialog, r, entry->type, e.entityTarget);
  ++counts.entitiesBuilt;
}

void Initialise(pd::Dialog* dialog) {
  pd::Control* list = pd::GetDlgItem(dialog, kEntityList);
  for (const EntityEntry& entry : kEntries)
    pd::SendMessage(list, pd::LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(entry.name));
  for (int i = 0; i < 3; ++i) pd::SetDlgItemText(dialog, kLabels[i], "Please Select An Entity");
  pd::SetDlgItemText(dialog, kLabel4, "Please Select An Entity):");
  EditorState& e = Editor();
  if (e.entityTarget < 0 || e.entityTarget >= kMapRecordCapacity) return;
  const MapRecord& r = CurrentMap().records[e.entityTarget];
  if (r.entityType == E_NONE) return;
  e.hadEntity = 1;
  const EntityEntry* entry = EntryOfType(r.entityType);
  if (!entry) return;  // a type no entry stands for (5) keeps its record until OK replaces it
  pd::SendMessage(list, pd::LB_SELECTSTRING, uintptr_t(-1), reinterpret_cast<intptr_t>(entry->name));
  Prefill(dialog, *entry, r);
  SetLabels(dialog, *entry);
}

}  // namespace

intptr_t AddEntityProc(pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == pd::WM_INITDIALOG) {
    Initialise(dialog);
    return 0;
  }
  if (message != pd::WM_COMMAND) return 0;
  const uint32_t id = pd::CommandId(wParam);
  if (id == pd::IDOK || id == pd::IDCANCEL) {
    if (id == pd::IDOK) Accept(dialog);
    pd::EndDialog(dialog, intptr_t(id));
    return 1;
  }
  if (id == uint32_t(kEntityList) && pd::CommandCode(wParam) == pd::LBN_SELCHANGE) {
    char name[32];
    SelectedName(dialog, name);
    if (const EntityEntry* entry = EntryNamed(name)) SetLabels(dialog, *entry);
  }
  return 1;
}

}  // namespace editor_dialogs
