// The process entry: hands the command line to the engine's start-up, which runs the game.
#include <string>

#include "engine/core/core.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!commandLine.empty()) commandLine += ' ';
    // Arguments with spaces are quoted, as the game splits its command line at spaces outside quotes.
    commandLine += argument.find(' ') != std::string::npos ? '"' + argument + '"' : argument;
  }
  return WinMain(nullptr, nullptr, commandLine.c_str(), 10);
}
