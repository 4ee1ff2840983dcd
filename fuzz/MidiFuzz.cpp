// Imports arbitrary bytes as a MIDI file. Whatever the input, the importer must stay
// inside it, end, and leave a Durad whose lists keep their order.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/formats/MidiImport.h"
#include "engine/model/Durad.h"
#include "fuzz/FuzzSupport.h"

using orlim::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orlim::fuzz::silenceMessageBoxes();

    const std::vector<std::uint8_t> file(data, data + size);
    Durad durad(nullptr);
    const bool imported = orlim::importMidi(durad, file, "fuzz.mid", "");
    check(durad.notifyEnabled == 1);
    if (!imported)
        return 0;
    check(durad.tempoPoints && durad.tempoPoints->position == 0 && durad.tempoPoints->tempo > 0);
    check(durad.beats && durad.beats->position == 0 && durad.beats->beats > 0 && durad.beats->beatTicks > 0);
    for (const Track* track = durad.tracks; track; track = track->next) {
        check(track->clefs && track->clefs->position == 0);
        check(track->loudPoints && track->loudPoints->position == 0);
        check(track->panoPoints && track->panoPoints->position == 0);
        for (const Clef* clef = track->clefs; clef; clef = clef->next)
            check(clef->key >= -7 && clef->key <= 7);
        for (const Note* note = track->notes; note; note = note->next) {
            check(note->pitch >= 0 && note->duration > 0);
            if (note->next)
                check(note->next->position > note->position ||
                      (note->next->position == note->position && note->next->pitch > note->pitch));
        }
    }
    return 0;
}
