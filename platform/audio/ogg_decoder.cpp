// libvorbisfile over a memory image or over a part of a file read as decoding goes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/audio/ogg_decoder.h"
#include "platform/fs/path.h"
#include "platform/fs/regular_file.h"

namespace platform::audio {

struct OggDecoder::State {
  std::vector<uint8_t> image;
  int fd = -1;             // a file streamed from, else the image is read
  uint64_t begin = 0;      // where the stream starts in the file
  uint64_t size = 0;       // the stream's bytes: the image's or the file part's
  uint64_t at = 0;
  uint64_t sinceSound = 0;  // bytes read since the last frames came out
  OggVorbis_File file{};
  bool open = false;
  // The decoder reported damage it cannot step over (a bad link, a bad packet): calling it again on
  // such a stream can divide by zero inside the library, so reading stops until a fresh open.
  bool broken = false;

  ~State() {
    if (open) ov_clear(&file);
    if (fd >= 0) close(fd);
  }
};

namespace {

// Read front to back from a file, the decoder looks for the next page through whatever follows the last one, to
// the end of the file: past this many bytes without a frame decoded the stream ends instead. Room
// for headers with large comments; a file padded to gigabytes after its sound is not read through.
constexpr uint64_t kMaxBytesWithoutSound = uint64_t(16) << 20;

size_t ReadStream(void* out, size_t size, size_t count, void* source) {
  auto* s = static_cast<OggDecoder::State*>(source);
  if (size == 0 || (s->fd >= 0 && s->sinceSound >= kMaxBytesWithoutSound)) return 0;
  const size_t items = size_t(std::min<uint64_t>(count, (s->size - s->at) / size));
  if (items == 0) return 0;  // also an empty image, whose data pointer is null
  s->sinceSound += items * size;
  if (s->fd < 0) {
    std::memcpy(out, s->image.data() + s->at, items * size);
    s->at += items * size;
    return items;
  }
  size_t done = 0;
  while (done < items * size) {
    const ssize_t n = pread(s->fd, static_cast<uint8_t*>(out) + done, items * size - done, off_t(s->begin + s->at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // an error or a file cut short meanwhile: the stream ends here
    done += size_t(n);
  }
  s->at += done;
  return done / size;
}

int SeekImage(void* source, ogg_int64_t offset, int whence) {
  auto* s = static_cast<OggDecoder::State*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(s->at) : ogg_int64_t(s->size);
  const ogg_int64_t to = base + offset;
  if (to < 0 || to > ogg_int64_t(s->size)) return -1;
  s->at = uint64_t(to);
  return 0;
}

long TellStream(void* source) { return long(static_cast<OggDecoder::State*>(source)->at); }

// A memory image is seekable. A file is read front to back only: a seekable open would look for the
// end of every link, reading the whole file, however large; going back to the start opens it anew.
bool OpenVorbis(OggDecoder::State& s) {
  s.at = 0;
  s.sinceSound = 0;
  const ov_callbacks callbacks{ReadStream, s.fd < 0 ? SeekImage : nullptr, nullptr, TellStream};
  s.open = ov_open_callbacks(&s, &s.file, nullptr, 0, callbacks) == 0;
  return s.open;
}

}  // namespace

bool LooksLikeOgg(const uint8_t* bytes, size_t size) { return size >= 4 && std::memcmp(bytes, "OggS", 4) == 0; }

OggDecoder::OggDecoder() = default;

OggDecoder::~OggDecoder() = default;

bool OggDecoder::Start(std::unique_ptr<State> state) {
  state_ = std::move(state);
  const vorbis_info* info = OpenVorbis(*state_) ? ov_info(&state_->file, -1) : nullptr;
  if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1) {
    state_.reset();
    return false;
  }
  channels_ = uint16_t(info->channels);
  rate_ = uint32_t(info->rate);
  return true;
}

bool OggDecoder::Open(std::vector<uint8_t> image) {
  state_.reset();
  if (!LooksLikeOgg(image.data(), image.size())) return false;  // empty, or not an Ogg stream at all
  auto state = std::make_unique<State>();
  state->image = std::move(image);
  state->size = state->image.size();
  return Start(std::move(state));
}

const char* OggDecoder::OpenFile(std::string_view name, uint64_t offset, uint64_t length) {
  state_.reset();
  auto state = std::make_unique<State>();
  struct stat st;
  state->fd = fs::OpenRegularFile(fs::ResolvePath(name).c_str(), O_RDONLY, 0, &st);
  if (state->fd < 0) return fs::ReadFailureText(fs::ReadFailure::kCannotOpen);
  const uint64_t fileSize = uint64_t(st.st_size);
  if (offset > fileSize || length > fileSize - offset) return fs::ReadFailureText(fs::ReadFailure::kOutOfRange);
  state->begin = offset;
  state->size = length ? length : fileSize - offset;
  uint8_t magic[4];
  if (state->size == 0) return "the file is empty";
  if (ReadStream(magic, 1, sizeof magic, state.get()) != sizeof magic || !LooksLikeOgg(magic, sizeof magic))
    return "the file is not an Ogg stream";
  if (!Start(std::move(state))) return "the file is not an Ogg Vorbis stream we can play";
  return nullptr;
}

uint32_t OggDecoder::Read(int16_t* out, uint32_t frames) {
  if (!state_ || state_->broken) return 0;
  const size_t frameBytes = size_t(channels_) * 2;
  size_t wanted = size_t(frames) * frameBytes;
  auto* bytes = reinterpret_cast<char*>(out);
  size_t got = 0;
  int holes = 0;
  while (got < wanted) {
    int section = 0;
    const long n = ov_read(&state_->file, bytes + got, int(std::min<size_t>(wanted - got, 1 << 20)), 0, 2, 1, &section);
    if (n == OV_HOLE && ++holes < 64) continue;  // a gap in the data: decoding goes on after it
    if (n < 0) state_->broken = true;
    if (n <= 0) break;
    state_->sinceSound = 0;
    // A chained stream whose later part has another channel count is not ours to play.
    const vorbis_info* info = ov_info(&state_->file, -1);
    if (!info || info->channels != channels_) break;
    got += size_t(n);
  }
  return uint32_t(got / frameBytes);
}

bool OggDecoder::Rewind() {
  if (!state_) return false;
  state_->sinceSound = 0;
  if (state_->fd < 0) return !state_->broken && ov_pcm_seek(&state_->file, 0) == 0;
  ov_clear(&state_->file);
  state_->broken = false;
  const vorbis_info* info = OpenVorbis(*state_) ? ov_info(&state_->file, -1) : nullptr;
  return info && info->channels == channels_ && uint32_t(info->rate) == rate_;
}

}  // namespace platform::audio
