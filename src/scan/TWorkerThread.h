#pragma once

#include <atomic>
#include <thread>

namespace Vellumetric {

// The worker-thread facility the two workers build on: created suspended, started by Resume(),
// asked to stop through a cooperative Terminated flag, and DoTerminate() run on the worker
// after Execute() whatever happened in it. A derived class calls Stop() in its destructor so
// that the worker never outlives the object it runs.
class TWorkerThread {
 public:
  TWorkerThread() = default;
  virtual ~TWorkerThread() { Stop(); }
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  void Resume();
  void Terminate() noexcept { TerminatedFlag.store(true, std::memory_order_relaxed); }
  [[nodiscard]] bool Terminated() const noexcept {
    return TerminatedFlag.load(std::memory_order_relaxed);
  }
  // Blocks until the worker has ended (after its end message).
  void WaitFor();

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate() = 0;
  void Stop() {
    Terminate();
    WaitFor();
  }

 private:
  std::atomic<bool> TerminatedFlag{false};
  std::thread Worker;
};

}  // namespace Vellumetric
