// The peer engine's MD2 loader (Debian's libirrlicht-dev), kept in a file of its own: its headers do
// not mix with the peer importer's.
#pragma once
#include <string>

// Whether the engine's loader is built in.
bool EngineMD2LoaderPresent();
// Loads the MD2 file through the engine's loader alone (no mesh cache) and frees the mesh again.
bool LoadWithEngineMD2Loader(const std::string& path);
