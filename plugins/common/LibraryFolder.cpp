#include "plugins/common/LibraryFolder.h"

#include "platform/Files.h"
#include "platform/Settings.h"
#include "plugins/common/FileIdentity.h"

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
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string BankFinder::path(const std::string& folder, const std::string& name)
{
    std::string exact = folder + name;
    if (name.empty() || fileIdentity(exact))
        return exact;
    if (const auto known = matches_.find(exact); known != matches_.end()) {
        if (fileIdentity(known->second))
            return known->second;
        matches_.erase(known);
    }
    const std::size_t slash = exact.rfind('/');
    const std::string inFolder = slash == std::string::npos ? std::string(".") : exact.substr(0, slash);
    const auto found = findFileInFolder(inFolder, exact.substr(slash == std::string::npos ? 0 : slash + 1));
    if (!found)
        return exact;
    // Names come from documents; a bounded memory is enough for any song.
    if (matches_.size() >= 256)
        matches_.clear();
    matches_.emplace(exact, *found);
    return *found;
}

} // namespace orlim::plugin
