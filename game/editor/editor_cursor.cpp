// The cursor cell, its eight lines and the wireframe highlight of the block in it, and the blocks the
// number keys drop there.
#include <cmath>

#include "engine/core/core.h"
#include "engine/input/input.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "game/editor/editor_internal.h"
#include "game/editor/map_editor.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

namespace {

constexpr int32_t kFirstCursorLine = 500;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr float kCell = 20.0f, kLayer = 10.0f;

const EditorInput kEngineInput{IsKeyDown,       LeftKeyPressed, RightKeyPressed, DownKeyPressed,
                               UpKeyPressed,    EscapeKeyPressed, ReturnKeyPressed, GetMouseX,
                               GetMouseY,       GetMouseWheel,  GetMouseButtons,  GetTimer};
const EditorInput* g_input = &kEngineInput;

// The block a number key makes: a box, or a ramp or wedge mesh, of the size.
struct PlaceableBlock {
  int32_t shape;
  float sizeX, sizeY, sizeZ;
  enum { kBox, kRamp, kWedge } mesh;
};
constexpr PlaceableBlock kPlaceable[] = {
    {SHAPE_BOX, 20, 10, 20, PlaceableBlock::kBox},           {SHAPE_WEDGE, 20, 10, 20, PlaceableBlock::kWedge},
    {SHAPE_RAMP, 20, 10, 20, PlaceableBlock::kRamp},         {SHAPE_BOX_THIN_X, 10, 10, 20, PlaceableBlock::kBox},
    {SHAPE_BOX_THIN_Z, 20, 10, 10, PlaceableBlock::kBox},    {SHAPE_BOX_LONG, 20, 10, 30, PlaceableBlock::kBox},
    {SHAPE_BOX_THIN_LONG, 10, 10, 30, PlaceableBlock::kBox}, {SHAPE_WEDGE_THIN_X, 10, 10, 20, PlaceableBlock::kWedge},
    {SHAPE_WEDGE_FLAT, 10, 5, 20, PlaceableBlock::kWedge},
};

const PlaceableBlock* FindPlaceable(int32_t shape) {
  for (const PlaceableBlock& b : kPlaceable)
    if (b.shape == shape) return &b;
  return nullptr;
}

void SetHighlight(int32_t record, int32_t flag) {
  if (record < 0) return;
  const int32_t object = CurrentMap().records[record].blockObject;
  if (InObjectRange(object) && ObjectExists(object)) SetObjectWireframe(object, flag);
}

}  // namespace

EditorState& Editor() {
  static EditorState state;
  return state;
}

const EditorInput& EditorDevices() { return *g_input; }
void SetEditorInput(const EditorInput* input) { g_input = input ? input : &kEngineInput; }

int32_t RecordAtCursor() {
  const EditorState& e = Editor();
  return FindRecordAtCursor(e.cursorX, e.cursorY, e.cursorZ);
}

bool CellUnderPointer(int32_t mouseX, int32_t mouseY, float y, float& cellX, float& cellZ) {
  namespace d3dx = platform::d3dx;
  const CameraRecord* camera = GetCameraData(0);
  if (!camera || camera->viewRect.width == 0 || camera->viewRect.height == 0) return false;
  d3dx::Matrix toScreen = d3dx::MatrixMultiply(camera->view, camera->projection), fromScreen{};
  if (!d3dx::MatrixInverse(toScreen, &fromScreen)) return false;
  // The pixel's centre in the view's -1..1 square, on the near and the far plane.
  const auto& view = camera->viewRect;
  const float sx = (float(mouseX) + 0.5f - float(view.x)) / float(view.width) * 2.0f - 1.0f;
  const float sy = 1.0f - (float(mouseY) + 0.5f - float(view.y)) / float(view.height) * 2.0f;
  const d3dx::Vector3 near = d3dx::Vec3TransformCoord(d3dx::Vector3{sx, sy, 0.0f}, fromScreen);
  const d3dx::Vector3 far = d3dx::Vec3TransformCoord(d3dx::Vector3{sx, sy, 1.0f}, fromScreen);
  const float dy = far.y - near.y;
  if (std::fabs(dy) < 1e-6f) return false;
  const float t = (y - near.y) / dy;
  if (!(t >= 0.0f)) return false;
  const float x = near.x + (far.x - near.x) * t, z = near.z + (far.z - near.z) * t;
  if (!std::isfinite(x) || !std::isfinite(z) || std::fabs(x) > 1e7f || std::fabs(z) > 1e7f) return false;
  cellX = std::floor(x / kCell) * kCell;
  cellZ = std::floor(z / kCell) * kCell;
  return true;
}

