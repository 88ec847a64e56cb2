#pragma once

#include <QEvent>
#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "scan/TThreadBridge.h"

namespace Vellumetric {

// The bridge of one worker in the desktop program. Synchronize queues the call for the interface
// thread and waits for it; PostMessage posts a TVLMMessageEvent to the QObject whose address is
// the window handle. The owner of a worker can wait for its end message with WaitForEndMessage():
// that wait keeps answering the worker's calls itself, so joining a worker never deadlocks even
// when the event loop has already stopped (a window destroyed after the application quit).
class TQtThreadBridge final : public QObject, public TThreadBridge {
 public:
  TQtThreadBridge() = default;
  ~TQtThreadBridge() override = default;

  void Synchronize(const std::function<void()>& call) override;
  void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;

  // Runs the calls a worker is waiting on, on the calling (interface) thread.
  void RunPending();
  // Returns once the worker has posted a message (its end message: it posts nothing else).
  void WaitForEndMessage();
  [[nodiscard]] bool EndMessagePosted();

 protected:
  bool event(QEvent* event) override;

 private:
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<const std::function<void()>*> Pending;
  std::uint64_t Queued = 0;
  std::uint64_t Done = 0;
  bool Posted = false;
};

[[nodiscard]] TWindowHandle HandleOf(QObject* window);

}  // namespace Vellumetric
