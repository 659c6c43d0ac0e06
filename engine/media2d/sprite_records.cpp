// Sprite records: creation, placement of the quad, and the sprite commands.
#include <cmath>

#include "engine/core/errors.h"
#include "engine/media2d/image_state.h"
#include "engine/media2d/sprite_state.h"

namespace {

bool InSpriteRange(int32_t sprite) { return sprite >= 1 && sprite <= kMaxItemNumber; }

// The sprite of a command: 301 for a bad number, 302 when it does not exist.
SpriteRecord* CommandSprite(int32_t sprite) {
  if (!InSpriteRange(sprite)) return RaiseErrorCode(301), nullptr;
  SpriteRecord* record = FindSprite(sprite);
  if (!record) RaiseErrorCode(302);
  return record;
}

// Commands that place a sprite again use its position truncated.
void PlaceAtOwnPosition(SpriteRecord& record) {
  PlaceSprite(record, int32_t(std::trunc(record.x)), int32_t(std::trunc(record.y)));
}

// Size, texture and extents from the image; a missing image gives -1, -1, no texture, 1.0, 1.0.
void ReadImage(SpriteRecord& record, int32_t image) {
  const SpriteImageLinks& links = Sprites().images;
  record.width = links.width ? links.width(image) : -1;
  record.height = links.height ? links.height(image) : -1;
  record.texture = links.texture ? links.texture(image) : nullptr;
  record.u = links.u ? links.u(image) : 1.0f;
  record.v = links.v ? links.v(image) : 1.0f;
}

void CreateSprite(int32_t sprite, int32_t x, int32_t y, int32_t image) {
  SpriteState& s = Sprites();
  SpriteRecord record;
  ReadImage(record, image);
  if (!record.texture) return RaiseErrorCode(501);
  record.device = s.device;
  record.x = float(x);
  record.y = float(y);
  record.image = image;
  for (SpriteVertex& vertex : record.vertices) {
    vertex.z = 0.5f;
    vertex.rhw = 1.0f;
  }
  SetDiffuse(record);
  SetTextureCoordinates(record, record.u, record.v);

  if (s.list.Find(sprite)) s.list.records.Remove(sprite);
  auto* copy = new SpriteRecord(record);
  if (!s.list.records.Add(sprite, copy)) {
    delete copy;
    return;
  }
  if (!s.anySpriteCreated) s.backgroundMode = 2;
  s.anySpriteCreated = true;
  PlaceSprite(*copy, x, y);
}

bool Overlaps(const SpriteRecord* first, const SpriteRecord* second) {
  if (!first || !second || first->image < 1 || second->image < 1) return false;
  struct Bounds { float minX = 100000.0f, minY = 100000.0f, maxX = -100000.0f, maxY = -100000.0f; };
  auto bounds = [](const SpriteRecord& record) {
    Bounds b;
    for (const SpriteVertex& vertex : record.vertices) {
      b.minX = std::fmin(b.minX, vertex.x);
      b.maxX = std::fmax(b.maxX, vertex.x);
      b.minY = std::fmin(b.minY, vertex.y);
      b.maxY = std::fmax(b.maxY, vertex.y);
    }
    return b;
  };
  const Bounds a = bounds(*first), b = bounds(*second);
  return a.maxX >= b.minX && a.minX <= b.maxX && a.maxY >= b.minY && a.minY <= b.maxY;
}

int32_t SpriteOverlap(int32_t sprite, int32_t other) {
  const SpriteRecord* record = FindSprite(sprite);
  if (other > 0) return Overlaps(record, FindSprite(other)) ? 1 : 0;
  for (IdListNode* node = Sprites().list.records.Head(); node; node = node->next) {
    if (node->id != sprite && Overlaps(record, static_cast<const SpriteRecord*>(node->data))) return node->id;
  }
  return 0;
}

}  // namespace

SpriteRecord* FindSprite(int32_t sprite) { return Sprites().list.FindAs<SpriteRecord>(sprite); }

void PlaceSprite(SpriteRecord& record, int32_t x, int32_t y) {
  float width, height;
  if (record.setWidth != 0) {
    width = float(record.setWidth);
    height = float(record.setHeight);
  } else {
    width = std::trunc(float(record.width) * record.scaleX);
    height = std::trunc(float(record.height) * record.scaleY);
  }
  // Half a pixel up and left puts texel centres on pixel centres.
  const float left = float(x - record.offsetX) - 0.5f, top = float(y - record.offsetY) - 0.5f;
  const float right = left + width, bottom = top + height;
  SpriteVertex* v = record.vertices;
  v[0].x = left, v[0].y = top;
  v[1].x = right, v[1].y = top;
  v[2].x = left, v[2].y = bottom;
  v[3].x = right, v[3].y = bottom;
}

