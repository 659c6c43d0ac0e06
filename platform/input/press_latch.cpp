#include "platform/input/press_latch.h"

namespace platform::input {

void PressLatch::Reset() {
  std::lock_guard lock(mutex_);
  for (Key& key : keys_) key = Key{};
  pumped_ = true;
}

void PressLatch::NotePress(size_t index) {
  std::lock_guard lock(mutex_);
  if (index < keys_.size()) keys_[index].pressed = true;
}

void PressLatch::NotePump() {
  std::lock_guard lock(mutex_);
  pumped_ = true;
}

void PressLatch::Apply(uint8_t* state) {
  std::lock_guard lock(mutex_);
  if (pumped_) {
    pumped_ = false;
    for (size_t i = 0; i < keys_.size(); ++i) {
      Key& key = keys_[i];
      key.shown = (state[i] & 0x80) != 0 || key.pressed;
      key.pressed = false;
    }
  }
  // Within a frame SDL's state cannot change (only a pump changes it), so the frame's view is the state.
  for (size_t i = 0; i < keys_.size(); ++i) state[i] = keys_[i].shown ? 0x80 : 0;
}

}  // namespace platform::input
