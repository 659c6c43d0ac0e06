#include <cstdio>
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

int WinMain(void* instance, void* previous, const char* commandLine, int show) {
  Core().commandLine = commandLine ? commandLine : "";
  if (InitEngine() != 0) {
    // The game never runs on a half-built engine.
    const std::string text = std::string("qel could not start: ") + StartUpFailureReason();
    platform::window::MessageBox(GetCoreDataPointer()->window, text.c_str(), "qel",
                                 platform::window::MB_ICONERROR);
    // What start-up did build goes as on the way out, so the driver's threads end before the process.
    ExitEngine();
    return 1;
  }
  GameMain();
  ExitEngine();
  return 0;
}
