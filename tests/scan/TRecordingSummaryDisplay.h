#pragma once

#include <string>
#include <vector>

#include "scan/TSummaryDisplay.h"

namespace Vellumetric::Testing {

// Writes down what the summary worker asks of the summary panel.
class TRecordingSummaryDisplay : public TSummaryDisplay {
 public:
  std::vector<std::string> Log;
  int Position = 0;

  void EnableTrees(bool enabled) override { Log.push_back(enabled ? "enable" : "disable"); }
  void ProgressTick() override {
    Position += 200;
    Log.push_back("tick " + std::to_string(Position));
  }
  void SetLoadTotal(std::int32_t total) override {
    Log.push_back("total " + std::to_string(total));
  }
  void SetTitleText(const std::string& text) override { Log.push_back("title " + text); }
  std::int32_t ResetGeneralImages() override {
    Log.push_back("reset icons");
    return 0;
  }
  std::int32_t AddGeneralIcon(const std::string& path) override {
    Log.push_back("icon " + path);
    return 1;
  }
  void ExpandGeneralSection(TNodeId node) override {
    Log.push_back("expand " + std::to_string(node));
  }
};

}  // namespace Vellumetric::Testing
