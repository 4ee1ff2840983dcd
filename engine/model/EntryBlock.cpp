#include "engine/model/EntryBlock.h"

#include <cstring>

namespace orlim {

EntryBlock::EntryBlock(std::uint16_t length)
    : bytes_(new std::uint8_t[length]())
    , length_(length)
{
    if (length >= 2)
        writeField<std::uint16_t>(bytes_.get(), 0, length);
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
    return recordLength(record);
}

std::uint32_t EntryBlock::u32(std::size_t offset) const
{
    if (offset + 4 > length_)
        return 0;
    return readField<std::uint32_t>(bytes_.get(), offset);
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
