#include "engine/render/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/render/SynthMath.h"

namespace orlim {
namespace {

template <unsigned Bytes>
std::int64_t readSample(const unsigned char* at)
{
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

template <unsigned Bytes>
void writeSample(unsigned char* at, std::int64_t value)
{
    if constexpr (Bytes == 1) {
        at[0] = static_cast<unsigned char>(value);
    } else if constexpr (Bytes == 2) {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(at, &v, 2);
    } else if constexpr (Bytes == 3) {
        at[0] = static_cast<unsigned char>(value);
        at[1] = static_cast<unsigned char>(value >> 8);
        at[2] = static_cast<unsigned char>(value >> 16);
    } else {
        const auto v = static_cast<std::int32_t>(value);
        std::memcpy(at, &v, 4);
    }
}

template <unsigned Bytes>
void mixInto(const NoteSignal& note, PanTable& pan, unsigned channels, unsigned align, unsigned char* frames)
{
    const std::int64_t full = fullScale(Bytes);
    const std::uint32_t total = note.totalSamples;
    const std::int32_t* buffer = note.values;
    const std::uint64_t width = note.smoothingWidth;
    const bool smoothing = width >= 2;
    const double w = static_cast<double>(width);
    const std::int64_t blend = note.blendLength;
    const double b = static_cast<double>(blend);

    pan.rewind();
    PanTriple current = pan.at(0.0);
    ChannelGains gains = ChannelGains::of(current);
    const bool steadyPan = pan.constant();

    std::int64_t running = 0;
    for (std::uint32_t k = 0; k < total; ++k) {
        if (!steadyPan) {
            const PanTriple now = pan.at(static_cast<double>(k) / static_cast<double>(total));
            if (!(now == current)) {
                current = now;
                gains = ChannelGains::of(current);
            }
        }
        double v;
        if (!smoothing) {
            v = buffer[k];
        } else {
            running += buffer[k];
            if (k >= width)
                running -= buffer[k - width];
            if (std::int64_t{k} < blend) {
                const double kb = static_cast<double>(k) / b;
                v = kb * static_cast<double>(running) / w + static_cast<double>(buffer[k]) * (1.0 - kb);
            } else {
                v = static_cast<double>(running) / w;
            }
        }
        unsigned char* frame = frames + std::size_t{k} * align;
        for (unsigned c = 0; c < channels; ++c) {
            unsigned char* at = frame + c * Bytes;
            const std::int64_t sum = readSample<Bytes>(at) + truncToInt64(v * gains.gain[c]);
            writeSample<Bytes>(at, std::clamp(sum, -full, full));
        }
    }
}

} // namespace

ChannelGains ChannelGains::of(const PanTriple& pan)
{
    const double ax = (32768.0 - pan.x) / 65536.0;
    const double ay = (32768.0 - pan.y) / 65536.0;
    const double az = (32768.0 - pan.z) / 65536.0;
    return {{std::sqrt(ax), std::sqrt(1.0 - ax), std::sqrt(ay), std::sqrt(1.0 - ay), std::sqrt(az),
             std::sqrt(1.0 - az)}};
}

bool mixNote(const NoteSignal& note, PanTable& pan, const OutputLayout& layout, MixBuffer& mix, std::uint64_t offset)
{
    const std::uint64_t need = offset + std::uint64_t{layout.align} * note.totalSamples;
    if (!mix.fillTo(need))
        return false;
    if (note.totalSamples == 0)
        return true;
    const unsigned channels = std::min<unsigned>(layout.channels, ChannelGains::kChannels);
    unsigned char* frames = mix.data() + offset;
    switch (layout.outBytes) {
    case 1:
        mixInto<1>(note, pan, channels, layout.align, frames);
        break;
    case 3:
        mixInto<3>(note, pan, channels, layout.align, frames);
        break;
    case 4:
        mixInto<4>(note, pan, channels, layout.align, frames);
        break;
    default:
        mixInto<2>(note, pan, channels, layout.align, frames);
        break;
    }
    return true;
}

} // namespace orlim
