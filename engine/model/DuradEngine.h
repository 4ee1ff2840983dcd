#pragma once
// The engine library's one application object, shared by every Durad of the process.

#include "engine/model/Durad.h"

#include <memory>
#include <string>

namespace orlim {

struct DuradEngine {
    // Created by the first copy, without a notify window; destroyed with the library.
    std::unique_ptr<Durad> clipboard;
    // The MIDI source preset file the importer reads.
    std::string midiPresetPath;
};

// The one DuradEngine; it lives until the library is unloaded.
DuradEngine& duradEngine();

} // namespace orlim
