#pragma once
// Small builders shared by the model tests.

#include "engine/model/Durad.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orlim::testing {

// A source record of `length` bytes starting at `start`, with `tag` at offset 12.
inline std::vector<std::uint8_t> sourceRecord(std::uint32_t start, std::uint8_t tag = 0,
                                              std::uint16_t length = 76)
{
    std::vector<std::uint8_t> bytes(length, 0);
    std::memcpy(bytes.data(), &length, 2);
    std::memcpy(bytes.data() + 8, &start, 4);
    bytes[12] = tag;
    return bytes;
}

// An effect record over [start, start + range), with `tag` at offset 12.
inline std::vector<std::uint8_t> effectRecord(std::uint32_t start, std::uint32_t range,
                                              std::uint8_t tag = 0, std::uint16_t length = 76)
{
    std::vector<std::uint8_t> bytes(length, 0);
    std::memcpy(bytes.data(), &length, 2);
    std::memcpy(bytes.data() + 4, &start, 4);
    std::memcpy(bytes.data() + 8, &range, 4);
    bytes[12] = tag;
    return bytes;
}

inline Note* makeNote(std::uint32_t position, int pitch, int duration)
{
    Note* note = new Note;
    note->position = position;
    note->pitch = static_cast<std::int8_t>(pitch);
    note->duration = static_cast<std::int16_t>(duration);
    return note;
}

} // namespace orlim::testing
