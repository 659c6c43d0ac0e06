#include "platform/window/cursor.h"

#include <SDL.h>

#include "platform/fs/path.h"
#include "platform/window/window.h"

namespace platform::window {

class Cursor {
 public:
  explicit Cursor(SDL_Cursor* cursor) : cursor_(cursor) {}
  SDL_Cursor* Native() const { return cursor_; }

 private:
  SDL_Cursor* cursor_;
};

namespace {

Cursor* g_current = nullptr;
int g_displayCounter = 0;

Cursor* MakeColorCursor(CursorImage& image) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(image.rgba.data(), image.width, image.height, 32,
                                                            image.width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return nullptr;
  SDL_Cursor* native = SDL_CreateColorCursor(surface, image.hotX, image.hotY);
  SDL_FreeSurface(surface);
  return native ? new Cursor(native) : nullptr;
}

// What a null cursor shows: nothing.
Cursor* BlankCursor() {
  static Cursor* blank = [] {
    CursorImage image;
    image.width = image.height = 1;
    image.rgba.assign(4, 0);
    return MakeColorCursor(image);
  }();
  return blank;
}

}  // namespace

Cursor* LoadCursorFile(std::string_view name, int want) {
  if (!PlatformReady()) return nullptr;
  std::vector<uint8_t> bytes;
  if (!fs::ReadWholeFile(name, bytes)) return nullptr;
  CursorImage image;
  if (!DecodeCursorFile(bytes.data(), bytes.size(), want, image)) return nullptr;
  return MakeColorCursor(image);
}

Cursor* LoadStandardCursor(StandardCursor shape) {
  if (!PlatformReady()) return nullptr;
  SDL_Cursor* native =
      SDL_CreateSystemCursor(shape == StandardCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT : SDL_SYSTEM_CURSOR_ARROW);
  return native ? new Cursor(native) : nullptr;
}

void SetCursor(Cursor* cursor) {
  g_current = cursor;
  if (!PlatformReady()) return;
  Cursor* shown = cursor ? cursor : BlankCursor();
  if (shown) SDL_SetCursor(shown->Native());
}

Cursor* GetCursor() { return g_current; }

int ShowCursor(bool show) {
  g_displayCounter += show ? 1 : -1;
  if (PlatformReady()) SDL_ShowCursor(g_displayCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return g_displayCounter;
}

}  // namespace platform::window
