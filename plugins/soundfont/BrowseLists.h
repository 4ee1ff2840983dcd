#pragma once
// The three lists the setup dialog browses a bank with. Each list is one block: a
// 32-bit count of the bytes used (its own 4 included), then fixed-size entries. A
// failure shows its message box and gives nothing; a list may come back shorter
// than the file would allow when records are missing midway.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin-api/Record.h"
#include "plugins/common/ListBlock.h"

namespace orlim::kestrow {

// Caption of the plug-in's own message boxes.
inline constexpr std::string_view kMessageCaption = "Kestrow";

using plugin::ListBlock;
using plugin::listEntries;

#pragma pack(push, 1)

// One per "phdr" record, the terminal record included.
struct PresetListEntry {
    std::uint32_t recordIndex;
    std::uint16_t bank;
    std::uint16_t preset;
    char name[20];
};

// One per bag of a preset whose last generator is an instrument.
struct InstrumentListEntry {
    std::uint32_t bagIndex;
    char name[20];
};

// One per bag of an instrument whose list ends with a sample ID.
struct ZoneListEntry {
    std::int16_t rootPitch;  // cents
    std::int16_t upperBound; // cents
    std::int16_t lowerBound; // cents, -1 without a key range
    char sampleName[20];
};

#pragma pack(pop)

static_assert(sizeof(PresetListEntry) == 28);
static_assert(offsetof(PresetListEntry, bank) == 4);
static_assert(offsetof(PresetListEntry, preset) == 6);
static_assert(offsetof(PresetListEntry, name) == 8);
static_assert(sizeof(InstrumentListEntry) == 24);
static_assert(offsetof(InstrumentListEntry, name) == 4);
static_assert(sizeof(ZoneListEntry) == 26);
static_assert(offsetof(ZoneListEntry, upperBound) == 2);
static_assert(offsetof(ZoneListEntry, lowerBound) == 4);
static_assert(offsetof(ZoneListEntry, sampleName) == 6);

// The presets of the bank at `path`.
std::optional<ListBlock> presetList(const std::string& path);
// The instruments of the preset whose "phdr" record is `presetIndex`.
std::optional<ListBlock> instrumentList(const std::string& path, std::uint32_t presetIndex);
// The zones of the instrument that preset bag `bagIndex` names.
std::optional<ListBlock> zoneList(const std::string& path, std::uint32_t bagIndex);

} // namespace orlim::kestrow
