// The Windows body of the service's message queue: a thread in a single-threaded COM apartment
// with a hidden window ("Quarvo::EventLoop") whose message loop runs the application monitors
// and hears of session changes.
#pragma once

#include "OSMessageQueue.h"

namespace Quarvo {

// Process-wide set-up made when the library loads and undone when it unloads: the window class
// and the thread-local slot in which the queue thread keeps its queue for the window procedure.
bool registerEventLoop();
void unregisterEventLoop();

// A new queue with one reference (the service's); null when out of memory.
OSMessageQueue* newWindowsEventLoop();

}  // namespace Quarvo
