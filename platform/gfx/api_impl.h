// The interface object's implementation (see api.h).
#pragma once
#include <vector>

#include "platform/gfx/api.h"
#include "platform/gfx/ref_counted_impl.h"

namespace platform::gfx {

class ApiImpl final : public RefCountedImpl<Api> {
 public:
  ApiImpl();
  ~ApiImpl() override;

  uint32_t GetAdapterCount() override;
  Result GetAdapterIdentifier(uint32_t adapter, uint32_t flags, AdapterIdentifier* identifier) override;
  uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) override;
  Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode* out) override;
  Result GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) override;
  Result CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t backBufferFormat,
                         int32_t windowed) override;
  Result CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t usage,
                           uint32_t resourceType, uint32_t checkFormat) override;
  Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t surfaceFormat, int32_t windowed,
                                    uint32_t multiSampleType, uint32_t* qualityLevels) override;
  Result CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                uint32_t renderTargetFormat, uint32_t depthStencilFormat) override;
  Result GetDeviceCaps(uint32_t adapter, uint32_t deviceType, Caps* caps) override;
  Result CreateDevice(uint32_t adapter, uint32_t deviceType, Window* focusWindow, uint32_t behaviorFlags,
                      PresentParams* params, Device** device) override;

  bool videoReady() const { return videoReady_; }

 private:
  struct Size {
    uint32_t width, height, refresh;
  };
  const std::vector<Size>& Modes(uint32_t adapter);
  bool ValidAdapter(uint32_t adapter, uint32_t deviceType);

  bool videoReady_ = false;
  std::vector<std::vector<Size>> modes_;  // per adapter, ascending, filled on first use
};

// Capabilities of the device as the GL implementation answers them (shared with Device::GetDeviceCaps).
void FillCaps(uint32_t adapter, Caps* caps);
// Whether the device can make a resource of `format` for `usage` and `resourceType`.
bool CanCreate(uint32_t usage, uint32_t resourceType, uint32_t format);

}  // namespace platform::gfx
