// The program's entry routine: the application object titled "Sonvelt",
// the main window and the about box, then the message loop. Whatever
// escapes is shown in a message box; the routine returns 0.
//
// SIGINT and SIGTERM close the main window as the user would (a running
// take is stopped first; an unsaved take is never deleted by a signal).
#pragma once

int WinMain(int argc, char **argv);
