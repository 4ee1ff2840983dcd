#include "tests/render/NoteReference.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "plugin-api/Entries.h"

namespace orlim::testing::reference {
namespace {

std::int32_t store32(double value)
{
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<std::int32_t>(std::trunc(value));
}

std::int16_t store16(std::int64_t value)
{
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

// ---- the note's tables -----------------------------------------------------------

struct Entry {
    std::int64_t time;
    std::int64_t v[3];
};

struct Table {
    std::vector<Entry> entries;
    std::size_t cursor = 0;
    bool withSlope = false;
    double slope = 0.0;

    void start()
    {
        cursor = 0;
        computeSlope();
    }
    void computeSlope()
    {
        if (withSlope && cursor + 1 < entries.size())
            slope = double(entries[cursor + 1].v[0] - entries[cursor].v[0]) /
                    double(entries[cursor + 1].time - entries[cursor].time);
    }
    // Values at fraction phi (phi never decreases between two start() calls).
    std::int64_t at(double phi, int coordinate = 0)
    {
        const std::int64_t t = static_cast<std::int64_t>(std::floor(10000.0 * phi));
        bool moved = false;
        while (cursor + 1 < entries.size() && entries[cursor + 1].time <= t) {
            ++cursor;
            moved = true;
        }
        if (moved)
            computeSlope();
        const Entry& c = entries[cursor];
        if (cursor + 1 == entries.size())
            return c.v[coordinate];
        const Entry& n = entries[cursor + 1];
        if (withSlope)
            return c.v[0] + static_cast<std::int64_t>(std::floor(double(t - c.time) * slope));
        const double exact = double((t - c.time) * (n.v[coordinate] - c.v[coordinate])) / double(n.time - c.time);
        return c.v[coordinate] + static_cast<std::int64_t>(std::floor(exact));
    }
};

int loudnessOfTrack(Track& track, double p)
{
    const LoudPoint* inForce = track.loudPoints;
    for (const LoudPoint* q = track.loudPoints; q; q = q->next)
        if (q->position <= p)
            inForce = q;
    if (!inForce->next)
        return inForce->loudness;
    const LoudPoint* next = inForce->next;
    return static_cast<int>(std::trunc(inForce->loudness + double(next->loudness - inForce->loudness) *
                                                               (p - inForce->position) /
                                                               double(next->position - inForce->position)));
}

const PanoPoint* panInForce(Track& track, std::uint32_t p)
{
    const PanoPoint* inForce = track.panoPoints;
    for (const PanoPoint* q = track.panoPoints; q; q = q->next)
        if (q->position <= p)
            inForce = q;
    return inForce;
}

const LoudPoint* loudInForceAt(Track& track, std::uint32_t p)
{
    const LoudPoint* inForce = track.loudPoints;
    for (const LoudPoint* q = track.loudPoints; q; q = q->next)
        if (q->position <= p)
            inForce = q;
    return inForce;
}

// The note's pitch or loudness at fraction f of its curve.
int alongCurve(int base, const CurvePoint* points, int count, double f)
{
    if (count <= 0)
        return base;
    f = std::min(f, 1.0);
    const double p = f * 1000;
    int i = 0;
    while (i < count && points[i].x < p)
        i++;
    if (i == count)
        return base + points[count - 1].y;
    const double x0 = i > 0 ? points[i - 1].x : 0;
    const double y0 = i > 0 ? points[i - 1].y : 0;
    if (x0 == points[i].x)
        return base + points[i].y;
    return base + static_cast<int>(std::trunc(y0 + (points[i].y - y0) * (p - x0) / (points[i].x - x0)));
}

struct Curves {
    Table level;
    Table pan;
    Table pitch;
};

Curves buildCurves(const ::Note& n, Track& track, Durad& durad, int attenuation)
{
    Curves curves;
    curves.level.withSlope = true;
    const std::int64_t e = (std::int64_t(n.legato) * n.duration) / 1000;
    const std::uint32_t pos = n.position;
    const std::int64_t A = durad.level - attenuation;
    const int noteLoudness0 = alongCurve(n.loudness, n.expression, n.expressionCount, 0.0);

    std::vector<Entry>& level = curves.level.entries;
    level.push_back({0, {store16(loudnessOfTrack(track, pos) + noteLoudness0 + A), 0, 0}});
    for (const LoudPoint* q = loudInForceAt(track, pos); q && std::int64_t(q->position) < pos + e; q = q->next) {
        if (q->position > pos) {
            const double phi = double(q->position - pos) / double(e);
            level.push_back({static_cast<std::int64_t>(std::floor(10000 * phi)),
                             {store16(alongCurve(n.loudness, n.expression, n.expressionCount, phi) + q->loudness + A), 0, 0}});
        }
    }
    for (int i = 0; i < n.expressionCount; i++) {
        const CurvePoint& c = n.expression[i];
        const double at = pos + double(e * c.x) / 1000;
        level.push_back({std::int64_t(std::uint32_t(10 * c.x)),
                         {store16(loudnessOfTrack(track, at) + n.loudness + c.y + A), 0, 0}});
    }
    // Passes of adjacent exchanges until one changes nothing; the later of two equal
    // times goes.
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i + 1 < level.size();) {
            if (level[i].time > level[i + 1].time) {
                std::swap(level[i], level[i + 1]);
                changed = true;
                i++;
            } else if (level[i].time == level[i + 1].time) {
                level.erase(level.begin() + long(i) + 1);
                changed = true;
            } else {
                i++;
            }
        }
    }
    for (std::size_t i = 1; i < level.size(); i++) {
        if (level[i].v[0] == level[i - 1].v[0] && i != level.size() - 1)
            level.erase(level.begin() + long(i));
    }

