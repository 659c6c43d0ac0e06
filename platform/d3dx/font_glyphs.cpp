#include "platform/d3dx/font_glyphs.h"

#include <algorithm>
#include <cstring>

namespace platform::d3dx {

using namespace platform::gfx;

namespace {

constexpr int32_t kGap = 1;             // texels between glyphs in a page
constexpr int32_t kPrintableCodes = 224;  // 32..255, what a page is sized for
constexpr int32_t kLargestPage = 2048;

// The smallest power-of-two page that should take every printable glyph of the font.
int32_t PageSideFor(const fonts::TextMetrics& m, gfx::Device* device) {
  Caps caps{};
  int64_t largest = kLargestPage;
  if (Succeeded(device->GetDeviceCaps(&caps)) && caps.maxTextureWidth && caps.maxTextureHeight)
    largest = std::min<int64_t>({largest, caps.maxTextureWidth, caps.maxTextureHeight});
  const int64_t row = m.height + kGap;
  const int64_t width = m.aveCharWidth + kGap + 2 + (m.italic ? m.height / 4 : 0);
  const int64_t area = kPrintableCodes * row * width;
  const int64_t widest = std::max<int64_t>(row, m.maxCharWidth + m.height / 2 + kGap);
  int64_t side = 64;
  while (side < largest && (side * side < area || side < widest)) side *= 2;
  return int32_t(side);
}

}  // namespace

GlyphCache::GlyphCache(gfx::Device* device, fonts::Font* font)
    : device_(device), font_(font), context_(fonts::CreateContext()) {
  device_->AddRef();
  fonts::SelectFont(context_, font_);
  fonts::SetTextColor(context_, fonts::MakeColorRef(255, 255, 255));
  fonts::SetBackgroundMode(context_, fonts::BKMODE_TRANSPARENT);
  fonts::SetTextAlign(context_, fonts::ALIGN_LEFT | fonts::ALIGN_TOP);
  fonts::GetTextMetrics(context_, &metrics_);
  pageSide_ = PageSideFor(metrics_, device_);
}

GlyphCache::~GlyphCache() {
  for (Texture* page : pages_) page->Release();
  fonts::SelectFont(context_, nullptr);
  fonts::DeleteContext(context_);
  fonts::DeleteFont(font_);
  device_->Release();
}

bool GlyphCache::Rasterise(uint8_t code, Raster* out) {
  const char byte = char(code);
  const std::string_view text(&byte, 1);
  fonts::Size extent{};
  fonts::TextExtent(context_, text, &extent);
  GlyphPlace& place = glyphs_[code];
  place.advance = extent.cx;
  ++work_.glyphsRasterised;

  // Drawn white on black into a cell with room on both sides for overhangs (italics, bearings).
  const int32_t margin = std::max(metrics_.height, 1);
  const int32_t width = extent.cx + 2 * margin, height = std::max(metrics_.height, 1);
  scratch_.assign(size_t(width) * size_t(height), 0);
  const fonts::Bitmap32 bitmap{scratch_.data(), width, height, width * 4};
  fonts::SelectBitmap(context_, &bitmap);
  fonts::TextOut(context_, margin, 0, 0, nullptr, text);
  fonts::SelectBitmap(context_, nullptr);

  int32_t left = width, top = height, right = -1, bottom = -1;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if ((scratch_[size_t(y) * width + x] & 0xFF) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return false;
  out->code = code;
  out->width = right - left + 1;
  out->height = bottom - top + 1;
  out->coverage.resize(size_t(out->width) * out->height);
  for (int32_t y = 0; y < out->height; ++y)
    for (int32_t x = 0; x < out->width; ++x)
      out->coverage[size_t(y) * out->width + x] = uint8_t(scratch_[size_t(top + y) * width + left + x] & 0xFF);
  place.left = left - margin;
  place.top = top;
  return true;
}

bool GlyphCache::StartPage() {
  Texture* page = nullptr;
  if (Failed(device_->CreateTexture(uint32_t(pageSide_), uint32_t(pageSide_), 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &page,
                                    nullptr)))
    return false;
  ++work_.pagesCreated;
  pages_.push_back(page);
  penX_ = penY_ = rowHeight_ = 0;
  return true;
}

bool GlyphCache::Place(Raster* glyph) {
  if (glyph->width > pageSide_ || glyph->height > pageSide_) return false;
  if (!pages_.empty() && penX_ + glyph->width > pageSide_) {
    penX_ = 0;
    penY_ += rowHeight_ + kGap;
    rowHeight_ = 0;
  }
  if ((pages_.empty() || penY_ + glyph->height > pageSide_) && !StartPage()) return false;
  glyph->page = pages_.size() - 1;
  glyph->x = penX_;
  glyph->y = penY_;
  penX_ += glyph->width + kGap;
  rowHeight_ = std::max(rowHeight_, glyph->height);
  return true;
}

void GlyphCache::Upload(size_t page, const std::vector<Raster*>& glyphs) {
  Rect dirty{pageSide_, pageSide_, 0, 0};
  for (const Raster* g : glyphs) {
    dirty.left = std::min(dirty.left, g->x);
    dirty.top = std::min(dirty.top, g->y);
    dirty.right = std::max(dirty.right, g->x + g->width);
    dirty.bottom = std::max(dirty.bottom, g->y + g->height);
  }
  LockedRect locked{};
  if (Failed(pages_[page]->LockRect(0, &locked, &dirty, 0))) return;
  for (const Raster* g : glyphs) {
    for (int32_t y = 0; y < g->height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) +
                                              size_t(g->y - dirty.top + y) * size_t(locked.pitch)) +
                  (g->x - dirty.left);
      const uint8_t* coverage = &g->coverage[size_t(y) * g->width];
      for (int32_t x = 0; x < g->width; ++x) row[x] = uint32_t(coverage[x]) << 24 | 0x00FFFFFFu;
    }
  }
  pages_[page]->UnlockRect(0);
  ++work_.pageUploads;
}

