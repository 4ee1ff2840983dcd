#pragma once
// Where the engine keeps its temporary files: the folder of the user's setting
// "Player"/"TempPath", or the system's temporary folder when that is absent or empty.
// The editor empties the engine's subfolders there at start and exit.

#include <string>
#include <string_view>

namespace orlim {

// The setting's text as stored, or the system's temporary folder.
std::string engineTempPath();

// engineTempPath() with "/" added when it does not end with one, then `name`
// ("Buffer", "Sample"). The folder is not created.
std::string engineTempFolder(std::string_view name);

} // namespace orlim