void SetTextureCoordinates(SpriteRecord& record, float u, float v) {
  SpriteVertex* c = record.vertices;
  c[0].u = 0, c[0].v = 0;
  c[1].u = u, c[1].v = 0;
  c[2].u = 0, c[2].v = v;
  c[3].u = u, c[3].v = v;
}

void SetDiffuse(SpriteRecord& record) {
  const uint32_t diffuse = uint32_t(record.alpha) << 24 | uint32_t(record.red) << 16 | uint32_t(record.green) << 8 |
                           uint32_t(record.blue);
  for (SpriteVertex& vertex : record.vertices) vertex.diffuse = diffuse;
}

void SetSprite(int32_t sprite, int32_t x, int32_t y, int32_t image) {
  if (!InSpriteRange(sprite)) return RaiseErrorCode(301);
  if (!InImageRange(image)) return RaiseErrorCode(501);
  SpriteRecord* record = FindSprite(sprite);
  if (!record) return CreateSprite(sprite, x, y, image);
  record->x = float(x);
  record->y = float(y);
  if (record->image != image) ReadImage(*record, image);
  record->image = image;
  PlaceSprite(*record, x, y);
  SetTextureCoordinates(*record, record->u, record->v);
}

void DrawSpriteAt(int32_t sprite, int32_t x, int32_t y) {
  SpriteRecord* record = CommandSprite(sprite);
  if (!record) return;
  PlaceSprite(*record, x, y);
  SpriteRecord shown = *record;
  shown.visible = 1;
  DrawSpriteNow(shown);
  PlaceAtOwnPosition(*record);
}

void SetSpriteSize(int32_t sprite, int32_t width, int32_t height) {
  SpriteRecord* record = CommandSprite(sprite);
  if (!record) return;
  if (width < 0 || height < 0) return RaiseErrorCode(312);
  record->setWidth = record->width = width;
  record->setHeight = record->height = height;
  record->scaleX = float(width) * 0.01f;
  record->scaleY = float(height) * 0.01f;
  PlaceAtOwnPosition(*record);
}

void HideSprite(int32_t sprite) {
  if (SpriteRecord* record = CommandSprite(sprite)) record->visible = 0;
}

void ShowSprite(int32_t sprite) {
  if (SpriteRecord* record = CommandSprite(sprite)) record->visible = 1;
}

void DeleteSprite(int32_t sprite) {
  SpriteRecord* record = CommandSprite(sprite);
  if (!record) return;
  SpriteState& s = Sprites();
  s.list.records.Remove(sprite);
  delete record;
  if (s.list.records.Count() == 0) s.backgroundMode = 0;
}

void SetSpriteAlpha(int32_t sprite, int32_t alpha) {
  SpriteRecord* record = CommandSprite(sprite);
  if (!record) return;
  if (alpha < 0 || alpha > 255) return RaiseErrorCode(314);
  record->alpha = alpha;
  SetDiffuse(*record);
}

void SetSpriteColor(int32_t sprite, int32_t red, int32_t green, int32_t blue) {
  SpriteRecord* record = CommandSprite(sprite);
  if (!record) return;
  for (int32_t value : {red, green, blue}) {
    if (value < 0 || value > 255) return RaiseErrorCode(315);
  }
  record->red = red;
  record->green = green;
  record->blue = blue;
  SetDiffuse(*record);
}

int32_t CheckSpriteOverlap(int32_t sprite, int32_t other) {
  if (!InSpriteRange(sprite) || other < 0 || other > kMaxItemNumber) return RaiseErrorCode(301), 0;
  if (!FindSprite(sprite)) return RaiseErrorCode(302), 0;
  return SpriteOverlap(sprite, other);
}

void RefreshSpriteImages() {
  SpriteState& s = Sprites();
  for (IdListNode* node = s.list.records.Head(); node; node = node->next) {
    auto* record = static_cast<SpriteRecord*>(node->data);
    record->device = s.device;
    ReadImage(*record, record->image);
  }
}

void ClearSprites() {
  SpriteState& s = Sprites();
  for (IdListNode* node = s.list.records.Head(); node; node = node->next) delete static_cast<SpriteRecord*>(node->data);
  s.list.records.Clear();
  s.list.first.Clear();
}
