#pragma once
// The blocks the browsing lists of the source plug-ins hand to their setup dialogs:
// a 32-bit count of the bytes used (its own 4 included), then fixed-size entries.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "plugin-api/Record.h"

namespace orlim::plugin {

using ListBlock = std::vector<std::uint8_t>;

// Collects packed entries after the count and fills the count in at the end.
class ListBlockWriter {
public:
    ListBlockWriter() : block_(4, 0) {}

    template <typename Entry>
    void add(const Entry& entry)
    {
        static_assert(std::is_trivially_copyable_v<Entry>);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&entry);
        block_.insert(block_.end(), bytes, bytes + sizeof(Entry));
    }

    ListBlock finish()
    {
        writeField<std::uint32_t>(block_.data(), 0, static_cast<std::uint32_t>(block_.size()));
        return std::move(block_);
    }

private:
    ListBlock block_;
};

// The entries of a list block, copied out.
template <typename Entry>
std::vector<Entry> listEntries(const ListBlock& block)
{
    std::vector<Entry> entries;
    if (block.size() < 4)
        return entries;
    std::size_t used = readField<std::uint32_t>(block.data(), 0);
    used = used < block.size() ? used : block.size();
    for (std::size_t at = 4; at + sizeof(Entry) <= used; at += sizeof(Entry)) {
        Entry entry;
        std::memcpy(&entry, block.data() + at, sizeof(Entry));
        entries.push_back(entry);
    }
    return entries;
}

} // namespace orlim::plugin
