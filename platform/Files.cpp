#include "platform/Files.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool equalWithoutCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

std::string joined(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

} // namespace

std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    std::string folder(path, static_cast<std::size_t>(length));
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : folder.substr(0, slash);
}

std::optional<std::string> findFileInFolder(const std::string& folder, std::string_view name)
{
    if (name.empty() || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (const std::string exact = joined(folder, name); isRegularFile(exact))
        return exact;
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return std::nullopt;
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(listing))
        if (equalWithoutCase(entry->d_name, name))
            matches.emplace_back(entry->d_name);
    closedir(listing);
    std::sort(matches.begin(), matches.end());
    for (const std::string& match : matches)
        if (const std::string path = joined(folder, match); isRegularFile(path))
            return path;
    return std::nullopt;
}

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
