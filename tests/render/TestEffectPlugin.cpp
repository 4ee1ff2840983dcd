// An effect plug-in for binding tests: doubles the note in place, and fails with a
// text of its own for an empty note.
#include "plugin-api/PluginApi.h"

namespace {
const char* failure = nullptr;
} // namespace

ORLIM_PLUGIN_EXPORT std::int32_t* effTreat(const orlim::EffectEntry*, orlim::SampleRequest* request,
                                           std::int32_t* buffer) noexcept
{
    failure = request->totalSamples == 0 ? "Test effect failed." : nullptr;
    if (failure)
        return nullptr;
    for (std::uint32_t i = 0; i < request->totalSamples; ++i)
        buffer[i] *= 2;
    return buffer;
}

ORLIM_PLUGIN_EXPORT const char* effGetLastError() noexcept
{
    return failure;
}
