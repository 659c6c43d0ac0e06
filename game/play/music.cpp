#include "game/play/music.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include <string>

#include "game/play/game_state.h"
#include "game/play/sound_effects.h"
#include "game/shell/settings.h"
#include "game/shell/start_up.h"
#include "platform/audio/sound_library.h"
#include "platform/fs/contained_name.h"

namespace pa = platform::audio;

namespace {

pa::LibraryStream* gStream = nullptr;
bool gStreamOpened = false;
int32_t gChannel = 0;

}  // namespace

int32_t PlayMusicFile(const char* name) {
  if (!SoundsReady()) return -1;
  ReturnToGameFolder();
  // The stream it replaces is closed, not only stopped, so switching tracks does not pile up streams.
  if (gStream) pa::CloseStream(gStream);
  gStream = nullptr;
  // A map names its music: a name that would leave the Music folder is not opened.
  std::string path;
  const char* refused = platform::fs::ContainedNameFault(name ? name : "");
  if (!refused && platform::fs::JoinContainedName("Music\\", name ? name : "", path))
    gStream = pa::OpenStream(path.c_str(), pa::kModeLoopNormal, 0, 0);
  // The game goes on without music; the player learns why.
  if (!gStream)
    std::fprintf(stderr, "qel: music \"%s\" not played: %s\n", refused ? name : path.c_str(),
                 refused ? refused : pa::StreamOpenFailure());
  gStreamOpened = true;
  return 0;
}

int32_t StartMusicStream() {
  if (!SoundsReady() || !gStreamOpened) return -1;
  gChannel = pa::PlayStream(pa::kAnyFreeChannel, gStream);
  pa::SetChannelVolume(gChannel, Settings().musicVolume);
  pa::SetChannelPan(gChannel, Settings().musicPan);
  return 0;
}

void ApplyMusicVolumeAndPan(int32_t volume, int32_t pan) {
  if (gChannel == 0) return;
  pa::SetChannelVolume(gChannel, volume);
  pa::SetChannelPan(gChannel, pan);
}

int32_t CloseMusicStream() {
  // The handle goes with the stream: a later StartMusicStream needs a new PlayMusicFile.
  if (gStream) pa::CloseStream(gStream);
  gStream = nullptr;
  gStreamOpened = false;
  return 0;
}

int32_t GetMusicChannel() { return gChannel; }

void EnableSpectrum() { pa::SetDspUnitActive(pa::GetFftUnit(), true); }

const float* GetMusicSpectrum() { return pa::GetSpectrum(); }

void GetMusicLevels(float* left, float* right) { pa::GetChannelLevels(gChannel, left, right); }

void StartMenuMusic() {
  char* current = Game().lastMusic;
  if (std::strcmp(current, kMenuMusic) == 0) return;
  StoreGamePath(Game().lastMusic, kMenuMusic);
  PlayMusicFile(kMenuMusic);
  StartMusicStream();
}

void StartLevelMusic(const char* name) {
  if (!name || strcasecmp(name, Game().lastMusic) == 0) return;
  PlayMusicFile(name);
  StartMusicStream();
  StoreGamePath(Game().lastMusic, name);
}
