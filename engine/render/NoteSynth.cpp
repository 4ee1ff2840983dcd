#include "engine/render/NoteSynth.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/render/BuiltInEffect.h"
#include "engine/render/Interpolator.h"
#include "engine/render/SynthMath.h"

namespace orlim {
namespace {

// How often the resampler looks at the stop word: a multiple of the run length.
constexpr std::uint32_t kStopCheckMask = 0xFFF;

// Span of a sample of `bytes` bytes, for the width factor between block and output.
double span(unsigned bytes)
{
    switch (bytes) {
    case 1:
        return 255.0;
    case 3:
        return 16777215.0;
    case 4:
        return 4294967295.0;
    default:
        return 65535.0;
    }
}

// mB per sample of an envelope segment; 0 for an empty one, which is never used.
double slope(std::int64_t from, std::int64_t to, std::int64_t start, std::int64_t end)
{
    return end == start ? 0.0 : static_cast<double>(to - from) / static_cast<double>(end - start);
}

} // namespace

NoteShape normalizeRequest(SampleRequest& r)
{
    NoteShape shape;
    const std::uint32_t rate = r.outRate;

    r.noteOff = std::min(r.noteOff, r.totalSamples);
    const std::uint64_t longest = std::uint64_t{3} * r.noteOff / 2;
    if (r.totalSamples > longest)
        r.totalSamples = static_cast<std::uint32_t>(longest);
    std::uint64_t release = r.totalSamples - r.noteOff;
    if (release < rate / 10) {
        release = rate / 10;
        r.totalSamples = saturatedUint32(std::uint64_t{r.noteOff} + release);
        release = r.totalSamples - r.noteOff;
    }
    shape.release = static_cast<std::uint32_t>(release);

    shape.tremoloPeriod = oscillatorPeriod(rate, r.tremoloRate);
    if (r.tremoloRate == 0)
        r.tremoloDepth = 0;
    shape.vibratoPeriod = oscillatorPeriod(rate, r.vibratoRate);
    if (r.vibratoRate == 0)
        r.vibratoDepth = 0;

    if (r.attackEnd > r.noteOff)
        r.attackEnd = 0;
    if (r.holdEnd > r.noteOff)
        r.holdEnd = 0;
    if (r.decayEnd > r.noteOff)
        r.decayEnd = 0;
    if (r.attackEnd == 0)
        r.levelAttack = r.levelStart;
    if (r.holdEnd == 0)
        r.levelHold = r.levelAttack;
    if (r.decayEnd == 0)
        r.levelDecay = r.levelHold;

    if (r.attackEnd != 0)
        shape.slopeAttack = slope(r.levelStart, r.levelAttack, r.delayEnd, r.attackEnd);
    if (r.holdEnd != 0)
        shape.slopeHold = slope(r.levelAttack, r.levelHold, r.attackEnd, r.holdEnd);
    if (r.decayEnd != 0)
        shape.slopeDecay = slope(r.levelHold, r.levelDecay, r.holdEnd, r.decayEnd);
    shape.slopeRelease = slope(r.levelDecay, r.levelNoteOff, r.decayEnd, r.noteOff);

    if (r.cutoff != 0) {
        // The coefficient refers to 44.1 kHz whatever the output rate.
        const double x = 2.0 * M_PI * (static_cast<double>(r.cutoff) / 1000.0) / 44100.0;
        shape.lowPass = std::exp(-x) - 1.0 + x;
    }
    if (r.cutoff == 0 || shape.lowPass > 1.0)
        shape.lowPass = 1.0;

    shape.widthFactor = span(r.outBytes) / span(r.sampleBytes);
    shape.smoothingWidth = rate / 5000;
    shape.blendLength = 0;

    const bool knownWidth = r.sampleBytes >= 1 && r.sampleBytes <= 4;
    shape.silent = !knownWidth || r.startOffset >= r.sampleLength || rate == 0 || !(frequencyOfCents(r.rootPitch) > 0.0);
    return shape;
}

bool NoteSynth::grow(std::uint64_t values)
{
    if (values > kMaxNoteSamples + 2)
        return false;
    if (values <= buffer_.size())
        return true;
    try {
        buffer_.resize(static_cast<std::size_t>(values));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

NoteSynth::Result NoteSynth::synthesize(const Note& note, Track& track, Durad& durad, SampleRequest& request,
                                        const void* block, bool builtInEffects, NoteCurves& curves,
                                        const std::atomic<std::int32_t>& stop)
{
    curves.build(note, track, durad, request.attenuation);
    shape_ = normalizeRequest(request);
    if (!grow(std::uint64_t{request.totalSamples} + 2))
        return Result::Skipped;
    if (builtInEffects)
        applyBuiltInEffect(track, note.position, request, curves, shape_);

    if (shape_.silent) {
        std::fill_n(buffer_.begin(), request.totalSamples, 0);
        return Result::Rendered;
    }
    const auto* points = static_cast<const unsigned char*>(block);
    bool done = false;
    switch (request.sampleBytes) {
    case 1:
        done = resample<1>(request, curves.pitch, points, stop);
        break;
    case 2:
        done = resample<2>(request, curves.pitch, points, stop);
        break;
    case 3:
        done = resample<3>(request, curves.pitch, points, stop);
        break;
    default:
        done = resample<4>(request, curves.pitch, points, stop);
        break;
    }
    if (!done || stop.load(std::memory_order_relaxed))
        return Result::Stopped;
    shapeEnvelope(request, curves.level);
    return Result::Rendered;
}

template <int Bytes>
bool NoteSynth::resample(const SampleRequest& r, PitchTable& pitch, const unsigned char* block,
                         const std::atomic<std::int32_t>& stop)
{
    const std::uint32_t total = r.totalSamples;
    std::int32_t* out = buffer_.data();
    const double ratio = static_cast<double>(r.sampleRate) / frequencyOfCents(r.rootPitch) / static_cast<double>(r.outRate);
    const double step = r.noteOff != 0 ? 1.0 / static_cast<double>(r.noteOff) : 0.0;
    double fraction = r.noteOff != 0 ? 0.0 : 1.0;

    // A block loops only with its loop inside it; any other block ends 6 points
    // before its last point, where the window would run out of points.
    const bool loops = r.loopStart < r.loopEnd && r.loopEnd <= r.sampleLength;
    const double loopStart = r.loopStart;
    const double loopEnd = r.loopEnd;
    const double loopLength = loopEnd - loopStart;
    const double endAt = static_cast<double>(r.sampleLength) - 6.0;

    const bool vibrato = r.vibratoDepth != 0;
    const std::uint64_t vibratoDelay = r.vibratoDelay;
    const double vibratoDepth = r.vibratoDepth;
    const std::int64_t vibratoPeriod = shape_.vibratoPeriod;
    const double lowPass = shape_.lowPass;
    const double* gains = shape_.harmonicGains;
    const bool unityGains = std::all_of(gains, gains + 11, [](double g) { return g == 1.0; });

    pitch.rewind();
    const bool steadyPitch = pitch.constant();
    const int steady = pitch.at(0.0);

    // Samples go in runs: first the read positions and the angles of a run, then its
    // interpolated values, then the low-pass, so the long computations of neighbouring
    // samples overlap instead of waiting for each other.
    Interpolator window;
    double p = r.startOffset;
    double s1 = 0.0;
    double s2 = 0.0;
    std::int32_t lastCents = steady;
    double lastFrequency = frequencyOfCents(steady);
    for (std::uint32_t first = 0; first < total; first += kRun) {
        if ((first & kStopCheckMask) == 0 && stop.load(std::memory_order_relaxed))
            return false;
        const std::uint32_t run = std::min(kRun, total - first);
        std::uint32_t count = run;
        for (std::uint32_t j = 0; j < run; ++j) {
            const std::uint32_t k = first + j;
            std::int32_t c = steadyPitch ? steady : pitch.at(fraction);
            if (vibrato && k > vibratoDelay)
                c += static_cast<std::int32_t>(truncToInt64(triangle(vibratoPeriod, k - vibratoDelay) * vibratoDepth));
            if (c != lastCents) {
                lastCents = c;
                lastFrequency = frequencyOfCents(c);
            }
            p += lastFrequency * ratio;
            if (loops) {
                if (p >= loopEnd) {
                    // A step over many loop lengths at once is taken in one go;
                    // otherwise the loop is wrapped as often as it takes.
                    if (p - loopEnd >= 64.0 * loopLength)
                        p = loopStart + std::fmod(p - loopStart, loopLength);
                    while (p >= loopEnd)
                        p = p - loopEnd + loopStart;
                }
            } else if (p >= endAt) {
                count = j;
                break;
            }
            const auto i = static_cast<std::int64_t>(p);
            starts_[j] = i - 6;
            if (i > 6)
                window.cosSin(Interpolator::angle(p, i - 6), cosines_[j], sines_[j]);
            fraction += step;
        }
        for (std::uint32_t j = 0; j < count; ++j) {
            if (starts_[j] > 0) {
                window.moveTo<Bytes>(starts_[j], block);
                values_[j] = window.value(cosines_[j], sines_[j], gains, unityGains);
            } else {
                values_[j] = 0.0;
            }
        }
        for (std::uint32_t j = 0; j < count; ++j) {
            s1 += values_[j];
            const double y = lowPass * (s1 - s2);
            s2 += y;
            out[first + j] = saturatedInt32(y);
        }
        if (count < run) {
            std::fill(out + first + count, out + total, 0);
            return true;
        }
    }
    return true;
}

void NoteSynth::shapeEnvelope(const SampleRequest& r, LevelTable& level)
{
    std::int32_t* buffer = buffer_.data();
    const std::uint32_t total = r.totalSamples;
    const double widthFactor = shape_.widthFactor;
    const std::uint32_t noteOff = r.noteOff;
    const double step = noteOff != 0 ? 1.0 / static_cast<double>(noteOff) : 0.0;

    level.rewind();
    std::int64_t l = std::int64_t{level.at(0.0)} + r.levelStart;
    std::uint32_t i = 0;
    // A linear rise over the delay.
    {
        const std::uint32_t end = std::min(r.delayEnd, total);
        const double gain = levelGain(l);
        const double delay = r.delayEnd;
        for (; i < end; ++i)
            buffer[i] = saturatedInt32(static_cast<double>(i) * gain * widthFactor / delay * static_cast<double>(buffer[i]));
    }
    double fraction = noteOff != 0 ? static_cast<double>(i) / static_cast<double>(noteOff) : 1.0;
    const auto segment = [&](std::uint32_t segmentEnd, std::int64_t base, std::uint32_t start, double slope) {
        const std::uint32_t end = std::min(segmentEnd, total);
        for (; i < end; ++i) {
            l = std::int64_t{level.at(fraction)} + base +
                floorToInt64(static_cast<double>(std::int64_t{i} - start) * slope);
            buffer[i] = saturatedInt32(static_cast<double>(buffer[i]) * (levelGain(l) * widthFactor));
            fraction += step;
        }
    };
    segment(r.attackEnd, r.levelStart, r.delayEnd, shape_.slopeAttack);
    segment(r.holdEnd, r.levelAttack, r.attackEnd, shape_.slopeHold);
    segment(r.decayEnd, r.levelHold, r.holdEnd, shape_.slopeDecay);
    segment(noteOff, r.levelDecay, r.decayEnd, shape_.slopeRelease);
    {
        const double gain = levelGain(l) * widthFactor;
        for (; i < total; ++i)
            buffer[i] = saturatedInt32(static_cast<double>(buffer[i]) * gain);
    }

    if (r.tremoloDepth != 0) {
        const std::int64_t period = shape_.tremoloPeriod;
        const double depth = r.tremoloDepth;
        for (std::uint64_t j = 0, at = r.tremoloDelay; at < total; ++j, ++at) {
            const std::int64_t tremolo = floorToInt64(triangle(period, j) * depth);
            buffer[at] = saturatedInt32(static_cast<double>(buffer[at]) * levelGain(tremolo));
        }
    }

    const std::uint32_t release = shape_.release;
    for (std::uint32_t j = 0; j < release; ++j) {
        std::int32_t& value = buffer[total - 1 - j];
        value = saturatedInt32(static_cast<double>(value) * (static_cast<double>(j) / static_cast<double>(release)));
    }
}

} // namespace orlim
