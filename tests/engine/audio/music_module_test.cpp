// The music module: PlayMusic's errors, CD records on a platform without CD audio, and the frame poll
// of media-graph records (built here from stand-in interfaces, since nothing else makes them).
#include <gtest/gtest.h>

#include <string>

#include "engine/audio/music.h"
#include "engine/audio/music_state.h"
#include "engine/core/errors.h"
#include "tests/engine/audio/media_fakes.h"

namespace {

namespace pa = platform::audio;
using namespace media_fakes;

class MusicModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MusicModule::Constructor();
    MusicModule::SetErrorHandler(&word_);
  }
  void TearDown() override {
    MusicModule::Destructor();
    SetModuleErrorHandler(nullptr);
  }

  MusicRecord* AddGraph(int32_t number, Control* control, Event* event, Seeking* seeking, uint8_t looping) {
    MusicRecord record;
    record.kind = 2;
    record.control = control;
    record.event = event;
    record.seeking = seeking;
    record.playing = 1;
    record.looping = looping;
    return AddMusicRecord(number, record);
  }

  uint32_t word_ = 0;
  // Outlive the records that hold them until TearDown frees the records.
  Control control_[4];
  Event events_[4];
  Seeking seeking_[2];
  Object graph_;
};

TEST_F(MusicModuleTest, PlayMusicRaisesRangeAndMissingCodes) {
  const struct {
    int32_t music;
    uint32_t code;
  } cases[] = {{0, kErrorMusicNumber}, {22000001, kErrorMusicNumber}, {-1, kErrorMusicNumber},
               {1, kErrorMusicMissing}, {22000000, kErrorMusicMissing}};
  for (const auto& c : cases) {
    word_ = 0;
    EXPECT_FALSE(PlayMusic(c.music));
    EXPECT_EQ(word_, c.code) << c.music;
  }
}

TEST_F(MusicModuleTest, CdTrackFailsCleanlyWithoutCdAudio) {
  MusicRecord cd;
  cd.kind = kMusicKindCdTrack;
  cd.track = 2;
  cd.looping = 1;
  MusicRecord* record = AddMusicRecord(3, cd);
  EXPECT_FALSE(PlayMusic(3));
  EXPECT_EQ(word_, 0u);
  EXPECT_NE(std::string(LastErrorText()).find("CD track"), std::string::npos);
  EXPECT_EQ(record->playing, 0);
  record->playing = 1;
  MusicModule::Update();  // no "stopped" reply: the record is left as it is
  EXPECT_EQ(record->playing, 1);
  EXPECT_EQ(record->looping, 1);
}

TEST_F(MusicModuleTest, PlayMusicRunsAGraphOnceAndNeedsItsControl) {
  Control& control = control_[0];
  MusicRecord* record = AddGraph(4, &control, nullptr, nullptr, 1);
  record->playing = 0;
  EXPECT_TRUE(PlayMusic(4));
  EXPECT_EQ(control.runs, 1);
  EXPECT_EQ(record->playing, 1);
  EXPECT_EQ(record->looping, 0);
  MusicRecord* bare = AddGraph(5, nullptr, nullptr, nullptr, 0);
  bare->playing = 0;
  EXPECT_FALSE(PlayMusic(5));
  EXPECT_NE(std::string(LastErrorText()).find("invalid media control"), std::string::npos);
  EXPECT_EQ(bare->playing, 0);
}

TEST_F(MusicModuleTest, UpdateLoopsOrStopsGraphsAtTheirEnd) {
  auto& [rewindable, restarted, once, paused] = control_;
  auto& [rewindableEvents, restartedEvents, onceEvents, pausedEvents] = events_;
  auto& [seekOk, seekFails] = seeking_;
  seekFails.result = pa::kFail;
  rewindableEvents.pending = {5, pa::kEventComplete};
  restartedEvents.pending = {pa::kEventComplete};
  onceEvents.pending = {pa::kEventComplete};
  pausedEvents.pending = {pa::kEventComplete};
  MusicRecord* a = AddGraph(1, &rewindable, &rewindableEvents, &seekOk, 1);
  MusicRecord* b = AddGraph(2, &restarted, &restartedEvents, &seekFails, 1);
  MusicRecord* c = AddGraph(3, &once, &onceEvents, nullptr, 0);
  MusicRecord* d = AddGraph(4, &paused, &pausedEvents, nullptr, 0);
  d->paused = 1;

  MusicModule::Update();
  EXPECT_EQ(seekOk.calls, 1);
  EXPECT_EQ(seekOk.lastCurrent, 0);
  EXPECT_EQ(seekOk.lastFlags, pa::kSeekAbsolute);
  EXPECT_EQ(rewindable.stops + rewindable.runs, 0);
  EXPECT_EQ(rewindableEvents.freed, 2);  // every event's parameters go, whatever its code
  EXPECT_EQ(restarted.stops, 1);
  EXPECT_EQ(restarted.runs, 1);
  EXPECT_EQ(a->playing + b->playing, 2);
  EXPECT_EQ(c->playing, 0);
  EXPECT_EQ(d->playing, 1);
  EXPECT_EQ(pausedEvents.polls, 0);
}

TEST_F(MusicModuleTest, AGraphWithoutEventsEndsTheFramesPoll) {
  Control& first = control_[0];
  Control& second = control_[1];
  Event& laterEvents = events_[0];
  laterEvents.pending = {pa::kEventComplete};
  AddGraph(1, &first, nullptr, nullptr, 0);
  MusicRecord* later = AddGraph(2, &second, &laterEvents, nullptr, 0);
  MusicModule::Update();
  EXPECT_NE(std::string(LastErrorText()).find("media event interface invalid"), std::string::npos);
  EXPECT_EQ(laterEvents.polls, 0);
  EXPECT_EQ(later->playing, 1);
  EXPECT_EQ(word_, 0u);
}

TEST_F(MusicModuleTest, DestructorReleasesEveryInterfaceAndEmptiesTheList) {
  Control& control = control_[0];
  Event& events = events_[0];
  Seeking& seeking = seeking_[0];
  Object& graph = graph_;
  MusicRecord record;
  record.kind = 2;
  record.graph = &graph;
  record.control = &control;
  record.event = &events;
  record.seeking = &seeking;
  AddMusicRecord(8, record);
  MusicModule::Destructor();
  EXPECT_EQ(graph.releases + control.releases + events.releases + seeking.releases, 4);
  EXPECT_EQ(Music().list.records.Count(), 0);
  EXPECT_EQ(FindMusic(8), nullptr);
}

}  // namespace
