// The text module's state and glyph tables. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace platform::gfx { class Api; class Device; class Texture; class VertexBuffer; class StateBlock; }
namespace platform::fonts { class Font; }

constexpr int kFaceNameSize = 80;
constexpr uint32_t kDefaultFontSize = 12;
constexpr uint32_t kMaxFontSize = 100;
constexpr char kDefaultFace[] = "fixedsys";
constexpr uint32_t kDoubleByteCharset = 134;
constexpr uint32_t kTextVertexFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1
constexpr uint32_t kTextVertexSize = 28;
constexpr uint32_t kCharsPerBatch = 50;
constexpr uint32_t kTextVertexCount = kCharsPerBatch * 6;

struct TextState {
  platform::gfx::Device* device = nullptr;  // the display module's; not ours to release
  platform::gfx::Api* api = nullptr;        // one reference, taken from the device
  uint32_t fontTextureFormat = 0;
  char faceName[kFaceNameSize] = {};
  uint32_t fontSize = kDefaultFontSize;
  platform::gfx::Texture* fontTexture = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  uint32_t textureWidth = 0, textureHeight = 0;
  float scale = 1.0f;  // below 1 only when the atlas had to be cut to the device's largest texture
  platform::gfx::StateBlock* savedState = nullptr;
  platform::gfx::StateBlock* textState = nullptr;
  platform::fonts::Font* font = nullptr;  // the font of the last atlas build
  uint32_t effectiveCharset = 0;          // never goes back to 0 once a charset was requested
  uint8_t doubleByte = 0;
  uint32_t foreground = 0xFFFFFFFF, background = 0xFF000000;
  uint32_t requestedCharset = 0;
  char* scratch = nullptr;  // shared by the string commands
  uint32_t scratchCapacity = 0;
  CoreData* core = nullptr;
  AllocFreeCallback allocFree = nullptr;
};

// Where each character's cell lies in the atlas (texture coordinates) and its size on screen.
struct GlyphTables {
  struct Rect { float uL, vT, uR, vB; };
  Rect rect[256];
  int32_t width[256];   // advance in screen pixels; 0 for codes below 32
  int32_t height[256];  // cell height; 0 for codes below 32
};

TextState& TextModuleState();
GlyphTables& TextGlyphs();

// Makes sure the scratch buffer holds at least `size` bytes (the string commands' shared buffer).
void EnsureTempBuffer(uint32_t size);
