#pragma once
// Shared libraries loaded at run time: the plug-ins. Plug-in names come from
// documents and settings, so they are taken only as bare file names and looked up
// only in our own folders, never in the current folder or the system's.

#include <string>
#include <string_view>

namespace orlim {

// A loaded library; null when loading failed. Loading the same file again gives
// the same handle with one more reference; each load needs one freeLibrary.
using LibraryHandle = void*;

// True for a name that may name a plug-in: not empty, at most 31 bytes (so that it
// fits a 32-byte field with its NUL), without "/", "\" or NUL, and not "." or "..".
bool isBarePluginName(std::string_view name);

// Loads the plug-in `name` from the program's folder or else from the user's
// plug-in folder (userPluginFolder()), matching the file name without regard to
// case. Null when the name is not bare or no such file loads.
LibraryHandle loadPlugin(std::string_view name);

// Loads the library at an absolute path; null for a relative one or a failure.
// Only for trying out a file the user picked.
LibraryHandle loadPath(const std::string& fullPath);

// The address of an exported symbol; null when absent or `library` is null.
void* resolveSymbol(LibraryHandle library, const char* name);

// Drops one reference; null is ignored.
void freeLibrary(LibraryHandle library);

} // namespace orlim