    const PanoPoint* p0 = panInForce(track, pos);
    std::int64_t start[3] = {p0->x, p0->y, p0->z};
    if (p0->next) {
        const PanoPoint* p1 = p0->next;
        const std::int64_t c1[3] = {p1->x, p1->y, p1->z};
        for (int c = 0; c < 3; c++)
            start[c] = start[c] + (std::int64_t(pos) - p0->position) * (c1[c] - start[c]) /
                                      (std::int64_t(p1->position) - p0->position);
    }
    curves.pan.entries.push_back({0, {start[0], start[1], start[2]}});
    for (const PanoPoint* q = p0; q && std::int64_t(q->position) < pos + e; q = q->next)
        if (q->position > pos)
            curves.pan.entries.push_back(
                {std::int64_t((std::uint64_t(q->position - pos) * 10000u) / std::uint64_t(e)), {q->x, q->y, q->z}});

    curves.pitch.entries.push_back({0, {alongCurve(n.pitch * 100 + n.tune, n.portamento, n.portamentoCount, 0.0), 0, 0}});
    for (int i = 0; i < n.portamentoCount; i++)
        curves.pitch.entries.push_back(
            {std::int64_t(std::uint32_t(10 * n.portamento[i].x)), {n.portamento[i].y + n.tune + 100 * n.pitch, 0, 0}});
    return curves;
}

std::int64_t period(std::uint32_t rate, std::int64_t milliHz)
{
    if (milliHz <= 0)
        return 0;
    const std::int64_t t = std::int64_t(rate) * 1000 / milliHz;
    return t / 4 * 4;
}

std::int16_t field16(const EffectNode& effect, std::size_t offset)
{
    std::int16_t value;
    std::memcpy(&value, effect.entry.data() + offset, 2);
    return value;
}

} // namespace

std::int64_t octaveMilliHz(int i)
{
    return static_cast<std::int64_t>(std::floor(261630 * std::pow(2.0, i / 1200.0)));
}

double frequency(int cents)
{
    const int c = std::clamp(cents, -32768, 32767);
    if (c >= 6000) {
        const int d = c - 6000;
        return double(octaveMilliHz(d % 1200) << (d / 1200)) * 0.001;
    }
    const int d = 6000 - c;
    const int o = d / 1200 + 1;
    if (o >= 32)
        return 0.0;
    return double((octaveMilliHz(1200 * o - d) * 16) >> o) * 0.0625 * 0.001;
}

std::int64_t sine4096(int j)
{
    static const std::int64_t first[7] = {0, 1060, 2048, 2896, 3547, 3956, 4096};
    j %= 24;
    if (j >= 12)
        return -sine4096(j - 12);
    if (j > 6)
        return sine4096(12 - j);
    return first[j];
}

double triangle(std::int64_t T, std::int64_t j)
{
    if (T < 4)
        return 0;
    const double c = double(j % T);
    const double q = T / 4.0;
    if (c < q)
        return c / q;
    if (c <= 3 * q)
        return 1 - (c - q) / q;
    return (c - 3 * q) / q - 1;
}

