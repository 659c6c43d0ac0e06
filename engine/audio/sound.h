// The sound module: numbered sounds held in mixer buffers, made from wave data that the memory-block
// module hands over, read back into memory, tested and deleted. Its frame update keeps looping sounds
// between their loop points and notices sounds that have stopped. The game plays its own effects and
// music through platform::audio's sound library and does not use this module.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "platform/audio/wave_format.h"

namespace SoundModule {
// Opens the sound device (never fatal: without an audio output every sound is kept but stays silent),
// sets the primary format (2 channels, 22050 Hz, 16 bits) and the listener's defaults.
void Constructor();
// Deletes every sound and closes the device.
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
// Nothing: the module owns no display-device objects.
void RefreshD3D(int mode);
}  // namespace SoundModule

// Frame update (CoreTable slot): looping sounds are put back to their loop start when their play
// cursor is outside the loop; non-looping sounds that have ended are marked not playing; the
// listener's deferred settings are committed.
void SoundUpdate();

// --- commands (sound numbers 1..22000000; 3001 outside, 3004 missing)
constexpr uint32_t kErrorSoundNumber = 3001;
constexpr uint32_t kErrorSoundMissing = 3004;

// 0 before the device exists; 3001 and 0 outside the range; else whether the sound exists.
bool SoundExists(int32_t sound);
// Releases the sound's buffers and removes it. Nothing before the device exists.
void DeleteSound(int32_t sound);

// Makes (or remakes) the sound from `size` bytes of samples in `format` (PCM, 8 or 16 bits, mono or
// stereo). The three words are the memory block's first header words (format tag, channels, rate);
// the format decides, they are not used. The samples pass through "tempfile.wav" in the engine's
// temporary folder. A record is filed under the number even when its buffers cannot be made (bad
// format, the file could not be written); RaiseErrorText says why, and false is returned.
bool MakeSoundFromData(int32_t sound, uint32_t formatTag, uint32_t channels, uint32_t samplesPerSecond,
                       const uint8_t* samples, int32_t size, const platform::audio::WaveFormat* format);

// Mode 1, an existing sound with buffers: format := its wave format (18 bytes); samplesPerSecond :=
// byte rate / (bits / 8); bitsPerSecond := byte rate x 8; seconds := size / byte rate; data := a new
// block (std::malloc) holding a copy of its samples, size := its byte count. A missing sound (or one
// whose buffers could not be made) gives data := null and size := 0 and leaves the other outputs
// alone. Any other mode frees *data (std::free) and sets it to null.
void GetSoundData(int32_t sound, int32_t* bitsPerSecond, int32_t* samplesPerSecond, int32_t* seconds,
                  uint8_t** data, int32_t* size, uint8_t mode, platform::audio::WaveFormat* format);

// The engine's temporary folder with no trailing separator, into `path` (260 characters, always
// terminated; empty when no folder could be made).
void GetTempFolder(char* path);
