// The entry in force at a position, and the values of a note's curves.

#include "engine/model/Durad.h"

#include <cmath>

namespace orlim {

namespace {

// Last point not after `position` in a list whose first entry is permanent. When the
// list starts after the position (or is empty), the default point is put first.
template <class Point>
Point* pointInForce(Point*& head, std::uint32_t position)
{
    if (!head || head->position > position) {
        Point* first = new Point;
        first->next = head;
        head = first;
    }
    Point* point = head;
    while (point->next && point->next->position <= position)
        point = point->next;
    return point;
}

int valueAtFraction(int base, const CurvePoint* curve, int count, double f)
{
    if (!curve || count <= 0)
        return base;
    if (f > 1.0)
        f = 1.0;
    const double p = f * 1000.0;
    int i = 0;
    while (i < count && curve[i].x < p)
        ++i;
    if (i == count)
        return base + curve[count - 1].y;
    const double x0 = i == 0 ? 0.0 : curve[i - 1].x;
    const double y0 = i == 0 ? 0.0 : curve[i - 1].y;
    const double x1 = curve[i].x;
    const double y1 = curve[i].y;
    if (x0 == x1)
        return base + curve[i].y;
    return base + static_cast<int>(std::trunc(y0 + (y1 - y0) * (p - x0) / (x1 - x0)));
}

} // namespace

TempoPoint* tempoInForce(Durad& durad, std::uint32_t position)
{
    if (!durad.tempoPoints || durad.tempoPoints->position > position) {
        TempoPoint* first = new TempoPoint;
        first->next = durad.tempoPoints;
        durad.tempoPoints = first;
        durad.tempoCursor = nullptr;
    }
    TempoPoint* point = durad.tempoCursor;
    if (!point || position < point->position)
        point = durad.tempoPoints;
    while (point->next && point->next->position <= position)
        point = point->next;
    durad.tempoCursor = point;
    return point;
}

Beat* beatInForce(Durad& durad, std::uint32_t position)
{
    return pointInForce(durad.beats, position);
}

Clef* clefInForce(Track& track, std::uint32_t position)
{
    Clef* found = nullptr;
    for (Clef* clef = track.clefs; clef && clef->position <= position; clef = clef->next)
        found = clef;
    return found;
}

LoudPoint* loudInForce(Track& track, std::uint32_t position)
{
    return pointInForce(track.loudPoints, position);
}

PanoPoint* panoInForce(Track& track, std::uint32_t position)
{
    return pointInForce(track.panoPoints, position);
}

SourceNode* sourceInForce(Track& track, std::uint32_t position)
{
    SourceNode* found = nullptr;
    for (SourceNode* s = track.sources; s && s->start() <= position; s = s->next)
        found = s;
    return found;
}

Note* noteAtOrAfter(Track& track, std::uint32_t position)
{
    Note* note = track.noteCursor;
    if (!note || note->position > position)
        note = track.notes;
    while (note && note->position < position)
        note = note->next;
    track.noteCursor = note;
    return note;
}

EffectNode* activeEffect(Track& track, std::uint32_t position, int n)
{
    if (n < 0)
        return nullptr;
    for (EffectNode* e = track.effects; e; e = e->next) {
        const std::uint64_t start = e->start();
        if (start <= position && position < start + e->rangeLength()) {
            if (n == 0)
                return e;
            --n;
        }
    }
    return nullptr;
}

int pitchAtFraction(const Note& note, double f)
{
    return valueAtFraction(note.pitch * 100 + note.tune, note.portamento, note.portamentoCount, f);
}

int loudnessAtFraction(const Note& note, double f)
{
    return valueAtFraction(note.loudness, note.expression, note.expressionCount, f);
}

} // namespace orlim
