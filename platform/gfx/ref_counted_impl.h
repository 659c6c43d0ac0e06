// Reference counting shared by every object of the device layer (one thread: a plain counter).
#pragma once
#include <cstdint>

namespace platform::gfx {

template <class Interface>
class RefCountedImpl : public Interface {
 public:
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  uint32_t refs_ = 1;
};

// Points `slot` at `object`, taking a reference on the new one and giving back the old one's.
template <class T>
void Hold(T*& slot, T* object) {
  if (object) object->AddRef();
  if (slot) slot->Release();
  slot = object;
}

}  // namespace platform::gfx
