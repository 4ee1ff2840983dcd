#pragma once
// Error numbers of kestrow's sample path and their texts, exactly as the user sees them.

#include <array>

namespace orlim::kestrow {

enum Error : int {
    kNoError = -1,
    kCantOpen = 1,
    kNotSoundFont = 2,
    kNoPdta = 3,
    kNoPhdr = 4,
    kNoPbag = 5,
    kNoPmod = 6,
    kNoPgen = 7,
    kNoMatchingSample = 8,
    kNoInst = 9,
    kNoIbag = 10,
    kNoImod = 11,
    kNoIgen = 12,
    kNoShdr = 13,
    kBadSample = 14,
    kNoSdta = 15,
    kNoMemory = 16,
    kNoSmpl = 17,
};

// The string table: entry n - 1 is the text of error n.
inline constexpr std::array<const char*, 17> kErrorTexts = {
    "Can't Open the file.",
    "It's not a soundfont file.",
    "The file is corrupt. No PDTA chunk in it.",
    "The file is corrupt. No PHDR chunk in it.",
    "The file is corrupt. No PBAG chunk in it.",
    "The file is corrupt. No PMOD chunk in it.",
    "The file is corrupt. No PGEN chunk in it.",
    "Can't find the designated sample in the Soundfont file.",
    "The file is corrupt. No INST chunk in it.",
    "The file is corrupt. No IBAG chunk in it.",
    "The file is corrupt. No IMOD chunk in it.",
    "The file is corrupt. No IGEN chunk in it.",
    "The file is corrupt. No SHDR chunk in it.",
    "Can't get expected sample from the file.",
    "The file is corrupt. No SDTA chunk in it.",
    "There's no enough meory to fulfil the operation.",
    "The file is corrupt. No SMPL chunk in it.",
};

} // namespace orlim::kestrow
