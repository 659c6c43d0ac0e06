// The engine's temporary folder for intermediate model files (the 3DS converter's "kvotemp.x", the
// MDL converter's skins, rewritten effect copies): "tvqdata" below $TMPDIR or /tmp, never a drive or
// file-system root.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kTempFolderLength = 4096;  // characters with the terminator (the path limit)

// Fills the buffer with the folder (made when missing), ending in "/"; empty when no such folder can
// be made. Calling it again gives the same text.
void SetupTempFolder();
// The buffer SetupTempFolder fills; empty until then.
const char* ModelTempFolder();

// Writes an intermediate file of a conversion whole (a skin, "kvotemp.x"). Such files live only
// until they are read back, so nothing is flushed to disk: a file that already holds exactly these
// bytes (the skin of a model loaded before) is left as it is; otherwise any old file of that name is
// removed and a new one created (emptying or renaming over an existing file makes the file system
// flush the new contents to disk first). False when any step fails; no partial file is left then.
bool WriteTemporaryFile(const std::string& path, const void* data, size_t size);
