#pragma once
// The parameters the engine itself reads from an effect entry of the library
// "effect.dll": level offset, harmonic gains, vibrato, tremolo and smoothing. They
// replace what the source plug-in delivered for the same things. Render thread.

#include <cstdint>

#include "engine/model/Durad.h"
#include "engine/render/NoteCurves.h"
#include "engine/render/NoteSynth.h"
#include "plugin-api/SampleRequest.h"

namespace orlim {

// True when the record names the library "effect.dll", in any case.
bool isBuiltInEffectEntry(const void* record);

// Applies the switches of the first effect entry active at `position` that names
// "effect.dll"; an entry shorter than the parameters' layout carries none.
void applyBuiltInEffect(Track& track, std::uint32_t position, SampleRequest& request, NoteCurves& curves,
                        NoteShape& shape);

} // namespace orlim
