#pragma once
// Error numbers of tivenor's sample path and their texts, exactly as the user sees them.

#include <array>

namespace orlim::tivenor {

// Text 1, "No errors", is never produced.
enum Error : int {
    kCantOpen = 2,
    kNotGiga = 3,
    kNoColh = 4,
    kNoLins = 5,
    kNoInst = 6,
    kNoBank = 7,
    kNoRange = 8,
    kNo3prg = 9,
    kNo3ewl = 10,
    kNo3ewa = 11,
    kNoWsmp = 12,
    kNoWlnk = 13,
    kNoPtbl = 14,
    kNoWvpl = 15,
    kNoWave = 16,
    kNoFmt = 17,
    kNoData = 18,
};

// The string table: entry n - 1 is the text of error n.
inline constexpr std::array<const char*, 18> kErrorTexts = {
    "No errors",
    "Can't open the giga file.",
    "It's not a giga file.",
    "Can't find the col chunk.",
    "Can't find the lins chunk.",
    "Can't find the inst chunk.",
    "Can't find the bank chunk.",
    "Can't find the range chunk.",
    "Can't find the 3prg chunk.",
    "Can't find the 3ewl chunk.",
    "Can't find the 3ewa chunk.",
    "Can't find the wsmp chunk",
    "Can't find the wlnk chunk.",
    "Can't find the ptbl chunk.",
    "Can't find the wvpl chunk.",
    "Can't find the wave chunk",
    "Can't find the fmt chunk.",
    "Can't find the data chunk.",
};

} // namespace orlim::tivenor
