#include "plugins/soundfont/Generators.h"

#include "plugin-api/Record.h"

namespace orlim::kestrow {

bool isKept(std::uint16_t generator) noexcept
{
    if (generator >= kGeneratorCount)
        return false;
    switch (generator) {
    case 14: case 17: case 18: case 19: case 20:
    case Instrument: case 42: case 49: case SampleId: case 55: case 57:
        return false;
    default:
        return true;
    }
}

GeneratorSet::GeneratorSet() noexcept
{
    amount.fill(0);
    for (Generator g : {InitialFilterFc, DelayModLfo, DelayVibLfo, DelayVolEnv, AttackVolEnv,
                        HoldVolEnv, DecayVolEnv, SustainVolEnv, ReleaseVolEnv})
        amount[g] = kNotSet;
    amount[SampleModes] = 1;
    amount[ScaleTuning] = 100;
    amount[OverridingRootKey] = -1;
}

void GeneratorSet::store(std::uint16_t generator, std::uint16_t rawAmount) noexcept
{
    if (!isKept(generator))
        return;
    const int low = rawAmount & 0xFF;
    const int high = rawAmount >> 8;
    if (generator == KeyRange) {
        keyLow = static_cast<std::int16_t>(low * 100);
        keyHigh = static_cast<std::int16_t>(high * 100);
    } else if (generator == VelRange) {
        velocityLow = static_cast<std::int16_t>(low);
        velocityHigh = static_cast<std::int16_t>(high);
    } else {
        amount[generator] = static_cast<std::int16_t>(rawAmount);
    }
}

std::optional<Zone> readZone(std::span<const std::uint8_t> chunk, std::uint16_t first,
                             std::uint16_t next, Generator terminator)
{
    Zone zone;
    for (std::size_t index = first; index < next; ++index) {
        const std::size_t offset = index * 4;
        if (offset + 4 > chunk.size())
            return std::nullopt;
        const auto generator = readField<std::uint16_t>(chunk.data(), offset);
        const auto rawAmount = readField<std::uint16_t>(chunk.data(), offset + 2);
        if (generator == terminator) {
            zone.terminated = true;
            zone.target = rawAmount;
            break;
        }
        zone.generators.store(generator, rawAmount);
    }
    return zone;
}

std::optional<double> combined(const GeneratorSet& instrument, const GeneratorSet& preset,
                               Generator generator) noexcept
{
    int sum = 0;
    bool set = false;
    for (const GeneratorSet* zone : {&instrument, &preset}) {
        if ((*zone)[generator] != kNotSet) {
            sum += (*zone)[generator];
            set = true;
        }
    }
    if (!set || sum == 0)
        return std::nullopt;
    return sum + 0.01;
}

int summed(const GeneratorSet& instrument, const GeneratorSet& preset, Generator generator) noexcept
{
    return instrument[generator] + preset[generator];
}

} // namespace orlim::kestrow
