#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX  // std::max stays a function
#endif
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>
#else
#include <dirent.h>
#endif
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

// Threads of this process, from /proc or from the system's snapshot of all threads.
inline int ThreadCount() {
  int count = 0;
#ifdef _WIN32
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (all == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(all, &entry); more; more = Thread32Next(all, &entry)) {
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(all);
#else
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* e = ::readdir(dir)) count += e->d_name[0] != '.';
    ::closedir(dir);
  }
#endif
  return count;
}

}  // namespace Vellumetric::Testing
