#pragma once
// Hand-made RIFF bytes for reader tests: chunks and lists written out by hand, so a
// test can leave out, reorder or damage any part of a document.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace orlim::testing {

inline std::string le16(std::uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string le32(std::uint32_t value)
{
    return le16(static_cast<std::uint16_t>(value)) + le16(static_cast<std::uint16_t>(value >> 16));
}

// A chunk with its header and pad byte; `statedSize` overrides the size field.
inline std::string chunk(const std::string& id, const std::string& data, std::int64_t statedSize = -1)
{
    const auto size = statedSize >= 0 ? static_cast<std::uint32_t>(statedSize)
                                      : static_cast<std::uint32_t>(data.size());
    std::string bytes = id + le32(size) + data;
    if (data.size() % 2)
        bytes += '\0';
    return bytes;
}

inline std::string list(const std::string& id, const std::string& type,
                        std::initializer_list<std::string> children)
{
    std::string data = type;
    for (const std::string& child : children)
        data += child;
    return chunk(id, data);
}

inline std::string text(const std::string& id, const std::string& value)
{
    return chunk(id, value + std::string(1, '\0'));
}

} // namespace orlim::testing
