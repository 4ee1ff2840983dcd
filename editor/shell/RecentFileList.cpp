#include "editor/shell/RecentFileList.h"

#include <algorithm>

#include "editor/shell/EditorSettings.h"

namespace orlim {
namespace {

constexpr const char* kSection = "Recent File List";

std::string entryName(std::size_t index)
{
    return "File" + std::to_string(index + 1);
}

} // namespace

RecentFileList::RecentFileList(std::size_t capacity) : capacity_(capacity) {}

void RecentFileList::load()
{
    entries_.clear();
    for (std::size_t i = 0; i < capacity_; ++i) {
        std::string path = editorSettings().getString(kSection, entryName(i));
        if (!path.empty())
            entries_.push_back(std::move(path));
    }
}

void RecentFileList::save() const
{
    for (std::size_t i = 0; i < capacity_; ++i)
        editorSettings().writeString(kSection, entryName(i),
                                     i < entries_.size() ? entries_[i] : std::string());
}

void RecentFileList::add(const std::string& path)
{
    if (path.empty())
        return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > capacity_)
        entries_.resize(capacity_);
}

} // namespace orlim
