#include "engine/render/TempPath.h"

#include "platform/Files.h"
#include "platform/Settings.h"

namespace orlim {

std::string engineTempPath()
{
    std::string path = SettingsProfile("Orlim").getString("Player", "TempPath");
    return path.empty() ? temporaryFolder() : path;
}

std::string engineTempFolder(std::string_view name)
{
    std::string folder = engineTempPath();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    folder += name;
    return folder;
}

} // namespace orlim
