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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// The same sines arranged for multiplying pairs of 16-bit points: pair p holds rows
// 2p and 2p + 1; block b the columns of harmonics 4b + 1 .. 4b + 4, each lane the two
// rows' sines side by side.
struct PairedHarmonicSines {
    alignas(16) std::int16_t q[6][3][8];
    constexpr PairedHarmonicSines() : q{}
    {
        for (int p = 0; p < 6; ++p)
            for (int b = 0; b < 3; ++b)
                for (int j = 0; j < 4; ++j) {
                    q[p][b][2 * j] = static_cast<std::int16_t>(kHarmonicSines.q[2 * p][4 * b + j]);
                    q[p][b][2 * j + 1] = static_cast<std::int16_t>(kHarmonicSines.q[2 * p + 1][4 * b + j]);
                }
    }
};
inline constexpr PairedHarmonicSines kPairedHarmonicSines{};
#endif

// trunc(32768 cos theta) and trunc(32768 sin theta) as the C library's cos and sin
// give them, for theta in [pi/2, 7 pi/12] where the interpolator needs them. A short
// series decides every case but those within a hair of a truncation boundary (an
// integer other than 0); there it says so, and the library functions decide.
inline bool seriesCosSin(double theta, std::int32_t& cq, std::int32_t& sq)
{
    const double u = theta - M_PI_2;
    if (!(u > -0.01 && u < 0.27))
        return false;
    const double u2 = u * u;
    // Taylor series to u^11 and u^10: below 3e-16 off for u under pi/12.
    const double sinU =
        u * (1.0 + u2 * (-1.0 / 6 + u2 * (1.0 / 120 + u2 * (-1.0 / 5040 + u2 * (1.0 / 362880 + u2 * (-1.0 / 39916800))))));
    const double cosU =
        1.0 + u2 * (-0.5 + u2 * (1.0 / 24 + u2 * (-1.0 / 720 + u2 * (1.0 / 40320 + u2 * (-1.0 / 3628800)))));
    const double c = 32768.0 * -sinU;
    const double s = 32768.0 * cosU;
    cq = static_cast<std::int32_t>(c);
    sq = static_cast<std::int32_t>(s);
    // With rounding the series is within 1e-15 of the true values, the library within
    // an ulp:
    // farther than this from a boundary, both truncate alike.
    constexpr double kMargin = 1e-8;
    const double fc = std::fabs(c - cq);
    const double fs = std::fabs(s - sq);
    return (cq == 0 || fc >= kMargin) && fc <= 1.0 - kMargin && fs >= kMargin && fs <= 1.0 - kMargin;
}

inline void libraryCosSin(double theta, std::int32_t& cq, std::int32_t& sq)
{
    cq = static_cast<std::int32_t>(32768.0 * std::cos(theta));
    sq = static_cast<std::int32_t>(32768.0 * std::sin(theta));
}

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
        if constexpr (Bytes <= 2)
            narrowCoefficients();
        else
            wideCoefficients();
    }

    // The angle of read position `position` within the window placed at `start`
    // (start + 6 <= position < start + 7).
    static double angle(double position, std::int64_t start)
    {
        return ((position - static_cast<double>(start)) * M_PI) / 12.0;
    }

    // trunc(32768 cos theta) and trunc(32768 sin theta).
    void cosSin(double theta, std::int32_t& cq, std::int32_t& sq)
    {
        if (!seriesCosSin(theta, cq, sq))
            fallbackCosSin(theta, cq, sq);
    }

    // The interpolated value of the window at the angle whose scaled cosine and sine
    // are cq and sq, each harmonic weighted by its gain; `unity` says all gains are 1.
    double value(std::int32_t cq, std::int32_t sq, const double* gains, bool unity) const
    {
        std::int32_t c = 32768;
        std::int32_t s = 0;
        double sum = 0.0;
        // Each harmonic adds sin(m theta) x 2^-15 x C_m x 2^-12 x gain; the scaled
        // coefficients carry both powers of two, which changes no bit.
        for (int m = 0; m < kHarmonics; ++m) {
            const auto s2 = static_cast<std::int32_t>((std::int64_t{c} * sq + std::int64_t{s} * cq) >> 15);
            c = static_cast<std::int32_t>((std::int64_t{c} * cq - std::int64_t{s} * sq) >> 15);
            s = s2;
            const double term = static_cast<double>(s2) * scaled_[m];
            sum += unity ? term : term * gains[m];
        }
        return sum / 6.0;
    }

    // The interpolated value at read position `position`.
    double value(double position, const double* gains)
    {
        bool unity = true;
        for (int m = 0; m < kHarmonics; ++m)
            unity = unity && gains[m] == 1.0;
        std::int32_t cq;
        std::int32_t sq;
        cosSin(angle(position, start_), cq, sq);
        return value(cq, sq, gains, unity);
    }

