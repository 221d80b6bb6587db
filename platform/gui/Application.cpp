#include "platform/gui/Application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <cstdio>

#include <unistd.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Dialogs.h"
#include "platform/classlib/Exceptions.h"
#include "platform/gui/Actions.h"
#include "platform/gui/QtDialogs.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/sys/ScopeExit.h"

#if defined(__SANITIZE_ADDRESS__)
// The font library that Qt loads keeps caches it never frees; in a build
// with the leak checker they are not this program's leaks.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace gui {

namespace {

// Last line of defence: an exception thrown by a handler inside Qt's event
// delivery is shown instead of ending the program.
class TQtApplication : public QApplication {
public:
  TQtApplication(int &argc, char **argv) : QApplication(argc, argv) {}
  bool notify(QObject *receiver, QEvent *event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (...) {
      Application().HandleException();
      return false;
    }
  }
};

// Never destroyed: static objects of other units may still reach it while
// the process exits.
TApplication *theApplication = nullptr;

std::atomic<bool> wakePending{false};
void RunPostedCalls();

// The main loop's wake hook, on any thread: one queued run at a time; posts
// made while it runs queue the next.
void ScheduleRun() {
  QCoreApplication *qt = QCoreApplication::instance();
  if (!qt || wakePending.exchange(true))
    return;
  QMetaObject::invokeMethod(qt, &RunPostedCalls, Qt::QueuedConnection);
}

void RunPostedCalls() {
  wakePending = false;
  mainloop::TMainLoop &loop = mainloop::TMainLoop::Main();
  try {
    loop.RunPending();
  } catch (...) {
    Application().HandleException();
  }
  // Calls left behind a failed one.
  if (loop.PendingCount() > 0)
    ScheduleRun();
}

TQtDialogs &QtDialogs() {
  static TQtDialogs dialogs;
  return dialogs;
}

} // namespace

const TClassInfo &TApplication::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TApplication>("TApplication", &TComponent::StaticClassInfo());
  return info;
}

TApplication::TApplication(TComponent *owner) : TComponent(owner) { SetIsApplication(true); }

TApplication::~TApplication() {
  QObject::disconnect(idleConnection_);
  if (ownsQt_) {
    mainloop::TMainLoop::Main().SetWakeHook(nullptr);
    delete qt_;
  }
}

void TApplication::Initialize(int &argc, char **argv) {
  if (qt_)
    return;
  if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance())) {
    qt_ = existing;
  } else {
    qt_ = new TQtApplication(argc, argv);
    ownsQt_ = true;
  }
  mainloop::TMainLoop &loop = mainloop::TMainLoop::Main();
  loop.BindMainThread();
  loop.SetWakeHook(ScheduleRun);
  if (loop.PendingCount() > 0)
    ScheduleRun();
  idleConnection_ =
      QObject::connect(QAbstractEventDispatcher::instance(),
                       &QAbstractEventDispatcher::aboutToBlock, qt_, [this] { DoIdle(); });
  IDialogHandler *previous = SetDialogHandler(&QtDialogs());
  if (previous)
    SetDialogHandler(previous);
}

void TApplication::SetTitle(const std::string &title) {
  title_ = title;
  SetDialogTitle(title);
  if (qt_)
    QCoreApplication::setApplicationName(QString::fromStdString(title));
}

std::string TApplication::ExeName() const {
  if (QCoreApplication::instance())
    return QCoreApplication::applicationFilePath().toStdString();
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

void TApplication::Run() {
  if (!qt_ || terminated_)
    return;
  RunPostedCalls();
  QApplication::exec();
}

void TApplication::Terminate() {
  terminated_ = true;
  if (qt_)
    QCoreApplication::quit();
}

void TApplication::ShowException(const std::exception &e) {
  MessageBox(e.what(), title_, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const std::exception &e) {
    ShowException(e);
  } catch (...) {
    ShowException(Exception(""));
  }
}

void TApplication::DoIdle() {
  if (inIdle_)
    return;
  inIdle_ = true;
  ++idleCount_;
  try {
    // Ends with the try block: the flag is down before an error is shown.
    sys::TScopeExit leave([this] { inIdle_ = false; });
    TActionList::UpdateAll();
  } catch (...) {
    HandleException();
  }
}

TApplication &InitApplication(int &argc, char **argv) {
  if (!theApplication)
    theApplication = CreateObject<TApplication>(nullptr);
  theApplication->Initialize(argc, argv);
  return *theApplication;
}

TApplication &Application() {
  if (!theApplication || !theApplication->Initialized()) {
    static int argc = 1;
    static char name[] = "sonvelt";
    static char *argv[] = {name, nullptr};
    InitApplication(argc, argv);
  }
  return *theApplication;
}

void Guarded(const std::function<void()> &call) {
  try {
    call();
  } catch (...) {
    Application().HandleException();
  }
}

} // namespace gui
