// The music module's entries, PlayMusic and the frame poll.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/audio/music.h"
#include "engine/audio/music_state.h"
#include "engine/core/errors.h"
#include "platform/audio/media_command.h"

namespace pa = platform::audio;

namespace {

MusicState g_music;

constexpr size_t kReplySize = 256;

void FreeRecord(MusicRecord* record) {
  if (!record) return;
  pa::ReleaseMedia(record->control);
  pa::ReleaseMedia(record->event);
  pa::ReleaseMedia(record->seeking);
  pa::ReleaseMedia(record->position);
  pa::ReleaseMedia(record->audio);
  pa::ReleaseMedia(record->graph);
  delete record;
}

// Starts the piece from its start; false (with a text) when it could not be started.
bool StartPiece(MusicRecord& record) {
  if (record.kind == kMusicKindCdTrack) {
    char reply[kReplySize];
    pa::SendMediaCommand("status cdaudio number of tracks", reply, sizeof reply);
    const long tracks = std::strtol(reply, nullptr, 10);
    char command[96];
    if (record.track < tracks) {
      std::snprintf(command, sizeof command, "play cdaudio from %d to %d", record.track, record.track + 1);
    } else {
      std::snprintf(command, sizeof command, "play cdaudio from %d", record.track);
    }
    if (pa::SendMediaCommand(command, reply, sizeof reply) != 0) {
      RaiseErrorText("PlayMusic - the CD track cannot be played");
      return false;
    }
    return true;
  }
  if (!record.control) {
    RaiseErrorText("PlayMusic - invalid media control interface");
    return false;
  }
  if (pa::Failed(record.control->Run())) {
    RaiseErrorText("PlayMusic - the media graph does not run");
    return false;
  }
  return true;
}

// A media graph's events since the last frame; false when the record has no event interface.
bool PollGraph(MusicRecord& record) {
  if (!record.event) {
    RaiseErrorText("Update - media event interface invalid");
    return false;
  }
  int32_t code = 0;
  intptr_t param1 = 0, param2 = 0;
  while (pa::Succeeded(record.event->GetEvent(&code, &param1, &param2, 0))) {
    record.event->FreeEventParams(code, param1, param2);
    if (code != pa::kEventComplete) continue;
    if (!record.looping) {
      record.playing = 0;
      continue;
    }
    int64_t start = 0;
    const bool rewound = record.seeking && pa::Succeeded(record.seeking->SetPositions(
                                                &start, pa::kSeekAbsolute, nullptr, pa::kSeekNoPositioning));
    if (!rewound && record.control) {
      record.control->Stop();
      record.control->Run();
    }
  }
  return true;
}

}  // namespace

MusicState& Music() { return g_music; }

MusicRecord* FindMusic(int32_t music) {
  g_music.current = g_music.list.FindAs<MusicRecord>(music);
  return g_music.current;
}

MusicRecord* AddMusicRecord(int32_t music, const MusicRecord& record) {
  if (MusicRecord* old = g_music.list.FindAs<MusicRecord>(music)) {
    if (g_music.current == old) g_music.current = nullptr;
    FreeRecord(old);
    g_music.list.records.Remove(music);
  }
  auto* copy = new MusicRecord(record);
  g_music.list.records.Add(music, copy);
  return copy;
}

namespace MusicModule {

void Constructor() {}

void Destructor() {
  char reply[kReplySize];
  pa::SendMediaCommand("stop cdaudio", reply, sizeof reply);
  pa::SendMediaCommand("close cdaudio", reply, sizeof reply);
  for (IdListNode* node = g_music.list.records.Head(); node; node = node->next)
    FreeRecord(static_cast<MusicRecord*>(node->data));
  g_music.list.records.Clear();
  g_music.list.first.Clear();
  g_music.current = nullptr;
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { g_music.core = coreData; }

void RefreshD3D(int) {}

void Update() {
  for (IdListNode* node = g_music.list.records.Head(); node; node = node->next) {
    auto* record = static_cast<MusicRecord*>(node->data);
    if (record->paused) continue;
    if (record->kind == kMusicKindCdTrack) {
      char reply[kReplySize];
      pa::SendMediaCommand("status cdaudio mode", reply, sizeof reply);
      if (std::strcmp(reply, "stopped") != 0) continue;
      // Started again from here the piece keeps looping (PlayMusic itself starts a piece once).
      if (record->looping) {
        record->playing = StartPiece(*record) ? 1 : 0;
      } else {
        record->playing = 0;
      }
    } else if (!PollGraph(*record)) {
      return;  // no more polling this frame
    }
  }
}

}  // namespace MusicModule

bool PlayMusic(int32_t music) {
  if (music < 1 || music > kMaxMusicNumber) {
    RaiseErrorCode(kErrorMusicNumber);
    return false;
  }
  MusicRecord* record = FindMusic(music);
  if (!record) {
    RaiseErrorCode(kErrorMusicMissing);
    return false;
  }
  if (!StartPiece(*record)) return false;
  record->playing = 1;
  record->looping = 0;
  return true;
}
