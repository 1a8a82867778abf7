#pragma once

namespace platform::qtbridge {

// Makes Qt's event loop drain DispatchQueue::main(), delayed items included.
// Call once, on the main thread, after the QApplication exists; the driver
// lives until the application object goes away.
void installMainQueueDriver();

// Connects the general pasteboard to the system clipboard. Same rules.
void installClipboardPasteboard();

}  // namespace platform::qtbridge
