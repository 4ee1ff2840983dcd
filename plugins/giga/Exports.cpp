// The entry points tivenor.dll exports. The module's state is made on first use,
// which also reads (and on first start writes) the library folder setting.
#include "platform/MessageBox.h"
#include "plugin-api/PluginApi.h"
#include "plugins/common/LibraryFolder.h"
#include "plugins/giga/TivenorSource.h"

namespace {

orlim::tivenor::TivenorSource& module()
{
    static orlim::tivenor::TivenorSource source(orlim::plugin::startLibraryFolder("Tivenor", "giga"));
    return source;
}

} // namespace

ORLIM_PLUGIN_EXPORT const char* srcAbout(orlim::WindowHandle parent) noexcept
{
    module();
    if (!parent)
        return "Orlim Giga Source Plugin V1.0 testing.";
    orlim::messageBox(parent, "Orlim Durad Giga Source Interface.", "Dialog", orlim::MessageButtons::Ok);
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
