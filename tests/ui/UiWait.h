#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "ThreadCount.h"

namespace Vellumetric::Testing {

// Runs the event loop until `done` holds; false after `limitMs` (a guard against a hang, never
// a measure of speed).
template <class Done>
bool RunUntil(Done done, int limitMs = 30000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace Vellumetric::Testing
