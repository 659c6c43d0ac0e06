// Stand-ins for media-graph interfaces, which nothing on this platform builds: they count what the
// modules call and answer as a test sets them up.
#pragma once
#include <cstdint>
#include <deque>

#include "platform/audio/media_graph.h"

namespace media_fakes {

namespace pa = platform::audio;

template <class Interface>
class Counted : public Interface {
 public:
  uint32_t AddRef() override { return ++refs; }
  uint32_t Release() override {
    ++releases;
    return --refs;
  }
  uint32_t refs = 1;
  int releases = 0;
};

class Object : public Counted<pa::MediaObject> {};

class Control : public Counted<pa::MediaControl> {
 public:
  pa::Result Run() override {
    ++runs;
    return runResult;
  }
  pa::Result Stop() override {
    ++stops;
    return pa::kOk;
  }
  int runs = 0, stops = 0;
  pa::Result runResult = pa::kOk;
};

class Event : public Counted<pa::MediaEvent> {
 public:
  pa::Result GetEvent(int32_t* code, intptr_t* param1, intptr_t* param2, int32_t timeoutMs) override {
    ++polls;
    if (pending.empty()) return pa::kFail;
    *code = pending.front();
    pending.pop_front();
    *param1 = 11;
    *param2 = 22;
    return pa::kOk;
  }
  pa::Result FreeEventParams(int32_t, intptr_t param1, intptr_t param2) override {
    if (param1 == 11 && param2 == 22) ++freed;
    return pa::kOk;
  }
  std::deque<int32_t> pending;
  int polls = 0, freed = 0;
};

class Seeking : public Counted<pa::MediaSeeking> {
 public:
  pa::Result SetPositions(int64_t* current, uint32_t currentFlags, int64_t* stop, uint32_t stopFlags) override {
    ++calls;
    lastCurrent = current ? *current : -1;
    lastFlags = currentFlags;
    return result;
  }
  int calls = 0;
  int64_t lastCurrent = -1;
  uint32_t lastFlags = 0;
  pa::Result result = pa::kOk;
};

class Position : public Counted<pa::MediaPosition> {
 public:
  pa::Result SetCurrentPosition(double seconds) override {
    ++calls;
    last = seconds;
    return pa::kOk;
  }
  int calls = 0;
  double last = -1;
};

class Window : public Counted<pa::VideoWindow> {
 public:
  pa::Result SetVisible(bool v) override {
    visible = v;
    return pa::kOk;
  }
  pa::Result SetOwner(void* o) override {
    owner = o;
    return pa::kOk;
  }
  pa::Result SetWindowPosition(int32_t l, int32_t t, int32_t w, int32_t h) override {
    left = l, top = t, width = w, height = h;
    ++placed;
    return pa::kOk;
  }
  bool visible = true;
  void* owner = this;
  int32_t left = 0, top = 0, width = 0, height = 0;
  int placed = 0;
};

}  // namespace media_fakes
