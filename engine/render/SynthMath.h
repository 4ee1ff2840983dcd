#pragma once
// The arithmetic note synthesis is built from: pitch to frequency, the triangle of
// the low-frequency oscillators, level to gain, and the saturating stores. Every
// function gives the same bits on every machine; render thread, no allocation.

#include <cmath>
#include <cstdint>
#include <limits>

namespace orlim {

// Frequency in Hz of a pitch in cents (middle C = 6000 cents = 261.63 Hz), from a
// table of the octave above middle C in mHz shifted by whole octaves. Pitches are
// taken as signed 16-bit values, larger ones saturating; far below the audible
// range the frequency becomes 0.
double frequencyOfCents(std::int32_t cents);

// The table F[i] = floor(261630 x 2^(i/1200)) mHz, i = 0..1200.
std::uint32_t octaveTable(int index);

// Triangle of period `period` samples at step `step`: 0 below a period of 4;
// otherwise rising from 0 to 1 over the first quarter, down to -1 at three quarters
// and back to 0.
inline double triangle(std::int64_t period, std::uint64_t step)
{
    if (period < 4)
        return 0.0;
    const std::uint64_t c = step % static_cast<std::uint64_t>(period);
    const double q = static_cast<double>(period) / 4.0;
    const double cd = static_cast<double>(c);
    if (cd < q)
        return cd / q;
    if (cd <= 3.0 * q)
        return 1.0 - (cd - q) / q;
    return (cd - 3.0 * q) / q - 1.0;
}

// Period in samples of an oscillator of `rateMilliHz` at `outRate` Hz, rounded down
// to a multiple of 4; 0 for a rate of 0 or below.
inline std::int64_t oscillatorPeriod(std::uint32_t outRate, std::int64_t rateMilliHz)
{
    if (rateMilliHz <= 0)
        return 0;
    const std::int64_t period = static_cast<std::int64_t>(outRate) * 1000 / rateMilliHz;
    return period - period % 4;
}

// Full-scale value of an output sample of `outBytes` bytes: 127, 32767, 8388607 or
// 2147483647; unknown widths count as 2 bytes.
inline std::int64_t fullScale(unsigned outBytes)
{
    switch (outBytes) {
    case 1:
        return 127;
    case 3:
        return 8388607;
    case 4:
        return 2147483647;
    default:
        return 32767;
    }
}

// Gain of a level in mB: 10^(level / 2000).
double levelGain(std::int64_t level);

// Stores of a real value into 32 and 16 bits: truncated toward zero, saturating at
// the type's limits.
inline std::int32_t saturatedInt32(double value)
{
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    if (value != value)
        return 0;
    return static_cast<std::int32_t>(value);
}

inline std::int16_t saturatedInt16(std::int64_t value)
{
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (value < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(value);
}

inline std::uint32_t saturatedUint32(std::uint64_t value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

// floor(a / b) for b > 0.
inline std::int64_t floorDivide(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// A real value rounded toward minus infinity into 64 bits, saturating.
inline std::int64_t floorToInt64(double value)
{
    const double f = std::floor(value);
    if (f >= 9.2e18)
        return std::numeric_limits<std::int64_t>::max();
    if (f <= -9.2e18)
        return std::numeric_limits<std::int64_t>::min();
    if (f != f)
        return 0;
    return static_cast<std::int64_t>(f);
}

// A real value truncated toward zero into 64 bits, saturating.
inline std::int64_t truncToInt64(double value)
{
    if (value >= 9.2e18)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9.2e18)
        return std::numeric_limits<std::int64_t>::min();
    if (value != value)
        return 0;
    return static_cast<std::int64_t>(value);
}

} // namespace orlim
