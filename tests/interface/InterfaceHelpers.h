#pragma once
// Helpers for tests that use the engine only through its exported functions.

#include "engine/include/durad.h"
#include "platform/Window.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace orlim::testing {

struct DuradDeleter {
    void operator()(Durad* durad) const { musDeleteDurad(durad); }
};
using DuradPtr = std::unique_ptr<Durad, DuradDeleter>;

inline DuradPtr makeDurad(WindowHandle window = nullptr)
{
    return DuradPtr(musCreateDurad(window));
}

struct Message {
    std::uint32_t msg;
    WParam wParam;
    LParam lParam;
    bool operator==(const Message&) const = default;
};

// A notify window that keeps every message sent to it.
class MessageRecorder {
public:
    MessageRecorder()
        : window_([this](std::uint32_t msg, WParam w, LParam l) {
            messages.push_back({msg, w, l});
            return 0;
        })
    {
    }
    WindowHandle handle() { return &window_; }
    std::vector<Message> messages;

private:
    QueueWindow window_;
};

// A source or effect record of `length` bytes with `start` (and, for effects, the
// range `ticks`) and a tag byte at offset 12 to tell records apart.
inline std::vector<std::uint8_t> sourceBytes(std::uint32_t start, std::uint8_t tag, std::uint16_t length = 76)
{
    std::vector<std::uint8_t> bytes(length, 0);
    std::memcpy(bytes.data(), &length, 2);
    std::memcpy(bytes.data() + 8, &start, 4);
    bytes[12] = tag;
    return bytes;
}

inline std::vector<std::uint8_t> effectBytes(std::uint32_t start, std::uint32_t ticks, std::uint8_t tag,
                                             std::uint16_t length = 76)
{
    std::vector<std::uint8_t> bytes(length, 0);
    std::memcpy(bytes.data(), &length, 2);
    std::memcpy(bytes.data() + 4, &start, 4);
    std::memcpy(bytes.data() + 8, &ticks, 4);
    bytes[12] = tag;
    return bytes;
}

inline const SourceEntry* asSource(const std::vector<std::uint8_t>& bytes)
{
    return reinterpret_cast<const SourceEntry*>(bytes.data());
}

inline const EffectEntry* asEffect(const std::vector<std::uint8_t>& bytes)
{
    return reinterpret_cast<const EffectEntry*>(bytes.data());
}

using PointList = std::vector<std::vector<int>>;

inline PointList tempoPoints(Durad* durad)
{
    PointList points;
    for (const TempoPoint* p = musGetTempo(durad, 0); p; p = p->next)
        points.push_back({static_cast<int>(p->position), p->tempo});
    return points;
}

inline PointList beatList(Durad* durad)
{
    PointList points;
    for (const Beat* b = musGetBeat(durad, 0); b; b = b->next)
        points.push_back({static_cast<int>(b->position), b->beats, b->beatTicks});
    return points;
}

inline PointList loudPoints(Durad* durad, int track)
{
    PointList points;
    for (const LoudPoint* p = musGetLoud(durad, track, 0); p; p = p->next)
        points.push_back({static_cast<int>(p->position), p->loudness});
    return points;
}

inline PointList panoPoints(Durad* durad, int track)
{
    PointList points;
    for (const PanoPoint* p = musGetPano(durad, track, 0); p; p = p->next)
        points.push_back({static_cast<int>(p->position), p->x, p->y, p->z});
    return points;
}

inline PointList clefList(Durad* durad, int track)
{
    PointList points;
    for (const Clef* c = musGetClef(durad, track, 0); c; c = c->next)
        points.push_back({static_cast<int>(c->position), c->clef, c->key});
    return points;
}

// The pieces of the notes of one track, measure by measure, as (time, pitch in cents,
// length, kind), read through the measure table; portamento markers are left out.
inline PointList noteList(Durad* durad, int track)
{
    PointList notes;
    int last = track;
    const int lastMeasure = musGetMeasureIndex(durad, musGetDuradLength(durad));
    MeasureCell** table = musGetGMeasure(durad, track, &last, 0, lastMeasure);
    if (!table)
        return notes;
    for (int m = 0; m <= lastMeasure; ++m) {
        const MeasureCell& cell = table[0][m];
        for (int i = 0; i < cell.count; ++i) {
            const MeasureNote& piece = cell.notes[i];
            if (piece.kind != 1)
                notes.push_back({piece.time, piece.pitch, piece.length, piece.kind});
        }
    }
    return notes;
}

inline std::vector<std::vector<std::uint8_t>> sourceList(Durad* durad, int track)
{
    std::vector<std::vector<std::uint8_t>> entries;
    for (int i = 0; i < musGetSourceCount(durad, track); ++i) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(musGetSource(durad, track, i));
        entries.emplace_back(bytes, bytes + recordLength(bytes));
    }
    return entries;
}

inline std::vector<std::vector<std::uint8_t>> effectList(Durad* durad, int track)
{
    std::vector<std::vector<std::uint8_t>> entries;
    for (int i = 0; i < musGetEffectCount(durad, track); ++i) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(musGetEffect(durad, track, i));
        entries.emplace_back(bytes, bytes + recordLength(bytes));
    }
    return entries;
}

// Everything the interface shows of a Durad, for "nothing changed" comparisons.
struct Fingerprint {
    int trackCount = 0;
    int level = 0;
    PointList tempo;
    PointList beats;
    std::vector<PointList> clefs, loud, pano, notes;
    std::vector<std::vector<std::vector<std::uint8_t>>> sources, effects;
    bool operator==(const Fingerprint&) const = default;
};

inline Fingerprint fingerprint(Durad* durad)
{
    Fingerprint f;
    f.trackCount = musGetTrackCount(durad);
    f.level = musGetLevel(durad);
    f.tempo = tempoPoints(durad);
    f.beats = beatList(durad);
    for (int t = 0; t < f.trackCount; ++t) {
        f.clefs.push_back(clefList(durad, t));
        f.loud.push_back(loudPoints(durad, t));
        f.pano.push_back(panoPoints(durad, t));
        f.notes.push_back(noteList(durad, t));
        f.sources.push_back(sourceList(durad, t));
        f.effects.push_back(effectList(durad, t));
    }
    return f;
}

} // namespace orlim::testing