bool AnyInputHeld() {
  const EditorInput& in = EditorDevices();
  if (in.mouseButtons() != 0) return true;
  for (int32_t key = 1; key < 256; ++key)
    if (in.keyDown(key)) return true;
  return false;
}

void HoldInputUntilReleased() { Editor().inputHeldByDialog = 1; }

int32_t SnapToGrid(int32_t value) {
  const int32_t quotient = value / 20, remainder = value % 20;
  return remainder >= 10 ? (quotient + 1) * 20 : quotient * 20;
}

void MoveCursorTo(float x, float y, float z) {
  SetHighlight(RecordAtCursor(), 0);
  EditorState& e = Editor();
  e.cursorX = x;
  e.cursorY = y;
  e.cursorZ = z;
  PositionSelectionBox();
  SetHighlight(RecordAtCursor(), 1);
}

void MoveCursorBy(int32_t cellsX, int32_t layersY, int32_t cellsZ) {
  const EditorState& e = Editor();
  MoveCursorTo(e.cursorX + float(cellsX) * kCell, e.cursorY + float(layersY) * kLayer,
               e.cursorZ + float(cellsZ) * kCell);
}

void BuildSelectionBox() {
  // Corners of the cell's outline, relative to the cursor corner: the square below, then above.
  const float corners[4][2] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}};
  for (int32_t level = 0; level < 2; ++level) {
    const float y = level == 0 ? -5.0f : 5.0f;
    for (int32_t side = 0; side < 4; ++side) {
      const float* from = corners[side];
      const float* to = corners[(side + 1) % 4];
      MakeLineObject(kFirstCursorLine + level * 4 + side, from[0], y, from[1], to[0], y, to[1], kWhite);
    }
  }
}

void PositionSelectionBox() {
  const EditorState& e = Editor();
  for (int32_t line = kFirstCursorLine; line < kFirstCursorLine + 8; ++line)
    if (ObjectExists(line)) PositionObject(line, e.cursorX, e.cursorY, e.cursorZ);
}

void HideSelectionBox() {
  for (int32_t line = kFirstCursorLine; line < kFirstCursorLine + 8; ++line)
    if (ObjectExists(line)) HideObject(line);
}

void PlaceBlock(int32_t shape) {
  const PlaceableBlock* kind = FindPlaceable(shape);
  MapTables& map = CurrentMap();
  MapCounts& counts = CurrentMapCounts();
  // The table holds 1000 records, and block numbers stop below the entity markers' 2000.
  if (!kind || map.header.recordCount < 0 || map.header.recordCount >= kMapRecordCapacity ||
      kFirstBlockObject + counts.blocksBuilt > kLastBlockObject)
    return;
  const EditorState& e = Editor();
  const float x = e.cursorX + 10.0f, y = e.cursorY, z = e.cursorZ + 10.0f;
  MapRecord& record = map.records[map.header.recordCount];
  const int32_t object = kFirstBlockObject + counts.blocksBuilt;
  if (ObjectExists(object)) DeleteObject(object);
  switch (kind->mesh) {
    case PlaceableBlock::kBox: CreateBoxObject(object, kind->sizeX, kind->sizeY, kind->sizeZ); break;
    case PlaceableBlock::kRamp: BuildRampMesh(object, kind->sizeX, kind->sizeY, kind->sizeZ); break;
    case PlaceableBlock::kWedge: BuildWedgeMesh(object, kind->sizeX, kind->sizeY, kind->sizeZ); break;
  }
  SetObjectTexture(object, kTintedLevelImage);
  PositionObject(object, x, y, z);
  ++counts.blocksBuilt;
  record.shape = shape;
  record.blockObject = object;
  record.x = x, record.y = y, record.z = z;
  record.rx = GetObjectXAngle(object);
  record.ry = GetObjectYAngle(object);
  record.rz = GetObjectZAngle(object);
  SetObjectWireframe(object, 1);
  ++map.header.recordCount;
}
