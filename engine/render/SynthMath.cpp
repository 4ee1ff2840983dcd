#include "engine/render/SynthMath.h"

#include <array>

namespace orlim {
namespace {

struct OctaveTable {
    std::array<std::uint32_t, 1201> milliHz;
    OctaveTable()
    {
        for (int i = 0; i <= 1200; ++i)
            milliHz[static_cast<std::size_t>(i)] =
                static_cast<std::uint32_t>(std::floor(261630.0 * std::pow(2.0, static_cast<double>(i) / 1200.0)));
    }
};

const OctaveTable& octaves()
{
    static const OctaveTable table;
    return table;
}

// Levels a note reaches in practice; gains of others are computed when asked for.
constexpr std::int64_t kGainTableLimit = 32768;

struct GainTable {
    std::array<double, 2 * kGainTableLimit + 1> gain;
    GainTable()
    {
        for (std::int64_t l = -kGainTableLimit; l <= kGainTableLimit; ++l)
            gain[static_cast<std::size_t>(l + kGainTableLimit)] = std::pow(10.0, static_cast<double>(l) / 2000.0);
    }
};

const GainTable& gains()
{
    static const GainTable table;
    return table;
}

} // namespace

std::uint32_t octaveTable(int index)
{
    return octaves().milliHz[static_cast<std::size_t>(index)];
}

double frequencyOfCents(std::int32_t cents)
{
    const std::int32_t c = saturatedInt16(cents);
    const auto& table = octaves().milliHz;
    if (c >= 6000) {
        const std::int32_t d = c - 6000;
        const std::uint64_t milliHz = std::uint64_t{table[static_cast<std::size_t>(d % 1200)]} << (d / 1200);
        return static_cast<double>(milliHz) * 0.001;
    }
    const std::int32_t d = 6000 - c;
    const std::int32_t octave = d / 1200 + 1;
    if (octave >= 32)
        return 0.0;
    const std::uint64_t scaled = (std::uint64_t{table[static_cast<std::size_t>(1200 * octave - d)]} * 16) >> octave;
    return static_cast<double>(scaled) * 0.0625 * 0.001;
}

double levelGain(std::int64_t level)
{
    if (level >= -kGainTableLimit && level <= kGainTableLimit)
        return gains().gain[static_cast<std::size_t>(level + kGainTableLimit)];
    return std::pow(10.0, static_cast<double>(level) / 2000.0);
}

} // namespace orlim
