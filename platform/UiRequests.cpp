#include "platform/UiRequests.h"

#include <memory>
#include <mutex>

namespace orlim {
namespace {

std::mutex serverMutex;
std::shared_ptr<UiRequestServer> installedServer;

} // namespace

void servePendingUiRequests()
{
    std::shared_ptr<UiRequestServer> server;
    {
        std::lock_guard lock(serverMutex);
        server = installedServer;
    }
    if (server && *server)
        (*server)();
}

UiRequestServer setUiRequestServer(UiRequestServer server)
{
    std::lock_guard lock(serverMutex);
    UiRequestServer previous = installedServer ? std::move(*installedServer) : UiRequestServer{};
    installedServer = server ? std::make_shared<UiRequestServer>(std::move(server)) : nullptr;
    return previous;
}

} // namespace orlim
