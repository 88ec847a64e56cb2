#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "ui/dialogs/TDialogPrompts.h"

namespace Vellumetric {

// The save window: proposes a free name for the summary in the Backup folder, asks before an
// existing file is replaced, and hands the chosen file name to the analyzer (WM_SAVE_SUMMARY).
// It writes nothing itself.
class TSaveSummaryForm final : public QDialog {
 public:
  // `rootText`: the analyzer's current path; `saveName` receives "NAME.sbf" on Save.
  TSaveSummaryForm(QWidget* owner, QString rootText, std::string& saveName, QObject* analyzer,
                   std::string backupFolder, TDialogPrompts prompts = TDialogPrompts::Standard());

  // Lays the window out and proposes the default name; run when the window is first shown.
  void FormShow();
  void Button1Click();

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString RootText;
  std::string& SaveName;
  QObject* Analyzer;
  std::string BackupFolder;
  TDialogPrompts Prompts;
  bool Shown = false;
};

}  // namespace Vellumetric
