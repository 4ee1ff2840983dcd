#pragma once
// tivenor's SourceEntry: the common head, then the instrument's bank and program, the
// relative cutoff and the bank file name relative to the library folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin-api/Entries.h"

namespace orlim::tivenor {

inline constexpr const char* kPluginFileName = "tivenor.dll";

namespace RecordOffset {
inline constexpr std::size_t pitchOffset = 4;       // signed 16-bit cents, taken off the root pitch
inline constexpr std::size_t attenuationOffset = 6; // signed 16-bit mB
inline constexpr std::size_t bank = 76;             // unsigned 32-bit, as "insh" stores it (bit 31: drum kit)
inline constexpr std::size_t program = 80;          // unsigned 32-bit
inline constexpr std::size_t reserved = 84;         // three signed 16-bit values, 0
inline constexpr std::size_t relativeCutoff = 90;   // unsigned 16-bit, 1/100 octave
inline constexpr std::size_t bankFile = 92;         // NUL-terminated file name
} // namespace RecordOffset

// A record shorter than this is read as a new, blank one.
inline constexpr std::size_t kBaseLength = 100;
// A stored record is this long plus the length of its bank file name.
inline constexpr std::size_t kStoredLengthBase = 101;

inline constexpr std::uint16_t kDefaultRelativeCutoff = 400;
inline constexpr std::uint32_t kDrumKitFlag = 1u << 31;

// The fields of a record as the sample path uses them.
struct TivenorSettings {
    std::int16_t pitchOffset = 0;
    std::int16_t attenuationOffset = 0;
    std::uint32_t bank = 0;
    std::uint32_t program = 0;
    std::uint16_t relativeCutoff = kDefaultRelativeCutoff;
    std::string bankFile;
};

// Reads `entry` within its stated length: a record shorter than kBaseLength gives the
// blank defaults, and the bank file name is read no further than the record's end.
TivenorSettings decodeRecord(const SourceEntry* entry);

} // namespace orlim::tivenor
