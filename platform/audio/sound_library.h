// The game's sound library: effects loaded into numbered samples and played on free channels, music
// streamed from Ogg Vorbis files with looping, volume and pan per channel, the levels of a channel and
// the spectrum of the mix. Each function stands for one call of the library the game was written
// against, in the same order of arguments and with the same ranges: volumes and pan 0..255 (pan 128
// is the centre), levels and spectrum bands 0.0..1.0.
//
// Nothing here is fatal. Before InitSoundLibrary, after CloseSoundLibrary or without an audio output
// every call gives the silent answer: no sample or stream handle, channel -1, levels 0, a spectrum of
// 512 zeros.
#pragma once
#include <cstdint>

namespace platform::audio {

constexpr int kAnyFreeChannel = -1;
constexpr int kAnyFreeSample = -1;
constexpr int kSampleSlots = 1024;
constexpr int kSpectrumSize = 512;

// Modes of LoadSample and OpenStream.
enum : uint32_t { kModeDefault = 0, kModeLoopOff = 1, kModeLoopNormal = 2 };

class LibrarySample;
class LibraryStream;
class DspUnit;

// Opens the output with `maxChannels` channels (1..4095). The mix rate is taken as a request: the mix
// always runs at the output's own rate. False (and everything silent) when no output opens.
bool InitSoundLibrary(int mixRate, int maxChannels, uint32_t flags);
// Closes every stream, frees every sample and closes the output.
void CloseSoundLibrary();

// Loads a WAVE or Ogg Vorbis file (through the path resolver) into sample slot `index` (0..1023, or
// kAnyFreeSample), replacing the sample there. `offset` and `length` (0: to the end) choose a part of
// the file. kModeLoopNormal makes it loop when played. Null when the file is missing or damaged, or
// when the part, or the sound it decodes to, is larger than kMaxSoundBytes (wave_file.h): such a part
// is not read at all.
LibrarySample* LoadSample(int index, const char* name, uint32_t mode, int offset, int length);
// Why the last LoadSample of a file gave null, in words ("the file is larger than a sound may be",
// ...); empty after a success, and when there is no output or the slot is out of range.
const char* SampleLoadFailure();
// Plays the sample once (or looping) from its start on `channel` (or any free channel) at full volume,
// centred, scaled by the effects master volume; the channel handle, or -1.
int PlaySample(int channel, LibrarySample* sample);
// Volume (0..255) of every channel not given an absolute volume.
bool SetEffectsMasterVolume(int volume);

// Opens an Ogg Vorbis file (through the path resolver) as a stream, read from the file as it plays;
// kModeLoopNormal loops it. Null when the file is missing or not Ogg Vorbis.
LibraryStream* OpenStream(const char* name, uint32_t mode, int offset, int length);
// Why the last OpenStream gave null, in words ("the file is empty", ...); empty after a success.
const char* StreamOpenFailure();
// Plays the stream from where it stands on `channel` (or any free channel); the channel handle, or
// -1. A stream plays on one channel at a time.
int PlayStream(int channel, LibraryStream* stream);
// Stops the stream and rewinds it.
bool StopStream(LibraryStream* stream);
// Stops and frees the stream; the handle is invalid afterwards.
bool CloseStream(LibraryStream* stream);

// A channel handle stays valid until its channel is taken for another play; calls with a stale
// handle do nothing and fail.
// Volume 0..255, not scaled by the effects master volume from now on.
bool SetChannelVolume(int channel, int volume);
// Pan 0 (left) .. 128 (centre) .. 255 (right).
bool SetChannelPan(int channel, int pan);
// Peak levels of the channel's last mixed block, after its volume and pan; 0 when it is not playing.
bool GetChannelLevels(int channel, float* left, float* right);

// The spectrum analysis unit: inactive until SetDspUnitActive turns it on.
DspUnit* GetFftUnit();
bool SetDspUnitActive(DspUnit* unit, bool active);
// 512 bands of the mix's last 1024 frames (band k near k x 44100 / 1024 Hz), 0..1; all 0 while the
// unit is inactive or nothing is heard. Never null; the contents change with the next call.
const float* GetSpectrum();

}  // namespace platform::audio
