#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <optional>

#include "platform/Files.h"

namespace orlim {

bool isBarePluginName(std::string_view name)
{
    return !name.empty() && name.size() <= 31 && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

LibraryHandle loadPlugin(std::string_view name)
{
    if (!isBarePluginName(name))
        return nullptr;
    for (const std::string& folder : {programFolder(), userPluginFolder()}) {
        if (folder.empty() || folder.front() != '/')
            continue;
        if (const std::optional<std::string> path = findFileInFolder(folder, name))
            return loadPath(*path);
    }
    return nullptr;
}

LibraryHandle loadPath(const std::string& fullPath)
{
    // A path with a "/" makes dlopen take exactly that file, with no search.
    if (fullPath.empty() || fullPath.front() != '/')
        return nullptr;
    return dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* resolveSymbol(LibraryHandle library, const char* name)
{
    if (!library || !name)
        return nullptr;
    return dlsym(library, name);
}

void freeLibrary(LibraryHandle library)
{
    if (library)
        dlclose(library);
}

} // namespace orlim
