#pragma once

#include <QObject>

#include "scan/TThreadBridge.h"

namespace Vellumetric {

// The workers' bridge in the desktop program: Synchronize runs the call on the interface thread
// and waits (a blocking queued invocation); PostMessage posts a TVLMMessageEvent to the QObject
// whose address is the window handle.
class TQtThreadBridge final : public TThreadBridge {
 public:
  void Synchronize(const std::function<void()>& call) override;
  void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
};

[[nodiscard]] TWindowHandle HandleOf(QObject* window);

}  // namespace Vellumetric
