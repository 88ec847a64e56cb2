#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdint>

namespace Vellumetric {

// A private window message as a Qt event: the event type is the message number (2024-2033 lie
// in Qt's user range), wParam and lParam ride along.
class TVLMMessageEvent final : public QEvent {
 public:
  TVLMMessageEvent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
      : QEvent(static_cast<QEvent::Type>(message)), WParam(wParam), LParam(lParam) {}
  std::uintptr_t WParam;
  std::intptr_t LParam;
};

// Posts the message to the window and returns at once, like PostMessage.
inline void PostVLMMessage(QObject* window, std::uint32_t message, std::uintptr_t wParam = 0,
                           std::intptr_t lParam = 0) {
  if (window) QCoreApplication::postEvent(window, new TVLMMessageEvent(message, wParam, lParam));
}

}  // namespace Vellumetric
