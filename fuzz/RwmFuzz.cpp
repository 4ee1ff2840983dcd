// Loads arbitrary bytes as an .rwm document. Whatever the input, the reader must
// stay inside it, end, and leave a Durad whose lists keep their invariants.
#include <cstdint>
#include <cstdlib>

#include "engine/formats/RwmFile.h"
#include "engine/model/Durad.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Riff.h"

using orlim::fuzz::check;

namespace {

template <class Point>
void checkStartsAtZeroInOrder(const Point* head)
{
    check(head && head->position == 0);
    for (; head->next; head = head->next)
        check(head->next->position > head->position);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orlim::fuzz::silenceMessageBoxes();

    orlim::RiffReader reader;
    if (!reader.openMemory(data, size))
        return 0;
    Durad durad(nullptr);
    if (!orlim::readRwm(durad, reader, "fuzz.rwm")) {
        // The editor keeps what a failed load read, and its views look up entries at 0.
        for (Track* track = durad.tracks; track; track = track->next)
            check(track->clefs && track->clefs->position == 0 && track->loudPoints &&
                  track->loudPoints->position == 0 && track->panoPoints && track->panoPoints->position == 0);
        return 0;
    }

    checkStartsAtZeroInOrder(durad.beats);
    checkStartsAtZeroInOrder(durad.tempoPoints);
    for (const Beat* beat = durad.beats; beat; beat = beat->next)
        check(beat->beats > 0 && beat->beatTicks > 0);
    for (const TempoPoint* point = durad.tempoPoints; point; point = point->next)
        check(point->tempo > 0);
    for (const Track* track = durad.tracks; track; track = track->next) {
        checkStartsAtZeroInOrder(track->clefs);
        checkStartsAtZeroInOrder(track->loudPoints);
        checkStartsAtZeroInOrder(track->panoPoints);
        for (const Clef* clef = track->clefs; clef; clef = clef->next)
            check(clef->key >= -7 && clef->key <= 7 && clef->clef <= 15);
        for (const Note* note = track->notes; note; note = note->next)
            check(note->pitch >= 0 && note->duration > 0 && note->portamentoCount >= 0 &&
                  note->expressionCount >= 0);
    }
    return 0;
}
