#pragma once
// The render pass's accumulation buffer: bytes in the output format, frames of
// block-align bytes, byte 0 at the time up to which the stream has been written.
// It only grows, between notes, and is reused for the whole pass.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlim {

class MixBuffer {
public:
    // Room kept beyond the bytes asked for whenever the buffer grows.
    static constexpr std::size_t kSpare = 24;
    // No note may make the buffer larger than this; such a note is left out rather
    // than letting one plug-in answer take the machine's memory.
    static constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 30;

    // Makes the first `need` bytes part of the fill: grows the capacity when it is
    // smaller (keeping kSpare spare bytes), zeroes the bytes from the fill count to
    // `need` and raises the fill count to `need`. False, changing nothing, when
    // `need` is above kMaxBytes or memory runs out.
    bool fillTo(std::uint64_t need);

    // Drops the first `count` bytes of the fill (at most the fill), moving the rest
    // to the front.
    void consume(std::size_t count);

    unsigned char* data() { return bytes_.data(); }
    const unsigned char* data() const { return bytes_.data(); }
    std::size_t fill() const { return fill_; }
    std::size_t capacity() const { return bytes_.size(); }

private:
    std::vector<unsigned char> bytes_;
    std::size_t fill_ = 0;
};

} // namespace orlim
