#pragma once
// Source and effect assignments: variable-length records that come from a plug-in's
// setup or from a file and are kept, written and handed on byte for byte. The model
// reads only the length at offset 0 and the positions: a source's start at 8, an
// effect's start at 4 and its length at 8.

#include "plugin-api/Entries.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orlim {

// An owned copy of exactly one record's bytes.
class EntryBlock {
public:
    // The common head every source and effect record has; shorter records are refused
    // because the readers of the file name and display text would run past them.
    static constexpr std::uint16_t kMinimumLength = kEntryHeadSize;

    // A zeroed block of `length` bytes whose first two bytes hold that length.
    explicit EntryBlock(std::uint16_t length);
    // A copy of `length` bytes at `bytes`.
    EntryBlock(const void* bytes, std::uint16_t length);

    EntryBlock(const EntryBlock& other);
    EntryBlock& operator=(const EntryBlock&) = delete;

    // The length a record states in its first two bytes.
    static std::uint16_t statedLength(const void* record);

    std::uint16_t length() const { return length_; }
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }

    // Little-endian 32-bit field at `offset`; 0 when it lies past the block.
    std::uint32_t u32(std::size_t offset) const;

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::uint16_t length_;
};

struct SourceNode {
    explicit SourceNode(EntryBlock block)
        : entry(std::move(block))
    {
    }
    EntryBlock entry;
    SourceNode* next = nullptr;

    std::uint32_t start() const { return entry.u32(SourceEntryOffset::start); }

    // A copy of the record at `record` (its stated length), or null when the record
    // is null or shorter than the common head.
    static SourceNode* copyOf(const void* record);
};

struct EffectNode {
    explicit EffectNode(EntryBlock block)
        : entry(std::move(block))
    {
    }
    EntryBlock entry;
    EffectNode* next = nullptr;

    std::uint32_t start() const { return entry.u32(EffectEntryOffset::start); }
    std::uint32_t rangeLength() const { return entry.u32(EffectEntryOffset::ticks); }

    // As SourceNode::copyOf.
    static EffectNode* copyOf(const void* record);
};

} // namespace orlim
