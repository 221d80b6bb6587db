// Ends the program cleanly on SIGINT and SIGTERM: the signal handler only
// writes the signal's number into a pipe; the Qt event loop reads it and
// calls the installed handler on the main thread, where it can stop a take
// and close the window like the user would.
#pragma once

#include <functional>

namespace gui {

// Replaces the handler of both signals until RemoveTerminationHandler; a
// second install replaces the first. Main thread only.
void InstallTerminationHandler(std::function<void(int signal)> handler);
// Puts the signals' previous dispositions back.
void RemoveTerminationHandler();

} // namespace gui
