// The text module's entries and font settings.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/text/text.h"
#include "engine/text/text_state.h"
#include "platform/fonts/fonts.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

TextState g_text;
GlyphTables g_glyphs;

template <class T>
void ReleaseObject(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// The device holds what is bound to it, and everything the device made holds the device: the texture
// and buffer are unbound before they are let go, or neither they nor the device would ever be freed.
void ReleaseTextureAndBuffer() {
  TextState& s = g_text;
  if (s.device && s.vertexBuffer) {
    gfx::VertexBuffer* bound = nullptr;
    uint32_t offset = 0, stride = 0;
    s.device->GetStreamSource(0, &bound, &offset, &stride);
    if (bound == s.vertexBuffer) s.device->SetStreamSource(0, nullptr, 0, 0);
    if (bound) bound->Release();
  }
  if (s.device && s.fontTexture) {
    gfx::BaseTexture* bound = nullptr;
    s.device->GetTexture(0, &bound);
    if (bound == s.fontTexture) s.device->SetTexture(0, nullptr);
    if (bound) bound->Release();
  }
  ReleaseObject(s.fontTexture);
  ReleaseObject(s.vertexBuffer);
}

void ReleaseDeviceObjects() {
  TextState& s = g_text;
  ReleaseTextureAndBuffer();
  ReleaseObject(s.savedState);
  ReleaseObject(s.textState);
  ReleaseObject(s.api);
  if (s.font) platform::fonts::DeleteFont(s.font);
  s.font = nullptr;
}

void SetFaceName(const char* face) {
  std::strncpy(g_text.faceName, face, kFaceNameSize - 1);  // longer names are cut
  g_text.faceName[kFaceNameSize - 1] = 0;
}

void BuildForCoreData() {
  ChooseFontTextureFormat();
  CreateFontTexture();
  CreateTextVertexBuffer();
}

}  // namespace

TextState& TextModuleState() { return g_text; }
GlyphTables& TextGlyphs() { return g_glyphs; }

void EnsureTempBuffer(uint32_t size) {
  TextState& s = g_text;
  if (s.scratch && s.scratchCapacity >= size) return;
  std::free(s.scratch);
  s.scratch = static_cast<char*>(std::calloc(size + 1, 1));
  s.scratchCapacity = s.scratch ? size + 1 : 0;
}

namespace TextModule {

void Constructor() {
  TextState& s = g_text;
  // The effective character set outlives the module's own settings.
  const uint32_t effectiveCharset = s.effectiveCharset;
  const uint8_t doubleByte = s.doubleByte;
  CoreData* core = s.core;
  AllocFreeCallback allocFree = s.allocFree;
  std::free(s.scratch);
  s = TextState{};
  s.effectiveCharset = effectiveCharset;
  s.doubleByte = doubleByte;
  s.core = core;
  s.allocFree = allocFree;
  SetFaceName(kDefaultFace);

  s.device = GetDirect3DDevice();
  if (s.device) {
    s.device->GetDirect3D(&s.api);
    s.device->CreateStateBlock(gfx::SBT_ALL, &s.savedState);
    s.device->CreateStateBlock(gfx::SBT_ALL, &s.textState);
  }
  EnsureTempBuffer(256);
}

void Destructor() {
  TextState& s = g_text;
  std::free(s.scratch);
  s.scratch = nullptr;
  s.scratchCapacity = 0;
  ReleaseDeviceObjects();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  g_text.core = coreData;
  g_text.allocFree = coreData ? coreData->allocFree : nullptr;
  BuildForCoreData();
}

void RefreshD3D(int mode) {
  if (mode == 0) {
    Destructor();
  } else if (mode == 1) {
    Constructor();
    BuildForCoreData();
  }
}

}  // namespace TextModule

void RebuildFontTexture() {
  ReleaseTextureAndBuffer();
  CreateFontTexture();
  CreateTextVertexBuffer();
}

void SetTextFont(const char* face) {
  if (!face) return;
  SetFaceName(face);
  RebuildFontTexture();
}

void SetTextFontCharset(const char* face, uint32_t charset) {
  if (!face) return;
  SetFaceName(face);
  g_text.requestedCharset = charset;
  RebuildFontTexture();
}

void SetTextSize(uint32_t size) {
  if (size == g_text.fontSize) return;
  g_text.fontSize = std::min(size, kMaxFontSize);
  RebuildFontTexture();
}

void SetTextColorArgb(int32_t a, int32_t r, int32_t g, int32_t b) {
  g_text.foreground = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

int32_t GetTextWidth(const char* text) {
  if (!text) return 0;
  int32_t width = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) width += g_glyphs.width[*p];
  return width;
}

int32_t GetTextHeight(const char* text) {
  if (!text) return 0;
  int32_t height = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    height = std::max(height, g_glyphs.height[*p]);
  return height;
}

int32_t MeasureTextWidth(const char* text) { return GetTextWidth(text); }
int32_t MeasureTextHeight(const char* text) { return GetTextHeight(text); }
