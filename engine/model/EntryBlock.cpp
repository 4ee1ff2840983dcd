#include "engine/model/EntryBlock.h"

#include <cstring>

namespace orlim {

EntryBlock::EntryBlock(std::uint16_t length)
    : bytes_(new std::uint8_t[length]())
    , length_(length)
{
    if (length >= 2) {
        bytes_[0] = static_cast<std::uint8_t>(length & 0xFF);
        bytes_[1] = static_cast<std::uint8_t>(length >> 8);
    }
}

EntryBlock::EntryBlock(const void* bytes, std::uint16_t length)
    : bytes_(new std::uint8_t[length])
    , length_(length)
{
    std::memcpy(bytes_.get(), bytes, length);
}

EntryBlock::EntryBlock(const EntryBlock& other)
    : EntryBlock(other.data(), other.length())
{
}

std::uint16_t EntryBlock::statedLength(const void* record)
{
    std::uint8_t head[2];
    std::memcpy(head, record, 2);
    return static_cast<std::uint16_t>(head[0] | (head[1] << 8));
}

std::uint32_t EntryBlock::u32(std::size_t offset) const
{
    if (offset + 4 > length_)
        return 0;
    const std::uint8_t* p = bytes_.get() + offset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

namespace {

template <class Node>
Node* copyRecord(const void* record)
{
    if (!record)
        return nullptr;
    const std::uint16_t length = EntryBlock::statedLength(record);
    if (length < EntryBlock::kMinimumLength)
        return nullptr;
    return new Node(EntryBlock(record, length));
}

} // namespace

SourceNode* SourceNode::copyOf(const void* record)
{
    return copyRecord<SourceNode>(record);
}

EffectNode* EffectNode::copyOf(const void* record)
{
    return copyRecord<EffectNode>(record);
}

} // namespace orlim
