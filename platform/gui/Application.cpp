#include "platform/gui/Application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include <sys/timerfd.h>
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

// Runs what is queued. Calls posted meanwhile have scheduled their own run;
// those left behind a failed one are scheduled anew.
void RunQueue() {
  try {
    mainloop::TMainLoop::Main().RunPending();
  } catch (...) {
    Application().HandleException();
    ScheduleRun();
  }
}

void RunPostedCalls() {
  wakePending = false;
  RunQueue();
}

// Arms (or, for time_point::max(), disarms) the timer that wakes the loop
// when later calls are due. Safe from any thread: it only sets the timerfd.
void ArmDueTimer(int timer, mainloop::TMainLoop::TClock::time_point due) {
  itimerspec when{};
  if (due != mainloop::TMainLoop::TClock::time_point::max()) {
    // The steady clock is CLOCK_MONOTONIC; a time already past fires at once.
    const auto ns = std::max<int64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count(), 1);
    when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
    when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
  }
  timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr);
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
  if (dueTimer_ >= 0) {
    mainloop::TMainLoop::Main().SetDueHook(nullptr);
    delete dueNotifier_;
    close(dueTimer_);
  }
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
  dueTimer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (dueTimer_ >= 0) {
    dueNotifier_ = new QSocketNotifier(dueTimer_, QSocketNotifier::Read);
    QObject::connect(dueNotifier_, &QSocketNotifier::activated, [timer = dueTimer_] {
      // Reading clears the timer's readiness; how often it expired does not matter.
      uint64_t expirations;
      [[maybe_unused]] const ssize_t n = read(timer, &expirations, sizeof expirations);
      RunQueue();
    });
    loop.SetDueHook([timer = dueTimer_](mainloop::TMainLoop::TClock::time_point due) {
      ArmDueTimer(timer, due);
    });
  }
  // Later calls go along with whatever woke the loop, before the idle pass
  // looks at the state they change.
  idleConnection_ = QObject::connect(QAbstractEventDispatcher::instance(),
                                     &QAbstractEventDispatcher::aboutToBlock, qt_, [this] {
                                       RunQueue();
                                       DoIdle();
                                     });
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