double interpolate(const std::vector<std::int64_t>& points, std::int64_t w, double p, const double gains[11])
{
    std::int64_t coefficient[12] = {};
    for (int m = 1; m <= 11; m++)
        for (int n = 1; n <= 11; n++)
            coefficient[m] += points[std::size_t(w + n)] * sine4096(m * n);
    const double theta = (p - double(w)) * M_PI / 12;
    const std::int64_t cq = static_cast<std::int64_t>(std::trunc(32768 * std::cos(theta)));
    const std::int64_t sq = static_cast<std::int64_t>(std::trunc(32768 * std::sin(theta)));
    std::int64_t C = 32768;
    std::int64_t S = 0;
    double sum = 0;
    for (int m = 1; m <= 11; m++) {
        const std::int64_t S2 = (C * sq + S * cq) >> 15;
        const std::int64_t C2 = (C * cq - S * sq) >> 15;
        sum += double(S2) * std::pow(2.0, -15) * double(coefficient[m]) * std::pow(2.0, -12) * gains[m - 1];
        C = C2;
        S = S2;
    }
    return sum / 6;
}

std::vector<std::int64_t> readPoints(const unsigned char* block, std::size_t count, unsigned bytes)
{
    std::vector<std::int64_t> points(count);
    for (std::size_t i = 0; i < count; i++) {
        std::uint64_t raw = 0;
        for (unsigned b = 0; b < bytes; b++)
            raw |= std::uint64_t(block[i * bytes + b]) << (8 * b);
        const std::uint64_t sign = std::uint64_t(1) << (8 * bytes - 1);
        points[i] = std::int64_t(raw ^ sign) - std::int64_t(sign);
    }
    return points;
}

