// What the model converter targets share: a temporary folder of the fuzzer's own (the 3DS converter
// writes its X text there and the MDL converter its skins), and the check every conversion must pass:
// an image the converter accepts reads back into a tree with meshes, and a refused one leaves no
// image behind.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/formats/kvo_format.h"

// Points $TMPDIR at a new folder, removed when the fuzzer exits.
inline void UsePrivateTempFolder() {
  static std::string folder = (std::filesystem::temp_directory_path() / "qel-fuzz-XXXXXX").string();
  if (!mkdtemp(folder.data())) std::abort();
  setenv("TMPDIR", folder.c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
}

// Empties the temporary folder between inputs, so file names from one input never meet the next.
inline void EmptyTempFolder() {
  std::error_code ignored;
  const std::filesystem::path tvqdata = std::filesystem::path(std::getenv("TMPDIR")) / "tvqdata";
  for (const auto& entry : std::filesystem::directory_iterator(tvqdata, ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

template <typename Convert, typename Free>
void CheckConversion(Convert convert, Free free) {
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  if (convert(&image, &size)) {
    std::unique_ptr<ObjectRecord> object;
    if (!LoadModelFromMemory(image, size, &object) || object->meshList.empty()) std::abort();
  } else if (image || size) {
    std::abort();
  }
  free(image);
}
