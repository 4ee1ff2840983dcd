#include "plugins/common/SourceMath.h"

#include <cmath>
#include <limits>

namespace orlim::plugin {

int velocityFromLoudness(std::int16_t loudness) noexcept
{
    const double velocity = std::floor(127.0 * std::pow(10.0, loudness / 4000.0));
    if (velocity >= 127.0)
        return 127;
    if (velocity <= 1.0)
        return 1;
    return static_cast<int>(velocity);
}

std::uint32_t relativeCutoff(std::int16_t pitch, std::uint16_t relative) noexcept
{
    const double note = std::floor(261.63 * std::pow(2.0, (pitch / 100.0 - 60.0) / 12.0));
    // The note's frequency is kept as a 16-bit count of Hz.
    const auto hz = static_cast<std::uint16_t>(static_cast<std::uint32_t>(note));
    const std::uint32_t cutoff = floorCount(hz * std::pow(2.0, relative / 100.0 + 1.0) * 1000.0);
    return cutoff < kMaxCutoff ? cutoff : kMaxCutoff;
}

std::uint32_t floorCount(double value) noexcept
{
    if (!(value > 0.0))
        return 0;
    if (value >= 4294967295.0)
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(std::floor(value));
}

std::uint32_t addCounts(std::uint32_t a, std::uint32_t b) noexcept
{
    const std::uint64_t sum = std::uint64_t{a} + b;
    return sum > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                            : static_cast<std::uint32_t>(sum);
}

std::int16_t truncateToInt16(double value) noexcept
{
    if (std::isnan(value))
        return 0;
    if (value >= 32767.0)
        return std::numeric_limits<std::int16_t>::max();
    if (value <= -32768.0)
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(std::trunc(value));
}

std::int16_t saturateToInt16(long long value) noexcept
{
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (value < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(value);
}

} // namespace orlim::plugin
