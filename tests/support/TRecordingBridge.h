#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "scan/TScanDisplay.h"
#include "scan/TThreadBridge.h"

namespace Vellumetric::Testing {

// Answers the worker inline and writes down every call, in order, as text:
// "range 0..3", "pos 0", "step", "expand 0", "select 0", "post 2026 to 77".
class TRecordingBridge final : public TThreadBridge, public TScanDisplay {
 public:
  std::vector<std::string> Log;
  std::vector<std::uint32_t> Posted;
  std::function<void()> OnStep;  // runs inside each progress step, on the worker
  int SyncCalls = 0;

  void Synchronize(const std::function<void()>& call) override {
    ++SyncCalls;
    call();
  }
  void PostMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t w,
                   std::intptr_t l) override {
    std::lock_guard<std::mutex> guard(Lock);
    Log.push_back("post " + std::to_string(message) + " to " + std::to_string(window) +
                  (w || l ? " with parameters" : ""));
    Posted.push_back(message);
  }
  void SetProgressRange(int minimum, int maximum) override {
    Log.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override {
    Log.push_back("pos " + std::to_string(position));
  }
  void StepProgress() override {
    Log.push_back("step");
    if (OnStep) OnStep();
  }
  void ExpandNode(TNodeId node) override { Log.push_back("expand " + std::to_string(node)); }
  void SelectNode(TNodeId node) override { Log.push_back("select " + std::to_string(node)); }

 private:
  std::mutex Lock;
};

}  // namespace Vellumetric::Testing
