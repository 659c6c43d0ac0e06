// The media-graph interfaces the music and video modules hold: a graph plays a media file on its own
// and is driven through these. Nothing on this platform builds a graph (there is no media framework
// behind them), so the modules' lists stay empty; the interfaces keep the modules' frame work whole.
// Methods answer with the sound layer's result codes.
#pragma once
#include <cstdint>

#include "platform/audio/result.h"

namespace platform::audio {

class MediaObject {
 public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  virtual ~MediaObject() = default;
};

class MediaControl : public MediaObject {
 public:
  virtual Result Run() = 0;
  virtual Result Stop() = 0;
};

constexpr int32_t kEventComplete = 1;

class MediaEvent : public MediaObject {
 public:
  // The next event, waiting at most `timeoutMs` (0: not at all); a failure when there is none.
  virtual Result GetEvent(int32_t* code, intptr_t* param1, intptr_t* param2, int32_t timeoutMs) = 0;
  virtual Result FreeEventParams(int32_t code, intptr_t param1, intptr_t param2) = 0;
};

constexpr uint32_t kSeekNoPositioning = 0, kSeekAbsolute = 1;

class MediaSeeking : public MediaObject {
 public:
  // Positions in 100 ns units; a null position with kSeekNoPositioning leaves that end alone.
  virtual Result SetPositions(int64_t* current, uint32_t currentFlags, int64_t* stop, uint32_t stopFlags) = 0;
};

class MediaPosition : public MediaObject {
 public:
  virtual Result SetCurrentPosition(double seconds) = 0;
};

class VideoWindow : public MediaObject {
 public:
  virtual Result SetVisible(bool visible) = 0;
  virtual Result SetOwner(void* window) = 0;
  virtual Result SetWindowPosition(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
};

// Releases the object held in `slot`, if any, and clears the slot.
template <class T>
void ReleaseMedia(T*& slot) {
  if (slot) slot->Release();
  slot = nullptr;
}

}  // namespace platform::audio
