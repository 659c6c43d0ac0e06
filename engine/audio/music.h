// The music module: numbered music records, each a CD-audio track or a media graph, played by number
// and polled every frame to notice the end of a piece, which loops or stops it. Nothing in the system
// makes a record (the game plays its music through platform::audio's sound library, and this
// platform has neither CD audio nor media graphs), so the list stays empty.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"

namespace MusicModule {
void Constructor();
// Stops and closes the CD and frees every record with its interfaces.
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);  // nothing: no display-device objects
// Frame work (CoreTable slot): polls every record that is not paused; a piece that has ended starts
// again when looping, else stops.
void Update();
}  // namespace MusicModule

constexpr uint32_t kErrorMusicNumber = 3501;   // outside 1..22000000
constexpr uint32_t kErrorMusicMissing = 3504;

// Plays the record: a CD track by media control strings, a media graph by its control. True when the
// play was started; a failed start raises a text and leaves the record not playing.
bool PlayMusic(int32_t music);
