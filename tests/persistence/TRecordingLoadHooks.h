#pragma once

#include <string>
#include <vector>

#include "persistence/SummaryFile.h"

namespace Vellumetric::Testing {

// Answers a summary load inline: counts icons, records progress, stops on request.
class TRecordingLoadHooks final : public TSummaryLoadHooks {
 public:
  std::int32_t Total = 0;
  std::string Root;
  std::vector<std::int32_t> Ticks;
  std::vector<std::string> IconPaths;
  int StopAfterChecks = -1;  // -1: never

  bool StopRequested() override { return StopAfterChecks >= 0 && Checks++ >= StopAfterChecks; }
  void Started(std::int32_t total, const std::string& root) override {
    Total = total;
    Root = root;
  }
  void Progress(std::int32_t position, std::int32_t) override { Ticks.push_back(position); }
  std::int32_t ResetGeneralIcons() override {
    IconPaths.clear();
    return 0;
  }
  std::int32_t AddIcon(const std::string& path) override {
    IconPaths.push_back(path);
    return static_cast<std::int32_t>(IconPaths.size());
  }
  void ExpandGeneralSection(TNodeId) override {}

 private:
  int Checks = 0;
};

}  // namespace Vellumetric::Testing
