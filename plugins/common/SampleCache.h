#pragma once
// Recently used sample points, kept within a fixed number of bytes. Blocks are
// shared: one handed out stays valid for its holder after it has been evicted.
// Not thread-safe: the owner guards it.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orlim::plugin {

using SampleBlock = std::shared_ptr<const std::vector<std::uint8_t>>;

struct SampleKey {
    std::uint64_t bank = 0;   // the reading's version (newBankVersion)
    std::uint64_t offset = 0; // file offset of the first byte
    std::uint64_t bytes = 0;
    // Tells apart blocks a plug-in builds differently from the same bytes of the file
    // (such as points added after a loop); 0 for the file's bytes as they are.
    std::uint64_t variant = 0;

    bool operator==(const SampleKey&) const = default;
};

class SampleCache {
public:
    explicit SampleCache(std::size_t byteBudget) : budget_(byteBudget) {}

    // The block for `key`, or null; a found block becomes the most recently used.
    SampleBlock find(const SampleKey& key);
    // Keeps `block`, evicting the least recently used blocks to stay within the budget.
    // A block larger than the whole budget is not kept.
    void insert(const SampleKey& key, SampleBlock block);

    std::size_t bytesHeld() const noexcept { return held_; }
    std::size_t budget() const noexcept { return budget_; }

private:
    struct KeyHash {
        std::size_t operator()(const SampleKey& key) const noexcept;
    };
    using Order = std::list<std::pair<SampleKey, SampleBlock>>;

    std::size_t budget_;
    std::size_t held_ = 0;
    Order order_; // most recently used first
    std::unordered_map<SampleKey, Order::iterator, KeyHash> index_;
};

} // namespace orlim::plugin
