// Names read from files (a map's texture, music and next map, a model's textures and effect, an
// effect's textures, mesh and includes) are joined to the folder they belong to. A hostile file must
// not reach anything outside that folder through them, so each such name passes this check first.
#pragma once
#include <string>
#include <string_view>

namespace platform::fs {

// Why `name` would leave a folder it is joined to, or null when it stays inside: a leading separator
// ('/' or '\'), a drive name ("C:"), or a ".." part (the name split on both separators). An empty name
// stays inside.
const char* ContainedNameFault(std::string_view name);

// `folder` (empty, or ending in its separator) followed by `name`, into `path`. False, and `path`
// empty, when ContainedNameFault refuses the name.
bool JoinContainedName(std::string_view folder, std::string_view name, std::string& path);

}  // namespace platform::fs
