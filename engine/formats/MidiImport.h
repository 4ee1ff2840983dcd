#pragma once
// Import of Standard MIDI Files (format 0 and 1): channel n becomes track n, with
// the notes, tempo, time and key signatures, controller curves and texts of the
// file, and the source each program is given by the MIDI source preset.

#include <cstdint>
#include <string>
#include <vector>

struct Durad;

namespace orlim {

// Replaces the Durad's contents with the file at `path`, taking sources from the
// preset file `presetPath`. Shows the message of a failure and returns false; the
// Durad then keeps what was read. Notifications are off while the model is built;
// WM_MUS_LOADED follows a successful import.
bool importMidi(Durad& durad, const std::string& path, const std::string& presetPath);

// The same for a file already in memory.
bool importMidi(Durad& durad, const std::vector<std::uint8_t>& file, const std::string& path,
                const std::string& presetPath);

} // namespace orlim
