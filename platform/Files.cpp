#include "platform/Files.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace orlim {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An XDG base folder: the variable when it holds an absolute path (relative ones
// are invalid by the standard), else the fallback under the home folder.
std::string xdgFolder(const char* variable, const char* underHome)
{
    const std::string value = environment(variable);
    if (!value.empty() && value.front() == '/')
        return withoutTrailingSlash(value);
    return withoutTrailingSlash(homeFolder() + "/" + underHome);
}

// XDG_DESKTOP_DIR="$HOME/Desktop" in user-dirs.dirs; empty when absent.
std::string desktopFromUserDirs()
{
    std::ifstream file(xdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    const std::string key = "XDG_DESKTOP_DIR=";
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = homeFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return withoutTrailingSlash(value);
    }
    return {};
}

} // namespace

std::string homeFolder()
{
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* account = getpwuid(getuid()); account && account->pw_dir)
            home = account->pw_dir;
    }
    return home.empty() ? std::string("/") : withoutTrailingSlash(home);
}

std::string settingsFolder()
{
    const std::string configured = environment("ORLIM_CONFIG_DIR");
    if (!configured.empty())
        return withoutTrailingSlash(configured);
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/orlim-durad";
}

std::string userPluginFolder()
{
    const std::string configured = environment("ORLIM_PLUGIN_DIR");
    if (!configured.empty())
        return withoutTrailingSlash(configured);
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/orlim-durad/plugins";
}

std::string desktopFolder()
{
    const std::string configured = environment("XDG_DESKTOP_DIR");
    if (!configured.empty() && configured.front() == '/')
        return withoutTrailingSlash(configured);
    const std::string listed = desktopFromUserDirs();
    return listed.empty() ? homeFolder() + "/Desktop" : listed;
}

std::string applicationsFolder()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/applications";
}

} // namespace orlim
