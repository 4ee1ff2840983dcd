#pragma once
// Saving a whole Durad as a RIFF WAVE file: the render pass runs into a stream on a
// thread of its own while the calling thread shows progress; once the pass has ended,
// the stream goes into the file in one go. The file is written under a temporary name
// beside the target and takes the target's place only when every byte is on disk, so
// a failed or cancelled save leaves an older file of that name as it was.

#include <cstdint>
#include <string>

#include "engine/include/durad.h"

namespace orlim {

// The progress range: block align x rate x whole seconds of the time of `endMs`.
std::uint64_t saveWaveRange(const WaveFormat& format, std::int64_t endMs);

// The percentage shown while rendering: rendered / (range / 100), at most 99, and 0
// when range / 100 is 0.
std::string saveWavePercent(std::uint64_t renderedBytes, std::uint64_t range);

// Renders the request's Durad from its start to its music length (written into the
// request) into the file at `path`, modally: returns when the file is written, the
// save failed (its message has been shown) or the user cancelled (no file then).
// True when the file was written. Call on the user-interface thread.
bool saveWave(const std::string& path, PlayRequest& request);

} // namespace orlim
