#pragma once

#include <dirent.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

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

// Threads of this process, from /proc.
inline int ThreadCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* e = ::readdir(dir)) count += e->d_name[0] != '.';
    ::closedir(dir);
  }
  return count;
}

}  // namespace Vellumetric::Testing
