// The engine window's procedure: window messages become CoreData fields.
#include <cstdlib>
#include <cstring>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "platform/window/cursor.h"
#include "platform/window/window.h"

namespace pw = platform::window;

namespace {

void AppendTypedCharacter(CoreData* data, char c) {
  CoreState& core = Core();
  if (data->typedChars && data->typedChars[0] == 0) core.typedLength = 0;  // a reader emptied it
  if (!data->typedChars) {
    core.typedCapacity = 32;
    data->typedChars = static_cast<char*>(std::calloc(core.typedCapacity, 1));
    core.typedLength = 0;
    if (!data->typedChars) return;
  }
  if (core.typedLength > core.typedCapacity - 4) {
    auto* grown = static_cast<char*>(std::calloc(core.typedCapacity * 2, 1));
    if (!grown) return;
    std::memcpy(grown, data->typedChars, core.typedLength + 1);
    std::free(data->typedChars);
    data->typedChars = grown;
    core.typedCapacity *= 2;
  }
  data->typedChars[core.typedLength++] = c;
  data->typedChars[core.typedLength] = 0;
}

void TrackMouse(pw::Window* window, CoreData* data, intptr_t lParam) {
  int clientWidth = 0, clientHeight = 0;
  window->GetClientSize(clientWidth, clientHeight);
  ScaleMousePosition(data->backBufferWidth, data->backBufferHeight, clientWidth, clientHeight, pw::LowWord(lParam),
                     pw::HighWord(lParam), data->mouseX, data->mouseY);
}

}  // namespace

void ScaleMousePosition(int32_t backBufferWidth, int32_t backBufferHeight, int clientWidth, int clientHeight, int x,
                        int y, int32_t& mouseX, int32_t& mouseY) {
  if (clientWidth > 0) mouseX = int32_t(double(backBufferWidth) / clientWidth * x);
  if (clientHeight > 0) mouseY = int32_t(double(backBufferHeight) / clientHeight * y);
}

intptr_t WindowProc(pw::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  CoreData* data = GetCoreDataPointer();
  CoreState& core = Core();
  CoreTable& t = GetCoreTable();
  switch (message) {
    case pw::WM_DESTROY:
      core.quitRequest = 1;
      pw::PostQuitMessage(0);
      return pw::DefWindowProc(window, message, wParam, lParam);
    case pw::WM_CLOSE:
      core.quitRequest = 1;
      pw::PostQuitMessage(0);
      return 1;  // the window stays
    case pw::WM_MOVE:
    case pw::WM_SIZE:
    case pw::WM_PAINT:
    case pw::WM_SIZING:
    case pw::WM_MOVING:
      if (t.EndScene && t.PresentFrame && t.BeginScene) {  // show the last frame again
        t.EndScene();
        t.PresentFrame();
        t.BeginScene();
      }
      return 1;
    case pw::WM_ERASEBKGND:
      return 1;
    case pw::WM_KEYDOWN:
      if (wParam == pw::VK_ESCAPE && data->escapeQuits == 1) {
        // The quit request goes with the quit message, so later loops end as well.
        core.quitRequest = 1;
        pw::PostQuitMessage(0);
      }
      return 1;
    case pw::WM_KEYUP:
    case pw::WM_SYSKEYUP:
      return 1;
    case pw::WM_CHAR:
      AppendTypedCharacter(data, char(wParam & 0xFF));
      return 1;
    case pw::WM_MOUSEMOVE:
      if (window) TrackMouse(window, data, lParam);
      pw::SetCursor(core.currentCursor);
      return pw::DefWindowProc(window, message, wParam, lParam);
    case pw::WM_LBUTTONDOWN:
    case pw::WM_RBUTTONDOWN:
      data->mouseButtons |= message == pw::WM_LBUTTONDOWN ? 1u : 2u;
      if (window && !window->HasFocus()) window->Focus();
      return pw::DefWindowProc(window, message, wParam, lParam);
    case pw::WM_LBUTTONUP:
    case pw::WM_RBUTTONUP:
      data->mouseButtons ^= message == pw::WM_LBUTTONUP ? 1u : 2u;
      return pw::DefWindowProc(window, message, wParam, lParam);
    case pw::WM_USER + 1:
      if (wParam == 0) pw::ShowCursor(false);
      else if (wParam == 1) pw::ShowCursor(true);
      return 1;
    default:
      return pw::DefWindowProc(window, message, wParam, lParam);
  }
}