private:
    // Point 0 of the window takes no part in the sums.
    void narrowCoefficients()
    {
#if defined(__SSE2__)
        // Points of up to 16 bits times sines of 13 bits: every sum fits 32 bits.
        __m128i sum0 = _mm_setzero_si128();
        __m128i sum1 = _mm_setzero_si128();
        __m128i sum2 = _mm_setzero_si128();
        for (int p = 0; p < 6; ++p) {
            const auto pair = static_cast<std::int32_t>(static_cast<std::uint16_t>(x_[2 * p]) |
                                                        static_cast<std::uint32_t>(static_cast<std::uint16_t>(x_[2 * p + 1])) << 16);
            const __m128i points = _mm_set1_epi32(pair);
            const auto* q = kPairedHarmonicSines.q[p];
            sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(points, _mm_load_si128(reinterpret_cast<const __m128i*>(q[0]))));
            sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(points, _mm_load_si128(reinterpret_cast<const __m128i*>(q[1]))));
            sum2 = _mm_add_epi32(sum2, _mm_madd_epi16(points, _mm_load_si128(reinterpret_cast<const __m128i*>(q[2]))));
        }
        alignas(16) std::int32_t sums[kPoints];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums), sum0);
        _mm_store_si128(reinterpret_cast<__m128i*>(sums + 4), sum1);
        _mm_store_si128(reinterpret_cast<__m128i*>(sums + 8), sum2);
        store(sums);
#else
        wideCoefficients();
#endif
    }

    void wideCoefficients()
    {
        std::int64_t sums[kPoints] = {};
        for (int n = 1; n < kPoints; ++n) {
            const std::int64_t x = x_[n];
            for (int m = 0; m < kPoints; ++m)
                sums[m] += x * kHarmonicSines.q[n][m];
        }
        store(sums);
    }

    template <class Sum>
    void store(const Sum* sums)
    {
        for (int m = 0; m < kHarmonics; ++m)
            scaled_[m] = static_cast<double>(sums[m]) * 0x1p-27;
    }

    // Positions that fall on the boundaries come back again and again when the pitch
    // steps by whole or half points: the last two answers are kept.
    [[gnu::noinline]] void fallbackCosSin(double theta, std::int32_t& cq, std::int32_t& sq)
    {
        for (Remembered& r : remembered_) {
            if (r.theta == theta) {
                cq = r.cq;
                sq = r.sq;
                return;
            }
        }
        libraryCosSin(theta, cq, sq);
        remembered_[next_] = {theta, cq, sq};
        next_ ^= 1;
    }

    struct Remembered {
        double theta = -1.0;
        std::int32_t cq = 0;
        std::int32_t sq = 0;
    };

    std::int64_t start_ = std::numeric_limits<std::int64_t>::min();
    std::int32_t x_[kPoints] = {};
    double scaled_[kHarmonics] = {};
    Remembered remembered_[2];
    int next_ = 0;
};

} // namespace orlim