Result GlyphCache::Load(uint8_t first, uint8_t last) {
  if (first > last) return kInvalidCall;
  std::vector<Raster> rasters;
  for (int code = first; code <= last; ++code) {
    if (done_[size_t(code)]) continue;
    done_[size_t(code)] = true;
    Raster r{};
    if (Rasterise(uint8_t(code), &r)) rasters.push_back(std::move(r));
  }
  std::vector<std::vector<Raster*>> byPage;
  for (Raster& r : rasters) {
    if (!Place(&r)) continue;  // no room: the glyph keeps its advance and draws nothing
    GlyphPlace& place = glyphs_[r.code];
    place.page = pages_[r.page];
    place.source = {r.x, r.y, r.x + r.width, r.y + r.height};
    if (byPage.size() <= r.page) byPage.resize(r.page + 1);
    byPage[r.page].push_back(&r);
  }
  for (size_t page = 0; page < byPage.size(); ++page)
    if (!byPage[page].empty()) Upload(page, byPage[page]);
  return kOk;
}

Result GlyphCache::MoveTo(gfx::Device* device) {
  if (!device) return kInvalidCall;
  if (device == device_) return kOk;
  std::vector<Texture*> moved;
  auto giveUp = [&moved](Result r) {
    for (Texture* t : moved) t->Release();
    return r;
  };
  for (Texture* page : pages_) {
    Texture* copy = nullptr;
    Result r = device->CreateTexture(uint32_t(pageSide_), uint32_t(pageSide_), 1, 0, FMT_A8R8G8B8, POOL_MANAGED,
                                     &copy, nullptr);
    if (Failed(r)) return giveUp(r);
    moved.push_back(copy);
    LockedRect from{}, to{};
    if (Failed(r = page->LockRect(0, &from, nullptr, LOCK_READONLY))) return giveUp(r);
    if (Failed(r = copy->LockRect(0, &to, nullptr, 0))) {
      page->UnlockRect(0);
      return giveUp(r);
    }
    for (int32_t y = 0; y < pageSide_; ++y)
      std::memcpy(static_cast<uint8_t*>(to.bits) + size_t(y) * to.pitch,
                  static_cast<const uint8_t*>(from.bits) + size_t(y) * from.pitch, size_t(pageSide_) * 4);
    page->UnlockRect(0);
    copy->UnlockRect(0);
    ++work_.pagesCreated;
    ++work_.pageUploads;
  }
  for (GlyphPlace& g : glyphs_) {
    if (!g.page) continue;
    g.page = moved[size_t(std::find(pages_.begin(), pages_.end(), g.page) - pages_.begin())];
  }
  for (Texture* page : pages_) page->Release();
  pages_ = std::move(moved);
  device->AddRef();
  device_->Release();
  device_ = device;
  return kOk;
}

}  // namespace platform::d3dx
