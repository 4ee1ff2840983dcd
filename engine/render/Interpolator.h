#pragma once
// The resampler's trigonometric interpolator. It holds a window of 12 points of the
// sample block and the 11 harmonic coefficients of that window, computed in integers;
// a value between the points is the sum of the harmonics, whose sines come from one
// cosine and one sine by a fixed-point rotation. The coefficients are recomputed only
// when the window moves. Render thread, no allocation.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orlim {

// One point of a sample block of `Bytes` bytes per point: a signed little-endian
// integer whose sign comes from its top byte.
template <int Bytes>
inline std::int32_t samplePoint(const unsigned char* block, std::int64_t index)
{
    const unsigned char* at = block + index * Bytes;
    if constexpr (Bytes == 1) {
        return static_cast<std::int8_t>(at[0]);
    } else if constexpr (Bytes == 2) {
        std::int16_t value;
        std::memcpy(&value, at, 2);
        return value;
    } else if constexpr (Bytes == 3) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                                         static_cast<std::uint32_t>(static_cast<std::int8_t>(at[2])) << 16);
    } else {
        std::int32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
}

// Sine of j x 15 degrees scaled by 4096, for j = m x n with m and n = 1..11; row n,
// column m - 1 (the last column pads each row to 12).
struct HarmonicSines {
    std::int32_t q[12][12];
    constexpr HarmonicSines() : q{}
    {
        constexpr std::int32_t quarter[7] = {0, 1060, 2048, 2896, 3547, 3956, 4096};
        for (int n = 1; n < 12; ++n) {
            for (int m = 1; m <= 11; ++m) {
                const int j = (m * n) % 24;
                const int half = j % 12;
                const std::int32_t value = quarter[half <= 6 ? half : 12 - half];
                q[n][m - 1] = j < 12 ? value : -value;
            }
        }
    }
};
inline constexpr HarmonicSines kHarmonicSines{};

class Interpolator {
public:
    static constexpr int kPoints = 12;
    static constexpr int kHarmonics = 11;


    // Forgets the window: the next moveTo reads all of its points.
    void reset() { start_ = std::numeric_limits<std::int64_t>::min(); }

    std::int64_t start() const { return start_; }

    // Places the window on points start .. start + 11 of `block`.
    template <int Bytes>
    void moveTo(std::int64_t start, const unsigned char* block)
    {
        if (start == start_)
            return;
        int fresh = kPoints;
        if (start_ != std::numeric_limits<std::int64_t>::min() && start > start_ && start - start_ < kPoints) {
            fresh = static_cast<int>(start - start_);
            std::memmove(x_, x_ + fresh, sizeof(std::int32_t) * static_cast<std::size_t>(kPoints - fresh));
        }
        for (int n = kPoints - fresh; n < kPoints; ++n)
            x_[n] = samplePoint<Bytes>(block, start + n);
        start_ = start;
        // Points of up to 16 bits keep every sum within 32 bits, which vectorizes best.
        if constexpr (Bytes <= 2)
            coefficients<std::int32_t>();
        else
            coefficients<std::int64_t>();
    }

    // The interpolated value at read position `position` (start + 6 <= position <
    // start + 7), each harmonic weighted by its gain.
    double value(double position, const double* gains) const
    {
        const double theta = ((position - static_cast<double>(start_)) * M_PI) / 12.0;
        const auto cq = static_cast<std::int32_t>(32768.0 * std::cos(theta));
        const auto sq = static_cast<std::int32_t>(32768.0 * std::sin(theta));
        std::int32_t c = 32768;
        std::int32_t s = 0;
        double sum = 0.0;
        for (int m = 0; m < kHarmonics; ++m) {
            const auto s2 = static_cast<std::int32_t>((std::int64_t{c} * sq + std::int64_t{s} * cq) >> 15);
            const auto c2 = static_cast<std::int32_t>((std::int64_t{c} * cq - std::int64_t{s} * sq) >> 15);
            sum += static_cast<double>(s2) * 0x1p-15 * static_cast<double>(coefficient_[m]) * 0x1p-12 * gains[m];
            c = c2;
            s = s2;
        }
        return sum / 6.0;
    }

    const std::int64_t* coefficients() const { return coefficient_; }

private:
    template <class Sum>
    void coefficients()
    {
        Sum sums[kPoints] = {};
        // Point 0 of the window takes no part.
        for (int n = 1; n < kPoints; ++n) {
            const Sum x = x_[n];
            for (int m = 0; m < kPoints; ++m)
                sums[m] += x * kHarmonicSines.q[n][m];
        }
        for (int m = 0; m < kHarmonics; ++m)
            coefficient_[m] = sums[m];
    }

    std::int64_t start_ = std::numeric_limits<std::int64_t>::min();
    std::int32_t x_[kPoints] = {};
    std::int64_t coefficient_[kHarmonics] = {};
};

} // namespace orlim
