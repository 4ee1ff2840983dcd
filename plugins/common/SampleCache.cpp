#include "plugins/common/SampleCache.h"

namespace orlim::plugin {

std::size_t SampleCache::KeyHash::operator()(const SampleKey& key) const noexcept
{
    std::uint64_t h = key.bank * 0x9E3779B97F4A7C15ull;
    h ^= key.offset + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h ^= key.bytes + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h ^= key.variant + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
}

SampleBlock SampleCache::find(const SampleKey& key)
{
    const auto found = index_.find(key);
    if (found == index_.end())
        return nullptr;
    order_.splice(order_.begin(), order_, found->second);
    return found->second->second;
}

void SampleCache::insert(const SampleKey& key, SampleBlock block)
{
    if (!block || block->size() > budget_)
        return;
    if (const auto found = index_.find(key); found != index_.end()) {
        held_ -= found->second->second->size();
        order_.erase(found->second);
        index_.erase(found);
    }
    while (!order_.empty() && held_ + block->size() > budget_) {
        held_ -= order_.back().second->size();
        index_.erase(order_.back().first);
        order_.pop_back();
    }
    held_ += block->size();
    order_.emplace_front(key, std::move(block));
    index_.emplace(key, order_.begin());
}

} // namespace orlim::plugin