Note synthesize(const ::Note& n, Track& track, Durad& durad, SampleRequest r, const std::vector<std::int64_t>& points,
                bool builtInEffects)
{
    Curves curves = buildCurves(n, track, durad, r.attenuation);
    const std::uint32_t rate = r.outRate;

    // Normalization.
    if (r.noteOff > r.totalSamples)
        r.noteOff = r.totalSamples;
    if (r.totalSamples > std::uint64_t(3) * r.noteOff / 2)
        r.totalSamples = std::uint32_t(std::uint64_t(3) * r.noteOff / 2);
    std::uint32_t rel = r.totalSamples - r.noteOff;
    if (rel < rate / 10) {
        rel = rate / 10;
        r.totalSamples = r.noteOff + rel;
    }
    std::int64_t Tm = period(rate, r.tremoloRate);
    if (r.tremoloRate == 0)
        r.tremoloDepth = 0;
    std::int64_t Tv = period(rate, r.vibratoRate);
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
    const auto slope = [](int a, int b, std::int64_t from, std::int64_t to) {
        return from == to ? 0.0 : double(b - a) / double(to - from);
    };
    const double sA = slope(r.levelStart, r.levelAttack, r.delayEnd, r.attackEnd);
    const double sH = slope(r.levelAttack, r.levelHold, r.attackEnd, r.holdEnd);
    const double sD = slope(r.levelHold, r.levelDecay, r.holdEnd, r.decayEnd);
    const double sR = slope(r.levelDecay, r.levelNoteOff, r.decayEnd, r.noteOff);
    double a = 1;
    if (r.cutoff != 0) {
        const double x = 2 * M_PI * (r.cutoff / 1000.0) / 44100;
        a = std::exp(-x) - 1 + x;
    }
    if (r.cutoff == 0 || a > 1)
        a = 1;
    const auto spanOf = [](unsigned bytes) {
        return bytes == 1 ? 255.0 : bytes == 3 ? 16777215.0 : bytes == 4 ? 4294967295.0 : 65535.0;
    };
    const double K = spanOf(r.outBytes) / spanOf(r.sampleBytes);
    double h[11];
    for (double& gain : h)
        gain = 1.0;
    Note result;
    result.smoothingWidth = rate / 5000;
    result.blendLength = 0;

    if (builtInEffects) {
        for (int i = 0; const EffectNode* e = activeEffect(track, n.position, i); i++) {
            const std::string_view name = entryFileName(e->entry.data());
            if (name.size() != 10 || strncasecmp(name.data(), "effect.dll", 10) != 0)
                continue;
            if (e->entry.length() >= 144) {
                const std::uint8_t bits = e->entry.data()[76];
                if (bits & 1)
                    for (Entry& entry : curves.level.entries)
                        entry.v[0] = store16(entry.v[0] + 10 * field16(*e, 126));
                if (bits & 4)
                    for (int m = 0; m < 11; m++)
                        h[m] = std::pow(10.0, 10 * field16(*e, 102 + 2 * std::size_t(m)) / 2000.0);
                if (bits & 8) {
                    Tv = period(rate, field16(*e, 130));
                    r.vibratoDelay = std::uint32_t(field16(*e, 128));
                    r.vibratoDepth = field16(*e, 132);
                }
                if (bits & 16) {
                    Tm = period(rate, field16(*e, 136));
                    r.tremoloDelay = std::uint32_t(field16(*e, 134));
                    r.tremoloDepth = store16(10 * field16(*e, 138));
                }
                if (bits & 2) {
                    result.blendLength = static_cast<std::int64_t>(std::floor(field16(*e, 140) * 0.001 * rate));
                    const int width = field16(*e, 142);
                    result.smoothingWidth = width < 0 ? 0 : std::uint64_t(width) * rate / 500000;
                }
            }
            break;
        }
    }

    const std::uint32_t total = r.totalSamples;
    std::vector<std::int32_t>& buffer = result.buffer;
    buffer.assign(total, 0);

    const bool playable = r.sampleBytes >= 1 && r.sampleBytes <= 4 && r.startOffset < r.sampleLength && rate != 0 &&
                          frequency(r.rootPitch) > 0;
    if (playable) {
        // Resampling.
        double p = r.startOffset;
        const double r0 = r.sampleRate / frequency(r.rootPitch) / rate;
        double phi = r.noteOff == 0 ? 1.0 : 0.0 / r.noteOff;
        double s1 = 0, s2 = 0;
        const bool loops = r.loopStart < r.loopEnd && r.loopEnd <= r.sampleLength;
        curves.pitch.start();
        for (std::uint32_t k = 0; k < total; k++) {
            std::int64_t c = curves.pitch.at(phi);
            if (r.vibratoDepth != 0 && k > r.vibratoDelay)
                c += static_cast<std::int64_t>(std::trunc(triangle(Tv, std::int64_t(k) - r.vibratoDelay) * r.vibratoDepth));
            p += frequency(int(c)) * r0;
            std::int64_t i = static_cast<std::int64_t>(std::floor(p));
            if (loops) {
                while (i >= std::int64_t(r.loopEnd)) {
                    p = p - r.loopEnd + r.loopStart;
                    i = static_cast<std::int64_t>(std::floor(p));
                }
            } else if (i + 6 >= std::int64_t(r.sampleLength)) {
                break; // the rest stays 0
            }
            double value = 0;
            if (i > 6)
                value = interpolate(points, i - 6, p, h);
            s1 += value;
            const double y = a * (s1 - s2);
            s2 += y;
            buffer[k] = store32(y);
            if (r.noteOff != 0)
                phi += 1.0 / r.noteOff;
        }

        // Envelope.
        const auto g = [](std::int64_t l) { return std::pow(10.0, l / 2000.0); };
        curves.level.start();
        std::int64_t l = curves.level.at(0) + r.levelStart;
        std::uint32_t i = 0;
        for (; i < r.delayEnd && i < total; i++)
            buffer[i] = store32(i * g(l) * K / r.delayEnd * buffer[i]);
        double f = r.noteOff == 0 ? 1.0 : double(i) / r.noteOff;
        const std::uint32_t ends[4] = {r.attackEnd, r.holdEnd, r.decayEnd, r.noteOff};
        const std::int64_t bases[4] = {r.levelStart, r.levelAttack, r.levelHold, r.levelDecay};
        const std::int64_t starts[4] = {r.delayEnd, r.attackEnd, r.holdEnd, r.decayEnd};
        const double slopes[4] = {sA, sH, sD, sR};
        for (int segment = 0; segment < 4; segment++) {
            for (; i < ends[segment] && i < total; i++) {
                l = curves.level.at(f) + bases[segment] +
                    static_cast<std::int64_t>(std::floor((std::int64_t(i) - starts[segment]) * slopes[segment]));
                buffer[i] = store32(buffer[i] * (g(l) * K));
                if (r.noteOff != 0)
                    f += 1.0 / r.noteOff;
            }
        }
        for (; i < total; i++)
            buffer[i] = store32(buffer[i] * (g(l) * K));
        if (r.tremoloDepth != 0)
            for (std::uint64_t at = r.tremoloDelay; at < total; at++)
                buffer[at] = store32(
                    buffer[at] *
                    g(static_cast<std::int64_t>(std::floor(triangle(Tm, std::int64_t(at - r.tremoloDelay)) * r.tremoloDepth))));
        for (std::uint32_t j = 0; j < rel; j++)
            buffer[total - 1 - j] = store32(buffer[total - 1 - j] * (double(j) / rel));
    }
    result.request = r;
    return result;
}

} // namespace orlim::testing::reference
