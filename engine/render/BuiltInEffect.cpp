#include "engine/render/BuiltInEffect.h"

#include <cmath>
#include <strings.h>

#include "engine/render/SynthMath.h"
#include "plugin-api/Entries.h"

namespace orlim {
namespace {

std::int16_t parameter(const std::uint8_t* record, std::size_t offset)
{
    return readField<std::int16_t>(record, offset);
}

// The record's delays go into the request's unsigned fields as they are: a negative
// one becomes a delay no note reaches.
std::uint32_t delayOf(std::int16_t value)
{
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

} // namespace

bool isBuiltInEffectEntry(const void* record)
{
    const std::string_view name = entryFileName(record);
    return name.size() == std::char_traits<char>::length(BuiltInEffect::kFileName) &&
           strncasecmp(name.data(), BuiltInEffect::kFileName, name.size()) == 0;
}

void applyBuiltInEffect(Track& track, std::uint32_t position, SampleRequest& r, NoteCurves& curves,
                        NoteShape& shape)
{
    const EffectNode* entry = nullptr;
    for (int n = 0; const EffectNode* e = activeEffect(track, position, n); ++n) {
        if (isBuiltInEffectEntry(e->entry.data())) {
            entry = e;
            break;
        }
    }
    if (!entry || entry->entry.length() < BuiltInEffect::kMinLength)
        return;
    const std::uint8_t* record = entry->entry.data();
    const std::uint8_t switches = record[BuiltInEffect::switches];
    const std::uint32_t rate = r.outRate;

    if (switches & BuiltInEffect::kSwitchLevelOffset)
        curves.level.shift(10 * std::int64_t{parameter(record, BuiltInEffect::levelOffset)});
    if (switches & BuiltInEffect::kSwitchHarmonicGains) {
        for (std::size_t m = 0; m < BuiltInEffect::harmonicGainsUsed; ++m) {
            const std::int16_t gain = parameter(record, BuiltInEffect::harmonicGains + 2 * m);
            shape.harmonicGains[m] = std::pow(10.0, static_cast<double>(10 * gain) / 2000.0);
        }
    }
    if (switches & BuiltInEffect::kSwitchVibrato) {
        shape.vibratoPeriod = oscillatorPeriod(rate, parameter(record, BuiltInEffect::vibratoRate));
        r.vibratoDelay = delayOf(parameter(record, BuiltInEffect::vibratoDelay));
        r.vibratoDepth = parameter(record, BuiltInEffect::vibratoDepth);
    }
    if (switches & BuiltInEffect::kSwitchTremolo) {
        shape.tremoloPeriod = oscillatorPeriod(rate, parameter(record, BuiltInEffect::tremoloRate));
        r.tremoloDelay = delayOf(parameter(record, BuiltInEffect::tremoloDelay));
        r.tremoloDepth = saturatedInt16(10 * std::int64_t{parameter(record, BuiltInEffect::tremoloDepth)});
    }
    if (switches & BuiltInEffect::kSwitchSmoothing) {
        const std::int16_t time = parameter(record, BuiltInEffect::smoothingBlendIn);
        const std::int16_t width = parameter(record, BuiltInEffect::smoothingWidth);
        shape.blendLength = floorToInt64(static_cast<double>(time) * 0.001 * static_cast<double>(rate));
        // A negative width asks for no window at all.
        shape.smoothingWidth = width < 0 ? 0 : std::uint64_t(width) * rate / 500000;
    }
}

} // namespace orlim
