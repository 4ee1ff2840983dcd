#pragma once
// MIDI source presets: for each of the 128 General MIDI programs and for the drum
// channel, the source record a track imported from a MIDI file gets. A .pre file is
// the records of slots 0, 1, ... one after the other, with no header; a record's
// place is its slot number.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlim {

inline constexpr int kPresetSlots = 129;
inline constexpr int kDrumSlot = 128;

class MidiPreset {
public:
    // The slot's record, or an empty block when the slot is empty.
    const std::vector<std::uint8_t>& slot(int index) const { return slots_.at(static_cast<std::size_t>(index)); }
    // Keeps the record cut to its stated length; an empty block empties the slot.
    // False, and the slot unchanged, for a record shorter than the common head or
    // than its stated length.
    bool setSlot(int index, std::vector<std::uint8_t> record);
    void clear();

    // Reads a file whose name ends in ".pre" (in any case); other names are left
    // alone. "Failed to open the file." when it cannot be opened, the table then
    // unchanged. Reading stops at the end of the file or at a record shorter than a
    // source record's head; a last record cut short is completed with zeros.
    bool read(const std::string& path);
    // Writes the slots up to the first empty one. The old file is replaced only once
    // every byte is written; on failure the message is shown and false returned.
    bool write(const std::string& path) const;

private:
    std::array<std::vector<std::uint8_t>, kPresetSlots> slots_;
};

// The record of program `program` (0..128) in the preset file, or nullopt when the
// file cannot be opened, ends before the whole record, or holds a record shorter than
// a source record's head before it.
std::optional<std::vector<std::uint8_t>> lookUpPresetRecord(const std::string& path, int program);

} // namespace orlim
