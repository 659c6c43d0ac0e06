#include "platform/audio/media_command.h"

namespace platform::audio {

uint32_t SendMediaCommand(const char* command, char* reply, size_t replySize) {
  if (reply && replySize > 0) reply[0] = '\0';
  return kMediaNoDevice;
}

}  // namespace platform::audio
