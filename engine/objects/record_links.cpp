#include "engine/objects/record_links.h"

RecordLinks& GetRecordLinks() {
  static RecordLinks links;
  return links;
}

platform::gfx::Device* GetRecordDevice() {
  return GetRecordLinks().device ? GetRecordLinks().device() : nullptr;
}

void ReleaseRecordTexture(platform::gfx::Texture* texture) {
  if (texture && GetRecordLinks().releaseTexture) GetRecordLinks().releaseTexture(texture);
}

void ReleaseRecordDeclaration(platform::gfx::VertexDeclaration* declaration) {
  if (declaration && GetRecordLinks().releaseDeclaration) GetRecordLinks().releaseDeclaration(declaration);
}

void DeleteRecordEffect(EffectObject* effect) {
  if (effect && GetRecordLinks().deleteEffect) GetRecordLinks().deleteEffect(effect);
}
