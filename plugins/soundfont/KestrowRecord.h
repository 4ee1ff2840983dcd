#pragma once
// kestrow's SourceEntry: the common head, then the bank and preset, the cutoff
// settings and the bank file name relative to the library folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin-api/Entries.h"

namespace orlim::kestrow {

inline constexpr const char* kPluginFileName = "kestrow.dll";

namespace RecordOffset {
inline constexpr std::size_t pitchOffset = 4;       // signed 16-bit cents, added to the played pitch
inline constexpr std::size_t attenuationOffset = 6; // signed 16-bit mB
inline constexpr std::size_t bank = 76;             // signed 16-bit, 128 = drum bank
inline constexpr std::size_t preset = 78;           // signed 16-bit
inline constexpr std::size_t relativeCutoff = 80;   // unsigned 16-bit, 1/100 octave
inline constexpr std::size_t fixedCutoff = 82;      // unsigned 16-bit Hz
inline constexpr std::size_t reserved = 84;         // signed 16-bit, 0
inline constexpr std::size_t cutoffMode = 86;       // signed 16-bit, kCutoff* bits
inline constexpr std::size_t bankFile = 88;         // NUL-terminated file name
} // namespace RecordOffset

// A record shorter than this is read as a new, blank one.
inline constexpr std::size_t kBaseLength = 92;

inline constexpr std::uint16_t kDefaultRelativeCutoff = 400;
inline constexpr std::uint16_t kDefaultFixedCutoff = 8000;
inline constexpr std::int16_t kCutoffDefault = 1 << 0; // from the bank's filter cutoff
inline constexpr std::int16_t kCutoffFixed = 1 << 1;   // neither bit: relative to the note

inline constexpr std::int16_t kDrumBank = 128;

// The fields of a record as the sample path uses them.
struct KestrowSettings {
    std::int16_t pitchOffset = 0;
    std::int16_t attenuationOffset = 0;
    std::int16_t bank = 0;
    std::int16_t preset = 0;
    std::uint16_t relativeCutoff = kDefaultRelativeCutoff;
    std::uint16_t fixedCutoff = kDefaultFixedCutoff;
    std::int16_t cutoffMode = 0;
    std::string bankFile;
};

// Reads `entry` within its stated length: a record shorter than kBaseLength gives the
// blank defaults, and the bank file name is read no further than the record's end.
KestrowSettings decodeRecord(const SourceEntry* entry);

} // namespace orlim::kestrow
