// A source plug-in that always fails and never says why.
#include "plugin-api/PluginApi.h"

ORLIM_PLUGIN_EXPORT const void* srcGetSample(const orlim::SourceEntry*, orlim::SampleRequest*) noexcept
{
    return nullptr;
}

ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept
{
    return nullptr;
}
