// The engine's temporary folder for intermediate model files (the 3DS converter's "kvotemp.x", the
// MDL converter's skins, rewritten effect copies): "tvqdata" below $TMPDIR or /tmp, never a drive or
// file-system root.
#pragma once
#include <cstddef>

constexpr size_t kTempFolderLength = 4096;  // characters with the terminator (the path limit)

// Fills the buffer with the folder (made when missing), ending in "/"; empty when no such folder can
// be made. Calling it again gives the same text.
void SetupTempFolder();
// The buffer SetupTempFolder fills; empty until then.
const char* ModelTempFolder();
