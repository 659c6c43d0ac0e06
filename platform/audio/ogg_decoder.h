// Ogg Vorbis decoding from a file image in memory or streamed from a file, to 16-bit frames of one or
// two channels.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace platform::audio {

class OggDecoder {
 public:
  OggDecoder();
  ~OggDecoder();
  OggDecoder(const OggDecoder&) = delete;
  OggDecoder& operator=(const OggDecoder&) = delete;

  // Takes the file image; false when it is empty, does not start like an Ogg stream, or is not an Ogg
  // Vorbis stream of one or two channels.
  bool Open(std::vector<uint8_t> image);
  // Streams `length` bytes (0: up to the end) from `offset` of a regular file (through the path
  // resolver): only the bytes decoded are read, a little at a time, however large the file. Null when
  // it opened, else why not in words ("the file is not an Ogg stream", ...).
  const char* OpenFile(std::string_view name, uint64_t offset, uint64_t length);
  uint16_t Channels() const { return channels_; }
  uint32_t Rate() const { return rate_; }

  // Decodes up to `frames` frames into `out` (interleaved); the number decoded, 0 at the end or when
  // the stream is damaged beyond the point reached.
  uint32_t Read(int16_t* out, uint32_t frames);
  // Back to the first frame; false when the stream cannot seek or no longer opens.
  bool Rewind();

  struct State;  // the decoder and the image it reads (public for the read callbacks)

 private:
  bool Start(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
  uint16_t channels_ = 0;
  uint32_t rate_ = 0;
};

// Whether a file image starts like an Ogg stream.
bool LooksLikeOgg(const uint8_t* bytes, size_t size);

}  // namespace platform::audio
