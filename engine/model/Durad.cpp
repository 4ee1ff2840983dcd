#include "engine/model/Durad.h"

#include "engine/include/DuradMessages.h"
#include "engine/model/List.h"
#include "engine/model/Timeline.h"
#include "platform/DateText.h"

#include <algorithm>
#include <cstring>

Track::Track()
    : clefs(new Clef)
    , loudPoints(new LoudPoint)
    , panoPoints(new PanoPoint)
{
}

Track::~Track()
{
    orlim::destroyList(sources);
    orlim::destroyList(effects);
    orlim::destroyList(clefs);
    orlim::destroyList(loudPoints);
    orlim::destroyList(notes);
    orlim::destroyList(panoPoints);
}

Durad::Durad(orlim::WindowHandle window)
    : tracks(new Track)
    , tempoPoints(new TempoPoint)
    , beats(new Beat)
    , createdDate(orlim::currentDateText())
    , notifyWindow(window)
{
    modifiedDate = createdDate;
}

Durad::~Durad()
{
    orlim::destroyList(tracks);
    orlim::destroyList(tempoPoints);
    orlim::destroyList(beats);
}

namespace orlim {

void clearDurad(Durad& durad)
{
    destroyList(durad.tracks);
    destroyList(durad.tempoPoints);
    destroyList(durad.beats);
    durad.tracks = new Track;
    durad.tempoPoints = new TempoPoint;
    durad.beats = new Beat;
    durad.tempoCursor = nullptr;
    durad.name.clear();
    durad.modifiedDate.clear();
    durad.author.clear();
    durad.executant.clear();
    durad.copyright.clear();
    durad.comment.clear();
    durad.filePath.clear();
    durad.level = -500;
    durad.changed = 1;
    notifyChanged(durad, 0);
}

int trackCount(const Durad& durad)
{
    return listCount(durad.tracks);
}

Track* trackAt(const Durad& durad, int index)
{
    return listAt(durad.tracks, index);
}

namespace {

void replaceCurve(CurvePoint*& curve, std::int16_t& count, const CurvePoint* points, int n)
{
    delete[] curve;
    curve = nullptr;
    count = 0;
    if (n <= 0 || !points)
        return;
    n = std::min(n, 32767);
    curve = new CurvePoint[n];
    std::memcpy(curve, points, sizeof(CurvePoint) * static_cast<std::size_t>(n));
    count = static_cast<std::int16_t>(n);
}

} // namespace

void setPortamento(Note& note, const CurvePoint* points, int count)
{
    replaceCurve(note.portamento, note.portamentoCount, points, count);
}

void setExpression(Note& note, const CurvePoint* points, int count)
{
    replaceCurve(note.expression, note.expressionCount, points, count);
}

Note* duplicateNote(const Note& note)
{
    Note* copy = new Note;
    copy->position = note.position;
    copy->delay = note.delay;
    copy->pitch = note.pitch;
    copy->tune = note.tune;
    copy->string = note.string;
    copy->loudness = note.loudness;
    copy->duration = note.duration;
    copy->legato = note.legato;
    setPortamento(*copy, note.portamento, note.portamentoCount);
    setExpression(*copy, note.expression, note.expressionCount);
    return copy;
}

namespace {

template <class Point>
void copyPoints(const Point* from, Point*& to)
{
    destroyList(to);
    ListAppender<Point> append(to);
    for (; from; from = from->next)
        append.add(new Point(*from));
}

template <class Node>
void copyEntries(const Node* from, Node*& to)
{
    destroyList(to);
    ListAppender<Node> append(to);
    for (; from; from = from->next)
        append.add(new Node(EntryBlock(from->entry)));
}

} // namespace

std::unique_ptr<Durad> duplicateDurad(const Durad& durad)
{
    auto copy = std::make_unique<Durad>(nullptr);
    destroyList(copy->tracks);
    ListAppender<Track> tracks(copy->tracks);
    for (const Track* t = durad.tracks; t; t = t->next) {
        Track* track = tracks.add(new Track);
        track->name = t->name;
        track->comment = t->comment;
        copyEntries(t->sources, track->sources);
        copyEntries(t->effects, track->effects);
        copyPoints(t->clefs, track->clefs);
        copyPoints(t->loudPoints, track->loudPoints);
        copyPoints(t->panoPoints, track->panoPoints);
        ListAppender<Note> notes(track->notes);
        for (const Note* n = t->notes; n; n = n->next) {
            Note* note = notes.add(duplicateNote(*n));
            note->reserved = n->reserved;
        }
    }
    copyPoints(durad.tempoPoints, copy->tempoPoints);
    copyPoints(durad.beats, copy->beats);
    copy->name = durad.name;
    copy->modifiedDate = durad.modifiedDate;
    copy->createdDate = durad.createdDate;
    copy->author = durad.author;
    copy->executant = durad.executant;
    copy->copyright = durad.copyright;
    copy->comment = durad.comment;
    copy->level = durad.level;
    copy->filePath = durad.filePath;
    return copy;
}

std::uint32_t trackLength(const Durad& durad, int track)
{
    const Track* t = trackAt(durad, track);
    if (!t)
        return 0;
    std::int64_t longest = 0;
    for (const Note* n = t->notes; n; n = n->next)
        longest = std::max<std::int64_t>(longest, std::int64_t{n->position} + n->duration);
    // A note at the very end of the position range cannot report an end past it.
    return static_cast<std::uint32_t>(std::min<std::int64_t>(longest, 0xFFFFFFFF));
}

std::uint32_t musicLength(const Durad& durad)
{
    std::uint32_t longest = 0;
    const int count = trackCount(durad);
    for (int i = 0; i < count; ++i)
        longest = std::max(longest, trackLength(durad, i));
    return longest;
}

void markChanged(Durad& durad, int track)
{
    if (track == -1) {
        normalizeMusic(durad);
        durad.changed = 1;
        notifyChanged(durad, 0);
        return;
    }
    Track* t = trackAt(durad, track);
    if (!t)
        return;
    normalizeTrack(*t);
    durad.changed = 1;
    notifyChanged(durad, reinterpret_cast<LParam>(&durad));
    durad.changed = 1;
    notifyChanged(durad, 0);
}

bool isChanged(const Durad& durad)
{
    if (durad.changed)
        return true;
    for (const Track* t = durad.tracks; t; t = t->next)
        if (t->changed)
            return true;
    return false;
}

void clearChanged(Durad& durad)
{
    durad.changed = 0;
    for (Track* t = durad.tracks; t; t = t->next)
        t->changed = 0;
}

void setNotifyEnabled(Durad& durad, bool enabled)
{
    durad.notifyEnabled = enabled ? 1 : 0;
}

namespace {

void notify(Durad& durad, std::uint32_t message, LParam lParam)
{
    if (durad.notifyWindow && durad.notifyEnabled == 1)
        sendMessage(durad.notifyWindow, message, 0, lParam);
}

} // namespace

void notifyChanged(Durad& durad, LParam lParam)
{
    notify(durad, WM_MUS_CHANGED, lParam);
}

void notifyLoaded(Durad& durad)
{
    notify(durad, WM_MUS_LOADED, reinterpret_cast<LParam>(&durad));
}

} // namespace orlim
