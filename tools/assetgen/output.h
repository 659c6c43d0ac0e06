// Where the generated files go: game names ("Art\heaven.jpg") below the output folder, folders made on
// the way, and the encoders of each kind of file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/pictures/picture.h"

class Output {
 public:
  explicit Output(std::string root) : root_(std::move(root)) {}
  // The file system path of a game name; its folders exist afterwards.
  std::string PathOf(const std::string& gameName) const;
  void WriteBytes(const std::string& gameName, const std::vector<uint8_t>& bytes) const;
  void WriteText(const std::string& gameName, const std::string& text) const;
  void WriteJpeg(const std::string& gameName, const platform::d3dx::Picture& picture, int quality = 88) const;
  void WriteBmp(const std::string& gameName, const platform::d3dx::Picture& picture) const;

 private:
  std::string root_;
};

// Stops the generator with a message: a half-made set of media is never left as if it were whole.
[[noreturn]] void Fail(const std::string& what);
