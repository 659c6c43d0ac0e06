// The display module: the device and its display modes, scenes and presenting, device resets fanned
// out to every module, and the window and state commands around the device.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace platform::gfx { class Device; }
namespace platform::window { class Window; }

// Bits per pixel of a device format (0 for formats without a colour depth).
uint32_t FormatToBits(uint32_t format);

namespace DisplayModule {
bool Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
// Stage 0 keeps CoreData and the window; stage 1 (device made) clears the screen and takes the
// back-buffer and depth-stencil surfaces into CoreData.
void PassCoreData(CoreData* coreData, int stage);
}  // namespace DisplayModule

// Device and modes.
bool SetDisplayModeEx(int32_t width, int32_t height, int32_t depth, int32_t windowed, int32_t vertexProcessing,
                      int32_t lockable);
bool SetDisplayModeWH(int32_t width, int32_t height);
bool SetDisplayModeWHD(int32_t width, int32_t height, int32_t depth);
bool SetDisplayModeWHDW(int32_t width, int32_t height, int32_t depth, int32_t windowed);
bool SetDisplayModeWHDWV(int32_t width, int32_t height, int32_t depth, int32_t windowed, int32_t vertexProcessing);
bool SetDisplayModeAll(int32_t width, int32_t height, int32_t depth, int32_t windowed, int32_t vertexProcessing,
                       int32_t lockable);
// Changes the back-buffer size and depth, keeping the window mode; every module's device objects are
// released before and recreated after. A mode that cannot be set changes nothing.
uint32_t ChangeDisplayMode(int32_t width, int32_t height, int32_t depth);
uint32_t SetDisplayMode(int32_t width, int32_t height, int32_t depth);
void RefreshDeviceObjects(int mode);
void ResetDevice();
void ReleaseDeviceState();
void RestoreDeviceState();
void ClearToColor(int32_t red, int32_t green, int32_t blue);
void ClearScreen(int32_t red, int32_t green, int32_t blue);

// Scenes and presenting (CoreTable forms BeginScene, EndScene).
void BeginFrameScene();
void EndFrameScene();
void BeginScene();
void EndScene();
void PresentFrame();
// Starts the renderer on the frame drawn so far (the frame's wait runs while it draws).
void FlushFrame();
void RecoverLostDevice();

// Lists into the ResultList: "%dx%dx%d" with width, height, bits; adapter names.
void ListDisplayModes();
void ListDisplayAdapters();

// Window and state commands.
int32_t SwitchToWindowed();
uint32_t SwitchToFullscreen();
int32_t SetWindowDecorations(int32_t border, int32_t caption, int32_t icon);
int32_t SetWindowPosition(int32_t x, int32_t y);
int32_t SetWindowTitle(const char* text);
void OverrideHWND(platform::window::Window* window);
bool SetDisplayDebug();
void SetGamma(uint32_t red, uint32_t green, uint32_t blue);
void GetGamma(uint32_t* red, uint32_t* green, uint32_t* blue);
int32_t GetFrameRate();
platform::gfx::Device* GetDirect3DDevice();
int32_t GetDisplayWidth();
int32_t GetDisplayHeight();
uint32_t GetDisplayDepth();
bool IsWindowed();
uint32_t GetDisplayModeCount();
int32_t GetAdapterCount();
void SetDitherEnable(uint32_t value);
void SetShadeMode(uint32_t value);
void SetLightingEnable(uint32_t value);
void SetCullMode(uint32_t value);
void SetSpecularEnable(uint32_t value);
void SetRenderStateValue(uint32_t state, uint32_t value);
int32_t DisplayPassThrough(int32_t value);
