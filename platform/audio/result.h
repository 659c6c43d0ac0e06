// Result codes of the sound-device layer. They keep the documented DirectSound values, because the
// engine's sound module compares them by number.
#pragma once
#include <cstdint>

namespace platform::audio {

using Result = int32_t;
constexpr Result kOk = 0;
// Success, but the requested 3D algorithm is not available (the buffer was made without it).
constexpr Result kNoVirtualization = 0x0878000A;
constexpr Result kFail = static_cast<Result>(0x80004005);
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000E);
constexpr Result kInvalidArg = static_cast<Result>(0x80070057);
constexpr Result kNotInitialized = static_cast<Result>(0x889000AA);
constexpr Result kControlUnavailable = static_cast<Result>(0x8878001E);
constexpr Result kInvalidCall = static_cast<Result>(0x88780032);
constexpr Result kBadFormat = static_cast<Result>(0x88780064);
constexpr Result kBufferLost = static_cast<Result>(0x88780096);

inline bool Succeeded(Result r) { return r >= 0; }
inline bool Failed(Result r) { return r < 0; }

}  // namespace platform::audio
