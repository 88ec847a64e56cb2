#pragma once

#include <cstdint>
#include <functional>

namespace Vellumetric {

using TWindowHandle = std::uintptr_t;

// How a worker reaches the interface thread: run a call there and wait for it, or post a
// window message and go on. The desktop program answers with queued invocations and posted
// events; the CLI and the tests answer inline.
class TThreadBridge {
 public:
  virtual ~TThreadBridge() = default;
  virtual void Synchronize(const std::function<void()>& call) = 0;
  virtual void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
};

}  // namespace Vellumetric
