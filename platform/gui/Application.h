// The application object: the Qt application, the main thread's event loop
// with the platform main loop plugged into it, the exception display and the
// idle pass.
//
// - Posts to mainloop::TMainLoop::Main() from any thread wake the Qt loop
//   (TMainLoop::SetWakeHook), which runs them on the main thread.
// - Calls posted for later (TMainLoop::PostLater) run when the loop wakes for
//   anything else, before the idle pass, or at the latest when they are due:
//   a timer of the application's own wakes the loop then.
// - An exception that escapes a handler run by the loop (a posted call, a
//   timer, an action, an idle update, any Qt event) is shown in a message box
//   through the dialog seam, and the loop goes on. Code that calls handlers
//   from Qt signals wraps them in Guarded().
// - The idle pass (DoIdle) runs when the loop is about to wait: the idle
//   handlers, then the update of every action list. Updates must change
//   nothing when nothing changed, or the repaint they cause wakes the loop and
//   the idle pass runs again at once.
// - Terminate before Run makes Run return at once (Qt's quit before exec
//   would be lost).
//
// Everything here runs on the main thread.
#pragma once

#include <QMetaObject>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/Component.h"

class QApplication;
class QSocketNotifier;

namespace gui {

class TApplication : public TComponent {
  CLASSLIB_CLASS(TApplication)

public:
  explicit TApplication(TComponent *owner = nullptr);
  ~TApplication() override;

  // Creates the Qt application (argc and argv must outlive it) unless one
  // exists, binds the main loop to this thread and installs the Qt dialogs
  // when no dialog handler is installed. Later calls do nothing.
  void Initialize(int &argc, char **argv);
  bool Initialized() const { return qt_ != nullptr; }

  const std::string &Title() const { return title_; }
  // Also the caption of message dialogs.
  void SetTitle(const std::string &title);
  // The program file's full path.
  std::string ExeName() const;

  // Runs the event loop until Terminate; returns at once when Terminate came
  // first.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Forgets a Terminate, so the loop can run again (tests run many programs'
  // starts in one process).
  void ResetTerminated() { terminated_ = false; }

  // Shows e in an error message box with the title as caption.
  void ShowException(const std::exception &e);
  // Inside a catch block: shows the exception being handled (an object that
  // is no std::exception as an empty message).
  void HandleException();

  // The idle pass; the loop runs it before it waits, tests call it by hand.
  // Not re-entered while it runs.
  void DoIdle();
  int IdleCount() const { return idleCount_; }

private:
  QApplication *qt_ = nullptr;
  bool ownsQt_ = false;
  std::string title_;
  bool terminated_ = false;
  bool inIdle_ = false;
  int idleCount_ = 0;
  QMetaObject::Connection idleConnection_;
  int dueTimer_ = -1; // a timerfd, armed while later calls wait
  QSocketNotifier *dueNotifier_ = nullptr;
};

// The process's application object. The program's entry initialises it with
// its command line first; otherwise the first use creates it over a default
// command line.
TApplication &InitApplication(int &argc, char **argv);
TApplication &Application();

// Runs call; an exception it raises is shown by the application and does not
// pass on.
void Guarded(const std::function<void()> &call);

} // namespace gui
