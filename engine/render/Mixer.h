#pragma once
// Adding one synthesized note into the mix buffer: the smoothing average, the pan
// gains along the note's pan curve and saturation to the output's full scale.
// Render thread only; nothing here allocates except the mix buffer's growth.

#include <cstddef>
#include <cstdint>

#include "engine/render/MixBuffer.h"
#include "engine/render/NoteCurves.h"

namespace orlim {

// The six channel gains of a pan point: with a = (32768 - coordinate) / 65536 for
// x, y and z, channels 0, 2 and 4 get sqrt(a) and channels 1, 3 and 5 sqrt(1 - a).
struct ChannelGains {
    static constexpr int kChannels = 6;
    double gain[kChannels];

    static ChannelGains of(const PanTriple& pan);
};

// The output's frame layout.
struct OutputLayout {
    unsigned channels = 2; // channels past the sixth stay silent
    unsigned outBytes = 2; // 1..4, signed little-endian samples
    unsigned align = 4;    // bytes per frame, at least channels x outBytes
};

// One note as synthesis and the effects left it.
struct NoteSignal {
    const std::int32_t* values = nullptr;
    std::uint32_t totalSamples = 0;
    std::uint64_t smoothingWidth = 0; // W: below 2 means no smoothing
    std::int64_t blendLength = 0;     // B: samples over which the smoothing blends in
};

// Adds the note into `mix` from byte `offset` on, along `pan` (read at fractions of
// the note's length). The mix buffer first grows to offset + align x totalSamples
// bytes, its fill count rising to that size; false, with nothing mixed, when it
// cannot.
bool mixNote(const NoteSignal& note, PanTable& pan, const OutputLayout& layout, MixBuffer& mix,
             std::uint64_t offset);

} // namespace orlim
