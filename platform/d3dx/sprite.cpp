#include "platform/d3dx/sprite.h"

#include <algorithm>
#include <numeric>

namespace platform::d3dx {

using namespace platform::gfx;

namespace {

constexpr uint32_t kVertexFormat = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;
// 16-bit indices reach 65536 vertices: four a rectangle.
constexpr uint32_t kMaxQuadsPerDraw = 16384;

// Two triangles per rectangle of four vertices (top-left, top-right, bottom-left, bottom-right).
const uint16_t* QuadIndices() {
  static const std::vector<uint16_t> indices = [] {
    std::vector<uint16_t> list;
    list.reserve(size_t(kMaxQuadsPerDraw) * 6);
    for (uint32_t q = 0; q < kMaxQuadsPerDraw; ++q) {
      const uint16_t v = uint16_t(q * 4);
      for (uint16_t corner : {0, 1, 2, 2, 1, 3}) list.push_back(uint16_t(v + corner));
    }
    return list;
  }();
  return indices.data();
}

// Every state the batch sets; recorded twice, once with these values and once to keep the caller's.
void SetBatchStates(gfx::Device* d) {
  d->SetRenderState(RS_ALPHABLENDENABLE, 1);
  d->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
  d->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
  d->SetRenderState(RS_BLENDOP, BLENDOP_ADD);
  d->SetRenderState(RS_SEPARATEALPHABLENDENABLE, 0);
  // Texels of no coverage write nothing, even without blending.
  d->SetRenderState(RS_ALPHATESTENABLE, 1);
  d->SetRenderState(RS_ALPHAREF, 0);
  d->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
  d->SetRenderState(RS_ZENABLE, ZB_FALSE);
  d->SetRenderState(RS_ZWRITEENABLE, 0);
  d->SetRenderState(RS_STENCILENABLE, 0);
  d->SetRenderState(RS_CULLMODE, CULL_NONE);
  d->SetRenderState(RS_FILLMODE, FILL_SOLID);
  d->SetRenderState(RS_SHADEMODE, SHADE_GOURAUD);
  d->SetRenderState(RS_LIGHTING, 0);
  d->SetRenderState(RS_FOGENABLE, 0);
  d->SetRenderState(RS_SPECULARENABLE, 0);
  d->SetRenderState(RS_CLIPPLANEENABLE, 0);
  d->SetRenderState(RS_COLORWRITEENABLE, COLORWRITE_RED | COLORWRITE_GREEN | COLORWRITE_BLUE | COLORWRITE_ALPHA);
  d->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
  d->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
  d->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
  d->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
  d->SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
  d->SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
  d->SetTextureStageState(0, TSS_TEXCOORDINDEX, 0);
  d->SetTextureStageState(0, TSS_TEXTURETRANSFORMFLAGS, TTFF_DISABLE);
  d->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
  d->SetTextureStageState(1, TSS_ALPHAOP, TOP_DISABLE);
  // Rectangles are drawn texel for pixel: nearest sampling keeps them exact.
  d->SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
  d->SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
  d->SetSamplerState(0, SAMP_MAGFILTER, TEXF_POINT);
  d->SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
  d->SetSamplerState(0, SAMP_MIPFILTER, TEXF_NONE);
  d->SetTexture(0, nullptr);
  // A declaration is part of the set so that the caller's comes back after the batch's vertex format.
  d->SetVertexDeclaration(nullptr);
  d->SetFVF(kVertexFormat);
  d->SetStreamSource(0, nullptr, 0, 0);
  d->SetIndices(nullptr);
}

Result RecordBatchStates(gfx::Device* device, StateBlock** block) {
  Result r = device->BeginStateBlock();
  if (Failed(r)) return r;
  SetBatchStates(device);
  return device->EndStateBlock(block);
}

}  // namespace

Result CreateSprite(gfx::Device* device, std::unique_ptr<Sprite>* sprite) {
  if (!device || !sprite) return kInvalidCall;
  std::unique_ptr<Sprite> made(new Sprite);
  Result r = made->MakeStateBlocks(device);
  if (Failed(r)) return r;
  device->AddRef();
  made->device_ = device;
  *sprite = std::move(made);
  return kOk;
}

Sprite::~Sprite() {
  for (Group& g : groups_) g.texture->Release();
  ReleaseStateBlocks();
  if (device_) device_->Release();
}

Result Sprite::MakeStateBlocks(gfx::Device* device) {
  StateBlock* own = nullptr;
  StateBlock* saved = nullptr;
  Result r = RecordBatchStates(device, &own);
  if (Succeeded(r)) r = RecordBatchStates(device, &saved);
  if (Failed(r)) {
    if (own) own->Release();
    return r;
  }
  ReleaseStateBlocks();
  ownStates_ = own;
  savedStates_ = saved;
  return kOk;
}

void Sprite::ReleaseStateBlocks() {
  if (ownStates_) ownStates_->Release();
  if (savedStates_) savedStates_->Release();
  ownStates_ = savedStates_ = nullptr;
}

Result Sprite::Begin(uint32_t flags) {
  if (inBatch_) return kInvalidCall;
  savedStates_->Capture();
  flags_ = flags;
  inBatch_ = true;
  return kOk;
}

Result Sprite::Draw(Texture* texture, const Rect& source, int32_t x, int32_t y, uint32_t color) {
  if (!inBatch_ || !texture) return kInvalidCall;
  uint32_t group = uint32_t(groups_.size());
  for (uint32_t i = group; i-- > 0;) {
    if (groups_[i].texture == texture) {
      group = i;
      break;
    }
  }
  if (group == groups_.size()) {
    gfx::Device* owner = nullptr;
    if (Failed(texture->GetDevice(&owner))) return kInvalidCall;
    owner->Release();
    SurfaceDesc desc{};
    if (owner != device_ || Failed(texture->GetLevelDesc(0, &desc))) return kInvalidCall;
    texture->AddRef();
    groups_.push_back({texture, float(desc.width), float(desc.height)});
  }
  const Group& g = groups_[group];
  const int32_t width = source.right - source.left, height = source.bottom - source.top;
  if (width <= 0 || height <= 0) return kOk;
  // Pixel centres lie on integers: the rectangle's edges go half a pixel before them.
  const float left = float(x) - 0.5f, top = float(y) - 0.5f;
  quads_.push_back({group, left, top, left + float(width), top + float(height), float(source.left) / g.width,
                    float(source.top) / g.height, float(source.right) / g.width, float(source.bottom) / g.height,
                    color});
  return kOk;
}

void Sprite::SortQuads() {
  order_.resize(quads_.size());
  if (!(flags_ & SPRITE_SORT_TEXTURE)) {
    std::iota(order_.begin(), order_.end(), 0u);
    return;
  }
  // Counting sort by group keeps the queued order inside each texture's group.
  std::vector<uint32_t> start(groups_.size() + 1, 0);
  for (const Quad& q : quads_) ++start[q.group + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  for (uint32_t i = 0; i < quads_.size(); ++i) order_[start[quads_[i].group]++] = i;
}

void Sprite::DrawRuns() {
  vertices_.resize(quads_.size() * 4);
  for (size_t i = 0; i < order_.size(); ++i) {
    const Quad& q = quads_[order_[i]];
    Vertex* v = &vertices_[i * 4];
    v[0] = {q.x0, q.y0, 0.0f, 1.0f, q.color, q.u0, q.v0};
    v[1] = {q.x1, q.y0, 0.0f, 1.0f, q.color, q.u1, q.v0};
    v[2] = {q.x0, q.y1, 0.0f, 1.0f, q.color, q.u0, q.v1};
    v[3] = {q.x1, q.y1, 0.0f, 1.0f, q.color, q.u1, q.v1};
  }
  size_t first = 0;
  while (first < order_.size()) {
    const uint32_t group = quads_[order_[first]].group;
    size_t end = first;
    while (end < order_.size() && quads_[order_[end]].group == group) ++end;
    device_->SetTexture(0, groups_[group].texture);
    for (size_t at = first; at < end; at += kMaxQuadsPerDraw) {
      const uint32_t count = uint32_t(std::min<size_t>(kMaxQuadsPerDraw, end - at));
      device_->DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, count * 4, count * 2, QuadIndices(), FMT_INDEX16,
                                      &vertices_[at * 4], sizeof(Vertex));
    }
    first = end;
  }
}

Result Sprite::Flush() {
  if (!inBatch_) return kInvalidCall;
  if (!quads_.empty()) {
    // The states go on at each flush, not at Begin: the caller may draw other things inside the batch.
    ownStates_->Apply();
    device_->SetRenderState(RS_ALPHABLENDENABLE, (flags_ & SPRITE_ALPHABLEND) ? 1 : 0);
    SortQuads();
    DrawRuns();
    statesChanged_ = true;
  }
  for (Group& g : groups_) g.texture->Release();
  groups_.clear();
  quads_.clear();
  return kOk;
}

Result Sprite::End() {
  if (!inBatch_) return kInvalidCall;
  Flush();
  if (statesChanged_) savedStates_->Apply();
  statesChanged_ = false;
  inBatch_ = false;
  return kOk;
}

Result Sprite::ChangeDevice(gfx::Device* device) {
  if (!device || inBatch_) return kInvalidCall;
  if (device == device_) return kOk;
  Result r = MakeStateBlocks(device);
  if (Failed(r)) return r;
  device->AddRef();
  device_->Release();
  device_ = device;
  return kOk;
}

}  // namespace platform::d3dx
