#pragma once
// The list of the files opened or saved last, most recent first, kept in the
// settings section "Recent File List" as "File1" to "File<n>".

#include <cstddef>
#include <string>
#include <vector>

namespace orlim {

class RecentFileList {
public:
    explicit RecentFileList(std::size_t capacity);

    // Reads the entries from the settings; missing or empty ones are skipped.
    void load();
    // Writes every slot; slots past the last entry are written empty.
    void save() const;

    // Puts the path first; a path already listed moves up, the oldest falls off.
    void add(const std::string& path);

    const std::vector<std::string>& entries() const { return entries_; }
    std::size_t capacity() const { return capacity_; }

private:
    std::size_t capacity_;
    std::vector<std::string> entries_;
};

} // namespace orlim
