#pragma once
// Files and folders: where things live on this system, and the few file
// operations the modules need beyond reading and writing. Paths use "/" and carry
// no trailing "/" unless they are "/" itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlim {

// The folder of the running program (of /proc/self/exe).
std::string programFolder();

// Where the system was installed: the machine hive's value "Path" of
// "Software\microsoft\Windows\CurrentVersion\App Paths\Orlim.exe", without one
// trailing "/" or "\", and without a trailing "orlim.exe" in any case (which
// leaves the folder's "/"). The program's folder when the value is absent or empty.
std::string installationFolder();

// A file the installation provides, named in the settings (the MIDI preset): an
// absolute path is used as it stands, any other name lies under the installation
// folder, so that nothing depends on the current folder. Empty stays empty.
std::string installedFilePath(const std::string& name);

// The system's folder for temporary files: $TMPDIR when it is absolute, else /tmp.
std::string temporaryFolder();

// A new file `folder`/<prefix>XXXXXX, open for reading and writing, that is
// closed and deleted with this object.
class TemporaryFile {
public:
    // nullopt when the file cannot be created.
    static std::optional<TemporaryFile> create(const std::string& folder, std::string_view prefix);

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    ~TemporaryFile();

    int descriptor() const { return descriptor_; }
    const std::string& path() const { return path_; }

private:
    TemporaryFile(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}
    void remove();

    int descriptor_ = -1;
    std::string path_;
};

// Creates one folder level; true when the folder exists afterwards.
bool createFolder(const std::string& path);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The entries of a folder in name order, without "." and ".."; a link counts as
// what it points to. Empty when the folder cannot be read.
std::vector<FolderEntry> listFolder(const std::string& folder);

// Deletes a file (not a folder); false when nothing was deleted.
bool deleteFile(const std::string& path);

// Removes an empty folder; false when it is not empty or not there.
bool removeFolder(const std::string& path);

// The size of a regular file; nullopt for a folder or a missing file.
std::optional<std::uint64_t> fileSize(const std::string& path);

// Gives `target` the last-access and last-write times of `source`.
bool copyFileTimes(const std::string& source, const std::string& target);

// The path of the regular file in `folder` whose name equals `name` without regard
// to case; an exact match wins, else the first match in name order. nullopt when
// there is none.
std::optional<std::string> findFileInFolder(const std::string& folder, std::string_view name);

// $HOME, or the home folder of the user's account when HOME is unset.
std::string homeFolder();

// Where the settings files live: $ORLIM_CONFIG_DIR, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/orlim-durad.
std::string settingsFolder();

// The user's plug-in folder: $ORLIM_PLUGIN_DIR, else
// ${XDG_DATA_HOME:-$HOME/.local/share}/orlim-durad/plugins.
std::string userPluginFolder();

// The user's desktop: $XDG_DESKTOP_DIR, else the XDG_DESKTOP_DIR line of
// user-dirs.dirs, else $HOME/Desktop.
std::string desktopFolder();

// Where menu entries of programs go: ${XDG_DATA_HOME:-$HOME/.local/share}/applications.
std::string applicationsFolder();

} // namespace orlim
