// The interface object of the device layer: adapters, display modes, capabilities, format checks
// and device creation. Every object of the layer is reference counted: a creator hands out one
// reference, AddRef takes another, Release gives one back and destroys the object at zero.
#pragma once
#include "platform/gfx/types.h"

namespace platform::gfx {

class Device;
class Window;

class RefCounted {
 public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  virtual ~RefCounted() = default;
};

class Api : public RefCounted {
 public:
  virtual uint32_t GetAdapterCount() = 0;
  // flags: ignored (kept for the callers' sake).
  virtual Result GetAdapterIdentifier(uint32_t adapter, uint32_t flags, AdapterIdentifier* identifier) = 0;
  // Modes offered in one format (FMT_X8R8G8B8 or FMT_R5G6B5; other formats have none).
  virtual uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) = 0;
  virtual Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode* out) = 0;
  virtual Result GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) = 0;
  virtual Result CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                 uint32_t backBufferFormat, int32_t windowed) = 0;
  // kOk when a resource of `checkFormat` with `usage` (USAGE_*) and `resourceType` (RTYPE_*) can be made.
  virtual Result CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t usage,
                                   uint32_t resourceType, uint32_t checkFormat) = 0;
  virtual Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t surfaceFormat,
                                            int32_t windowed, uint32_t multiSampleType, uint32_t* qualityLevels) = 0;
  virtual Result CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                        uint32_t renderTargetFormat, uint32_t depthStencilFormat) = 0;
  virtual Result GetDeviceCaps(uint32_t adapter, uint32_t deviceType, Caps* caps) = 0;
  // Creates the device on params->deviceWindow (or focusWindow when that is null). params is
  // updated with the sizes and formats actually used.
  virtual Result CreateDevice(uint32_t adapter, uint32_t deviceType, Window* focusWindow, uint32_t behaviorFlags,
                              PresentParams* params, Device** device) = 0;
};

// Creates the interface object (initialises SDL's video subsystem for its lifetime); null on failure.
Api* CreateApi(uint32_t sdkVersion);

// Lets go of the GL driver that the first capability query loaded and kept for the devices made
// after it. With no device or GL window left, the driver then ends its worker threads. Called once
// the process is done with GL (platform::window::QuitPlatform does); a later GL window loads the
// driver again.
void ReleaseGlDriver();

// Holds one reference and releases it when it goes out of scope (for platform code and tests).
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}  // adopts a reference
  Ref(const Ref& o) : p_(o.p_) { if (p_) p_->AddRef(); }
  Ref& operator=(const Ref& o) { Ref(o).Swap(*this); return *this; }
  ~Ref() { if (p_) p_->Release(); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases the held object and hands out the slot.
  T** put() { Reset(); return &p_; }
  void Reset() { if (p_) p_->Release(); p_ = nullptr; }
  void Swap(Ref& o) { T* t = p_; p_ = o.p_; o.p_ = t; }

 private:
  T* p_ = nullptr;
};

}  // namespace platform::gfx
