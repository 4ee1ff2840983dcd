#pragma once
// Where a source plug-in's banks live: read from the user's settings when the plug-in
// starts, with the installation folder as the fallback; and how a bank's file is found
// there.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "plugins/common/FileIdentity.h"

namespace orlim::plugin {

// The library folder of `application` ("Kestrow", "Tivenor"): the user settings'
// "Library"/"Path" of "Software\Orlim Durad\<application>". When that is empty it
// becomes the installation folder + "/" + `subfolder`, and is written back; a relative
// path is taken from the installation folder. The result always ends with "/".
std::string startLibraryFolder(std::string_view application, std::string_view subfolder);

// Finds bank files by the names records carry. Documents store bank names
// lower-cased while the files keep their own case, so a name matches a file whose
// name differs only in case; such matches are remembered, to spare a folder listing
// per note. Not thread-safe: the owner guards it.
class BankFinder {
public:
    struct Found {
        std::string path;
        std::optional<FileIdentity> identity; // nothing when there is no such file
    };

    // The bank `name` relative to `folder` (which ends with "/"): the exact path when
    // that file exists, else a file in the same folder whose name differs only in
    // case, else the exact path of a file that is not there.
    Found find(const std::string& folder, const std::string& name);

private:
    std::unordered_map<std::string, std::string> matches_;
};

} // namespace orlim::plugin
