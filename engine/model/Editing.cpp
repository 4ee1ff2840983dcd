#include "engine/model/Editing.h"

#include "engine/model/DuradEngine.h"
#include "engine/model/List.h"
#include "engine/model/Timeline.h"

#include <algorithm>
#include <climits>

namespace orlim {

namespace {

// A successful change of a track: both flags, then the views hear of it.
void changedTrack(Durad& durad, Track& track)
{
    track.changed = 1;
    durad.changed = 1;
    notifyChanged(durad, 0);
}

void changedMusic(Durad& durad)
{
    durad.changed = 1;
    notifyChanged(durad, 0);
}

std::int16_t saturate16(int value)
{
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

// The link that refers to the record at exactly `position`, skipping the permanent
// first entry; null when there is none.
template <class Point>
Point** linkAtPosition(Point*& head, std::uint32_t position)
{
    if (!head)
        return nullptr;
    for (Point** link = &head->next; *link; link = &(*link)->next)
        if ((*link)->position == position)
            return link;
    return nullptr;
}

template <class Point>
bool removePointAt(Point*& head, std::uint32_t position)
{
    Point** link = linkAtPosition(head, position);
    if (!link)
        return false;
    removeAt(link);
    return true;
}

// Inserts after the point in force, refused at 0 and where the point in force lies
// at the same position. Takes ownership of `point`.
template <class Point>
bool insertPoint(Point*& head, Point* inForce, Point* point)
{
    if (point->position == 0 || inForce->position == point->position) {
        delete point;
        return false;
    }
    insertAfter(head, inForce, point);
    return true;
}

// Removes every point in [start, end] except the permanent first one.
template <class Point>
void removePointsIn(Point*& head, std::uint32_t start, std::uint32_t end)
{
    if (!head)
        return;
    for (Point** link = &head->next; *link;) {
        if ((*link)->position >= start && (*link)->position <= end)
            removeAt(link);
        else
            link = &(*link)->next;
    }
}

Note** findNote(Track& track, std::uint32_t position, int pitch)
{
    for (Note** link = &track.notes; *link; link = &(*link)->next)
        if ((*link)->position == position && (*link)->pitch == pitch)
            return link;
    return nullptr;
}

bool linkSource(Track& track, SourceNode* node)
{
    const std::uint32_t start = node->start();
    SourceNode** link = &track.sources;
    for (SourceNode* s = track.sources; s; s = s->next)
        if (s->start() == start) {
            delete node;
            return false;
        }
    while (*link && (*link)->start() <= start)
        link = &(*link)->next;
    node->next = *link;
    *link = node;
    return true;
}

void linkEffect(Track& track, EffectNode* node)
{
    const std::uint32_t start = node->start();
    EffectNode** link = &track.effects;
    while (*link && (*link)->start() <= start)
        link = &(*link)->next;
    node->next = *link;
    *link = node;
}

int insertSourceNode(Durad& durad, int track, SourceNode* node)
{
    Track* t = trackAt(durad, track);
    if (!t || !node) {
        delete node;
        return 0;
    }
    if (!linkSource(*t, node))
        return 0;
    changedTrack(durad, *t);
    return 1;
}

int insertEffectNode(Durad& durad, int track, EffectNode* node)
{
    Track* t = trackAt(durad, track);
    if (!t || !node) {
        delete node;
        return 0;
    }
    linkEffect(*t, node);
    changedTrack(durad, *t);
    return 1;
}

template <class Node>
int deleteEntry(Node*& head, int index)
{
    if (index < 0)
        return 0;
    Node** link = &head;
    for (; *link && index > 0; --index)
        link = &(*link)->next;
    if (!*link)
        return 0;
    removeAt(link);
    return 1;
}

bool inRange(std::uint32_t position, const Selection& selection)
{
    return position >= static_cast<std::uint32_t>(selection.start)
        && position <= static_cast<std::uint32_t>(selection.end);
}

bool isSelectedNote(const Note& note, const Selection& selection, int track)
{
    if (!inRange(note.position, selection))
        return false;
    if (track == selection.firstTrack && note.pitch > selection.topPitch / 100)
        return false;
    if (track == selection.lastTrack && note.pitch < selection.bottomPitch / 100)
        return false;
    return true;
}

// The first link whose note does not sort before (position, pitch).
Note** firstLinkNotBefore(Note** link, std::uint32_t position, int pitch)
{
    while (*link && ((*link)->position < position || ((*link)->position == position && (*link)->pitch < pitch)))
        link = &(*link)->next;
    return link;
}

bool spliceNote(Track& track, Note** link, Note* note)
{
    note->next = *link;
    *link = note;
    track.changed = 1;
    track.noteCursor = nullptr;
    return true;
}

} // namespace

// ---- Notes -----------------------------------------------------------------------

bool linkNote(Track& track, Note* note)
{
    if (findNote(track, note->position, note->pitch)) {
        delete note;
        return false;
    }
    return spliceNote(track, firstLinkNotBefore(&track.notes, note->position, note->pitch), note);
}

bool linkNoteFrom(Track& track, Note* note, Note** from)
{
    Note** link = firstLinkNotBefore(from, note->position, note->pitch);
    if (*link && (*link)->position == note->position && (*link)->pitch == note->pitch) {
        delete note;
        return false;
    }
    return spliceNote(track, link, note);
}

int insertNote(Durad& durad, int track, Note* note)
{
    Track* t = trackAt(durad, track);
    if (!t) {
        delete note;
        return 0;
    }
    if (!linkNote(*t, note))
        return 0;
    changedMusic(durad);
    return 1;
}

int insertNote(Durad& durad, int track, std::uint32_t position, int pitch, int duration)
{
    if (pitch < 0 || pitch > 127 || !trackAt(durad, track))
        return 0;
    Note* note = new Note;
    note->position = position;
    note->pitch = static_cast<std::int8_t>(pitch);
    note->duration = saturate16(duration);
    return insertNote(durad, track, note);
}

int deleteNote(Durad& durad, int track, std::uint32_t position, int pitch)
{
    Track* t = trackAt(durad, track);
    if (!t)
        return 0;
    Note** link = findNote(*t, position, pitch);
    if (!link)
        return 0;
    removeAt(link);
    t->noteCursor = nullptr;
    changedTrack(durad, *t);
    return 1;
}

int modifyNote(Durad& durad, int track, std::uint32_t position, int pitch,
               std::uint32_t newPosition, int newPitch, int newDuration)
{
    Track* t = trackAt(durad, track);
    if (!t || newPitch > 127)
        return 0;
    Note** link = findNote(*t, position, pitch);
    if (!link)
        return 0;
    Note& note = **link;
    if (newPosition != kKeepPosition)
        note.position = newPosition;
    if (newPitch > 0)
        note.pitch = static_cast<std::int8_t>(newPitch);
    if (newDuration > 0)
        note.duration = static_cast<std::int16_t>(std::min(newDuration, 32767));
    t->changed = 1;
    markChanged(durad, track);
    return 1;
}

// ---- Points ----------------------------------------------------------------------

int insertClef(Durad& durad, int track, std::uint32_t position, int clef, int key)
{
    Track* t = trackAt(durad, track);
    if (!t || clef < 0 || clef > 15 || key < -7 || key > 7)
        return 0;
    Clef* inForce = clefInForce(*t, position);
    if (inForce && (inForce->position == position || (inForce->clef == clef && inForce->key == key)))
        return 0;
    Clef* added = new Clef;
    added->position = position;
    added->clef = static_cast<std::uint8_t>(clef);
    added->key = static_cast<std::int8_t>(key);
    insertAfter(t->clefs, inForce, added);
    if (added->next && added->next->clef == added->clef && added->next->key == added->key)
        removeAt(&added->next);
    changedTrack(durad, *t);
    return 1;
}

int deleteClef(Durad& durad, int track, std::uint32_t position)
{
    Track* t = trackAt(durad, track);
    if (!t || position == 0 || !removePointAt(t->clefs, position))
        return 0;
    changedMusic(durad);
    return 1;
}

int insertLoud(Durad& durad, int track, std::uint32_t position, int loudness)
{
    Track* t = trackAt(durad, track);
    if (!t || position == 0)
        return 0;
    LoudPoint* point = new LoudPoint;
    point->position = position;
    point->loudness = saturate16(loudness);
    if (!insertPoint(t->loudPoints, loudInForce(*t, position), point))
        return 0;
    changedTrack(durad, *t);
    return 1;
}

int deleteLoud(Durad& durad, int track, std::uint32_t position)
{
    Track* t = trackAt(durad, track);
    if (!t || position == 0 || !removePointAt(t->loudPoints, position))
        return 0;
    changedTrack(durad, *t);
    return 1;
}

int insertPano(Durad& durad, int track, std::uint32_t position, int x, int y, int z)
{
    Track* t = trackAt(durad, track);
    if (!t || position == 0)
        return 0;
    PanoPoint* point = new PanoPoint;
    point->position = position;
    point->x = saturate16(x);
    point->y = saturate16(y);
    point->z = saturate16(z);
    if (!insertPoint(t->panoPoints, panoInForce(*t, position), point))
        return 0;
    changedTrack(durad, *t);
    return 1;
}

int deletePano(Durad& durad, int track, std::uint32_t position)
{
    Track* t = trackAt(durad, track);
    if (!t || position == 0 || !removePointAt(t->panoPoints, position))
        return 0;
    changedTrack(durad, *t);
    return 1;
}

int insertTempo(Durad& durad, std::uint32_t position, int tempo)
{
    // A tempo of 0 would make every time computation divide by zero.
    if (position == 0 || tempo < 1 || tempo > 65535)
        return 0;
    TempoPoint* point = new TempoPoint;
    point->position = position;
    point->tempo = static_cast<std::uint16_t>(tempo);
    if (!insertPoint(durad.tempoPoints, tempoInForce(durad, position), point))
        return 0;
    changedMusic(durad);
    return 1;
}

int deleteTempo(Durad& durad, std::uint32_t position)
{
    if (position == 0 || !removePointAt(durad.tempoPoints, position))
        return 0;
    durad.tempoCursor = nullptr;
    changedMusic(durad);
    return 1;
}

int insertBeat(Durad& durad, std::uint32_t position, int beats, int beatTicks)
{
    // A measure of no length would divide every measure computation by zero.
    if (beats < 1 || beats > 255 || beatTicks < 1 || beatTicks > 255)
        return 0;
    const std::uint32_t snapped = snapToMeasure(durad, position);
    if (snapped == 0)
        return 0;
    Beat* inForce = beatInForce(durad, snapped);
    if (inForce->beats == beats && inForce->beatTicks == beatTicks)
        return 0;
    Beat* beat = inForce;
    if (inForce->position != snapped) {
        beat = new Beat;
        beat->position = snapped;
        insertAfter(durad.beats, inForce, beat);
    }
    beat->beats = static_cast<std::uint8_t>(beats);
    beat->beatTicks = static_cast<std::uint8_t>(beatTicks);
    if (beat->next && beat->next->beats == beat->beats && beat->next->beatTicks == beat->beatTicks)
        removeAt(&beat->next);
    snapBeats(durad);
    changedMusic(durad);
    return 1;
}

int deleteBeat(Durad& durad, std::uint32_t position)
{
    if (position == 0 || !removePointAt(durad.beats, position))
        return 0;
    snapBeats(durad);
    changedMusic(durad);
    return 1;
}

// ---- Plug-in assignments ---------------------------------------------------------

int insertSource(Durad& durad, int track, const void* record)
{
    if (!trackAt(durad, track))
        return 0;
    return insertSourceNode(durad, track, SourceNode::copyOf(record));
}

int deleteSource(Durad& durad, int track, int index)
{
    Track* t = trackAt(durad, track);
    return t ? deleteEntry(t->sources, index) : 0;
}

int insertEffect(Durad& durad, int track, const void* record)
{
    if (!trackAt(durad, track))
        return 0;
    return insertEffectNode(durad, track, EffectNode::copyOf(record));
}

int deleteEffect(Durad& durad, int track, int index)
{
    Track* t = trackAt(durad, track);
    return t ? deleteEntry(t->effects, index) : 0;
}

// ---- Tracks ----------------------------------------------------------------------

namespace {

// Links `track` so that it gets `index` (0 or less: first; past the end: last).
void placeTrack(Durad& durad, Track* track, int index)
{
    const int count = trackCount(durad);
    Track* after = index <= 0 ? nullptr : trackAt(durad, std::min(index, count) - 1);
    insertAfter(durad.tracks, after, track);
}

} // namespace

int insertTrack(Durad& durad, int index, const char* name)
{
    Track* track = new Track;
    if (name)
        track->name = name;
    placeTrack(durad, track, index);
    changedMusic(durad);
    return 1;
}

int deleteTrack(Durad& durad, int index)
{
    if (trackCount(durad) <= 1 || !trackAt(durad, index))
        return 0;
    Track** link = &durad.tracks;
    for (int i = 0; i < index; ++i)
        link = &(*link)->next;
    removeAt(link);
    changedMusic(durad);
    return 1;
}

int moveTrack(Durad& durad, int from, int to)
{
    if (from < 0 || from >= trackCount(durad) || from == to)
        return 0;
    Track** link = &durad.tracks;
    for (int i = 0; i < from; ++i)
        link = &(*link)->next;
    Track* track = *link;
    *link = track->next;
    track->next = nullptr;
    placeTrack(durad, track, to);
    changedMusic(durad);
    return 1;
}

// ---- Blocks and the clipboard ----------------------------------------------------

void deleteBlock(Durad& durad, const Selection& selection)
{
    const auto start = static_cast<std::uint32_t>(selection.start);
    const auto end = static_cast<std::uint32_t>(selection.end);
    for (int i = selection.firstTrack; i <= selection.lastTrack; ++i) {
        Track* track = trackAt(durad, i);
        if (!track)
            break;
        if (selection.parts & kSelectNotes) {
            for (Note** link = &track->notes; *link;) {
                if (isSelectedNote(**link, selection, i))
                    removeAt(link);
                else
                    link = &(*link)->next;
            }
        }
        if (selection.parts & kSelectTempo)
            removePointsIn(durad.tempoPoints, start, end);
        if (selection.parts & kSelectLoudness)
            removePointsIn(track->loudPoints, start, end);
        if (selection.parts & kSelectPan)
            removePointsIn(track->panoPoints, start, end);
        track->noteCursor = nullptr;
        if (i == INT_MAX)
            break;
    }
    durad.tempoCursor = nullptr;
    durad.changed = 1;
}

int copyBlock(Durad& durad, const Selection& selection)
{
    DuradEngine& engine = duradEngine();
    if (!engine.clipboard)
        engine.clipboard = std::make_unique<Durad>(nullptr);
    Durad& clipboard = *engine.clipboard;
    // Copying the clipboard onto itself reads from a snapshot: clearing it comes first.
    std::unique_ptr<Durad> snapshot;
    const Durad* source = &durad;
    if (&durad == &clipboard) {
        snapshot = duplicateDurad(durad);
        source = snapshot.get();
    }

    clearDurad(clipboard);
    destroyList(clipboard.tempoPoints);
    destroyList(clipboard.tracks);
    clipboard.tempoCursor = nullptr;

    const auto start = static_cast<std::uint32_t>(selection.start);
    if (selection.parts & kSelectTempo) {
        for (const TempoPoint* p = source->tempoPoints; p; p = p->next) {
            if (!inRange(p->position, selection))
                continue;
            if (!clipboard.tempoPoints) {
                clipboard.tempoPoints = new TempoPoint;
                clipboard.tempoPoints->position = p->position - start;
                clipboard.tempoPoints->tempo = p->tempo;
            } else {
                insertTempo(clipboard, p->position - start, p->tempo);
            }
        }
        return 1;
    }

    ListAppender<Track> tracks(clipboard.tracks);
    for (int i = selection.firstTrack; i <= selection.lastTrack; ++i) {
        const Track* from = trackAt(*source, i);
        if (!from)
            return 0;
        Track* to = tracks.add(new Track);
        destroyList(to->loudPoints);
        destroyList(to->panoPoints);
        if (selection.parts & kSelectNotes) {
            for (const Note* n = from->notes; n; n = n->next) {
                if (!isSelectedNote(*n, selection, i))
                    continue;
                Note* copy = duplicateNote(*n);
                copy->position = n->position - start;
                if (linkNote(*to, copy))
                    changedMusic(clipboard);
            }
        }
        if (selection.parts & kSelectLoudness) {
            ListAppender<LoudPoint> points(to->loudPoints);
            for (const LoudPoint* p = from->loudPoints; p; p = p->next)
                if (inRange(p->position, selection)) {
                    LoudPoint* copy = points.add(new LoudPoint(*p));
                    copy->position = p->position - start;
                }
        }
        if (selection.parts & kSelectPan) {
            ListAppender<PanoPoint> points(to->panoPoints);
            for (const PanoPoint* p = from->panoPoints; p; p = p->next)
                if (inRange(p->position, selection)) {
                    PanoPoint* copy = points.add(new PanoPoint(*p));
                    copy->position = p->position - start;
                }
        }
        if (i == INT_MAX)
            break;
    }
    return 1;
}

int pasteBlock(Durad& durad, int track, std::uint32_t position, int parts)
{
    Durad* clipboard = duradEngine().clipboard.get();
    if (!clipboard)
        return 0;
    // Pasting the clipboard into itself reads from a snapshot, as the pasting edits it.
    std::unique_ptr<Durad> snapshot;
    if (clipboard == &durad) {
        snapshot = duplicateDurad(durad);
        clipboard = snapshot.get();
    }

    if (parts & kSelectTempo) {
        for (const TempoPoint* p = clipboard->tempoPoints; p; p = p->next) {
            const std::uint32_t at = position + p->position;
            deleteTempo(durad, at);
            insertTempo(durad, at, p->tempo);
        }
        return 1;
    }

    std::int64_t target = track;
    for (const Track* from = clipboard->tracks; from && target <= INT_MAX; from = from->next, ++target) {
        const int t = static_cast<int>(target);
        while (t >= trackCount(durad))
            insertTrack(durad, t, "");
        if (parts & kSelectNotes) {
            for (const Note* n = from->notes; n; n = n->next) {
                Note* copy = duplicateNote(*n);
                copy->reserved = n->reserved;
                copy->position = position + n->position;
                deleteNote(durad, t, copy->position, copy->pitch);
                insertNote(durad, t, copy);
            }
        }
        if (parts & kSelectLoudness) {
            for (const LoudPoint* p = from->loudPoints; p; p = p->next) {
                const std::uint32_t at = position + p->position;
                deleteLoud(durad, t, at);
                insertLoud(durad, t, at, p->loudness);
            }
        }
        if (parts & kSelectPan) {
            for (const PanoPoint* p = from->panoPoints; p; p = p->next) {
                const std::uint32_t at = position + p->position;
                deletePano(durad, t, at);
                insertPano(durad, t, at, p->x, p->y, p->z);
            }
        }
    }
    return 1;
}

int copyTrack(Durad& source, int sourceTrack, Durad& target, int targetTrack)
{
    // Copying within one Durad reads from a snapshot, as the target's lists are
    // replaced while they are read.
    std::unique_ptr<Durad> snapshot;
    const Durad* from = &source;
    if (&source == &target) {
        snapshot = duplicateDurad(source);
        from = snapshot.get();
    }

    target.level = from->level;
    destroyList(target.tempoPoints);
    target.tempoCursor = nullptr;
    target.tempoPoints = new TempoPoint;
    // A list that starts after 0 (the clipboard's may) goes behind the default first
    // entry, so that the target's lists keep an entry at 0 for every lookup.
    if (const TempoPoint* first = from->tempoPoints) {
        if (first->position == 0)
            target.tempoPoints->tempo = first->tempo;
        for (const TempoPoint* p = first->position == 0 ? first->next : first; p; p = p->next)
            insertTempo(target, p->position, p->tempo);
    }

    const Track* fromTrack = trackAt(*from, sourceTrack);
    if (!fromTrack)
        return 0;
    if (!target.tracks)
        target.tracks = new Track;
    Track* toTrack = trackAt(target, targetTrack);
    if (!toTrack)
        return 0;

    destroyList(toTrack->notes);
    toTrack->noteCursor = nullptr;
    for (const Note* n = fromTrack->notes; n; n = n->next)
        linkNote(*toTrack, duplicateNote(*n));

    destroyList(toTrack->loudPoints);
    toTrack->loudPoints = new LoudPoint;
    if (const LoudPoint* first = fromTrack->loudPoints) {
        if (first->position == 0)
            toTrack->loudPoints->loudness = first->loudness;
        for (const LoudPoint* p = first->position == 0 ? first->next : first; p; p = p->next)
            insertLoud(target, targetTrack, p->position, p->loudness);
    }

    destroyList(toTrack->panoPoints);
    toTrack->panoPoints = new PanoPoint;
    if (const PanoPoint* first = fromTrack->panoPoints) {
        if (first->position == 0) {
            toTrack->panoPoints->x = first->x;
            toTrack->panoPoints->y = first->y;
            toTrack->panoPoints->z = first->z;
        }
        for (const PanoPoint* p = first->position == 0 ? first->next : first; p; p = p->next)
            insertPano(target, targetTrack, p->position, p->x, p->y, p->z);
    }

    destroyList(toTrack->effects);
    for (const EffectNode* e = fromTrack->effects; e; e = e->next)
        insertEffectNode(target, targetTrack, new EffectNode(EntryBlock(e->entry)));
    destroyList(toTrack->sources);
    for (const SourceNode* s = fromTrack->sources; s; s = s->next)
        insertSourceNode(target, targetTrack, new SourceNode(EntryBlock(s->entry)));
    return 1;
}

} // namespace orlim
