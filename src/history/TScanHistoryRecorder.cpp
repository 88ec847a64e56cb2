#include "history/TScanHistoryRecorder.h"

#include <chrono>
#include <utility>

#include "history/THistoryDatabase.h"

namespace Vellumetric {

TScanHistoryRecorder::TScanHistoryRecorder(std::string databasePath, TNotify notify,
                                           int busyMilliseconds)
    : DatabasePath(std::move(databasePath)),
      Notify(std::move(notify)),
      BusyMilliseconds(busyMilliseconds),
      Worker([this] { Run(); }) {}

TScanHistoryRecorder::~TScanHistoryRecorder() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Stopping = true;
  }
  Changed.notify_all();
  Worker.join();
}

void TScanHistoryRecorder::Record(TScanSnapshot snapshot) {
  Record(std::make_shared<const TScanSnapshot>(std::move(snapshot)));
}

void TScanHistoryRecorder::Record(std::shared_ptr<const TScanSnapshot> snapshot, TStored stored) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Queue.push_back([this, snapshot = std::move(snapshot), stored = std::move(stored)] {
      const std::int64_t id = Write(*snapshot);
      if (stored) stored(id);
    });
  }
  Changed.notify_all();
}

void TScanHistoryRecorder::Post(TTask task) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Queue.push_back([this, task = std::move(task)] { task(DatabasePath); });
  }
  Changed.notify_all();
}

void TScanHistoryRecorder::WaitIdle() {
  std::unique_lock<std::mutex> guard(Lock);
  Changed.wait(guard, [this] { return Queue.empty() && !Busy; });
}

std::vector<std::string> TScanHistoryRecorder::TakeWarnings() {
  std::lock_guard<std::mutex> guard(Lock);
  return std::exchange(Warnings, {});
}

double TScanHistoryRecorder::LastWriteSeconds() {
  std::lock_guard<std::mutex> guard(Lock);
  return WriteSeconds;
}

void TScanHistoryRecorder::Run() {
  std::unique_lock<std::mutex> guard(Lock);
  for (;;) {
    Changed.wait(guard, [this] { return Stopping || !Queue.empty(); });
    if (Queue.empty()) return;  // stopping, and everything queued is written
    std::function<void()> next = std::move(Queue.front());
    Queue.pop_front();
    Busy = true;
    guard.unlock();
    next();
    next = nullptr;  // what it holds (a whole scan's copy) goes before anyone sees us idle
    guard.lock();
    Busy = false;
    Changed.notify_all();
  }
}

std::int64_t TScanHistoryRecorder::Write(const TScanSnapshot& snapshot) {
  const auto start = std::chrono::steady_clock::now();
  THistoryDatabase db(DatabasePath, BusyMilliseconds);
  const bool stored = db.Store(snapshot);
  db.Close();  // closing folds the WAL into the file: part of the cost
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string warning = db.Notice();
  if (!stored) {
    warning = (warning.empty() ? "" : warning + "; ") + "this scan was not added to the history (" +
              db.Error() + ")";
  }
  {
    std::lock_guard<std::mutex> guard(Lock);
    WriteSeconds = seconds;
    if (!warning.empty()) Warnings.push_back(warning);
  }
  if (Notify) Notify(stored, warning);
  return stored ? db.StoredId() : 0;
}

}  // namespace Vellumetric
