#include "ui/TQtThreadBridge.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "ui/TVLMMessageEvent.h"

namespace Vellumetric {

void TQtThreadBridge::Synchronize(const std::function<void()>& call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    call();
    return;
  }
  QMetaObject::invokeMethod(app, call, Qt::BlockingQueuedConnection);
}

void TQtThreadBridge::PostMessage(TWindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
  PostVLMMessage(reinterpret_cast<QObject*>(window), message, wParam, lParam);
}

TWindowHandle HandleOf(QObject* window) {
  return reinterpret_cast<TWindowHandle>(window);
}

}  // namespace Vellumetric
