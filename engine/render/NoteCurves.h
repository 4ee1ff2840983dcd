#pragma once
// The curves of the note being rendered, as breakpoint tables over its sounding
// duration (times in 1/10000 of it): the level from the track's loudness curve and
// the note's expression, the pan from the track's pan curve, the pitch from the
// note's portamento. Rebuilt for every note into tables that keep their capacity,
// and read through cursors that only move forward within one use.
// Render thread only.

#include <cstdint>
#include <vector>

#include "engine/model/Durad.h"

namespace orlim {

// A pan point: x spreads channels 0 and 1, y channels 2 and 3, z channels 4 and 5.
struct PanTriple {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t z = 0;
    friend bool operator==(const PanTriple&, const PanTriple&) = default;
};

// The track's loudness at a position, which may lie between ticks: the loudness
// point in force, interpolated toward the next one.
int trackLoudness(Track& track, double position);

// The track's pan at a position, each coordinate interpolated between the point in
// force and the next one.
PanTriple trackPan(Track& track, std::uint32_t position);

// Time in the tables of a fraction of the duration: floor(10000 x fraction).
inline std::int64_t curveTime(double fraction);

class LevelTable {
public:
    struct Entry {
        std::uint32_t time;
        std::int16_t level; // mB
    };

    void clear() { entries_.clear(); }
    void add(std::uint32_t time, std::int64_t level);
    // Orders the entries by time, keeping the first of equal times, and drops an
    // entry that repeats its predecessor's level unless it is the last.
    void tidy();
    // Adds `offset` mB to every entry.
    void shift(std::int64_t offset);

    // Starts a use: the cursor goes back to the first entry.
    void rewind();
    // The level at `fraction`, for fractions that do not decrease since rewind().
    int at(double fraction);

    const std::vector<Entry>& entries() const { return entries_; }

private:
    void takeSlope();

    std::vector<Entry> entries_;
    std::size_t cursor_ = 0;
    double slope_ = 0.0; // mB per table time unit of the cursor's segment
};

class PanTable {
public:
    struct Entry {
        std::uint32_t time;
        PanTriple pan;
    };

    void clear() { entries_.clear(); }
    void add(std::uint32_t time, PanTriple pan);
    void rewind() { cursor_ = 0; }
    PanTriple at(double fraction);
    // True when the pan never changes over the note.
    bool constant() const { return entries_.size() == 1; }

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    std::size_t cursor_ = 0;
};

class PitchTable {
public:
    struct Entry {
        std::uint32_t time;
        std::int16_t pitch; // cents
    };

    void clear() { entries_.clear(); }
    void add(std::uint32_t time, std::int64_t pitch);
    void rewind() { cursor_ = 0; }
    int at(double fraction);
    bool constant() const { return entries_.size() == 1; }

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    std::size_t cursor_ = 0;
};

struct NoteCurves {
    // Rebuilds the three tables for `note` of `track`; `attenuation` is the mB the
    // source takes off every level of the note.
    void build(const Note& note, Track& track, Durad& durad, std::int16_t attenuation);

    LevelTable level;
    PanTable pan;
    PitchTable pitch;
};

inline std::int64_t curveTime(double fraction)
{
    // Fractions are never negative, so the floor is a truncation; saturate far out.
    const double t = 10000.0 * fraction;
    return t >= 9.2e18 ? static_cast<std::int64_t>(9.2e18) : static_cast<std::int64_t>(t);
}

} // namespace orlim
