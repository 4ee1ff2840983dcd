// Normalization: puts every list back in order after edits and in-place changes,
// removing what breaks its invariants and leaving everything else in place.

#include "engine/model/Durad.h"
#include "engine/model/List.h"

#include <algorithm>
#include <vector>

namespace orlim {

namespace {

// Orders the list by `less`, keeping equal records in their order, as repeated
// passes of adjacent swaps would; with `removeLater`, of records that compare equal
// only the first stays. Returns true when anything moved or was removed.
template <class Record, class Less>
bool orderList(Record*& head, Less less, bool removeLater)
{
    std::vector<Record*> records;
    for (Record* r = head; r; r = r->next)
        records.push_back(r);
    if (records.empty())
        return false;
    bool changed = false;
    if (!std::is_sorted(records.begin(), records.end(), less)) {
        std::stable_sort(records.begin(), records.end(), less);
        changed = true;
    }
    std::vector<Record*> kept;
    kept.reserve(records.size());
    for (Record* r : records) {
        if (removeLater && !kept.empty() && !less(kept.back(), r)) {
            delete r;
            changed = true;
        } else {
            kept.push_back(r);
        }
    }
    for (std::size_t i = 0; i + 1 < kept.size(); ++i)
        kept[i]->next = kept[i + 1];
    kept.back()->next = nullptr;
    head = kept.front();
    return changed;
}

template <class Point>
bool orderPoints(Point*& head)
{
    return orderList(head, [](const Point* a, const Point* b) { return a->position < b->position; }, true);
}

bool orderNotes(Note*& head)
{
    bool changed = false;
    for (Note** link = &head; *link;) {
        if ((*link)->duration <= 0) {
            removeAt(link);
            changed = true;
        } else {
            link = &(*link)->next;
        }
    }
    const auto less = [](const Note* a, const Note* b) {
        if (a->position != b->position)
            return a->position < b->position;
        return a->pitch < b->pitch;
    };
    return orderList(head, less, true) || changed;
}

} // namespace

void normalizeTrack(Track& track)
{
    bool changed = false;
    changed |= orderList(track.sources,
        [](const SourceNode* a, const SourceNode* b) { return a->start() < b->start(); }, true);
    changed |= orderList(track.effects,
        [](const EffectNode* a, const EffectNode* b) { return a->start() < b->start(); }, false);
    changed |= orderPoints(track.panoPoints);
    changed |= orderPoints(track.loudPoints);
    changed |= orderPoints(track.clefs);
    changed |= orderNotes(track.notes);
    track.noteCursor = nullptr;
    if (changed)
        track.changed = 1;
}

void snapBeats(Durad& durad)
{
    if (!durad.beats)
        return;
    Beat** previousLink = &durad.beats;
    while ((*previousLink)->next) {
        Beat* previous = *previousLink;
        Beat* beat = previous->next;
        const std::uint32_t length = std::uint32_t{previous->beats} * previous->beatTicks;
        // A measure of no length has no further boundaries to snap to.
        if (length != 0) {
            const std::uint32_t snapped =
                previous->position + length * ((beat->position - previous->position) / length);
            if (snapped != beat->position) {
                beat->position = snapped;
                durad.changed = 1;
            }
            if (snapped == previous->position) {
                // The later Beat is the one in force there, so it replaces the earlier.
                removeAt(previousLink);
                durad.changed = 1;
                continue;
            }
        }
        previousLink = &previous->next;
    }
}

void normalizeMusic(Durad& durad)
{
    if (durad.beats && durad.beats->position != 0) {
        durad.beats->position = 0;
        durad.changed = 1;
    }
    if (orderPoints(durad.beats))
        durad.changed = 1;
    snapBeats(durad);

    if (durad.tempoPoints && durad.tempoPoints->position != 0) {
        durad.tempoPoints->position = 0;
        durad.changed = 1;
    }
    if (orderPoints(durad.tempoPoints))
        durad.changed = 1;
    durad.tempoCursor = nullptr;
}

void normalizeAll(Durad& durad)
{
    normalizeMusic(durad);
    for (Track* t = durad.tracks; t; t = t->next)
        normalizeTrack(*t);
}

namespace {

template <class Point>
void insertDefaultFirst(Point*& head)
{
    Point* first = new Point;
    first->next = head;
    head = first;
}

// A point at 0 anywhere in the list will be first once the list is ordered.
template <class Point>
void ensureFirstAtZero(Point*& head)
{
    for (const Point* p = head; p; p = p->next)
        if (p->position == 0)
            return;
    insertDefaultFirst(head);
}

template <class Point>
void ensureHeadAtZero(Point*& head)
{
    if (!head || head->position != 0)
        insertDefaultFirst(head);
}

} // namespace

void ensurePermanentFirstEntries(Track& track)
{
    ensureFirstAtZero(track.clefs);
    ensureFirstAtZero(track.loudPoints);
    ensureFirstAtZero(track.panoPoints);
}

void ensureFirstEntriesAtHead(Track& track)
{
    ensureHeadAtZero(track.clefs);
    ensureHeadAtZero(track.loudPoints);
    ensureHeadAtZero(track.panoPoints);
}

} // namespace orlim
