#pragma once
// The two lists the setup dialog browses a Giga bank with. Each list is one block: a
// 32-bit count of the bytes used (its own 4 included), then fixed-size entries. A
// failure shows its message box and gives nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plugins/common/ListBlock.h"

namespace orlim::tivenor {

// Caption of the plug-in's own message boxes.
inline constexpr std::string_view kMessageCaption = "Tivenor";

using plugin::ListBlock;
using plugin::listEntries;

#pragma pack(push, 1)

// One per instrument of "lins".
struct InstrumentListEntry {
    std::uint32_t bank; // bit 31: drum kit
    std::uint32_t program;
    char name[32]; // "INAM", zero when absent
};

// One per region of an instrument.
struct RegionListEntry {
    std::int16_t rootPitch; // unity note x 100, or 1 when the region has no "wsmp"
    std::uint16_t keyLow;
    std::uint16_t keyHigh;
    char waveName[32]; // the wave's "INAM"
};

#pragma pack(pop)

static_assert(sizeof(InstrumentListEntry) == 40);
static_assert(offsetof(InstrumentListEntry, program) == 4);
static_assert(offsetof(InstrumentListEntry, name) == 8);
static_assert(sizeof(RegionListEntry) == 38);
static_assert(offsetof(RegionListEntry, keyLow) == 2);
static_assert(offsetof(RegionListEntry, keyHigh) == 4);
static_assert(offsetof(RegionListEntry, waveName) == 6);

// The root a region without its own "wsmp" is listed with.
inline constexpr std::int16_t kNoRoot = 1;

// The instruments of the bank at `path`.
std::optional<ListBlock> instrumentList(const std::string& path);
// The regions of the instrument with this bank and program; nothing, without a
// message, when the bank has no such instrument.
std::optional<ListBlock> regionList(const std::string& path, std::uint32_t bank, std::uint32_t program);

} // namespace orlim::tivenor
