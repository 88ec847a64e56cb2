#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "exclude/TExclusionRule.h"
#include "model/TFolderData.h"
#include "system/PathRules.h"
#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// The Exclusions page of the options: the rules that leave folders out of a scan, added,
// changed and removed, each change written to the rules file at once (as the groups page writes
// its database), and a check that lists which folders of the current scan the rules would leave
// out. The check runs on a worker: marker rules look at the disk.
class TExclusionsPage final : public QWidget {
 public:
  // `save` writes the rules and answers an error text, empty on success. `tree`: the current
  // scan's folders, or null when there is none.
  TExclusionsPage(QWidget* parent, TExclusionRuleList& rules,
                  std::function<std::string(const TExclusionRuleList&)> save,
                  const TFolderTree* tree, TPathStyle style, int dpi,
                  TDialogPrompts prompts = TDialogPrompts::Standard());
  ~TExclusionsPage() override;

  void AddClick();
  void ChangeClick();
  void RemoveClick();
  void CheckClick();

  QTreeWidget* RuleList = nullptr;
  QComboBox* KindBox = nullptr;
  QLineEdit* PatternEdit = nullptr;
  QComboBox* CaseBox = nullptr;
  QCheckBox* EnabledBox = nullptr;
  QPushButton* AddButton = nullptr;
  QPushButton* ChangeButton = nullptr;
  QPushButton* RemoveButton = nullptr;
  QPushButton* CheckButton = nullptr;
  QLabel* CheckLabel = nullptr;
  QListWidget* CheckList = nullptr;

 private:
  void Fill();
  void RowSelected();
  void UpdateButtons();
  [[nodiscard]] TExclusionRule RuleFromFields() const;
  void Store();
  void ShowCheck();

  TExclusionRuleList& Rules;
  std::function<std::string(const TExclusionRuleList&)> Save;
  const TFolderTree* Tree;
  TPathStyle Style;
  TDialogPrompts Prompts;
  bool CheckedOne = false;  // the check ran for the selected rule alone
  std::atomic<bool> StopCheck{false};
  std::future<std::vector<TNodeId>> Check;
  QTimer* CheckTimer = nullptr;
};

}  // namespace Vellumetric
