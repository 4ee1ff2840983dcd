#pragma once
// Work that another thread hands to the user-interface thread and waits for, such as
// a message box asked for by the render thread. When the UI thread itself waits for
// such a worker, it must keep serving these requests, or each waits for the other
// for ever: every UI-thread wait loop on a worker calls servePendingUiRequests().

#include <functional>

namespace orlim {

// Serves every request waiting for the UI thread; does nothing when none waits, when
// no server is installed (headless, requests are served where they are made) or
// when called off the UI thread.
void servePendingUiRequests();

using UiRequestServer = std::function<void()>;

// Installs the function that serves them (the Qt side does); an empty function
// removes it. Returns the previous one.
UiRequestServer setUiRequestServer(UiRequestServer server);

} // namespace orlim
