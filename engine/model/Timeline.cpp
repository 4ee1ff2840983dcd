#include "engine/model/Timeline.h"

#include <cmath>
#include <limits>
#include <new>

namespace orlim {

namespace {

Beat* firstBeat(Durad& durad)
{
    if (!durad.beats)
        durad.beats = new Beat;
    return durad.beats;
}

TempoPoint* firstTempo(Durad& durad)
{
    if (!durad.tempoPoints)
        durad.tempoPoints = new TempoPoint;
    return durad.tempoPoints;
}

// Whole measures of `beat` in `span` ticks; none for a measure of no length.
std::uint32_t measuresIn(const Beat& beat, std::uint32_t span)
{
    if (beat.beats == 0 || beat.beatTicks == 0)
        return 0;
    return span / beat.beatTicks / beat.beats;
}

std::uint32_t measureLength(const Beat& beat)
{
    return std::uint32_t{beat.beats} * beat.beatTicks;
}

} // namespace

int measureIndex(Durad& durad, std::uint32_t position)
{
    Beat* beat = firstBeat(durad);
    std::uint32_t count = 0;
    while (beat->next && beat->next->position <= position) {
        count += measuresIn(*beat, beat->next->position - beat->position);
        beat = beat->next;
    }
    if (position >= beat->position)
        count += measuresIn(*beat, position - beat->position);
    return static_cast<int>(count);
}

std::uint32_t measurePosition(Durad& durad, std::int64_t measure)
{
    Beat* beat = firstBeat(durad);
    while (beat->next) {
        const std::uint32_t length = measureLength(*beat);
        const std::int64_t count = length ? (beat->next->position - beat->position) / length : 0;
        if (count >= measure)
            break;
        measure -= count;
        beat = beat->next;
    }
    return static_cast<std::uint32_t>(beat->position + measure * measureLength(*beat));
}

int fillMBT(Durad& durad, std::uint32_t position, MBT& mbt)
{
    mbt.measure = measureIndex(durad, position);
    mbt.measureStart = static_cast<std::int32_t>(measurePosition(durad, mbt.measure));
    const Beat* beat = beatInForce(durad, position);
    mbt.beats = beat->beats;
    mbt.beatTicks = beat->beatTicks;
    const std::uint32_t inMeasure = position - static_cast<std::uint32_t>(mbt.measureStart);
    const std::uint32_t beatIndex = beat->beatTicks ? inMeasure / beat->beatTicks : 0;
    mbt.beat = static_cast<std::int16_t>(beatIndex);
    mbt.tick = static_cast<std::int16_t>(inMeasure - beatIndex * beat->beatTicks);
    return mbt.beat;
}

std::uint32_t snapToMeasure(Durad& durad, std::uint32_t position)
{
    Beat* beat = firstBeat(durad);
    while (beat->next && beat->next->position < position)
        beat = beat->next;
    const std::uint32_t length = measureLength(*beat);
    if (length == 0 || position < beat->position)
        return beat->position;
    return beat->position + length * ((position - beat->position) / length);
}

std::int64_t timeOfPosition(Durad& durad, std::uint32_t position, int subTicks)
{
    const TempoPoint* point = firstTempo(durad);
    double minutes = 0.0;
    while (point->next && point->next->position <= position) {
        const TempoPoint* next = point->next;
        minutes += (1.0 / point->tempo + 1.0 / next->tempo) * 0.5
            * (double(next->position) - double(point->position));
        point = next;
    }
    const double p = double(position) - double(point->position);
    double reciprocal;
    if (point->next) {
        const TempoPoint* next = point->next;
        const double tempo = point->tempo
            + p * (double(next->tempo) - double(point->tempo))
                / (double(next->position) - double(point->position));
        minutes += p * (1.0 / point->tempo + 1.0 / tempo) * 0.5;
        reciprocal = 1.0 / tempo;
    } else {
        minutes += p / point->tempo;
        reciprocal = 1.0 / point->tempo;
    }
    const double milliseconds = (minutes + subTicks * reciprocal / 240.0) * 60000.0;
    // A tempo of 0 written in place would give an infinite or undefined time.
    if (!(milliseconds >= 0.0))
        return 0;
    if (milliseconds >= 9.2e18)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(milliseconds);
}

std::uint32_t positionOfTime(Durad& durad, std::uint32_t milliseconds)
{
    const double c = milliseconds / 60000.0;
    const TempoPoint* point = firstTempo(durad);
    double d = 0.0;
    double ticks;
    for (;;) {
        const TempoPoint* next = point->next;
        if (next) {
            const double t0 = point->tempo;
            const double t1 = next->tempo;
            const double span = double(next->position) - double(point->position);
            const double reached = d + (1.0 / t0 + 1.0 / t1) * 0.5 * span;
            if (reached <= c) {
                d = reached;
                point = next;
                continue;
            }
            const double g = (1.0 / t1 - 1.0 / t0) / span;
            if (g != 0.0) {
                // The reciprocal tempo grows linearly across the segment; rounding can
                // push the discriminant just below 0.
                const double discriminant = std::max(0.0, 4.0 / (t0 * t0) + 8.0 * (c - d) * g);
                ticks = std::trunc((std::sqrt(discriminant) - 2.0 / t0) / (2.0 * g));
                break;
            }
        }
        ticks = std::trunc((c - d) * point->tempo);
        break;
    }
    const double room = 4294967295.0 - point->position;
    if (!(ticks >= 0.0))
        ticks = 0.0;
    if (ticks > room)
        ticks = room;
    return point->position + static_cast<std::uint32_t>(ticks);
}

namespace {

void addPiece(std::vector<MeasureNote>& pieces, std::int64_t time, int pitch, std::int64_t length, int kind)
{
    MeasureNote piece{};
    piece.time = static_cast<std::int32_t>(time);
    piece.pitch = pitch;
    piece.length = static_cast<std::int32_t>(length);
    piece.kind = kind;
    pieces.push_back(piece);
}

void fillCell(const Track& track, std::int64_t start, std::int64_t end, std::vector<MeasureNote>& pieces)
{
    const Note* note = track.notes;
    for (; note && note->position < start; note = note->next) {
        const std::int64_t noteEnd = std::int64_t{note->position} + note->duration;
        if (noteEnd <= start)
            continue;
        std::int64_t length = noteEnd - start;
        if (start + length > end)
            length = end - start;
        addPiece(pieces, start, note->pitch * 100 + note->tune, length, 2);
    }
    for (; note && note->position < end; note = note->next) {
        const std::int64_t position = note->position;
        if (note->portamentoCount > 0)
            addPiece(pieces, position, pitchAtFraction(*note, 0.0), 0, 1);
        const int pitch = note->pitch * 100 + note->tune;
        if (position + note->duration > end)
            addPiece(pieces, position, pitch, end - position, 4);
        else
            addPiece(pieces, position, pitch, note->duration, 0);
    }
}

} // namespace

MeasureCell** measureTable(Durad& durad, int first, int& last, int firstMeasure, int lastMeasure)
{
    durad.measureTable.reset();
    const int count = trackCount(durad);
    if (first < 0 || firstMeasure < 0 || first >= count || last < first || lastMeasure < firstMeasure)
        return nullptr;
    if (last >= count)
        last = count - 1;

    const std::size_t rows = static_cast<std::size_t>(last - first) + 1;
    const std::size_t columns = static_cast<std::size_t>(lastMeasure - firstMeasure) + 1;
    if (columns > kMaxMeasureCells / rows)
        return nullptr;
    try {
        auto table = std::make_unique<MeasureTable>();
        table->rowCount = static_cast<std::int32_t>(rows);
        table->columnCount = static_cast<std::int32_t>(columns);
        table->cells.resize(rows);
        table->rows.resize(rows);
        Track* track = trackAt(durad, first);
        for (std::size_t r = 0; r < rows; ++r, track = track->next) {
            std::vector<MeasureCell>& row = table->cells[r];
            row.resize(columns);
            for (std::size_t c = 0; c < columns; ++c) {
                const std::int64_t measure = std::int64_t{firstMeasure} + static_cast<std::int64_t>(c);
                const std::int64_t start = measurePosition(durad, measure);
                const std::int64_t end = measurePosition(durad, measure + 1);
                std::vector<MeasureNote> pieces;
                fillCell(*track, start, end, pieces);
                pieces.shrink_to_fit();
                row[c].count = static_cast<std::int32_t>(pieces.size());
                if (!pieces.empty()) {
                    table->pieces.push_back(std::move(pieces));
                    row[c].notes = table->pieces.back().data();
                }
            }
            table->rows[r] = row.data();
        }
        durad.measureTable = std::move(table);
        return durad.measureTable->rows.data();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace orlim
