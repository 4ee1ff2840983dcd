#pragma once
// Files and folders: where things live on this system, and the few file
// operations the modules need beyond reading and writing. Paths use "/" and carry
// no trailing "/" unless they are "/" itself.

#include <optional>
#include <string>
#include <string_view>

namespace orlim {

// The folder of the running program (of /proc/self/exe).
std::string programFolder();

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
