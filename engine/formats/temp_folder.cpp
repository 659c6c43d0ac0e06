#include "engine/formats/temp_folder.h"

#include <cstring>
#include <string>

#include "platform/fs/folder.h"

namespace {

char g_tempFolder[kTempFolderLength] = {};

}  // namespace

void SetupTempFolder() {
  const std::string folder = platform::fs::TempFolder();  // ends in "/" when not empty
  // A path the buffer cannot hold whole would name some other folder.
  const size_t length = folder.size() < kTempFolderLength ? folder.size() : 0;
  std::memcpy(g_tempFolder, folder.data(), length);
  g_tempFolder[length] = '\0';
}

const char* ModelTempFolder() { return g_tempFolder; }
