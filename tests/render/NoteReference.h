#pragma once
// A plain transcription of note synthesis, written apart from the engine's own code
// and kept slow on purpose: every formula as it reads, no tables, caches or shortcuts.
// The tests compare the engine's note buffers with it sample for sample.

#include <cstdint>
#include <vector>

#include "engine/model/Durad.h"
#include "plugin-api/SampleRequest.h"

namespace orlim::testing::reference {

// F[i] = floor(261630 x 2^(i / 1200)).
std::int64_t octaveMilliHz(int i);
double frequency(int cents);
// sin(j x 15 degrees) x 4096 as the resampler's table gives it.
std::int64_t sine4096(int j);
double triangle(std::int64_t period, std::int64_t step);

// One interpolated value: the window holds points w .. w + 11 of `points`, p is the
// read position.
double interpolate(const std::vector<std::int64_t>& points, std::int64_t w, double p, const double gains[11]);

struct Note {
    std::vector<std::int32_t> buffer; // totalSamples values
    SampleRequest request;            // as normalization left it
    std::uint64_t smoothingWidth = 0;
    std::int64_t blendLength = 0;
};

// Synthesizes `note` of `track` from the request as the source answered it and the
// block's points (already read as integers).
Note synthesize(const ::Note& note, Track& track, Durad& durad, SampleRequest request,
                const std::vector<std::int64_t>& points, bool builtInEffects);

// The block's points read as signed little-endian integers of `bytes` bytes.
std::vector<std::int64_t> readPoints(const unsigned char* block, std::size_t count, unsigned bytes);

} // namespace orlim::testing::reference
