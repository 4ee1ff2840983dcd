#pragma once
// Checks of every list invariant of a Durad, and a deep comparison of two Durads,
// shared by the tests that edit at random.

#include "engine/model/Durad.h"

#include <cstring>
#include <string>

namespace orlim::testing {

namespace detail {

template <class Point>
std::string pointsInOrder(const Point* head, const char* list)
{
    if (!head)
        return std::string(list) + " is empty";
    if (head->position != 0)
        return std::string(list) + " does not start at 0";
    for (const Point* p = head; p->next; p = p->next)
        if (p->next->position <= p->position)
            return std::string(list) + " is out of order at " + std::to_string(p->next->position);
    return {};
}

template <class Record>
bool contains(const Record* head, const Record* wanted)
{
    for (; head; head = head->next)
        if (head == wanted)
            return true;
    return false;
}

} // namespace detail

// The first broken invariant, or an empty text.
inline std::string brokenInvariant(const Durad& durad)
{
    if (!durad.tracks)
        return "no track";
    std::string broken = detail::pointsInOrder(durad.tempoPoints, "tempo");
    if (broken.empty())
        broken = detail::pointsInOrder(durad.beats, "beats");
    if (!broken.empty())
        return broken;
    for (const TempoPoint* p = durad.tempoPoints; p; p = p->next)
        if (p->tempo == 0)
            return "tempo 0";
    for (const Beat* b = durad.beats; b; b = b->next) {
        if (b->beats == 0 || b->beatTicks == 0)
            return "empty measure";
        if (b->next) {
            const std::uint32_t length = std::uint32_t{b->beats} * b->beatTicks;
            if ((b->next->position - b->position) % length != 0)
                return "Beat off its bar at " + std::to_string(b->next->position);
        }
    }
    if (durad.tempoCursor && !detail::contains<TempoPoint>(durad.tempoPoints, durad.tempoCursor))
        return "tempo cursor on a removed point";
    int index = 0;
    for (const Track* t = durad.tracks; t; t = t->next, ++index) {
        const std::string where = " on track " + std::to_string(index);
        for (const std::string& b : {detail::pointsInOrder(t->clefs, "clefs"),
                                     detail::pointsInOrder(t->loudPoints, "loudness"),
                                     detail::pointsInOrder(t->panoPoints, "pan")})
            if (!b.empty())
                return b + where;
        for (const SourceNode* s = t->sources; s && s->next; s = s->next)
            if (s->next->start() <= s->start())
                return "sources out of order" + where;
        for (const EffectNode* e = t->effects; e && e->next; e = e->next)
            if (e->next->start() < e->start())
                return "effects out of order" + where;
        for (const Note* n = t->notes; n; n = n->next) {
            if (n->pitch < 0)
                return "negative pitch" + where;
            if ((n->portamentoCount > 0) != (n->portamento != nullptr)
                || (n->expressionCount > 0) != (n->expression != nullptr))
                return "curve count and array disagree" + where;
            if (n->next
                && (n->next->position < n->position
                    || (n->next->position == n->position && n->next->pitch <= n->pitch)))
                return "notes out of order at " + std::to_string(n->next->position) + where;
        }
        if (t->noteCursor && !detail::contains<Note>(t->notes, t->noteCursor))
            return "note cursor on a removed note" + where;
    }
    return {};
}

namespace detail {

inline bool sameCurve(const CurvePoint* a, const CurvePoint* b, int count)
{
    return count <= 0 || std::memcmp(a, b, sizeof(CurvePoint) * static_cast<std::size_t>(count)) == 0;
}

inline bool sameNote(const Note& a, const Note& b)
{
    return a.position == b.position && a.delay == b.delay && a.pitch == b.pitch && a.tune == b.tune
        && a.string == b.string && a.loudness == b.loudness && a.duration == b.duration
        && a.legato == b.legato && a.reserved == b.reserved && a.portamentoCount == b.portamentoCount
        && a.expressionCount == b.expressionCount && sameCurve(a.portamento, b.portamento, a.portamentoCount)
        && sameCurve(a.expression, b.expression, a.expressionCount);
}

template <class Record, class Same>
bool sameList(const Record* a, const Record* b, Same same)
{
    for (; a && b; a = a->next, b = b->next)
        if (!same(*a, *b))
            return false;
    return !a && !b;
}

template <class Node>
bool sameEntry(const Node& a, const Node& b)
{
    return a.entry.length() == b.entry.length() && std::memcmp(a.entry.data(), b.entry.data(), a.entry.length()) == 0;
}

} // namespace detail

// True when both hold the same lists, values, texts (the modified date aside, which a
// save sets) and level.
inline bool sameMusic(const Durad& a, const Durad& b)
{
    using namespace detail;
    const bool texts = a.name == b.name && a.createdDate == b.createdDate && a.author == b.author
        && a.executant == b.executant && a.copyright == b.copyright && a.comment == b.comment
        && a.level == b.level;
    const bool music = sameList(a.tempoPoints, b.tempoPoints,
                                [](const TempoPoint& x, const TempoPoint& y) {
                                    return x.position == y.position && x.tempo == y.tempo;
                                })
        && sameList(a.beats, b.beats, [](const Beat& x, const Beat& y) {
               return x.position == y.position && x.beats == y.beats && x.beatTicks == y.beatTicks;
           });
    const bool tracks = sameList(a.tracks, b.tracks, [](const Track& x, const Track& y) {
        return x.name == y.name && x.comment == y.comment
            && sameList(x.sources, y.sources, sameEntry<SourceNode>)
            && sameList(x.effects, y.effects, sameEntry<EffectNode>)
            && sameList(x.clefs, y.clefs, [](const Clef& p, const Clef& q) {
                   return p.position == q.position && p.key == q.key && p.clef == q.clef;
               })
            && sameList(x.loudPoints, y.loudPoints, [](const LoudPoint& p, const LoudPoint& q) {
                   return p.position == q.position && p.loudness == q.loudness;
               })
            && sameList(x.panoPoints, y.panoPoints, [](const PanoPoint& p, const PanoPoint& q) {
                   return p.position == q.position && p.x == q.x && p.y == q.y && p.z == q.z;
               })
            && sameList(x.notes, y.notes, sameNote);
    });
    return texts && music && tracks;
}

} // namespace orlim::testing
