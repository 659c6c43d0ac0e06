#include "engine/objects/device_links.h"

#include "engine/objects/record_links.h"
#include "platform/gfx/device.h"

void InstallDeviceRecordLinks(platform::gfx::Device* (*getDevice)()) {
  RecordLinks& links = GetRecordLinks();
  links.device = getDevice;
  links.releaseTexture = [](platform::gfx::Texture* texture) { texture->Release(); };
  links.releaseDeclaration = [](platform::gfx::VertexDeclaration* declaration) { declaration->Release(); };
}
