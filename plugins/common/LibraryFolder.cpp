#include "plugins/common/LibraryFolder.h"

#include "platform/Files.h"
#include "platform/Settings.h"

namespace orlim::plugin {

std::string startLibraryFolder(std::string_view application, std::string_view subfolder)
{
    const SettingsProfile profile(application);
    std::string folder = profile.getString("Library", "Path");
    if (folder.empty()) {
        folder = installationFolder();
        if (folder.empty() || folder.back() != '/')
            folder += '/';
        folder += subfolder;
        profile.writeString("Library", "Path", folder);
    } else if (folder.front() != '/') {
        // A relative folder would follow the current folder, which a setup dialog moves.
        folder = installedFilePath(folder);
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

BankFinder::Found BankFinder::find(const std::string& folder, const std::string& name)
{
    Found exact{folder + name, fileIdentity(folder + name)};
    if (exact.identity || name.empty())
        return exact;
    if (const auto known = matches_.find(exact.path); known != matches_.end()) {
        if (auto identity = fileIdentity(known->second))
            return {known->second, identity};
        matches_.erase(known);
    }
    const std::size_t slash = exact.path.rfind('/');
    const std::string inFolder = slash == std::string::npos ? std::string(".") : exact.path.substr(0, slash);
    const auto found = findFileInFolder(inFolder, exact.path.substr(slash == std::string::npos ? 0 : slash + 1));
    if (!found)
        return exact;
    // Names come from documents; a bounded memory is enough for any song.
    if (matches_.size() >= 256)
        matches_.clear();
    matches_.emplace(exact.path, *found);
    return {*found, fileIdentity(*found)};
}

} // namespace orlim::plugin
