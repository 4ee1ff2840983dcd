#include "engine/render/MixBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orlim {

bool MixBuffer::fillTo(std::uint64_t need)
{
    if (need > kMaxBytes)
        return false;
    const auto bytes = static_cast<std::size_t>(need);
    if (bytes > bytes_.size()) {
        // Grow geometrically so that a run of slightly longer notes does not copy
        // the buffer every time.
        const std::size_t grown = std::max(bytes + kSpare, std::min<std::size_t>(bytes_.size() * 2, kMaxBytes + kSpare));
        try {
            bytes_.resize(grown);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (bytes > fill_) {
        std::memset(bytes_.data() + fill_, 0, bytes - fill_);
        fill_ = bytes;
    }
    return true;
}

void MixBuffer::consume(std::size_t count)
{
    count = std::min(count, fill_);
    if (count < fill_)
        std::memmove(bytes_.data(), bytes_.data() + count, fill_ - count);
    fill_ -= count;
}

} // namespace orlim
