#pragma once
// What tells one version of a file from another: a cached reading of a bank is reused
// only while the file still has the same identity.

#include <cstdint>
#include <optional>
#include <string>

namespace orlim::plugin {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file at `path`, or nothing when there is none.
std::optional<FileIdentity> fileIdentity(const std::string& path);

} // namespace orlim::plugin
