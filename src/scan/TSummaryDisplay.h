#pragma once

#include <cstdint>
#include <string>

#include "model/TNodeTree.h"

namespace Vellumetric {

// The controls the summary worker touches: the two summary trees' enabled state, the summary
// panel's progress bar and label, the title above the pages and the General page's icons. Every
// call arrives on the interface thread, inside TThreadBridge::Synchronize.
class TSummaryDisplay {
 public:
  virtual ~TSummaryDisplay() = default;
  virtual void EnableTrees(bool enabled) = 0;
  // Position + 200, repaint, label "<position> of <maximum>".
  virtual void ProgressTick() = 0;
  // Load mode: range 0..total, position 0, label "0 of <total>".
  virtual void SetLoadTotal(std::int32_t total) = 0;
  virtual void SetTitleText(const std::string& text) = 0;
  // Clears the General page's image list and adds the file browser's icon; returns its index.
  virtual std::int32_t ResetGeneralImages() = 0;
  // Adds the small icon of a file; returns its index, or -1 when there is none.
  virtual std::int32_t AddGeneralIcon(const std::string& path) = 0;
  virtual void ExpandGeneralSection(TNodeId node) = 0;
};

}  // namespace Vellumetric
