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
#include <chrono>
#include <thread>

namespace Vellumetric::Testing {

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

// The thread count once it has held still for 50 ms (three seconds at the most). A thread that
// has been joined can still be listed for a moment while the system finishes its exit, so a
// count read right after a join may be one too high; a thread left running stays counted.
inline int SettledThreadCount() {
  using Clock = std::chrono::steady_clock;
  const auto giveUp = Clock::now() + std::chrono::seconds(3);
  int count = ThreadCount();
  auto since = Clock::now();
  while (Clock::now() - since < std::chrono::milliseconds(50) && Clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const int now = ThreadCount();
    if (now != count) {
      count = now;
      since = Clock::now();
    }
  }
  return count;
}

}  // namespace Vellumetric::Testing
