#include "engine/render/NoteCurves.h"

#include <cmath>
#include <limits>

#include "engine/render/SynthMath.h"

namespace orlim {
namespace {

// Tables grow by this many entries at a time.
constexpr std::size_t kGrowth = 64;

template <class Entry>
void push(std::vector<Entry>& entries, const Entry& entry)
{
    if (entries.size() == entries.capacity())
        entries.reserve(entries.capacity() + kGrowth);
    entries.push_back(entry);
}

std::uint32_t positionAtOrBefore(double position)
{
    if (!(position > 0.0))
        return 0;
    if (position >= 4294967295.0)
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(position);
}

// Interpolation between two table entries: floor((t - t0) x (v1 - v0) / (t1 - t0)).
std::int64_t between(std::int64_t t, std::int64_t t0, std::int64_t v0, std::int64_t t1, std::int64_t v1)
{
    return v0 + floorDivide((t - t0) * (v1 - v0), t1 - t0);
}

} // namespace

int trackLoudness(Track& track, double position)
{
    const LoudPoint* point = loudInForce(track, positionAtOrBefore(position));
    if (!point->next)
        return point->loudness;
    const LoudPoint* next = point->next;
    const double l0 = point->loudness;
    const double value = l0 + (static_cast<double>(next->loudness) - l0) * (position - point->position) /
                                  (static_cast<double>(next->position) - point->position);
    return static_cast<int>(truncToInt64(value));
}

PanTriple trackPan(Track& track, std::uint32_t position)
{
    const PanoPoint* point = panoInForce(track, position);
    if (!point->next)
        return {point->x, point->y, point->z};
    const PanoPoint* next = point->next;
    const std::int64_t done = std::int64_t{position} - point->position;
    const std::int64_t span = std::int64_t{next->position} - point->position;
    const auto coordinate = [&](std::int16_t c0, std::int16_t c1) {
        return saturatedInt16(c0 + done * (std::int64_t{c1} - c0) / span);
    };
    return {coordinate(point->x, next->x), coordinate(point->y, next->y), coordinate(point->z, next->z)};
}

void LevelTable::add(std::uint32_t time, std::int64_t level)
{
    push(entries_, Entry{time, saturatedInt16(level)});
}

void LevelTable::tidy()
{
    // The entries come as a few ascending runs: a stable insertion sort is quick
    // and needs no memory of its own.
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        const Entry entry = entries_[i];
        std::size_t j = i;
        while (j > 0 && entries_[j - 1].time > entry.time) {
            entries_[j] = entries_[j - 1];
            --j;
        }
        entries_[j] = entry;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (kept == 0 || entries_[kept - 1].time != entries_[i].time)
            entries_[kept++] = entries_[i];
    entries_.resize(kept);
    // After a removal the walk goes on with the next place, so the entry that moved
    // up is not compared again.
    for (std::size_t i = 1; i < entries_.size(); ++i)
        if (entries_[i].level == entries_[i - 1].level && i + 1 != entries_.size())
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

void LevelTable::shift(std::int64_t offset)
{
    for (Entry& entry : entries_)
        entry.level = saturatedInt16(entry.level + offset);
}

void LevelTable::rewind()
{
    cursor_ = 0;
    takeSlope();
}

void LevelTable::takeSlope()
{
    if (cursor_ + 1 < entries_.size()) {
        const Entry& a = entries_[cursor_];
        const Entry& b = entries_[cursor_ + 1];
        slope_ = static_cast<double>(b.level - a.level) /
                 static_cast<double>(std::int64_t{b.time} - std::int64_t{a.time});
    }
}

int LevelTable::at(double fraction)
{
    const std::int64_t t = curveTime(fraction);
    bool moved = false;
    while (cursor_ + 1 < entries_.size() && entries_[cursor_ + 1].time <= t) {
        ++cursor_;
        moved = true;
    }
    if (moved)
        takeSlope();
    const Entry& entry = entries_[cursor_];
    if (cursor_ + 1 >= entries_.size())
        return entry.level;
    return static_cast<int>(entry.level + floorToInt64(static_cast<double>(t - entry.time) * slope_));
}

void PanTable::add(std::uint32_t time, PanTriple pan)
{
    push(entries_, Entry{time, pan});
}

PanTriple PanTable::at(double fraction)
{
    const std::int64_t t = curveTime(fraction);
    while (cursor_ + 1 < entries_.size() && entries_[cursor_ + 1].time <= t)
        ++cursor_;
    const Entry& entry = entries_[cursor_];
    if (cursor_ + 1 >= entries_.size())
        return entry.pan;
    const Entry& next = entries_[cursor_ + 1];
    const auto coordinate = [&](std::int16_t c0, std::int16_t c1) {
        return saturatedInt16(between(t, entry.time, c0, next.time, c1));
    };
    return {coordinate(entry.pan.x, next.pan.x), coordinate(entry.pan.y, next.pan.y),
            coordinate(entry.pan.z, next.pan.z)};
}

void PitchTable::add(std::uint32_t time, std::int64_t pitch)
{
    push(entries_, Entry{time, saturatedInt16(pitch)});
}

int PitchTable::at(double fraction)
{
    const std::int64_t t = curveTime(fraction);
    while (cursor_ + 1 < entries_.size() && entries_[cursor_ + 1].time <= t)
        ++cursor_;
    const Entry& entry = entries_[cursor_];
    if (cursor_ + 1 >= entries_.size())
        return entry.pitch;
    const Entry& next = entries_[cursor_ + 1];
    return static_cast<int>(between(t, entry.time, entry.pitch, next.time, next.pitch));
}

void NoteCurves::build(const Note& note, Track& track, Durad& durad, std::int16_t attenuation)
{
    const std::int64_t e = std::int64_t{note.legato} * note.duration / 1000;
    const std::uint32_t pos = note.position;
    const std::int64_t end = pos + e;
    const std::int64_t a = std::int64_t{durad.level} - attenuation;

    level.clear();
    level.add(0, trackLoudness(track, pos) + loudnessAtFraction(note, 0.0) + a);
    for (const LoudPoint* q = loudInForce(track, pos); q && q->position < end; q = q->next) {
        if (q->position > pos) {
            const double phi = static_cast<double>(q->position - pos) / static_cast<double>(e);
            level.add(static_cast<std::uint32_t>(std::floor(10000.0 * phi)),
                      std::int64_t{loudnessAtFraction(note, phi)} + q->loudness + a);
        }
    }
    for (int i = 0; i < note.expressionCount && note.expression; ++i) {
        const CurvePoint& point = note.expression[i];
        const double at = pos + static_cast<double>(e * point.x) / 1000.0;
        level.add(static_cast<std::uint32_t>(10 * point.x),
                  std::int64_t{trackLoudness(track, at)} + note.loudness + point.y + a);
    }
    level.tidy();

    pan.clear();
    pan.add(0, trackPan(track, pos));
    for (const PanoPoint* q = panoInForce(track, pos); q && q->position < end; q = q->next) {
        if (q->position > pos) {
            const auto time = static_cast<std::uint32_t>((std::uint64_t{q->position - pos} * 10000) /
                                                         static_cast<std::uint64_t>(e));
            pan.add(time, {q->x, q->y, q->z});
        }
    }

    pitch.clear();
    pitch.add(0, pitchAtFraction(note, 0.0));
    for (int i = 0; i < note.portamentoCount && note.portamento; ++i) {
        const CurvePoint& point = note.portamento[i];
        pitch.add(static_cast<std::uint32_t>(10 * point.x),
                  std::int64_t{point.y} + note.tune + 100 * std::int64_t{note.pitch});
    }
}

} // namespace orlim
