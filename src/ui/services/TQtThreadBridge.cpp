#include "ui/services/TQtThreadBridge.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

#include "ui/common/TVLMMessageEvent.h"

namespace Vellumetric {
namespace {

// Outside the private message range 2024-2033.
const auto RunPendingEvent = static_cast<QEvent::Type>(QEvent::User + 1500);

}  // namespace

void TQtThreadBridge::Synchronize(const std::function<void()>& call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  std::unique_lock<std::mutex> guard(Lock);
  Pending.push_back(&call);
  const std::uint64_t ticket = ++Queued;
  QCoreApplication::postEvent(this, new QEvent(RunPendingEvent));
  Changed.wait(guard, [&] { return Done >= ticket; });
}

// The flag goes up with the post, under the lock: the window may handle the message before this
// thread runs again, and a message found without its flag was dropped as a stale one, which
// left the summary's worker unjoined and Back and closing waiting for it for good.
void TQtThreadBridge::PostMessage(TWindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
  const std::lock_guard<std::mutex> guard(Lock);
  Posted = true;
  PostVLMMessage(reinterpret_cast<QObject*>(window), message, wParam, lParam);
  Changed.notify_all();
}

void TQtThreadBridge::RunPending() {
  std::unique_lock<std::mutex> guard(Lock);
  while (!Pending.empty()) {
    const std::function<void()>* call = Pending.front();
    Pending.pop_front();
    guard.unlock();
    (*call)();
    guard.lock();
    ++Done;
    Changed.notify_all();
  }
}

void TQtThreadBridge::WaitForEndMessage() {
  for (;;) {
    RunPending();
    std::unique_lock<std::mutex> guard(Lock);
    if (Posted) return;
    Changed.wait_for(guard, std::chrono::milliseconds(20),
                     [&] { return Posted || !Pending.empty(); });
  }
}

bool TQtThreadBridge::EndMessagePosted() {
  const std::lock_guard<std::mutex> guard(Lock);
  return Posted;
}

bool TQtThreadBridge::event(QEvent* event) {
  if (event->type() == RunPendingEvent) {
    RunPending();
    return true;
  }
  return QObject::event(event);
}

TWindowHandle HandleOf(QObject* window) {
  return reinterpret_cast<TWindowHandle>(window);
}

}  // namespace Vellumetric
