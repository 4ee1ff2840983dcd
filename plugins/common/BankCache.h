#pragma once
// Readings of bank files kept between notes. A reading is reused only while its file
// keeps the identity it had when it was read; a changed, replaced or deleted bank is
// noticed at the next request. Not thread-safe: the owner guards it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "plugins/common/FileIdentity.h"

namespace orlim::plugin {

// A number no other reading in the process has, so that data cached for one version
// of a bank is never taken for another's.
inline std::uint64_t newBankVersion() noexcept
{
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1);
}

template <class Bank>
class BankCache {
public:
    explicit BankCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

    // The reading of the current version of the file at `path`, whose identity the
    // caller has just taken (nothing when there is no such file): the kept reading while
    // the file has not changed, otherwise `load(path)` (a std::shared_ptr<Bank>), which
    // is kept unless it is null. Null when the file is gone.
    template <class Load>
    std::shared_ptr<Bank> get(const std::string& path, const std::optional<FileIdentity>& identity,
                              Load&& load)
    {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->path != path)
                continue;
            if (identity && it->identity == *identity) {
                entries_.splice(entries_.begin(), entries_, it);
                return entries_.front().bank;
            }
            entries_.erase(it);
            break;
        }
        if (!identity)
            return nullptr;
        std::shared_ptr<Bank> bank = load(path);
        ++loads_;
        if (!bank)
            return nullptr;
        entries_.push_front(Entry{path, *identity, bank});
        if (entries_.size() > capacity_)
            entries_.pop_back();
        return bank;
    }

    // How many times a bank was read since the cache was made.
    std::uint64_t loads() const noexcept { return loads_; }
    std::size_t size() const noexcept { return entries_.size(); }

private:
    struct Entry {
        std::string path;
        FileIdentity identity;
        std::shared_ptr<Bank> bank;
    };

    std::size_t capacity_;
    std::list<Entry> entries_; // most recently used first
    std::uint64_t loads_ = 0;
};

} // namespace orlim::plugin
