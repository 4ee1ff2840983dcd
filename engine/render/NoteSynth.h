#pragma once
// Note synthesis: turns the sample block a source plug-in returned for a note into
// the note buffer, signed 32-bit values at the output rate in the output's full
// scale. It resamples the block along the note's pitch curve and vibrato through the
// trigonometric interpolator, smooths it with a one-pole low-pass, shapes it with the
// plug-in's envelope and the note's level curve, adds tremolo and fades the release.
// Every step keeps its integer widths and order of operations, so the buffer holds
// the same bits on every run and machine.
//
// Render thread only. The note buffer grows between notes and is reused; nothing is
// allocated per sample.

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/model/Durad.h"
#include "engine/render/NoteCurves.h"
#include "plugin-api/SampleRequest.h"

namespace orlim {

// What the request's normalization derives for one note; the built-in effect
// parameters of an "effect.dll" entry may replace parts of it.
struct NoteShape {
    std::uint32_t release = 0;       // samples of the release fade at the end
    std::int64_t tremoloPeriod = 0;  // samples, a multiple of 4
    std::int64_t vibratoPeriod = 0;
    double slopeAttack = 0.0;        // envelope segments, mB per sample
    double slopeHold = 0.0;
    double slopeDecay = 0.0;
    double slopeRelease = 0.0;
    double lowPass = 1.0;            // one-pole coefficient; 1 leaves the signal alone
    double widthFactor = 1.0;        // output span over the block's span
    double harmonicGains[11] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    std::uint64_t smoothingWidth = 0; // mixing's moving average, samples
    std::int64_t blendLength = 0;     // samples over which the average blends in
    bool silent = false;             // the block cannot be played: the note is all zeros
};

// Normalizes the request (release and lengths, oscillator periods, envelope ends and
// slopes, low-pass, widths) and derives the note's shape. Also decides whether the
// block can be played at all: a block of an unknown width, a start beyond its end or
// a root pitch or output rate without frequency give a silent note.
NoteShape normalizeRequest(SampleRequest& request);

// The most values a note buffer may hold; a longer note is left out.
inline constexpr std::uint64_t kMaxNoteSamples = std::uint64_t{1} << 28;

class NoteSynth {
public:
    enum class Result {
        Rendered, // the buffer holds request.totalSamples values
        Stopped,  // the pass's stop word was set; the buffer is incomplete
        Skipped,  // the buffer could not be made large enough
    };

    // Builds the note's curves into `curves` and synthesizes the note into the note
    // buffer. `builtInEffects` applies the parameters of the track's first active
    // "effect.dll" entry. On return `request` holds the normalized lengths.
    Result synthesize(const Note& note, Track& track, Durad& durad, SampleRequest& request, const void* block,
                      bool builtInEffects, NoteCurves& curves, const std::atomic<std::int32_t>& stop);

    std::int32_t* values() { return buffer_.data(); }
    const std::int32_t* values() const { return buffer_.data(); }
    // Values the buffer holds room for.
    std::size_t capacity() const { return buffer_.size(); }
    // The shape of the last note synthesized.
    const NoteShape& shape() const { return shape_; }

private:
    bool grow(std::uint64_t values);
    template <int Bytes>
    bool resample(const SampleRequest& request, PitchTable& pitch, const unsigned char* block,
                  const std::atomic<std::int32_t>& stop);
    void shapeEnvelope(const SampleRequest& request, LevelTable& level);

    std::vector<std::int32_t> buffer_ = std::vector<std::int32_t>(2);
    NoteShape shape_;
    // One run of the resampler: window starts, scaled cosines and sines, values.
    static constexpr std::uint32_t kRun = 64;
    std::int64_t starts_[kRun];
    std::int32_t cosines_[kRun];
    std::int32_t sines_[kRun];
    double values_[kRun];
};

} // namespace orlim
