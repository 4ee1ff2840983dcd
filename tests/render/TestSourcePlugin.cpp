// A source plug-in for binding tests. Every srcGetSample counts its calls into the
// request's sampleLength, so a test can tell one loaded module from two; a negative
// pitch makes it fail with a text of its own.
#include "plugin-api/PluginApi.h"

namespace {
int calls = 0;
const std::int16_t block[64] = {};
const char* failure = nullptr;
} // namespace

ORLIM_PLUGIN_EXPORT const void* srcGetSample(const orlim::SourceEntry*, orlim::SampleRequest* request) noexcept
{
    request->sampleLength = static_cast<std::uint32_t>(++calls);
    failure = request->pitch < 0 ? "Test source failed." : nullptr;
    return failure ? nullptr : block;
}

ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept
{
    return failure;
}
