#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <string>

#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// The open window: lists the summary files of the Backup folder with their dates, sorts them by
// a column click, opens one (WM_OPEN_SUMMARY with its path in the analyzer's open-path text) and
// deletes the selected ones.
class TOpenSummaryForm final : public QDialog {
 public:
  // `sortAscending`: the direction flag, kept by the caller for the program's run.
  TOpenSummaryForm(QWidget* owner, QObject* analyzer, std::string& openPath, const QString& caption,
                   std::string backupFolder, bool& sortAscending,
                   TDialogPrompts prompts = TDialogPrompts::Standard());

  // Fills the list from the Backup folder; run when the window is shown.
  void FormShow();
  void ListView1ColumnClick(int column);
  void OpenButtonClick();
  void DeleteButtonClick();

  QTreeWidget* ListView1 = nullptr;
  QPushButton* OpenButton = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* CloseButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ListView1SelectionChanged(bool lost, bool gained);
  [[nodiscard]] std::string PathOf(const QTreeWidgetItem* item) const;

  QObject* Analyzer;
  std::string& OpenPath;
  std::string BackupFolder;
  bool& SortAscending;
  int SortColumn = 0;
  TDialogPrompts Prompts;
};

}  // namespace Vellumetric
