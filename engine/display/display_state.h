// The display module's state. Internal to the module and its tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/core_data.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class Api; class Device; }
namespace platform::window { class Window; }

struct DisplayModeRecord {
  uint32_t width, height, refreshRate, format;
};

struct AdapterRecord {
  std::string name;  // the identifier's description
  platform::gfx::DisplayMode currentMode;
  platform::gfx::Caps caps;
  platform::gfx::AdapterIdentifier identifier;
  std::vector<DisplayModeRecord> modes;
};

struct DisplayState {
  platform::gfx::Api* api = nullptr;
  platform::gfx::Device* device = nullptr;
  std::vector<AdapterRecord> adapters;
  int32_t currentAdapter = 0;
  platform::window::Window* deviceWindow = nullptr;
  std::string title;

  // Requested mode.
  uint32_t width = 0, height = 0, depth = 0;
  int32_t windowed = 1;
  uint32_t creationFlags = 0;
  int32_t lockable = 0;
  uint32_t backBufferCount = 1;
  uint8_t vsync = 1;
  // How much the chosen display mode exceeds the requested size.
  uint32_t extraWidth = 0, extraHeight = 0;

  uint32_t backBufferFormat = 0, depthStencilFormat = 0;
  uint8_t autoDepthStencil = 0;
  platform::gfx::PresentParams params{};
  bool haveParams = false;
  platform::gfx::DisplayMode desktopMode{};
  uint32_t lastEnumeratedFormat = 0;

  uint8_t sceneOpen = 0;
  uint8_t frameSample = 0;

  // Window placement.
  int32_t frameExtraWidth = 0, frameExtraHeight = 0;  // kept from the first windowed placement
  int32_t extrasWidth = 0, extrasHeight = 0;          // in force
  bool iconShown = true;  // the icon in force: the window class's icon (true) or none
  uint32_t windowStyle = 0x00CF0000;
  int32_t showCommand = 10;
  int32_t windowWidth = 0, windowHeight = 0;
  uint8_t firstPlacement = 1;

  uint32_t gammaRed = 255, gammaGreen = 255, gammaBlue = 255;
  double lastSampleTime = 0;
  uint32_t frames = 0;
  float rate = 0;

  CoreData* core = nullptr;
  AllocFreeCallback allocFree = nullptr;
};

DisplayState& Display();
