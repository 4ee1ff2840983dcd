#pragma once
// Requests to source plug-ins, built the way the engine builds them.

#include <cstdint>
#include <vector>

#include "plugin-api/Entries.h"
#include "plugin-api/SampleRequest.h"

namespace orlim::testing {

inline SampleRequest noteRequest(int pitch, int loudness = 0, std::uint32_t totalSamples = 44100,
                                 std::uint32_t outRate = 44100)
{
    SampleRequest request{};
    request.pitch = static_cast<std::int16_t>(pitch);
    request.loudness = static_cast<std::int16_t>(loudness);
    request.outBytes = 2;
    request.outRate = outRate;
    request.totalSamples = totalSamples;
    return request;
}

inline const SourceEntry* asEntry(const std::vector<std::uint8_t>& record)
{
    return reinterpret_cast<const SourceEntry*>(record.data());
}

} // namespace orlim::testing
