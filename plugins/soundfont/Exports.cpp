// The entry points kestrow.dll exports. The module's state is made on first use,
// which also reads (and on first start writes) the library folder setting.
#include "platform/MessageBox.h"
#include "plugin-api/PluginApi.h"
#include "plugins/common/LibraryFolder.h"
#include "plugins/soundfont/KestrowSource.h"

namespace {

orlim::kestrow::KestrowSource& module()
{
    static orlim::kestrow::KestrowSource source(orlim::plugin::startLibraryFolder("Kestrow", "soundfont"));
    return source;
}

} // namespace

ORLIM_PLUGIN_EXPORT const char* srcAbout(orlim::WindowHandle parent) noexcept
{
    module();
    if (!parent)
        return "Orlim Soundfont v2.0 Source Plugin.";
    orlim::messageBox(parent, "Orlim Durad SoundFont 2.0 Interface.", "About", orlim::MessageButtons::Ok);
    return nullptr;
}

ORLIM_PLUGIN_EXPORT const void* srcGetSample(const orlim::SourceEntry* entry, orlim::SampleRequest* request) noexcept
{
    return module().getSample(entry, request);
}

ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept
{
    return module().lastError();
}
