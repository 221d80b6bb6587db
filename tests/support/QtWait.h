// Waiting for a condition that events of the Qt loop bring about.
//
// Include "tests/support/QtWait.h", link test_support and Qt.
#pragma once

#include <QCoreApplication>

#include "tests/support/Wait.h"

// Processes Qt events on this thread until pred holds or the deadline of
// Eventually passes.
inline bool PumpQtUntil(const std::function<bool()> &pred) {
  return EventuallyPumping([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); },
                           pred);
}
