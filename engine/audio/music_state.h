// The music module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "platform/audio/media_graph.h"

constexpr uint32_t kMusicKindCdTrack = 1;  // any other kind is a media graph

struct MusicRecord {
  uint32_t kind = 0;
  // The graph's interfaces; each released with the record.
  platform::audio::MediaObject* graph = nullptr;
  platform::audio::MediaControl* control = nullptr;
  platform::audio::MediaEvent* event = nullptr;
  platform::audio::MediaSeeking* seeking = nullptr;
  platform::audio::MediaPosition* position = nullptr;
  platform::audio::MediaObject* audio = nullptr;
  int32_t track = 0;  // CD track number
  uint8_t paused = 0;   // 1: Update skips the record
  uint8_t playing = 0;
  uint8_t looping = 0;  // 1: the piece starts again when it ends
};

struct MusicState {
  RecordList list;
  MusicRecord* current = nullptr;  // left by FindMusic
  CoreData* core = nullptr;
};

MusicState& Music();

constexpr int32_t kMaxMusicNumber = 22000000;

// Files the record under the number (a copy; an earlier record of that number is freed). The module
// has no command that makes records; tests and a future loader use this.
MusicRecord* AddMusicRecord(int32_t music, const MusicRecord& record);
// The record (also left in Music().current), null when it does not exist.
MusicRecord* FindMusic(int32_t music);
