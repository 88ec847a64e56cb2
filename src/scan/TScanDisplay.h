#pragma once

#include "model/TNodeTree.h"

namespace Vellumetric {

// The controls a scan touches while it runs: the progress bar of the progress strip and the
// folder view. Every call arrives on the interface thread, inside TThreadBridge::Synchronize.
class TScanDisplay {
 public:
  virtual ~TScanDisplay() = default;
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Advance the position by one and repaint the bar.
  virtual void StepProgress() = 0;
  virtual void ExpandNode(TNodeId node) = 0;
  // NoNode when the scan had no root.
  virtual void SelectNode(TNodeId node) = 0;
};

}  // namespace Vellumetric
