// Drawing an image at once through the sprite module, and the sampler and memory settings.
#include "engine/core/errors.h"
#include "engine/media2d/image_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

void SetSampler0Filters(uint32_t filter) {
  gfx::Device* device = Images().device;
  if (!device) return;
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, filter);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, filter);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, filter);
}

}  // namespace

int32_t DrawImage(int32_t image, int32_t x, int32_t y, int32_t blended) {
  if (!InImageRange(image)) return RaiseErrorCode(501), 0;
  const ImageRecord* record = FindImage(image);
  if (!record) return RaiseErrorCode(502), 0;
  const PasteImageFn paste = Images().pasteLink;
  return paste ? paste(image, x, y, record->u, record->v, blended) : 1;
}

int32_t DrawImageAt(int32_t image, int32_t x, int32_t y) { return DrawImage(image, x, y, 0); }

int32_t DrawImageAtEx(int32_t image, int32_t x, int32_t y, int32_t blended) { return DrawImage(image, x, y, blended); }

void SetImageFiltering(int32_t on) { SetSampler0Filters(on ? gfx::TEXF_LINEAR : gfx::TEXF_NONE); }

void SetImageFilterMode(int32_t mode) {
  if (mode >= 0 && mode <= 2) SetSampler0Filters(uint32_t(mode));
}

void SetImageMipBias(uint32_t value) {
  if (gfx::Device* device = Images().device) device->SetSamplerState(0, gfx::SAMP_MIPMAPLODBIAS, value);
}

void SetImageMemoryMode(int32_t mode) {
  if (mode < 0 || mode > 2) RaiseErrorText("Invalid memory mode specified");
  Images().memoryMode = mode;
}
