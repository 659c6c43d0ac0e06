// The start-up console: creates the start-up device and prints lines on the screen through the text
// and 2D entries of the CoreTable (skipped while those modules are not in the build).
#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_table.h"
#include "platform/window/window.h"

namespace {
constexpr int kSystemColorCount = 29;
uint32_t g_systemColors[kSystemColorCount];
bool g_systemColorsTaken = false;
}  // namespace

void InitConsole(int32_t mode) {
  CoreData* data = GetCoreDataPointer();
  const bool fullScreen = mode == 3;
  GetCoreTable().SetDisplayModeAll(data->backBufferWidth, data->backBufferHeight, fullScreen ? data->displayDepth : 0,
                                   fullScreen ? 0 : 1, 0, 1);
  LoadSystemColors();
}

void ConsoleReady() {
  if (auto setFont = GetCoreTable().SetTextFontCharset) setFont("Fixedsys", 0);
}

void ClearConsole() {
  if (auto clear = GetCoreTable().ClearScreen) clear(0, 0, 0);
}

void PrintString(const char* text, int newline) { ConsolePrint(text, newline); }

void ConsolePrint(const char* text, int newline) {
  const CoreTable& t = GetCoreTable();
  CoreData* data = GetCoreDataPointer();
  if (!text || !t.MeasureTextWidth || !t.MeasureTextHeight || !t.DrawTextAt) return;
  const int32_t width = t.MeasureTextWidth(text);
  int32_t height = t.MeasureTextHeight(text);
  if (height == 0) height = t.MeasureTextHeight(" ");
  t.DrawTextAt(data->consoleX, data->consoleY, text);
  if (!newline) {
    data->consoleX += width;
    return;
  }
  data->consoleY += height;
  data->consoleX = 0;

  int outerWidth = 0, outerHeight = 0, clientWidth = 0, clientHeight = 0;
  if (data->window) {
    data->window->GetOuterSize(outerWidth, outerHeight);
    data->window->GetClientSize(clientWidth, clientHeight);
  }
  const int32_t bottom = data->backBufferHeight - (outerHeight - clientHeight);
  if (data->consoleY > bottom - height && t.CopySurfaceRect && t.DrawBox) {
    int screenWidth = 0, screenHeight = 0;
    platform::window::GetScreenSize(screenWidth, screenHeight);
    t.CopySurfaceRect(0, 0, screenWidth, screenHeight, 0, data->consoleY - bottom + height);
    const uint32_t ink = data->inkForeground;
    data->inkForeground = data->inkBackground;
    t.DrawBox(0, bottom - height, screenWidth, screenHeight);
    data->inkForeground = ink;
    data->consoleY = bottom - height;
  }
}

void LoadSystemColors() {
  // The classic desktop scheme, indexes 0..28 (scroll bar, desktop, captions, menus, windows, ...).
  static const uint32_t kScheme[kSystemColorCount] = {
      0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000,
      0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54,
      0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2};
  for (int i = 0; i < kSystemColorCount; ++i) g_systemColors[i] = kScheme[i];
  g_systemColorsTaken = true;
}
