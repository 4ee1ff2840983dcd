#include "platform/Files.h"

#include "platform/Settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
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

std::string installationFolder()
{
    const auto key = SettingsKey::open(
        SettingsHive::Machine, "Software\\microsoft\\Windows\\CurrentVersion\\App Paths\\Orlim.exe");
    std::string folder = key ? key->queryString("Path").value_or("") : "";
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    const std::string_view program = "orlim.exe";
    if (folder.size() >= program.size() &&
        equalWithoutCase(std::string_view(folder).substr(folder.size() - program.size()), program))
        folder.resize(folder.size() - program.size());
    return folder.empty() ? programFolder() : folder;
}

std::string installedFilePath(const std::string& name)
{
    if (name.empty() || name.front() == '/')
        return name;
    return installationFolder() + "/" + name;
}

std::string temporaryFolder()
{
    const std::string configured = environment("TMPDIR");
    if (!configured.empty() && configured.front() == '/')
        return withoutTrailingSlash(configured);
    return "/tmp";
}

std::optional<TemporaryFile> TemporaryFile::create(const std::string& folder, std::string_view prefix)
{
    std::string path = joined(folder, prefix) + "XXXXXX";
    const int descriptor = mkostemp(path.data(), O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    return TemporaryFile(descriptor, std::move(path));
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : descriptor_(other.descriptor_), path_(std::move(other.path_))
{
    other.descriptor_ = -1;
    other.path_.clear();
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        remove();
        descriptor_ = other.descriptor_;
        path_ = std::move(other.path_);
        other.descriptor_ = -1;
        other.path_.clear();
    }
    return *this;
}

TemporaryFile::~TemporaryFile()
{
    remove();
}

void TemporaryFile::remove()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    if (!path_.empty())
        unlink(path_.c_str());
    descriptor_ = -1;
    path_.clear();
}

bool createFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) == 0)
        return true;
    struct stat info {};
    return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<FolderEntry> listFolder(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return entries;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        const bool isFolder = stat(joined(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back({std::string(name), isFolder});
    }
    closedir(listing);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

bool deleteFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}

bool removeFolder(const std::string& path)
{
    return rmdir(path.c_str()) == 0;
}

std::optional<std::uint64_t> fileSize(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool copyFileTimes(const std::string& source, const std::string& target)
{
    struct stat info {};
    if (stat(source.c_str(), &info) != 0)
        return false;
    const timespec times[2] = {info.st_atim, info.st_mtim};
    return utimensat(AT_FDCWD, target.c_str(), times, 0) == 0;
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
