// Presses shorter than a frame. SDL's key and button state shows only what is down when it is read, so
// a key or button pressed and let go between two reads (a touchpad tap, a quick key under load) would
// never be seen. A device's event watch notes every press (auto-repeat aside) and every pump; a read
// then shows a key down when it is down or was pressed since the reads before: as if a key let go
// early had been held until the game looked.
//
// The reads between two pumps of the window's events are one frame and all see the same state, so a
// press is seen by every read of the frame that follows it and let go at the first read after the next
// pump. Keys held down read exactly as their state says. Presses noted while nobody reads (a modal
// dialog, a loading screen) show once, at the next read. Two presses within one frame count once, as
// a key held through the frame would: showing the second one later would replay old presses after
// such a pause, and a frame of "released" between them would fool a wait for everything let go.
//
// Internal to the keyboard and mouse devices.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform::input {

class PressLatch {
 public:
  explicit PressLatch(size_t keys) : keys_(keys) {}

  // Forgets every press (the device is taken anew).
  void Reset();

  // From the event watch, on whatever thread pushes the event: a press of key `index` (out of range is
  // ignored); and any event at all, which means the window is pumping: the frame of the reads so far
  // is over.
  void NotePress(size_t index);
  void NotePump();

  // From a read: `state` holds the keys down now (high bit), one byte per key; it becomes what this
  // frame shows.
  void Apply(uint8_t* state);

 private:
  struct Key {
    bool pressed = false;  // since the frame of reads before
    bool shown = false;    // what the reads of this frame see
  };

  std::mutex mutex_;
  std::vector<Key> keys_;
  bool pumped_ = true;  // the next read starts a frame
};

}  // namespace platform::input
