#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/TScanHistoryRecorder.h"
#include "history/TScanSnapshot.h"
#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// The history window: every stored scan, newest first (folder, mode, date, size, files,
// folders). "Delete" removes the selected scans after asking, as the open window does; "Compare"
// takes two selected scans of one folder to the Changes tab. The history is read and changed on
// its own thread, in order with the window's recordings; the window never waits for it.
class TScanHistoryForm final : public QDialog {
 public:
  // Runs a task on the history's thread; false when no history is kept.
  using TPost = std::function<bool(TScanHistoryRecorder::TTask task)>;
  // The two scans to compare, the older first.
  using TCompare = std::function<void(std::int64_t fromId, std::int64_t toId)>;

  TScanHistoryForm(QWidget* owner, TPost post, TCompare compare,
                   TDialogPrompts prompts = TDialogPrompts::Standard());

  // Reads the list again (done when the window is shown and after a deletion).
  void Reload();
  void DeleteButtonClick();
  void CompareButtonClick();
  [[nodiscard]] bool IsLoading() const noexcept { return Loading; }

  QTreeWidget* ListView1 = nullptr;
  QLabel* Note = nullptr;
  QPushButton* CompareButton = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* CloseButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Fill(const std::vector<TScanSnapshot>& scans, const std::string& error);
  void SelectionChanged();
  [[nodiscard]] std::vector<const QTreeWidgetItem*> Selected() const;
  // Hands `show` to the window's thread, where it runs only if the window still lives: tasks on
  // the history's thread never touch the window itself.
  static void Deliver(QPointer<TScanHistoryForm> form, std::function<void(TScanHistoryForm&)> show);

  TPost Post;
  TCompare CompareScans;
  TDialogPrompts Prompts;
  bool Loading = false;
};

}  // namespace Vellumetric
