// The display module's entries and the description of the adapters.
#include <cstring>

#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gfx/device.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

namespace gfx = platform::gfx;

namespace {

DisplayState g_display;

// The formats whose modes make an adapter's mode list, in this order.
constexpr uint32_t kModeFormats[] = {22, 21, 24, 25, 23, 35};

bool FindHardWareInfo() {
  DisplayState& d = Display();
  if (!d.api) return RaiseErrorText("Invalid D3D device for FindHardWareInfo"), false;
  for (uint32_t a = 0; a < d.adapters.size(); ++a) {
    AdapterRecord& adapter = d.adapters[a];
    if (gfx::Failed(d.api->GetAdapterDisplayMode(a, &adapter.currentMode)))
      return RaiseErrorText("Failed to get adapter display mode"), false;
    if (gfx::Failed(d.api->GetDeviceCaps(a, gfx::DEVTYPE_HAL, &adapter.caps)))
      return RaiseErrorText("Failed to get device caps"), false;
    if (gfx::Failed(d.api->GetAdapterIdentifier(a, 0, &adapter.identifier)))
      return RaiseErrorText("Failed to get adapter identifier"), false;
    adapter.name.assign(adapter.identifier.description,
                        ::strnlen(adapter.identifier.description, sizeof adapter.identifier.description));
    if (adapter.name.size() > 255) adapter.name.resize(255);

    adapter.modes.clear();
    for (uint32_t format : kModeFormats) {
      const uint32_t count = d.api->GetAdapterModeCount(a, format);
      d.lastEnumeratedFormat = format;
      bool havePrevious = false;
      gfx::DisplayMode previous{};
      for (uint32_t m = 0; m < count; ++m) {
        gfx::DisplayMode mode{};
        if (gfx::Failed(d.api->EnumAdapterModes(a, format, m, &mode)))
          return RaiseErrorText("Failed to enumerate adapter display modes"), false;
        const DisplayModeRecord record{mode.width, mode.height, mode.refreshRate, mode.format};
        // Of a run of one size at several refresh rates, the last one enumerated stays.
        if (havePrevious && previous.width == mode.width && previous.height == mode.height &&
            FormatToBits(previous.format) == FormatToBits(mode.format)) {
          adapter.modes.back() = record;
        } else {
          adapter.modes.push_back(record);
        }
        previous = mode;
        havePrevious = true;
      }
    }
  }
  return true;
}

// A message box the system cannot show is drawn in the engine window, over the last frame.
int MessageBoxInEngineWindow(const char* text, const char* caption, uint32_t type) {
  const CoreData* data = GetCoreDataPointer();
  if (!data || !g_display.device) return -1;
  return platform::dialogs::MessageBoxInWindow({data->window, g_display.device}, text, caption, type);
}

}  // namespace

DisplayState& Display() { return g_display; }

namespace DisplayModule {

bool Constructor() {
  DisplayState& d = Display();
  if (d.api) Destructor();  // started again (tests): leave nothing of the last run behind
  d = DisplayState{};
  d.api = gfx::CreateApi(gfx::kSdkVersion);
  if (!d.api) return RaiseErrorText("Unable to create Direct3D interface"), false;
  const uint32_t count = d.api->GetAdapterCount();
  d.adapters.resize(count);
  d.gammaRed = d.gammaGreen = d.gammaBlue = 255;
  if (!FindHardWareInfo()) return false;
  d.currentAdapter = 0;
  d.title = Core().title;
  d.api->GetAdapterDisplayMode(0, &d.desktopMode);
  platform::window::InhibitScreenSaver(true);
  platform::window::SetWindowMessageBox(MessageBoxInEngineWindow);
  return true;
}

void Destructor() {
  DisplayState& d = Display();
  if (d.core) ReleaseDeviceState();
  if (d.device) d.device->Release();
  if (d.api) d.api->Release();
  d.device = nullptr;
  d.api = nullptr;
  d.adapters.clear();
  d.haveParams = false;
  platform::window::SetWindowMessageBox(nullptr);
  platform::window::InhibitScreenSaver(false);
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData, int stage) {
  DisplayState& d = Display();
  d.core = coreData;
  if (stage == 0) {
    if (coreData) d.deviceWindow = coreData->window;
    // Rendering into another application's window does not exist on this platform: no name is
    // ever handed over, so there is nothing to look up.
    return;
  }
  d.allocFree = coreData ? coreData->allocFree : nullptr;
  ClearToColor(0, 0, 0);
  RestoreDeviceState();
}

}  // namespace DisplayModule
