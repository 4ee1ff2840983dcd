#pragma once
// Message boxes shown as modal QMessageBox on the GUI thread.

#include "platform/MessageBox.h"

namespace orlim {

// Shows a modal box with exactly this text and caption and the buttons asked for,
// over the window of `parent` (or the active window). Called on the GUI thread it
// shows the box at once; called on any other thread it hands the box to the GUI
// thread and waits for the answer there. Needs a QApplication.
MessageAnswer showQtMessageBox(WindowHandle parent, const std::string& text,
                               const std::string& caption, MessageButtons buttons);

// Serves, on the GUI thread, the boxes that other threads are waiting for; the GUI
// thread calls it while it waits for a worker (through servePendingUiRequests()).
void serveQueuedMessageBoxes();

} // namespace orlim
