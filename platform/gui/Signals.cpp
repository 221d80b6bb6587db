#include "platform/gui/Signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

#include "platform/gui/Application.h"

namespace gui {

namespace {

int pipeFds[2] = {-1, -1};
struct sigaction oldInt, oldTerm;
std::function<void(int)> handler;
std::unique_ptr<QSocketNotifier> notifier;

void OnSignal(int signal) {
  // Only async-signal-safe calls here.
  unsigned char byte = static_cast<unsigned char>(signal);
  ssize_t written = write(pipeFds[1], &byte, 1);
  (void)written; // a full pipe already holds a wake-up
}

} // namespace

void InstallTerminationHandler(std::function<void(int)> h) {
  handler = std::move(h);
  if (notifier)
    return;
  if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [] {
    unsigned char byte;
    while (read(pipeFds[0], &byte, 1) == 1)
      if (handler) {
        int signal = byte;
        Guarded([signal] { handler(signal); });
      }
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);
}

void RemoveTerminationHandler() {
  if (!notifier)
    return;
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  notifier.reset();
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
  handler = nullptr;
}

} // namespace gui
