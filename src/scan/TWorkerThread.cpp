#include "scan/TWorkerThread.h"

namespace Vellumetric {

void TWorkerThread::Resume() {
  if (Worker.joinable()) return;
  Worker = std::thread([this] {
    try {
      Execute();
    } catch (...) {
      // Out of memory part way: what was built stays, and the end message below still goes
      // out so the window leaves its busy state.
    }
    DoTerminate();
  });
}

void TWorkerThread::WaitFor() {
  if (Worker.joinable() && Worker.get_id() != std::this_thread::get_id()) Worker.join();
}

}  // namespace Vellumetric
