// Media control strings ("status cdaudio mode", "play cdaudio from 3 to 4" ...) for CD audio. There
// is no CD audio on this platform: every command fails with kMediaNoDevice and an empty reply, so a
// caller sees a missing drive and carries on.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform::audio {

constexpr uint32_t kMediaNoDevice = 263;  // the documented "no such device" error number

// Sends the command; 0 on success, else an error number. The reply (terminated, at most replySize
// characters with the terminator) is "" on failure.
uint32_t SendMediaCommand(const char* command, char* reply, size_t replySize);

}  // namespace platform::audio
