// libvorbisfile over a memory image.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "platform/audio/ogg_decoder.h"

namespace platform::audio {

struct OggDecoder::State {
  std::vector<uint8_t> image;
  size_t at = 0;
  OggVorbis_File file{};
  bool open = false;
};

namespace {

size_t ReadImage(void* out, size_t size, size_t count, void* source) {
  auto* s = static_cast<OggDecoder::State*>(source);
  if (size == 0) return 0;
  const size_t items = std::min(count, (s->image.size() - s->at) / size);
  if (items == 0) return 0;  // also an empty image, whose data pointer is null
  std::memcpy(out, s->image.data() + s->at, items * size);
  s->at += items * size;
  return items;
}

int SeekImage(void* source, ogg_int64_t offset, int whence) {
  auto* s = static_cast<OggDecoder::State*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(s->at) : ogg_int64_t(s->image.size());
  const ogg_int64_t to = base + offset;
  if (to < 0 || to > ogg_int64_t(s->image.size())) return -1;
  s->at = size_t(to);
  return 0;
}

long TellImage(void* source) { return long(static_cast<OggDecoder::State*>(source)->at); }

}  // namespace

bool LooksLikeOgg(const uint8_t* bytes, size_t size) { return size >= 4 && std::memcmp(bytes, "OggS", 4) == 0; }

OggDecoder::OggDecoder() = default;

OggDecoder::~OggDecoder() {
  if (state_ && state_->open) ov_clear(&state_->file);
}

bool OggDecoder::Open(std::vector<uint8_t> image) {
  if (state_ && state_->open) ov_clear(&state_->file);
  state_.reset();
  if (!LooksLikeOgg(image.data(), image.size())) return false;  // empty, or not an Ogg stream at all
  state_ = std::make_unique<State>();
  state_->image = std::move(image);
  const ov_callbacks callbacks{ReadImage, SeekImage, nullptr, TellImage};
  if (ov_open_callbacks(state_.get(), &state_->file, nullptr, 0, callbacks) != 0) {
    state_.reset();
    return false;
  }
  state_->open = true;
  const vorbis_info* info = ov_info(&state_->file, -1);
  if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1) {
    ov_clear(&state_->file);
    state_.reset();
    return false;
  }
  channels_ = uint16_t(info->channels);
  rate_ = uint32_t(info->rate);
  return true;
}

uint32_t OggDecoder::Read(int16_t* out, uint32_t frames) {
  if (!state_) return 0;
  const size_t frameBytes = size_t(channels_) * 2;
  size_t wanted = size_t(frames) * frameBytes;
  auto* bytes = reinterpret_cast<char*>(out);
  size_t got = 0;
  int holes = 0;
  while (got < wanted) {
    int section = 0;
    const long n = ov_read(&state_->file, bytes + got, int(std::min<size_t>(wanted - got, 1 << 20)), 0, 2, 1, &section);
    if (n == OV_HOLE && ++holes < 64) continue;  // a gap in the data: decoding goes on after it
    if (n <= 0) break;
    // A chained stream whose later part has another channel count is not ours to play.
    const vorbis_info* info = ov_info(&state_->file, -1);
    if (!info || info->channels != channels_) break;
    got += size_t(n);
  }
  return uint32_t(got / frameBytes);
}

bool OggDecoder::Rewind() { return state_ && ov_pcm_seek(&state_->file, 0) == 0; }

}  // namespace platform::audio
